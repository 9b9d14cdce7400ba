// The browser page: layout, menus, start-up settings and the small routines its parts share.
#include "browser/userfrm.h"
#include "shared/FormParts.h"

#include "shared/AppGlobals.h"
#include "shared/Utility.h"
#include "shared/UtilityDb.h"
#include "shared/WNDES.h"
#include "browser/ButtonFlowLayout.h"
#include "browser/ContactSearchIndex.h"
#include "browser/selfields.h"
#include "browser/userfrmListView.h"
#include "browser/userfrmPrivate.h"

#include "controls/dfsSplitter.h"
#include "shared/FrameworkCommandBuilder.h"
#include "toolbar/TB2ItemWindow.h"
#include "shared/QtCommandBuilder.h"
#include "platform//ADODB.h"
#include "platform/IniFiles.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <array>

// Free routines ------------------------------------------------------------------------------

namespace {

// One pinyin initial per UTF-16 unit, looked up once: searches test every contact's name.
QChar InitialOf(QChar ch)
{
    static std::array<char16_t, 65536> cache{};
    char16_t &slot = cache[ch.unicode()];
    if (slot == 0) {
        const QString initial = ch.isSurrogate() ? QStringLiteral("?") : PinyinInitial(QString(ch));
        slot = initial.isEmpty() ? u'?' : initial[0].toUpper().unicode();
    }
    return QChar(slot);
}

} // namespace

bool MatchPinyinInitials(const QString &name, const QString &pattern)
{
    if (pattern.isEmpty() || pattern.size() > name.size())
        return false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '?')
            continue;
        if (pattern[i].toUpper() != InitialOf(name[i]))
            return false;
    }
    return true;
}

QString PinyinSortKey(const QString &name)
{
    QString key;
    key.reserve(name.size());
    for (QChar ch : name.trimmed())
        key += InitialOf(ch);
    return key;
}

QStringList KnownFieldList(const QString &text)
{
    QStringList names;
    for (const QString &part : text.split(',')) {
        const QString name = part.trimmed();
        if (name.isEmpty())
            continue;
        const int at = IndexOfPairName(FieldCaptions, name);
        if (at >= 0 && IsKnownColumn(QStringLiteral("userinfo"), name))
            names << PairName(FieldCaptions[at]);
    }
    return names;
}

int ColumnWidthOf(const QStringList &widths, int index)
{
    if (index < 0 || index >= widths.size())
        return 100;
    bool ok = false;
    const int width = widths[index].trimmed().toInt(&ok);
    if (!ok)
        return 100;
    // Widths come from a file that can be edited by hand; wider than any screen is no width.
    constexpr int MaxColumnWidth = 4000;
    return width < 1 ? 50 : std::min(width, MaxColumnWidth);
}

QString MailtoText(const QString &email, const QString &name)
{
    return MailtoAddress(email) + QStringLiteral("?body=") +
           QString::fromLatin1(QUrl::toPercentEncoding(name + QStringLiteral(",你好！")));
}

int TreeContactImage(const QString &uxb)
{
    if (uxb.contains(QStringLiteral("男")))
        return 3;
    if (uxb.contains(QStringLiteral("女")))
        return 4;
    return 5;
}

int ListContactImage(const QString &uxb)
{
    if (uxb == QStringLiteral("男"))
        return 3;
    if (uxb == QStringLiteral("女"))
        return 4;
    return 5;
}

int CompareNoCase(const QString &a, const QString &b)
{
    const QByteArray x = a.toUtf8();
    const QByteArray y = b.toUtf8();
    const qsizetype n = std::min(x.size(), y.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int cx = (x[i] >= 'A' && x[i] <= 'Z') ? x[i] + 32 : static_cast<unsigned char>(x[i]);
        const int cy = (y[i] >= 'A' && y[i] <= 'Z') ? y[i] + 32 : static_cast<unsigned char>(y[i]);
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

Tfuserfrm::TRowReader::TRowReader(SQLite::Statement &s) : statement(s)
{
    for (int i = 0; i < s.ColumnCount(); ++i)
        columns.insert(s.ColumnName(i).toLower(), i);
    kzfield2 = Index(QStringLiteral("kzfield2"));
}

// Group tree widget ---------------------------------------------------------------------------

namespace {

QTreeWidgetItem *DropTarget(QTreeWidget *tree, QDropEvent *event)
{
    return tree->itemAt(event->position().toPoint());
}

// The in-place editor of the group tree hands the typed name to the page, which stores it or
// refuses it.
class TNodeNameDelegate final : public QStyledItemDelegate
{
public:
    TNodeNameDelegate(Tfuserfrm *page, QTreeWidget *tree) : QStyledItemDelegate(tree), page_(page), tree_(tree) {}

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        QTreeWidgetItem *node = tree_->itemFromIndex(index);
        QString text = editor->property("text").toString();
        if (node && page_->DyTreeView1Edited(node, text))
            model->setData(index, text, Qt::EditRole);
    }

private:
    Tfuserfrm *page_;
    QTreeWidget *tree_;
};

// A box of the page that holds ordinary widgets and takes its place among the aligned
// controls beside the splitters. Input is left to Qt: whatever its widgets do not take goes on
// up to the page and the window, as it would without the box.
class TBrowserPane final : public TWinControl
{
public:
    explicit TBrowserPane(const QString &name) : TWinControl(nullptr) { setObjectName(name); }

protected:
    bool event(QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ContextMenu:
        case QEvent::ToolTip:
            return QWidget::event(event);
        default:
            return TWinControl::event(event);
        }
    }
};

// The widgets of a pane, top to bottom and edge to edge.
QVBoxLayout *PaneLayout(QWidget *pane)
{
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

} // namespace

TDyTreeView::TDyTreeView(QWidget *parent) : QTreeWidget(parent) {}

void TDyTreeView::startDrag(Qt::DropActions)
{
    QTreeWidgetItem *node = currentItem();
    const TIQ *record = RecordOf(node);
    if (!record || !node->parent())
        return;
    auto *drag = new QDrag(this);
    auto *data = new QMimeData;
    data->setData(KeyidsMimeType, record->keyid.toLatin1());
    drag->setMimeData(data);
    // The node stays where it is unless the page moves it.
    drag->exec(Qt::MoveAction);
}

void TDyTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(KeyidsMimeType))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TDyTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    if (OnDragOver && OnDragOver(event, DropTarget(this, event))) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TDyTreeView::dropEvent(QDropEvent *event)
{
    QTreeWidgetItem *target = DropTarget(this, event);
    if (!OnDragOver || !OnDragOver(event, target)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    if (OnDragDrop)
        OnDragDrop(event, target);
}

// The page ------------------------------------------------------------------------------------

Tfuserfrm::Tfuserfrm(TADOConnection *connection, QWidget *parent)
    : QWidget(parent), connection_(connection), searchIndex_(std::make_unique<TContactSearchIndex>())
{
    setObjectName(QStringLiteral("fuserfrm"));
    if (FieldCaptions.isEmpty())
        FieldCaptions = BuildFieldCaptions(TIniFile(ConfigIniPath()));
    builder_ = std::make_unique<TQtCommandBuilder>(this);
    menuOwner_ = std::make_unique<TComponent>(nullptr);
    menuBuilder_ = std::make_unique<TFrameworkCommandBuilder>(menuOwner_.get());
    BuildLayout();
    BuildMenus();
    FormCreate();
}

Tfuserfrm::~Tfuserfrm()
{
    // The trees go before the members their change handlers read.
    for (QTreeWidget *tree : {TreeView1, static_cast<QTreeWidget *>(DyTreeView1), TreeView2}) {
        tree->removeEventFilter(this);
        tree->blockSignals(true);
    }
    ListView1->Selection()->blockSignals(true);
    // A rename still open when the page goes is dropped: the focus leaving its editor would
    // otherwise hand the text to a page already half gone.
    DyTreeView1->itemDelegate()->blockSignals(true);
}

SQLite::Database *Tfuserfrm::Db() const
{
    if (!connection_ || !connection_->Connected())
        return nullptr;
    return &connection_->Db();
}

void Tfuserfrm::BuildLayout()
{
    // The page's aligned controls live in a client control that fills the page.
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *client = new TBrowserPane(QStringLiteral("fuserfrmClient"));
    // The panes and bars show the face the rest of the window has.
    const QColor face = palette().color(QPalette::Window);
    client->SetColor(RGB(face.red(), face.green(), face.blue()));
    outer->addWidget(client);
    client->Show();

    Panel3 = new TBrowserPane(QStringLiteral("Panel3"));
    Panel3->SetBounds(0, 0, 160, 0);
    Panel3->SetAlign(TAlign::alLeft);
    Panel3->SetParent(client);
    dfsSplitter2 = new TdfsSplitter(nullptr);
    dfsSplitter2->setObjectName(QStringLiteral("dfsSplitter2"));
    dfsSplitter2->SetLeft(160);
    dfsSplitter2->SetAlign(TAlign::alLeft);
    dfsSplitter2->SetMinSize(5);
    dfsSplitter2->SetAutoSnap(false);
    dfsSplitter2->SetButtonWidth(80);
    dfsSplitter2->SetParent(client);
    listpanel = new TBrowserPane(QStringLiteral("listpanel"));
    listpanel->SetAlign(TAlign::alClient);
    listpanel->SetParent(client);

    Panel5 = new TBrowserPane(QStringLiteral("Panel5"));
    Panel5->SetBounds(0, 0, 0, 232);
    Panel5->SetAlign(TAlign::alTop);
    Panel5->SetParent(listpanel);
    dfsSplitter1 = new TdfsSplitter(nullptr);
    dfsSplitter1->setObjectName(QStringLiteral("dfsSplitter1"));
    dfsSplitter1->SetBounds(0, 232, 0, 10);
    dfsSplitter1->SetAlign(TAlign::alTop);
    dfsSplitter1->SetMinSize(5);
    dfsSplitter1->SetParent(listpanel);
    Panel4 = new TBrowserPane(QStringLiteral("Panel4"));
    Panel4->SetAlign(TAlign::alClient);
    Panel4->SetParent(listpanel);

    auto *left = PaneLayout(Panel3);
    left->setSpacing(2);

    PageControl2 = new QTabWidget(Panel3);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    PageControl2->tabBar()->hide();
    PageControl2->setDocumentMode(true);
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    PageControl2->addTab(TabSheet3, QString());
    auto *quick = new QVBoxLayout(TabSheet3);
    quick->setContentsMargins(0, 0, 0, 0);
    TreeView1 = new QTreeWidget(TabSheet3);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setIndentation(0);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setFrameShape(QFrame::NoFrame);
    TreeView1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TreeView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    quick->addWidget(TreeView1);
    for (const char *caption : {"常用人脉", "最近联系", "应多联系", "所有人脉"}) {
        auto *node = new QTreeWidgetItem(TreeView1, {QString::fromUtf8(caption)});
        node->setIcon(0, BrowserIcon(8));
        node->setData(0, NodeImageRole, 8);
    }
    // Room for the four views whatever the font; never less than the form's 79 pixels.
    PageControl2->setFixedHeight(std::max(79, 4 * TreeView1->sizeHintForRow(0) + 4));
    left->addWidget(PageControl2);

    PageControl1 = new QTabWidget(Panel3);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet1, QStringLiteral("分组"));
    PageControl1->addTab(TabSheet2, QStringLiteral("标签"));
    left->addWidget(PageControl1, 1);

    auto *groups = new QVBoxLayout(TabSheet1);
    groups->setContentsMargins(0, 0, 0, 0);
    DyTreeView1 = new TDyTreeView(TabSheet1);
    DyTreeView1->setObjectName(QStringLiteral("DyTreeView1"));
    DyTreeView1->setHeaderHidden(true);
    DyTreeView1->setRootIsDecorated(false);
    DyTreeView1->setIndentation(27);
    DyTreeView1->setMouseTracking(true);
    DyTreeView1->setUniformRowHeights(true);
    DyTreeView1->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    DyTreeView1->setItemDelegate(new TNodeNameDelegate(this, DyTreeView1));
    DyTreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    DyTreeView1->setDragEnabled(true);
    DyTreeView1->setAcceptDrops(true);
    DyTreeView1->setDropIndicatorShown(true);
    DyTreeView1->setDragDropMode(QAbstractItemView::DragDrop);
    DyTreeView1->setDefaultDropAction(Qt::MoveAction);
    groups->addWidget(DyTreeView1);

    auto *tags = new QVBoxLayout(TabSheet2);
    tags->setContentsMargins(0, 0, 0, 0);
    TreeView2 = new QTreeWidget(TabSheet2);
    TreeView2->setObjectName(QStringLiteral("TreeView2"));
    TreeView2->setHeaderHidden(true);
    TreeView2->setIndentation(19);
    TreeView2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tags->addWidget(TreeView2);

    auto *listBox = PaneLayout(Panel5);
    listBox->setSpacing(0);
    ToolBar7 = new QToolBar(Panel5);
    ToolBar7->setObjectName(QStringLiteral("ToolBar7"));
    ToolBar7->setIconSize(QSize(12, 12));
    ToolBar7->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // One button for all contacts, one per initial; they share one handler.
    std::vector<TCommandRow> letters;
    QStringList captions = {QStringLiteral("全部")};
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        captions << QString(QChar(letter));
    for (const QString &caption : captions) {
        TCommandRow row;
        row.Name = QStringLiteral("SpeedButton_") + (caption.size() == 1 ? caption : QStringLiteral("All"));
        row.Caption = caption;
        row.OnClick = [this, caption] { SpeedButton8Click(caption); };
        letters.push_back(row);
    }
    builder_->Fill(ToolBar7, commands_.Define(QStringLiteral("ToolBar7"), letters));
    listBox->addWidget(ToolBar7);
    ListView1 = new TContactListView(Panel5);
    listBox->addWidget(ListView1, 1);

    auto *cardBox = PaneLayout(Panel4);
    cardBox->setSpacing(0);
    Panel6 = new QWidget(Panel4);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    // At a narrow width the buttons go on in a second row rather than over one another.
    auto *buttons = new TButtonFlowLayout(Panel6, 4);
    buttons->setContentsMargins(2, 1, 2, 2);
    const auto makeButton = [&](QPushButton *&button, const char *name, const char *caption, void (Tfuserfrm::*click)()) {
        button = FormButton(QString::fromUtf8(caption), name, Panel6);
        button->setFixedSize(94, 23);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
    };
    makeButton(Button2, "Button2", "编辑此人脉", &Tfuserfrm::Button2Click);
    makeButton(Button3, "Button3", "新建人脉", &Tfuserfrm::Button3Click);
    makeButton(Button4, "Button4", "上一个", &Tfuserfrm::Button4Click);
    makeButton(Button5, "Button5", "下一个", &Tfuserfrm::Button5Click);
    makeButton(Button1, "Button1", "自定义显示项", &Tfuserfrm::Button1Click);
    cardBox->addWidget(Panel6);
    WebBrowser1 = MakeCardView(Panel4);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setOpenLinks(false);
    WebBrowser1->setOpenExternalLinks(false);
    connect(WebBrowser1, &QTextBrowser::anchorClicked, this, [](const QUrl &url) { ShellOpen(url.toString()); });
    cardBox->addWidget(WebBrowser1, 1);

    for (QTreeWidget *tree : {TreeView1, static_cast<QTreeWidget *>(DyTreeView1), TreeView2})
        tree->installEventFilter(this);

    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *node) { TreeView1Change(node); });
    connect(DyTreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *node) {
        if (autoExpand_ && node) {
            // Only the chosen branch stays open, as the native tree does with auto-expand.
            QTreeWidgetItem *parent = node->parent();
            for (int i = 0; parent && i < parent->childCount(); ++i) {
                if (parent->child(i) != node)
                    parent->child(i)->setExpanded(false);
            }
            node->setExpanded(true);
        }
        DyTreeView1Change(node);
    });
    connect(DyTreeView1, &QTreeWidget::itemDoubleClicked, this, [this] { DyTreeView1DblClick(); });
    connect(DyTreeView1, &QWidget::customContextMenuRequested, this, &Tfuserfrm::DyTreeView1Popup);
    DyTreeView1->OnDragOver = [this](QDropEvent *event, QTreeWidgetItem *target) {
        const QObject *from = event->source();
        const TDragSource source = from == DyTreeView1 ? TDragSource::Tree
            : (from == ListView1->ReportView() || from == ListView1->IconView()) ? TDragSource::List
                                                                                 : TDragSource::None;
        return DyTreeView1DragOver(source, target);
    };
    DyTreeView1->OnDragDrop = [this](QDropEvent *event, QTreeWidgetItem *target) {
        DyTreeView1DragDrop(event->source() == DyTreeView1 ? TDragSource::Tree : TDragSource::List, target);
    };
    connect(TreeView2, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *node) { TreeView2Change(node); });

    TContactListModel *model = ListView1->Model();
    model->CanEdit = [this](int row) {
        const TContactListModel *model = ListView1->Model();
        if (!model->IsContact(row) && !model->IsGroup(row) && !model->Row(row).record)
            return false;
        // The caption is written back as the name, so only a caption that shows the name.
        return model->IsGroup(row) || viewFields_.value(0).compare(QLatin1String("uname"), Qt::CaseInsensitive) == 0;
    };
    model->OnEdited = [this](int row, QString &text) { return ListView1Edited(row, text); };
    connect(ListView1->Selection(), &QItemSelectionModel::selectionChanged, this, [this] { ListView1Change(); });
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(ListView1->ReportView()),
                                    static_cast<QAbstractItemView *>(ListView1->IconView())}) {
        connect(view, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex &index) { ListView1DblClick(index.row()); });
        connect(view, &QWidget::customContextMenuRequested, this, &Tfuserfrm::ListPopup);
    }
    connect(ListView1->ReportView()->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { ListView1ColumnClick(column); });
    ListView1->DragHandlers.DragOver = [this](QDropEvent *event, int row) {
        const QObject *from = event->source();
        const bool fromList = from == ListView1->ReportView() || from == ListView1->IconView();
        return ListView1DragOver(from == DyTreeView1 ? TDragSource::Tree : fromList ? TDragSource::List : TDragSource::None,
                                 row);
    };
    ListView1->DragHandlers.Drop = [this](QDropEvent *, int row) { ListView1DragDrop(TDragSource::List, row); };
}

void Tfuserfrm::BuildMenus()
{
    const auto Cmd = [this](const char *name, const char *caption, void (Tfuserfrm::*click)()) {
        return CommandRow(name, caption, "", [this, click] { (this->*click)(); });
    };
    const auto Style = [this](const char *name, const char *caption, int style) {
        return CommandRow(name, caption, "", [this, style] { SetViewStyle(style); });
    };
    const std::vector<TCommandRow> tree = {
        Cmd("newnotegrp", "新组", &Tfuserfrm::NewGroup),
        Cmd("dynewdoc", "新人脉", &Tfuserfrm::Button3Click),
        SeparatorRow(),
        CommandRow("treenoderename", "重命名", "F2", [this] { treenoderenameClick(); }),
        Cmd("treedeletenode", "删除", &Tfuserfrm::treedeletenodeClick),
        SeparatorRow(),
        Cmd("N15", "移入   Ctrl+Alt+→", &Tfuserfrm::N15Click),
        Cmd("N14", "移出   Ctrl+Alt+←", &Tfuserfrm::N14Click),
        Cmd("N12", "上移   Ctrl+Alt+↑", &Tfuserfrm::N12Click),
        Cmd("N13", "下移   Ctrl+Alt+↓", &Tfuserfrm::N13Click),
        SeparatorRow(),
        Cmd("N4", "给此人发邮件", &Tfuserfrm::N4Click),
        Cmd("N1", "导出名片", &Tfuserfrm::N1Click),
        SeparatorRow(),
        Cmd("N57", "全部展开", &Tfuserfrm::N57Click),
        Cmd("N58", "全部折叠", &Tfuserfrm::N58Click),
        Cmd("N60", "自动展开", &Tfuserfrm::N60Click),
    };
    const std::vector<TCommandRow> list = {
        Cmd("listviewopen", "打开", &Tfuserfrm::listviewopenClick),
        SeparatorRow(),
        Cmd("listviewnew_2", "新人脉", &Tfuserfrm::Button3Click),
        Cmd("listviewnew_1", "新组", &Tfuserfrm::NewGroup),
        SeparatorRow(),
        Cmd("listviewdelete", "删除", &Tfuserfrm::listviewdeleteClick),
        Cmd("N2", "重命名", &Tfuserfrm::N2Click),
        SeparatorRow(),
        Cmd("N5", "给此人发邮件", &Tfuserfrm::N5Click),
        SeparatorRow(),
        SubmenuRow("userpxmenu", "排序"),
        EndRow(),
        Style("N33", "大图标", 0),
        Style("N31", "小图标", 1),
        Style("N55", "列表", 2),
        Style("N56", "详细", 3),
        Cmd("N10", "定制详细信息表头", &Tfuserfrm::N10Click),
        SeparatorRow(),
        // The menu only shows the key (after the tab); the window's own 全部选定 owns it.
        Cmd("N7", "全部选定\tCtrl+A", &Tfuserfrm::N7Click),
        Cmd("N8", "反向选择", &Tfuserfrm::N8Click),
    };

    TCommand &treeMenu = commands_.Define(QStringLiteral("DRPopupMenu"), tree);
    TCommand &listMenu = commands_.Define(QStringLiteral("listviewPopMenu"), list);
    const auto bind = [this](TCommand *&field, const char *name) { field = Command(QString::fromLatin1(name)); };
    bind(newnotegrp, "newnotegrp");
    bind(dynewdoc, "dynewdoc");
    bind(treenoderename, "treenoderename");
    bind(treedeletenode, "treedeletenode");
    bind(N15, "N15");
    bind(N14, "N14");
    bind(N12, "N12");
    bind(N13, "N13");
    bind(N4, "N4");
    bind(N1, "N1");
    bind(N57, "N57");
    bind(N58, "N58");
    bind(N60, "N60");
    bind(listviewopen, "listviewopen");
    bind(listviewnew_2, "listviewnew_2");
    bind(listviewnew_1, "listviewnew_1");
    bind(listviewdelete, "listviewdelete");
    bind(N2, "N2");
    bind(N5, "N5");
    bind(userpxmenu, "userpxmenu");
    bind(N33, "N33");
    bind(N31, "N31");
    bind(N55, "N55");
    bind(N56, "N56");
    bind(N10, "N10");
    bind(N7, "N7");
    bind(N8, "N8");
    userpxmenu->SetVisible(false);

    DRPopupMenu = menuBuilder_->Popup(treeMenu);
    DRPopupMenu->SetName(QStringLiteral("DRPopupMenu"));
    listviewPopMenu = menuBuilder_->Popup(listMenu);
    listviewPopMenu->SetName(QStringLiteral("listviewPopMenu"));
    menuBuilder_->AttachKey(DyTreeView1, *treenoderename, Qt::WidgetShortcut);
}

TCommand *Tfuserfrm::Command(const QString &name) const
{
    return commands_.Command(name);
}

void Tfuserfrm::FormCreate()
{
    const TIniFile ini(ConfigIniPath());
    QString cardFieldText = DefaultCardFields;
    const QString storedCard = ini.ReadString(QStringLiteral("SYS"), QStringLiteral("FIELDS"), QString());
    if (!storedCard.isEmpty())
        cardFieldText = DesDecryptString(storedCard, DesKey);

    const int viewType = ini.ReadInteger(QStringLiteral("SYS"), QStringLiteral("ViewType"), 0);
    SetViewStyle(viewType >= 0 && viewType <= 3 ? viewType : 0);

    QString fields = DesDecryptString(ini.ReadString(QStringLiteral("SYS"), QStringLiteral("VIEWFIELDS"), QString()), DesKey);
    viewWidths_ = ini.ReadString(QStringLiteral("SYS"), QStringLiteral("VIEWFW"), QString()).split(',');
    if (fields.trimmed().isEmpty())
        fields = DefaultViewFields;
    viewFields_ = KnownFieldList(fields);
    if (viewFields_.isEmpty())
        viewFields_ = KnownFieldList(DefaultViewFields);
    RebuildColumns();

    // An empty choice is the user's; names that are no fields at all are not.
    cardFields_ = KnownFieldList(cardFieldText);
    if (cardFields_.isEmpty() && !cardFieldText.trimmed().isEmpty())
        cardFields_ = KnownFieldList(DefaultCardFields);
}

void Tfuserfrm::RebuildColumns()
{
    QStringList captions;
    for (const QString &field : viewFields_)
        captions << PairValueOf(FieldCaptions, field);
    ListView1->Model()->SetColumns(viewFields_, captions);
    for (int i = 0; i < viewFields_.size(); ++i)
        ListView1->SetColumnWidth(i, ColumnWidthOf(viewWidths_, i));
}

int Tfuserfrm::ViewStyle() const
{
    return ListView1->ViewStyle();
}

void Tfuserfrm::SetViewStyle(int style)
{
    ListView1->SetViewStyle(style);
}

QList<int> Tfuserfrm::ColumnWidths() const
{
    return ListView1->ColumnWidths();
}

bool Tfuserfrm::ListShowsSelection() const
{
    return listpanel->isVisible() && ListView1->SelectedCount() > 0;
}

void Tfuserfrm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        LoadTagTree();
}

bool Tfuserfrm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        QWidget *next = QApplication::focusWidget();
        auto *tree = static_cast<QWidget *>(watched);
        // Only a move to another control of this window counts as leaving; menus, message boxes
        // and the tree's own name editor do not.
        const bool left = reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && next &&
                          next->window() == window() && !tree->isAncestorOf(next);
        if (left && watched == TreeView1)
            TreeView1Exit();
        else if (left && watched == DyTreeView1)
            DyTreeView1Exit();
    } else if (event->type() == QEvent::FocusIn && watched == TreeView2) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            TreeView2Enter();
    }
    return QWidget::eventFilter(watched, event);
}

void Tfuserfrm::OpenContact(const QString &keyid, const QString &name)
{
    if (frmmain)
        frmmain->OpenContact(keyid, name);
}
