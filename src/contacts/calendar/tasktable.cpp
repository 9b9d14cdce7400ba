#include "calendar/tasktable.h"

#include "shared/AppGlobals.h"
#include "calendar/CalendarIcons.h"
#include "calendar/CalendarItems.h"
#include "calendar/DateCn.h"
#include "shared/Utility.h"
#include "shared/UtilityDb.h"
#include "calendar/selectdate.h"

#include "controls/SPMonth.h"
#include "platform/ADODB.h"
#include "platform/ImgList.h"
#include "platform/IniFiles.h"
#include "platform/Messages.h"
#include "platform/UiServices.h"
#include "shared/FrameworkCommandBuilder.h"
#include "toolbar/TB2ItemWindow.h"
#include "themed/SpTBXItem.h"
#include "themed/TBXNexus.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemView.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTreeWidget>

namespace {

// The narrowest the date label gets when the buttons leave less room.
constexpr int MinDateLabelWidth = 40;

// The month tool bar: the date label between the buttons takes the room they leave, whatever
// sizes the current theme gives them, so the date stays centred between the arrows.
class TCalendarToolbar : public TSpTBXToolbar
{
public:
    using TSpTBXToolbar::TSpTBXToolbar;
    void SetDateLabel(TControl *label)
    {
        label_ = label;
        RequestFit();
    }
    // After the dock and the view have laid out: the widths of the buttons are known then.
    void RequestFit()
    {
        if (fitPending_ || !label_)
            return;
        fitPending_ = true;
        QMetaObject::invokeMethod(this, [this] { FitDateLabel(); }, Qt::QueuedConnection);
    }

protected:
    void Resize() override
    {
        TSpTBXToolbar::Resize();
        RequestFit();
    }
    void WndProc(TMessage &Message) override
    {
        TSpTBXToolbar::WndProc(Message);
        if (Message.Msg == TBXM_CONTROLCHANGE && Message.WParam == 3)
            RequestFit();
    }

private:
    void FitDateLabel()
    {
        fitPending_ = false;
        TTBDock *dock = CurrentDock();
        if (!dock || !label_)
            return;
        int buttons = 0;
        int margin = -1;
        for (int i = 0; i < View()->ViewerCount(); ++i) {
            const TTBItemViewer *viewer = View()->Viewers(i);
            if (!viewer->Show)
                continue;
            if (margin < 0)
                margin = viewer->BoundsRect.Left;
            const auto *control = dynamic_cast<const TTBControlItem *>(viewer->Item);
            if (!control || control->Control() != label_)
                buttons += viewer->BoundsRect.Width();
        }
        if (margin < 0)
            return;
        const int room = dock->ClientWidth() - (Width() - ClientWidth()) - 2 * margin - buttons;
        const int width = std::max(MinDateLabelWidth, room);
        if (width == label_->Width())
            return;
        label_->SetWidth(width);
        dock->ArrangeDockRows();
        Arrange();
    }

    TControl *label_ = nullptr;
    bool fitPending_ = false;
};

// The date on the bar: like a label placed on a tool bar, it shows the bar's own face behind its
// text, so the theme's background runs on under it.
class TDateLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        if (auto *place = dynamic_cast<TControl *>(parentWidget())) {
            QImage face(size(), QImage::Format_RGB32);
            {
                TCanvas canvas(face);
                DrawParentBackground(place, canvas, TRect{0, 0, width(), height()});
            }
            QPainter(this).drawImage(0, 0, face);
        }
        QLabel::paintEvent(event);
    }
};

const QString ContactCategory = QStringLiteral("人脉");
const QString FestivalCategory = QStringLiteral("节日");

TDateTime At(const QDate &date, const QTime &time)
{
    return DateFromQt(date) + (time.hour() * 60 + time.minute()) / 1440.0;
}

// Rows that date a birthday or an anniversary, whatever the day: their month and day are
// matched in the program, so no row is formatted by the engine.
std::vector<TContactDates> ReadContactDates(TADOQuery *query)
{
    std::vector<TContactDates> rows;
    if (!RunQuery(query, QStringLiteral("select keyid, uname, uhsr, udtfmt, uisalart, ujhjnr, jnrtx, uemail, text1, kzfield2 "
                                        "from userinfo where (uisalart <> 0 and uhsr <> '') "
                                        "or (jnrtx <> 0 and ujhjnr <> '')")))
        return rows;
    for (query->First(); !query->Eof(); query->Next()) {
        TContactDates row;
        row.Key = query->FieldByName(QStringLiteral("keyid")).AsInteger();
        row.Name = query->FieldByName(QStringLiteral("uname")).AsString();
        row.Birthday = query->FieldByName(QStringLiteral("uhsr")).AsString();
        row.DateFormat = query->FieldByName(QStringLiteral("udtfmt")).AsString();
        row.BirthdayReminder = query->FieldByName(QStringLiteral("uisalart")).AsBoolean();
        row.Anniversary = query->FieldByName(QStringLiteral("ujhjnr")).AsString();
        row.AnniversaryReminder = query->FieldByName(QStringLiteral("jnrtx")).AsBoolean();
        row.Email = query->FieldByName(QStringLiteral("uemail")).AsString();
        row.Email2 = query->FieldByName(QStringLiteral("text1")).AsString();
        row.Cipher = query->FieldByName(QStringLiteral("kzfield2")).AsString();
        rows.push_back(row);
    }
    query->Close();
    return rows;
}

// Plans from the start day through the end day, by a text range on the indexed start column.
std::vector<TPlanRow> ReadPlans(TADOQuery *query, const QDate &start, const QDate &end)
{
    std::vector<TPlanRow> rows;
    if (!RunQuery(query,
                  QStringLiteral("select ut.id, ut.groupid, ut.title, ut.startdate, ui.uemail, ui.text1, ui.kzfield2, ui.uname "
                                 "from usertable ut join userinfo ui on ut.groupid = ui.keyid "
                                 "where ut.startdate >= ? and ut.startdate < ? order by ut.startdate, ut.id"),
                  {start.toString(Qt::ISODate), end.addDays(1).toString(Qt::ISODate)}))
        return rows;
    for (query->First(); !query->Eof(); query->Next()) {
        TPlanRow row;
        row.Id = query->FieldByName(QStringLiteral("id")).AsInteger();
        row.Key = query->FieldByName(QStringLiteral("groupid")).AsInteger();
        row.Title = query->FieldByName(QStringLiteral("title")).AsString();
        row.StartDate = query->FieldByName(QStringLiteral("startdate")).AsString();
        row.Email = query->FieldByName(QStringLiteral("uemail")).AsString();
        row.Email2 = query->FieldByName(QStringLiteral("text1")).AsString();
        row.Cipher = query->FieldByName(QStringLiteral("kzfield2")).AsString();
        row.Name = query->FieldByName(QStringLiteral("uname")).AsString();
        rows.push_back(row);
    }
    query->Close();
    return rows;
}

std::unique_ptr<CalendarItemData> Record(const TCalendarEntry &entry)
{
    auto data = std::make_unique<CalendarItemData>();
    data->Id = entry.Id;
    data->Key = entry.Key;
    data->ImageIndex = entry.ImageIndex;
    data->Caption = entry.Text;
    data->Category = ContactCategory;
    data->Email = entry.Email;
    data->Name = entry.Name;
    return data;
}

// A node of the today tree for one contact event; its record goes with the node.
class TTodayNode final : public QTreeWidgetItem
{
public:
    TTodayNode(QTreeWidgetItem *day, const TCalendarEntry &entry)
        : QTreeWidgetItem(day), Data(std::make_unique<CalendarItemData>())
    {
        Data->Key = entry.Key;
        Data->Caption = entry.Text;
        Data->Category = ContactCategory;
        Data->Name = entry.Name;
    }

    const std::unique_ptr<CalendarItemData> Data;
};

} // namespace

Tfrmtasktable::Tfrmtasktable(TADOQuery *query, QWidget *parent) : QWidget(parent), query_(query)
{
    setObjectName(QStringLiteral("frmtasktable"));

    images_ = std::make_unique<TImageList>(nullptr);
    taskImageList = images_.get();
    for (int i = 0; i < CalendarImageCount; ++i)
        taskImageList->AddImage(CalendarImage(i));

    source_ = std::make_unique<TSPPlannerSource>(nullptr);
    PlannerSource = source_.get();
    PlannerSource->SetImages(taskImageList);

    // The left side aligns its dock and tree as a form does.
    auto *left = new TWinControl(nullptr);
    left->setParent(this);
    left->setObjectName(QStringLiteral("leftPanel"));
    left->setFixedWidth(220);
    BuildToolbar(left);
    TreeView1 = new QTreeWidget;
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setIconSize(QSize(16, 16));
    auto *tree = new TWidgetControl(left, TreeView1);
    tree->SetParent(left);
    tree->SetAlign(TAlign::alClient);

    SPMonthPlanner1 = new TSPMonthPlanner(nullptr);
    SPMonthPlanner1->setObjectName(QStringLiteral("SPMonthPlanner1"));
    SPMonthPlanner1->SetCopyOnDrop(true);
    SPMonthPlanner1->SetWeekStart(TSPWeekStart::wsSunday);
    SPMonthPlanner1->SetLunarTextSource(LunarDayText);
    SPMonthPlanner1->SetShowChinaDate(true);
    SPMonthPlanner1->SetShowChina(true);
    SPMonthPlanner1->SetShowHint(true);
    // The page writes nothing back; typing on the grid must not make items that vanish.
    SPMonthPlanner1->SetReadOnly(true);
    SPMonthPlanner1->SetSource(PlannerSource);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(left);
    layout->addWidget(SPMonthPlanner1, 1);

    BuildPopupMenu();

    SPMonthPlanner1->OnClick = [this](TComponent *) { FollowSelection(); };
    SPMonthPlanner1->OnKeyUp = [this](TComponent *, WORD &key, TShiftState) {
        switch (key) {
        case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
            FollowSelection();
            break;
        default:
            break;
        }
    };
    SPMonthPlanner1->OnDblClick = [this](TComponent *) {
        if (SPMonthPlanner1->SelectedCount() > 0)
            ItemUpdate();
    };
    SPMonthPlanner1->OnContextPopup = [this](TComponent *, TPoint pos, bool &handled) {
        taskPopupMenuPopup();
        // The menu key has no point of its own: the menu opens at the planner's corner, as a
        // control's own menu does, and not wherever the mouse happens to rest.
        const bool fromKeyboard = pos.X == -1 && pos.Y == -1;
        RunPopupMenu(*taskPopupMenu, SPMonthPlanner1->ClientToScreen(fromKeyboard ? TPoint{0, 0} : pos).ToQPoint());
        handled = true;
    };

    FormCreate();
}

Tfrmtasktable::~Tfrmtasktable()
{
    // The planner lets go of the source and its items before they go.
    delete SPMonthPlanner1;
    source_.reset();
}

void Tfrmtasktable::BuildToolbar(TWinControl *panel)
{
    // Before the bar: the panel frees its components last first, and the images must outlast it.
    barBuilder_ = std::make_unique<TFrameworkCommandBuilder>(panel);
    SpTBXDock1 = new TSpTBXDock(panel);
    SpTBXDock1->SetName(QStringLiteral("SpTBXDock1"));
    SpTBXDock1->SetAllowDrag(false);
    SpTBXDock1->SetParent(panel);
    auto *bar = new TCalendarToolbar(panel);
    SpTBXToolbar1 = bar;
    SpTBXToolbar1->SetName(QStringLiteral("SpTBXToolbar1"));
    SpTBXToolbar1->SetCaption(QStringLiteral("日历"));
    SpTBXToolbar1->SetShowHint(true);
    // The whole row, and never an item hidden away: the label gives up room instead.
    SpTBXToolbar1->SetStretch(true);
    SpTBXToolbar1->SetShrinkMode(TTBShrinkMode::tbsmNone);
    SpTBXToolbar1->SetCurrentDock(SpTBXDock1);

    dateLabel = new TDateLabel;
    dateLabel->setObjectName(QStringLiteral("dateLabel"));
    dateLabel->setAlignment(Qt::AlignCenter);
    dateLabel->resize(MinDateLabelWidth, 20);
    barBuilder_->SetControl(QStringLiteral("dateLabel"), dateLabel);

    const auto step = [this](const char *name, const char *text, const char *hint, QDate (*move)(const QDate &)) {
        return CommandRow(name, text, "", [this, move] { GoToDate(move(shownDate_)); }, hint);
    };
    TCommand &root = commands_.Define(QStringLiteral("SpTBXToolbar1"),
                                      {
                                          step("SpTBXItem1", "«", "上年", [](const QDate &d) { return d.addYears(-1); }),
                                          step("SpTBXItem2", "‹", "上月", [](const QDate &d) { return d.addMonths(-1); }),
                                          ControlRow("dateLabel"),
                                          step("SpTBXItem3", "›", "下月", [](const QDate &d) { return d.addMonths(1); }),
                                          step("SpTBXItem4", "»", "下年", [](const QDate &d) { return d.addYears(1); }),
                                      });
    barBuilder_->Fill(SpTBXToolbar1->Items(), root, SpTBXToolbar1);
    SpTBXItem1 = Command(QStringLiteral("SpTBXItem1"));
    SpTBXItem2 = Command(QStringLiteral("SpTBXItem2"));
    SpTBXItem3 = Command(QStringLiteral("SpTBXItem3"));
    SpTBXItem4 = Command(QStringLiteral("SpTBXItem4"));
    for (TTBCustomItem *item : barBuilder_->ItemsOf(*Command(QStringLiteral("dateLabel"))))
        bar->SetDateLabel(static_cast<TTBControlItem *>(item)->Control());
    // A narrower page leaves the bar as long as its items; the label gives up the difference.
    SpTBXDock1->OnResize = [bar](TComponent *) { bar->RequestFit(); };
}

void Tfrmtasktable::BuildPopupMenu()
{
    const std::vector<TCommandRow> rows = {
        CommandRow("epm_00", "编辑", "", [this] { ItemUpdate(); }),
        CommandRow("epm_01", "新建人脉", "",
                   [] {
                       if (frmmain)
                           frmmain->NewContact();
                   }),
        CommandRow("epm_02", "从日历表中删除", "", nullptr),
        CommandRow("N1", "给此人发邮件", "", [this] { N1Click(); }),
        SeparatorRow(),
        // Ctrl+T belongs to the main window's 到今天, which does the same here; the menu only shows it.
        CommandRow("N3", "到今天\tCtrl+T", "", [this] { GoToDate(Clock().Now().date()); }),
        CommandRow("N4", "日期转到", "Ctrl+G", [this] { N4Click(); }),
    };
    TCommand &menu = commands_.Define(QStringLiteral("taskPopupMenu"), rows);
    epm_00 = Command(QStringLiteral("epm_00"));
    epm_01 = Command(QStringLiteral("epm_01"));
    epm_02 = Command(QStringLiteral("epm_02"));
    N1 = Command(QStringLiteral("N1"));
    N3 = Command(QStringLiteral("N3"));
    N4 = Command(QStringLiteral("N4"));
    epm_02->SetVisible(false);
    menuOwner_ = std::make_unique<TComponent>(nullptr);
    menuBuilder_ = std::make_unique<TFrameworkCommandBuilder>(menuOwner_.get());
    taskPopupMenu = menuBuilder_->Popup(menu);
    taskPopupMenu->SetName(QStringLiteral("taskPopupMenu"));
    // Live only while the page is shown, where the browser's Ctrl+G (新建组) is off.
    menuBuilder_->AttachKey(this, *N4);
    N4->SetEnabled(false);
}

TCommand *Tfrmtasktable::Command(const QString &name) const
{
    return commands_.Command(name);
}

void Tfrmtasktable::FormCreate()
{
    GoToDate(Clock().Now().date());
    const TIniFile ini(ConfigIniPath());
    SPMonthPlanner1->SetShowChinaDate(ini.ReadBool(QStringLiteral("SYS"), QStringLiteral("ShowCh"), true));
}

void Tfrmtasktable::showEvent(QShowEvent *event)
{
    N4->SetEnabled(true);
    QWidget::showEvent(event);
}

void Tfrmtasktable::hideEvent(QHideEvent *event)
{
    N4->SetEnabled(false);
    QWidget::hideEvent(event);
}

bool Tfrmtasktable::AccountOpen() const
{
    return query_ && query_->Connection() && query_->Connection()->Connected();
}

void Tfrmtasktable::GoToDate(const QDate &date)
{
    if (!date.isValid())
        return;
    shownDate_ = date;
    dateLabel->setText(date.toString(QStringLiteral("yyyy-MM-dd")));
    SPMonthPlanner1->SetDate(date);
    LoadMonth(false);
}

void Tfrmtasktable::SetLunarCaptions(bool show)
{
    SPMonthPlanner1->SetShowChinaDate(show);
}

void Tfrmtasktable::FollowSelection()
{
    TDateTime start = 0;
    TDateTime end = 0;
    if (!SPMonthPlanner1->SelectionRange(start, end))
        return;
    shownDate_ = DateToQt(start);
    dateLabel->setText(shownDate_.toString(QStringLiteral("yyyy-MM-dd")));
}

void Tfrmtasktable::LoadMonth(bool force)
{
    const QDate first = DateToQt(SPMonthPlanner1->FirstDay());
    const QString month = first.toString(QStringLiteral("yyyyMM"));
    if (!force && month == loadedMonth_)
        return;
    loadedMonth_ = month;
    const TMonthRange range = MonthRange(first);

    PlannerSource->ClearItems();
    itemData_.clear();
    PlannerSource->BeginUpdate();
    if (AppSettings().ShowFestivals)
        LoadFestivals(range.Start, range.End);
    if (AppSettings().ShowContactEvents)
        LoadDatabaseItems(range.Start, range.End);
    PlannerSource->EndUpdate();
}

void Tfrmtasktable::LoadFestivals(const QDate &start, const QDate &end)
{
    for (const TCalendarEntry &entry : FestivalEntries(start, end)) {
        TSPPlanItem *item = PlannerSource->AddItem(QString(), entry.Text, At(entry.Date, entry.StartTime),
                                                   At(entry.Date, entry.EndTime), true, entry.Private, clNone, 2);
        item->SetCategory(FestivalCategory);
        item->Icons().AddIcon(entry.ImageIndex);
        item->SetLocked(true);
    }
}

void Tfrmtasktable::LoadDatabaseItems(const QDate &start, const QDate &end)
{
    if (!AccountOpen())
        return;
    const std::vector<TContactDates> contacts = ReadContactDates(query_);
    const std::vector<TPlanRow> plans = ReadPlans(query_, start, end);
    for (const TCalendarEntry &entry : ContactEntries(contacts, plans, start, end)) {
        TSPPlanItem *item = PlannerSource->AddItem(QString(), entry.Text, At(entry.Date, entry.StartTime),
                                                   At(entry.Date, entry.EndTime), true, entry.Private, clNone, 2);
        item->SetCategory(ContactCategory);
        item->Icons().AddIcon(entry.ImageIndex);
        itemData_.push_back(Record(entry));
        item->SetData(itemData_.back().get());
        item->SetLocked(true);
    }
}

void Tfrmtasktable::LoadTodayTree()
{
    TreeView1->clear();
    if (!AccountOpen())
        return;
    const QDate today = Clock().Now().date();
    const int days = std::max(0, AppSettings().TodayTreeDays);
    const QDate last = today.addDays(days);
    const std::vector<TCalendarEntry> entries =
        ContactEntries(ReadContactDates(query_), ReadPlans(query_, today, last), today, last);

    const auto icon = [this](int index) { return QIcon(QPixmap::fromImage(taskImageList->Image(index))); };
    for (int k = 0; k <= days; ++k) {
        const QDate day = today.addDays(k);
        auto *dayNode = new QTreeWidgetItem(TreeView1);
        dayNode->setText(0, k == 0 ? QStringLiteral("今日")
                                   : day.toString(QStringLiteral("yyyy-MM-dd")) + ' ' + WeekdayName(day));
        dayNode->setIcon(0, icon(CalendarDayImage));
        for (const TCalendarEntry &entry : entries) {
            if (entry.Date != day)
                continue;
            auto *node = new TTodayNode(dayNode, entry);
            node->setText(0, entry.Text);
            node->setIcon(0, icon(entry.ImageIndex));
        }
    }
    TreeView1->expandAll();
}

const CalendarItemData *Tfrmtasktable::ItemData(const TSPPlanItem *item) const
{
    for (const auto &data : itemData_) {
        if (item && item->Data() == data.get())
            return data.get();
    }
    return nullptr;
}

const CalendarItemData *Tfrmtasktable::SelectedContactItem() const
{
    if (SPMonthPlanner1->SelectedCount() == 0)
        return nullptr;
    const CalendarItemData *data = ItemData(SPMonthPlanner1->SelectedItem(0));
    return data && data->Category == ContactCategory ? data : nullptr;
}

void Tfrmtasktable::taskPopupMenuPopup()
{
    // Each popup answers for the item selected now, never for an earlier one.
    const bool contact = SelectedContactItem() != nullptr;
    epm_00->SetEnabled(contact);
    epm_02->SetEnabled(contact);
    N1->SetEnabled(contact);
    epm_01->SetEnabled(!contact);
}

void Tfrmtasktable::ItemUpdate()
{
    const CalendarItemData *data = SelectedContactItem();
    if (!data)
        return;
    const QString key = QString::number(data->Key);
    const QString name = data->Name;
    if (frmmain)
        frmmain->OpenContact(key, name);
    LoadTodayTree();
}

void Tfrmtasktable::N1Click()
{
    if (const CalendarItemData *data = SelectedContactItem())
        ShellOpen(MailtoAddress(data->Email));
}

void Tfrmtasktable::N4Click()
{
    if (!frmselectdate_)
        frmselectdate_ = new Tfrmselectdate(this);
    if (frmselectdate_->exec() == QDialog::Accepted)
        GoToDate(frmselectdate_->MonthCalendar1->selectedDate());
}

void InstallCalendarPage()
{
    CalendarPageFactory = [](QWidget *parent) -> ICalendarPage * {
        return new Tfrmtasktable(frmmain ? frmmain->ADOQuery1 : nullptr, parent);
    };
}
