// The menu bar, tool bar and tray menu of the main window, kept as tables: caption, shortcut,
// component name and action. A row without an action is a command that is shown and does
// nothing; it stays disabled.
#include "main/Main.h"

#include "main/EditorRegistry.h"
#include "main/MainIcons.h"

#include <QAction>
#include <QActionGroup>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <vector>

namespace {

const char *const HasActionProperty = "orvHasAction";

enum class TEntryKind { Command, Separator, Submenu, EndSubmenu, Themes };

using THandler = void (Tfrmmain::*)();

struct TMenuEntry {
    TEntryKind Kind;
    const char *Name = "";
    const char *Caption = "";
    const char *Shortcut = "";  // portable key-sequence text
    THandler Action = nullptr;
    const char *Hint = "";
    TMainIcon Icon = TMainIcon::Program;
    bool HasIcon = false;
};

TMenuEntry Cmd(const char *name, const char *caption, const char *shortcut, THandler action)
{
    return {TEntryKind::Command, name, caption, shortcut, action};
}

TMenuEntry Tool(const char *name, const char *caption, const char *hint, TMainIcon icon, THandler action)
{
    return {TEntryKind::Command, name, caption, "", action, hint, icon, true};
}

TMenuEntry Sub(const char *name, const char *caption)
{
    return {TEntryKind::Submenu, name, caption};
}

TMenuEntry End() { return {TEntryKind::EndSubmenu}; }
TMenuEntry Sep() { return {TEntryKind::Separator}; }
TMenuEntry Themes() { return {TEntryKind::Themes}; }

} // namespace

QStringList KnownThemeNames()
{
    return {QStringLiteral("Default"), QStringLiteral("Aluminum"), QStringLiteral("Nexos3"),
            QStringLiteral("Nexos5"), QStringLiteral("Office2003"), QStringLiteral("SentimoX")};
}

void Tfrmmain::BuildMenus()
{
    const std::vector<TMenuEntry> menuBar = {
        Sub("FileMenu", "文件(&F)"),
        Cmd("SpTBXItem18", "新建/打开账户(&N)", "Ctrl+O", &Tfrmmain::SpTBXItem18Click),
        Sep(),
        Cmd("SpTBXItem11", "备份账户数据", "", &Tfrmmain::BackupByHand),
        Cmd("SpTBXItem24", "恢复账户数据", "", &Tfrmmain::SpTBXItem24Click),
        Cmd("SpTBXItem42", "压缩账户数据", "", &Tfrmmain::CompactAccount),
        Sep(),
        Sub("SpTBXSubmenuItem2", "导入"),
        Cmd("SpTBXItem5", "CSV", "", &Tfrmmain::SpTBXItem5Click),
        Cmd("SpTBXItem6", "vCard(名片)", "", &Tfrmmain::SpTBXItem6Click),
        Cmd("SpTBXItem7", "OutLook联系人", "", &Tfrmmain::ImportOutlook),
        End(),
        Sub("SpTBXSubmenuItem3", "导出"),
        Cmd("SpTBXItem9", "CSV", "", &Tfrmmain::ExportCsv),
        Cmd("SpTBXItem10", "vCard(名片)", "", &Tfrmmain::SpTBXItem10Click),
        End(),
        Sep(),
        Cmd("SpTBXItem1", "密码保护", "", &Tfrmmain::SetPassword),
        Cmd("SpTBXItem2", "取消密码保护", "", &Tfrmmain::RemovePassword),
        Sep(),
        Cmd("SpTBXItem3", "退出", "", &Tfrmmain::SpTBXItem3Click),
        End(),
        Sub("SpTBXSubmenuItem9", "操作(&O)"),
        // Ctrl+O stays with 新建/打开账户: a key held by two actions fires neither.
        Cmd("SpTBXItem32", "打开", "", nullptr),
        Cmd("SpTBXItem15", "新建人脉", "Ctrl+N", &Tfrmmain::NewContact),
        Cmd("SpTBXItem26", "新建组", "Ctrl+G", &Tfrmmain::SpTBXItem26Click),
        Sep(),
        Cmd("CustomItem6", "删除", "Ctrl+D", &Tfrmmain::CustomItem6Click),
        Cmd("SpTBXItem28", "删除", "Del", &Tfrmmain::CustomItem6Click),
        Sep(),
        Cmd("tonowday", "到今天", "Ctrl+T", &Tfrmmain::tonowdayClick),
        Sep(),
        Cmd("SpTBXItem20", "全部选定", "Ctrl+A", &Tfrmmain::SpTBXItem20Click),
        Cmd("SpTBXItem27", "反向选择", "", &Tfrmmain::SpTBXItem27Click),
        End(),
        Sub("ToolsMenu", "工具(&T)"),
        Cmd("SpTBXItem31", "定时关机", "Ctrl+3", &Tfrmmain::SpTBXItem31Click),
        Cmd("SpTBXItem33", "选项", "", &Tfrmmain::SpTBXItem33Click),
        Sub("SkinMenu", "皮肤"),
        Themes(),
        End(),
        End(),
        Sub("HelpMenu", "帮助(&H)"),
        Cmd("SpTBXItem34", "帮助目录", "F1", &Tfrmmain::SpTBXItem34Click),
        Cmd("SpTBXItem36", "反馈和建议", "", &Tfrmmain::SpTBXItem36Click),
        Cmd("SpTBXItem39", "Orvanta主页", "", &Tfrmmain::SpTBXItem39Click),
        Sep(),
        Cmd("SpTBXItem41", "关于Orvanta", "", &Tfrmmain::SpTBXItem41Click),
        End(),
    };

    // The 快捷键 menu is never shown; its items only carry keys.
    const std::vector<TMenuEntry> carriers = {
        Cmd("SpTBXItem29", "人脉视图", "Ctrl+1", &Tfrmmain::ShowBrowserPage),
        Cmd("SpTBXItem30", "日历视图", "Ctrl+2", &Tfrmmain::ShowCalendarPage),
        Cmd("SpTBXItem35", "移出", "Ctrl+Alt+Left", &Tfrmmain::SpTBXItem35Click),
        Cmd("SpTBXItem37", "移入", "Ctrl+Alt+Right", &Tfrmmain::SpTBXItem37Click),
        Cmd("SpTBXItem38", "上移", "Ctrl+Alt+Up", &Tfrmmain::SpTBXItem38Click),
        Cmd("SpTBXItem40", "下移", "Ctrl+Alt+Down", &Tfrmmain::SpTBXItem40Click),
    };

    const std::vector<TMenuEntry> toolBar = {
        Tool("SpTBXItem4", "人脉视图", "Ctrl+1", TMainIcon::Contacts, &Tfrmmain::ShowBrowserPage),
        Tool("SpTBXItem8", "日历视图", "Ctrl+2", TMainIcon::Calendar, &Tfrmmain::ShowCalendarPage),
        Sep(),
        Tool("SpTBXItem12", "新建人脉", "", TMainIcon::NewContact, &Tfrmmain::NewContact),
        Tool("SpTBXItem14", "新建组", "", TMainIcon::NewGroup, &Tfrmmain::SpTBXItem26Click),
        Tool("SpTBXItem16", "删除", "", TMainIcon::Delete, &Tfrmmain::SpTBXItem16Click),
        Sep(),
        Sub("SpTBXSubmenuItem5", "查看"),
        Cmd("ViewStyle0", "大图标", "", &Tfrmmain::ViewStyle0Click),
        Cmd("ViewStyle1", "小图标", "", &Tfrmmain::ViewStyle1Click),
        Cmd("ViewStyle2", "列表", "", &Tfrmmain::ViewStyle2Click),
        Cmd("ViewStyle3", "详细信息", "", &Tfrmmain::ViewStyle3Click),
        End(),
    };

    const std::vector<TMenuEntry> trayMenu = {
        Sub("TraySkinMenu", "皮肤"),
        Themes(),
        End(),
        Cmd("TrayItemOptions", "选项", "", &Tfrmmain::SpTBXItem33Click),
        Sep(),
        Cmd("TrayItemExit", "退出", "", &Tfrmmain::SpTBXItem3Click),
    };

    SpTBXThemeGroupItem1 = new QActionGroup(this);
    SpTBXThemeGroupItem1->setObjectName(QStringLiteral("SpTBXThemeGroupItem1"));
    SpTBXThemeGroupItem1->setExclusive(true);
    for (const QString &theme : KnownThemeNames()) {
        QAction *item = new QAction(theme, SpTBXThemeGroupItem1);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, theme] { SelectSkin(theme); });
    }

    const auto makeAction = [this](const TMenuEntry &entry) {
        QAction *action = new QAction(QString::fromUtf8(entry.Caption), this);
        action->setObjectName(QString::fromUtf8(entry.Name));
        if (*entry.Shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(entry.Shortcut)));
        if (*entry.Hint)
            action->setToolTip(QString::fromUtf8(entry.Hint));
        if (entry.HasIcon)
            action->setIcon(MainIcon(entry.Icon));
        bool hasAction = entry.Action != nullptr;
        if (entry.Action == &Tfrmmain::NewContact)
            hasAction = bool(ContactEditorFactory);
        action->setProperty(HasActionProperty, hasAction);
        action->setEnabled(hasAction);
        if (entry.Action) {
            const THandler handler = entry.Action;
            connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        }
        return action;
    };

    // Builds one table into a widget that takes actions (menu bar, menu, tool bar).
    const auto build = [&](const std::vector<TMenuEntry> &table, QWidget *root) {
        std::vector<QWidget *> stack = {root};
        for (const TMenuEntry &entry : table) {
            QWidget *into = stack.back();
            switch (entry.Kind) {
            case TEntryKind::Command:
                into->addAction(makeAction(entry));
                break;
            case TEntryKind::Separator:
                if (auto *menu = qobject_cast<QMenu *>(into))
                    menu->addSeparator();
                else if (auto *bar = qobject_cast<QToolBar *>(into))
                    bar->addSeparator();
                break;
            case TEntryKind::Submenu: {
                QMenu *menu = new QMenu(QString::fromUtf8(entry.Caption), this);
                menu->setObjectName(QString::fromUtf8(entry.Name));
                menu->menuAction()->setObjectName(QString::fromUtf8(entry.Name));
                menu->menuAction()->setProperty(HasActionProperty, true);
                into->addAction(menu->menuAction());
                if (auto *bar = qobject_cast<QToolBar *>(into)) {
                    menu->menuAction()->setIcon(MainIcon(TMainIcon::ViewStyle));
                    if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(menu->menuAction())))
                        button->setPopupMode(QToolButton::InstantPopup);
                }
                stack.push_back(menu);
                break;
            }
            case TEntryKind::EndSubmenu:
                stack.pop_back();
                break;
            case TEntryKind::Themes:
                into->addActions(SpTBXThemeGroupItem1->actions());
                break;
            }
        }
    };

    SpTBXToolbar1 = new QMenuBar(this);
    SpTBXToolbar1->setObjectName(QStringLiteral("SpTBXToolbar1"));
    setMenuBar(SpTBXToolbar1);
    build(menuBar, SpTBXToolbar1);

    for (const TMenuEntry &entry : carriers)
        addAction(makeAction(entry));

    SpTBXToolbar2 = new QToolBar(this);
    SpTBXToolbar2->setObjectName(QStringLiteral("SpTBXToolbar2"));
    SpTBXToolbar2->setWindowTitle(QStringLiteral("工具栏"));
    SpTBXToolbar2->setMovable(false);
    SpTBXToolbar2->setIconSize(QSize(24, 24));
    SpTBXToolbar2->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    addToolBar(Qt::TopToolBarArea, SpTBXToolbar2);
    build(toolBar, SpTBXToolbar2);

    QWidget *spacer = new QWidget(SpTBXToolbar2);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    SpTBXToolbar2->addWidget(spacer);
    findEdit1 = new QLineEdit(SpTBXToolbar2);
    findEdit1->setObjectName(QStringLiteral("findEdit1"));
    findEdit1->setPlaceholderText(QStringLiteral("搜索人脉"));
    findEdit1->setFixedWidth(180);
    SpTBXToolbar2->addWidget(findEdit1);
    SpeedButton1 = new QToolButton(SpTBXToolbar2);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(MainIcon(TMainIcon::Search));
    SpeedButton1->setProperty(HasActionProperty, true);
    SpeedButton1->setEnabled(false);
    SpTBXToolbar2->addWidget(SpeedButton1);
    connect(SpeedButton1, &QToolButton::clicked, this, &Tfrmmain::SpeedButton1Click);
    connect(findEdit1, &QLineEdit::returnPressed, this, &Tfrmmain::SpeedButton1Click);
    findEdit1->setProperty(HasActionProperty, true);
    findEdit1->setEnabled(false);
    SpTBXToolbar2->hide();

    TBPopupMenu1 = new QMenu(this);
    TBPopupMenu1->setObjectName(QStringLiteral("TBPopupMenu1"));
    build(trayMenu, TBPopupMenu1);
}

QAction *Tfrmmain::Command(const QString &name) const
{
    return findChild<QAction *>(name);
}

void Tfrmmain::SetCommandEnabled(const QString &name, bool enabled)
{
    QObject *target = Command(name);
    if (!target)
        target = findChild<QWidget *>(name);
    if (!target)
        return;
    const bool usable = enabled && target->property(HasActionProperty).toBool();
    if (auto *action = qobject_cast<QAction *>(target))
        action->setEnabled(usable);
    else if (auto *widget = qobject_cast<QWidget *>(target))
        widget->setEnabled(usable);
}

void Tfrmmain::SetCommandVisible(const QString &name, bool visible)
{
    if (QAction *action = Command(name))
        action->setVisible(visible);
    else if (auto *widget = findChild<QWidget *>(name))
        widget->setVisible(visible);
}
