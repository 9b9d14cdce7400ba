#include "contacts/shared/WNDES.h"
#include "contacts/calendar/selectdate.h"
#include "contacts/calendar/tasktable.h"

#include "../platform/InputSim.h"
#include "main/MainTestSupport.h"
#include "shared/PopupMenuRecorder.h"
#include "controls/SPMonth.h"
#include "platform/IniFiles.h"
#include "themed/SpTBXItem.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemView.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// "yyyy-MM-dd text" of every item of the planner, in the source's order.
QStringList PlannerItems(Tfrmtasktable *page)
{
    QStringList out;
    for (int i = 0; i < page->PlannerSource->Count(); ++i) {
        const TSPPlanItem *item = page->PlannerSource->Items(i);
        out << DateToQt(item->StartTime()).toString(Qt::ISODate) + ' ' + item->Text();
    }
    return out;
}

QStringList Tree(const QTreeWidget *tree)
{
    QStringList out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *day = tree->topLevelItem(i);
        out << day->text(0);
        for (int j = 0; j < day->childCount(); ++j)
            out << "  " + day->child(j)->text(0);
    }
    return out;
}

class CalendarPage : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ResetAppData();
        account = AppDir() + "data/cal.txl";
        ASSERT_TRUE(SaveResourceToFile("MYDB", "TEMPLATE", account));
        db = std::make_unique<TADOConnection>();
        db->Open(account);
        clock.now = QDateTime(QDate(2025, 12, 17), QTime(9, 0));
        SetClock(&clock);
        ContactEditorFactory = [this] { return editors.emplace_back(new TestEditor).data(); };
    }
    void TearDown() override
    {
        MainWindowFixture::TearDown();
        db.reset();
        CalendarPageFactory = nullptr, ContactEditorFactory = nullptr;
        AppSettings().ShowFestivals = AppSettings().ShowContactEvents = true;
        SetClock(nullptr);
    }
    int AddContact(const QString &name, const QString &birthday, bool lunar = false, const QString &anniversary = {},
                   const QString &email = {}, const QString &cipher = QStringLiteral("2"))
    {
        TADOQuery query(db.get());
        EXPECT_TRUE(RunQuery(&query,
                             "insert into userinfo(uname, nodetype, uhsr, udtfmt, uisalart, ujhjnr, jnrtx, uemail, kzfield2) "
                             "values(?, 2, ?, ?, ?, ?, ?, ?, ?)",
                             {name, birthday, lunar ? QStringLiteral("阴历") : QStringLiteral("阳历"), !birthday.isEmpty(),
                              anniversary, !anniversary.isEmpty(), email, cipher}));
        return int(db->Db().LastInsertRowId());
    }
    void AddPlan(int key, const QString &title, const QString &start)
    {
        TADOQuery q(db.get());
        EXPECT_TRUE(RunQuery(&q, "insert into usertable(title, startdate, groupid) values(?, ?, ?)", {title, start, key}));
    }
    // The start-up order, then the account and the calendar page.
    void Start(bool openAccount = true)
    {
        InstallCalendarPage();
        MakeWindow();
        if (openAccount)
            main->OpenAccount(account);
        main->resize(1000, 700);
        main->show();
        main->ShowCalendarPage();
        page = dynamic_cast<Tfrmtasktable *>(main->CalendarPage());
        ASSERT_NE(page, nullptr);
        QCoreApplication::processEvents();
    }
    TSPPlanItem *FindItem(const QString &text) const
    {
        for (int i = 0; i < page->PlannerSource->Count(); ++i)
            if (page->PlannerSource->Items(i)->Text() == text)
                return page->PlannerSource->Items(i);
        return nullptr;
    }
    // Clicks the item where the planner draws it.
    void ClickItem(TSPPlanItem *item, bool twice = false)
    {
        ASSERT_NE(item, nullptr);
        TSPMonthPlanner *planner = page->SPMonthPlanner1;
        planner->repaint();
        const QDate day = DateToQt(item->StartTime());
        for (int row = 0; row < planner->RowCount(); ++row) {
            for (int col = 0; col < planner->ColCount(); ++col) {
                TRect r;
                bool before = false, after = false;
                if (planner->CellDate(col, row) != day || !planner->ItemRect(item, col, row, r, before, after))
                    continue;
                const TPoint screen = planner->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
                const QPoint at = planner->mapFromGlobal(QPoint(screen.X, screen.Y));
                twice ? sim::DoubleClick(planner, at) : sim::Click(planner, at);
                return;
            }
        }
        FAIL() << "item not drawn: " << item->Text().toStdString();
    }
    FakeClock clock;
    QString account;
    std::unique_ptr<TADOConnection> db;
    std::vector<QPointer<TestEditor>> editors;
    Tfrmtasktable *page = nullptr;
};

} // namespace

// The month's contact events, plans and festivals, locked all-day items with their data, and the
// tree of the next days.
TEST_F(CalendarPage, MonthAndTodayTreeShowTheAccountsEvents)
{
    ASSERT_TRUE(TIniFile(ConfigIniPath()).WriteInteger("USERSET", "daycount", 3));
    const int key = AddContact("甲", "1980-12-18", false, "2000-12-17");
    AddContact("乙", "1970-10-28", true);  // lunar 10-28 is 2025-12-17
    AddContact("丙", "1980-12-19");
    AddPlan(key, "开会", "2025-12-17 15:00:00");
    AddPlan(key, "太晚", "2025-12-21 00:00:00");
    AddPlan(key, "下月", "2026-01-11 00:00:00");  // one day past the grid
    Start();
    const QStringList items = PlannerItems(page);
    for (const char *expected : {"2025-12-18 甲-阳历生日", "2025-12-17 甲-婚纪念日", "2025-12-17 乙-阴历生日",
                                 "2025-12-17 开会", "2025-12-25 圣诞节", "2026-01-01 新年元旦"})
        EXPECT_TRUE(items.contains(QString::fromUtf8(expected))) << expected << "\n" << items.join('\n').toStdString();
    EXPECT_FALSE(items.join('\n').contains(QStringLiteral("下月")));
    for (int i = 0; i < page->PlannerSource->Count(); ++i) {
        const TSPPlanItem *item = page->PlannerSource->Items(i);
        EXPECT_TRUE(item->Locked() && item->AllDay() && item->Icons().Count() == 1) << item->Text().toStdString();
        EXPECT_EQ(item->Category(), page->ItemData(item) ? QStringLiteral("人脉") : QStringLiteral("节日"));
    }
    const TSPPlanItem *plan = FindItem("开会");
    ASSERT_NE(plan, nullptr);
    EXPECT_TRUE(page->ItemData(plan)->Key == key && page->ItemData(plan)->Name == "甲" && page->ItemData(plan)->Id > 0);
    EXPECT_EQ(plan->Icons().Icons(0), 11);
    EXPECT_EQ(FindItem("圣诞节")->Icons().Icons(0), 10);
    EXPECT_EQ(Tree(page->TreeView1),
              (QStringList{"今日", "  开会", "  乙-阴历生日", "  甲-婚纪念日", "2025-12-18 星期四", "  甲-阳历生日",
                           "2025-12-19 星期五", "  丙-阳历生日", "2025-12-20 星期六"}));
    EXPECT_TRUE(page->TreeView1->topLevelItem(0)->isExpanded());
}

// The settings choose what is shown. A month is read again only when it changes or a load is
// forced; the steps keep the day within the month reached.
TEST_F(CalendarPage, SettingsAndLoadingAgainOnlyForANewMonthOrWhenForced)
{
    const int key = AddContact("甲", "1980-12-05");
    TIniFile ini(ConfigIniPath());
    ASSERT_TRUE(ini.WriteBool("SYS", "show1", false) && ini.WriteBool("SYS", "ShowCh", false));
    Start();
    EXPECT_EQ(PlannerItems(page), QStringList{QStringLiteral("2025-12-05 甲-阳历生日")});
    EXPECT_FALSE(page->SPMonthPlanner1->ShowChinaDate());
    page->SetLunarCaptions(true);
    EXPECT_TRUE(page->SPMonthPlanner1->ShowChinaDate());
    AddPlan(key, "新计划", "2025-12-20 10:00:00");
    page->GoToDate(QDate(2025, 12, 2));  // the same month: nothing read
    EXPECT_EQ(page->dateLabel->text(), QStringLiteral("2025-12-02"));
    page->LoadMonth(false);
    EXPECT_EQ(page->PlannerSource->Count(), 1);
    page->LoadMonth(true);
    EXPECT_EQ(page->PlannerSource->Count(), 2);
    AppSettings().ShowFestivals = true;
    AppSettings().ShowContactEvents = false;
    page->LoadMonth(true);
    EXPECT_TRUE(PlannerItems(page).join('\n').contains(QStringLiteral("圣诞节")));
    EXPECT_FALSE(PlannerItems(page).join('\n').contains(QStringLiteral("甲")));
    AppSettings().ShowContactEvents = true;
    AddPlan(key, "一月", "2026-01-20 10:00:00");
    page->SpTBXItem3->Click();  // 下月
    EXPECT_EQ(page->ShownDate(), QDate(2026, 1, 2));
    EXPECT_TRUE(PlannerItems(page).contains(QStringLiteral("2026-01-20 一月")));
    page->GoToDate(QDate(2024, 1, 31));
    const struct { TCommand *Tfrmtasktable::*action; const char *expected; } steps[] = {
        {&Tfrmtasktable::SpTBXItem3, "2024-02-29"}, {&Tfrmtasktable::SpTBXItem4, "2025-02-28"},
        {&Tfrmtasktable::SpTBXItem2, "2025-01-28"}, {&Tfrmtasktable::SpTBXItem1, "2024-01-28"},
    };
    for (const auto &s : steps) {
        (page->*s.action)->Click();
        EXPECT_EQ(page->dateLabel->text(), QString::fromLatin1(s.expected));
        EXPECT_EQ(page->SPMonthPlanner1->Month(), QDate::fromString(s.expected, Qt::ISODate).month());
    }
}

// The popup's commands follow the selected item; a double click opens the contact, and what the
// editor changed shows in the tree; the mail address is deciphered and sent encoded.
TEST_F(CalendarPage, PopupCommandsAndEditingFollowTheSelectedItem)
{
    ASSERT_TRUE(TIniFile(ConfigIniPath()).WriteInteger("USERSET", "daycount", 0));
    const QString cipher = DesEncryptString(QStringLiteral("a@example.com?attach=/etc/passwd"), DesKey).Text;
    const int key = AddContact("甲", "1980-12-05", false, {}, cipher, QString());
    Start();
    // Which of 编辑人脉, 发送邮件 and 新建人脉 the popup offers, in its commands and in the items of
    // the menu that the planner's right click opens at the pointer.
    PopupMenuRecorder menus;
    const auto offered = [&] {
        page->taskPopupMenuPopup();
        const QString commands =
            QString("%1%2%3").arg(page->epm_00->Enabled()).arg(page->N1->Enabled()).arg(page->epm_01->Enabled());
        menus.opened.clear();
        bool handled = false;
        page->SPMonthPlanner1->OnContextPopup(page->SPMonthPlanner1, TPoint{20, 30}, handled);
        EXPECT_TRUE(handled);
        if (menus.opened.size() != 1)
            return QStringLiteral("no menu");
        const TOpenedMenu &menu = menus.opened[0];
        EXPECT_EQ(menu.name, "taskPopupMenu");
        EXPECT_EQ(menu.at, page->SPMonthPlanner1->ClientToScreen(TPoint{20, 30}).ToQPoint());
        EXPECT_TRUE(menu.State("从日历表中删除").contains('h'));
        EXPECT_EQ(menu.State("到今天"), "e Ctrl+T");
        EXPECT_EQ(menu.State("日期转到"), "e Ctrl+G");
        const auto on = [&menu](const char *caption) { return menu.State(caption).startsWith('e') ? '1' : '0'; };
        const QString shown = QString("%1%2%3").arg(on("编辑")).arg(on("给此人发邮件")).arg(on("新建人脉"));
        EXPECT_EQ(shown, commands) << "the menu shows what its commands say";
        return shown;
    };
    EXPECT_EQ(offered(), "001");
    EXPECT_FALSE(page->epm_02->Visible());
    EXPECT_EQ(page->TreeView1->topLevelItem(0)->childCount(), 0);
    AddPlan(key, "今天", "2025-12-17 00:00:00");
    ClickItem(FindItem("甲-阳历生日"), true);
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0]->loaded + QStringList{editors[0]->windowTitle()}, (QStringList{QString::number(key), "甲-人脉"}));
    EXPECT_EQ(page->TreeView1->topLevelItem(0)->childCount(), 1);
    ASSERT_EQ(page->SPMonthPlanner1->SelectedCount(), 1);
    EXPECT_EQ(offered(), "110");
    page->N1->Click();
    EXPECT_EQ(TestShell().opened, QStringList{QStringLiteral("mailto:a@example.com%3Fattach%3D%2Fetc%2Fpasswd")});
    // A festival: no mail, no editing, and 新建人脉 is back.
    ClickItem(FindItem("圣诞节"));
    EXPECT_EQ(offered(), "001");
    // Clicking follows the item's date, and the keyboard moves on from there.
    EXPECT_TRUE(page->dateLabel->text() == "2025-12-25" && page->ShownDate() == QDate(2025, 12, 25));
    sim::Key(page->SPMonthPlanner1, Qt::Key_Right);
    EXPECT_EQ(page->dateLabel->text(), QStringLiteral("2025-12-26"));
}

// The menu key on the planner opens the same menu after the same enabling, at the planner's
// corner rather than where the mouse rests.
TEST_F(CalendarPage, TheMenuKeyOpensThePopupAtThePlannersCorner)
{
    AddContact("甲", "1980-12-05");
    Start();
    ClickItem(FindItem("甲-阳历生日"));
    ASSERT_EQ(page->SPMonthPlanner1->SelectedCount(), 1);
    page->epm_00->SetEnabled(false);
    TSPMonthPlanner *planner = page->SPMonthPlanner1;
    const QPoint corner = planner->ClientToScreen({0, 0}).ToQPoint();
    QCursor::setPos(corner + QPoint(planner->width() / 2, planner->height() / 2));
    PopupMenuRecorder menus;
    planner->setFocus();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5), planner->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(planner, &menuKey);
    ASSERT_EQ(menus.opened.size(), 1u);
    EXPECT_EQ(menus.opened[0].name, "taskPopupMenu");
    EXPECT_EQ(menus.opened[0].at, corner);
    EXPECT_EQ(menus.opened[0].State("编辑"), "e") << "the enabling ran for the selected contact event";
}

// 今天 and 转到日期 (Ctrl+G, which no other enabled command of either page holds), with no
// account open and so an empty tree of the next days.
TEST_F(CalendarPage, GoToTodayAndGoToADate)
{
    Start(false);
    EXPECT_EQ(page->TreeView1->topLevelItemCount(), 0);
    page->GoToDate(QDate(2020, 3, 3));
    main->Command("tonowday")->Click();
    EXPECT_EQ(page->ShownDate(), QDate(2025, 12, 17));
    ModalResponder responder;
    responder.Then([](QDialog *dialog) {
        auto *select = qobject_cast<Tfrmselectdate *>(dialog);
        ASSERT_NE(select, nullptr);
        EXPECT_EQ(select->windowTitle(), QStringLiteral("选择日期"));
        EXPECT_EQ(select->MonthCalendar1->selectedDate(), QDate(2025, 12, 17));
        select->MonthCalendar1->setSelectedDate(QDate(2023, 7, 9));
        select->Button1->click();
    });
    responder.Then([](QDialog *dialog) { dialog->findChild<QPushButton *>("Button2")->click(); });
    for (int i = 0; i < 2; ++i) {  // the second time cancelled
        page->N4->Click();
        EXPECT_EQ(page->ShownDate(), QDate(2023, 7, 9));
        EXPECT_EQ(page->SPMonthPlanner1->Month(), 7);
    }
    EXPECT_EQ(responder.Unexpected(), 0);
    const auto check = [this](const char *state) {
        QMap<QKeySequence, QString> owners;
        for (const TCommandList *commands : {&main->Commands(), &page->Commands()}) {
            for (const auto &command : commands->All()) {
                if (!command->Enabled() || command->ShortCut().isEmpty())
                    continue;
                const QKeySequence key = command->ShortCut();
                EXPECT_FALSE(owners.contains(key)) << state << ": " << key.toString().toStdString() << " on "
                                                   << command->Name().toStdString() << " and "
                                                   << owners.value(key).toStdString();
                owners.insert(key, command->Name());
            }
        }
        return owners;
    };
    EXPECT_EQ(check("calendar").value(QKeySequence("Ctrl+G")), QStringLiteral("N4"));
    main->ShowBrowserPage();
    EXPECT_NE(check("browser").value(QKeySequence("Ctrl+G")), QStringLiteral("N4"));
}

// The month tool bar sits in a dock it cannot be dragged from, its items in their order: a click
// on each framework item steps the shown date. Under every theme the date label takes exactly
// the room the buttons leave, so the date stays centred and no button is pushed out.
TEST_F(CalendarPage, ToolBarInAFixedDockStepsTheDateAndKeepsTheLabelCentredUnderEveryTheme)
{
    Start(false);
    ASSERT_NE(page->SpTBXDock1, nullptr);
    EXPECT_FALSE(page->SpTBXDock1->AllowDrag());
    EXPECT_EQ(page->SpTBXToolbar1->CurrentDock(), page->SpTBXDock1);
    TTBCustomItem *items = page->SpTBXToolbar1->Items();
    const auto labelItem = [&]() -> TTBControlItem * {
        for (int i = 0; i < items->Count(); ++i)
            if (auto *c = dynamic_cast<TTBControlItem *>(items->Items(i));
                c && c->Control() && c->Control()->isAncestorOf(page->dateLabel))
                return c;
        return nullptr;
    };
    ASSERT_NE(labelItem(), nullptr) << "the date label is a control item of the bar";
    QStringList order;
    for (int i = 0; i < items->Count(); ++i)
        order << (items->Items(i) == labelItem() ? QStringLiteral("dateLabel") : items->Items(i)->Hint());
    EXPECT_EQ(order, (QStringList{"上年", "上月", "dateLabel", "下月", "下年"}));

    page->GoToDate(QDate(2024, 1, 31));
    const struct { int index; const char *shown; } clicks[] = {{3, "2024-02-29"}, {4, "2025-02-28"},
                                                               {1, "2025-01-28"}, {0, "2024-01-28"}};
    for (const auto &c : clicks) {
        items->Items(c.index)->Click();
        EXPECT_EQ(page->dateLabel->text(), QString::fromLatin1(c.shown)) << items->Items(c.index)->Hint().toStdString();
        EXPECT_EQ(DateToQt(page->SPMonthPlanner1->FirstDay()).toString("yyyy-MM"), QString::fromLatin1(c.shown).left(7));
    }

    const auto settle = [] {
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
    };
    for (const char *theme : {"Default", "Aluminum", "Nexos3", "Nexos5", "Office2003", "SentimoX"}) {
        SCOPED_TRACE(theme);
        main->SelectSkin(QString::fromLatin1(theme));
        settle();
        TTBView *view = page->SpTBXToolbar1->View();
        TTBCustomItem *chevron = view->GetChevronItem();
        std::vector<TRect> r;
        for (int i = 0; i < view->ViewerCount(); ++i) {
            if (chevron && view->Viewers(i)->Item == chevron) {
                EXPECT_FALSE(view->Viewers(i)->Show) << "no item goes behind a chevron";
                continue;
            }
            EXPECT_TRUE(view->Viewers(i)->Show) << i;
            r.push_back(view->Viewers(i)->BoundsRect);
        }
        ASSERT_EQ(r.size(), 5u);
        for (int i = 1; i < 5; ++i)
            EXPECT_EQ(r[i].Left, r[i - 1].Right) << "no gap before item " << i;
        EXPECT_EQ(page->SpTBXToolbar1->Width(), page->SpTBXDock1->ClientWidth()) << "the bar fills its row";
        EXPECT_EQ(page->SpTBXToolbar1->ClientWidth() - r[4].Right, r[0].Left) << "the same margin at both ends";
        const TRect label = labelItem()->Control()->BoundsRect();
        EXPECT_EQ(std::tuple(label.Left, label.Right), std::tuple(r[2].Left, r[2].Right)) << "the label fills its place";
        EXPECT_GT(page->dateLabel->width(), page->dateLabel->fontMetrics().horizontalAdvance("2024-01-28"));
        // Around its text the label shows the bar's own face, pixel for pixel.
        TControl *place = labelItem()->Control();
        QImage face(page->SpTBXToolbar1->ClientWidth(), page->SpTBXToolbar1->ClientHeight(), QImage::Format_RGB32);
        face.fill(Qt::black);
        {
            TCanvas canvas(face);
            page->SpTBXToolbar1->Perform(WM_ERASEBKGND, WPARAM(&canvas));
        }
        const QImage shown = place->grab().toImage();
        for (const QPoint corner : {QPoint(1, 1), QPoint(place->Width() - 2, 1), QPoint(1, place->Height() - 2),
                                    QPoint(place->Width() - 2, place->Height() - 2)})
            EXPECT_EQ(QColor(shown.pixel(corner)).name(), QColor(face.pixel(corner + QPoint(label.Left, label.Top))).name())
                << corner.x() << "," << corner.y();
    }
    // A narrower page takes the room from the label alone.
    const int wide = labelItem()->Control()->Width();
    page->SpTBXDock1->Parent()->setFixedWidth(180);
    settle();
    EXPECT_EQ(labelItem()->Control()->Width(), wide - 40);
    main->SelectSkin(QStringLiteral("Default"));
}
