// The menu bar, tool bar and tray menu of the main window, kept as tables: component name,
// caption, shortcut and action. A row without an action is a command that is shown and does
// nothing; it stays disabled.
#include "main/Main.h"

#include "main/EditorRegistry.h"
#include "main/MainIcons.h"

#include "shared/Commands.h"
#include "shared/FrameworkCommandBuilder.h"

#include "themed/SpTBXItem.h"
#include "themed/TBXThemes.h"

#include "platform/Menus.h"

#include <QLineEdit>
#include <vector>

namespace {

using THandler = void (Tfrmmain::*)();

} // namespace

void Tfrmmain::BuildMenus()
{
    const auto run = [this](THandler handler) { return std::function<void()>([this, handler] { (this->*handler)(); }); };
    const auto Cmd = [&](const char *name, const char *caption, const char *shortcut, THandler action) {
        return CommandRow(name, caption, shortcut, action ? run(action) : nullptr);
    };
    const auto Tool = [&](const char *name, const char *caption, const char *hint, TMainIcon icon, THandler action) {
        return CommandRow(name, caption, "", action ? run(action) : nullptr, hint, MainIcon(icon));
    };
    const auto Sub = [](const char *name, const char *caption) { return SubmenuRow(name, caption); };
    const auto End = [] { return EndRow(); };
    const auto Sep = [] { return SeparatorRow(); };

    const std::vector<TCommandRow> menuBar = {
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
        Cmd("SpTBXItem15", "新建人脉", "Ctrl+N", ContactEditorFactory ? &Tfrmmain::NewContact : nullptr),
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
        // The theme chooser goes in once the menu is made.
        Sub("SkinMenu", "皮肤"),
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
    const std::vector<TCommandRow> carriers = {
        Cmd("SpTBXItem29", "人脉视图", "Ctrl+1", &Tfrmmain::ShowBrowserPage),
        Cmd("SpTBXItem30", "日历视图", "Ctrl+2", &Tfrmmain::ShowCalendarPage),
        Cmd("SpTBXItem35", "移出", "Ctrl+Alt+Left", &Tfrmmain::SpTBXItem35Click),
        Cmd("SpTBXItem37", "移入", "Ctrl+Alt+Right", &Tfrmmain::SpTBXItem37Click),
        Cmd("SpTBXItem38", "上移", "Ctrl+Alt+Up", &Tfrmmain::SpTBXItem38Click),
        Cmd("SpTBXItem40", "下移", "Ctrl+Alt+Down", &Tfrmmain::SpTBXItem40Click),
    };

    const std::vector<TCommandRow> toolBar = {
        Tool("SpTBXItem4", "人脉视图", "Ctrl+1", TMainIcon::Contacts, &Tfrmmain::ShowBrowserPage),
        Tool("SpTBXItem8", "日历视图", "Ctrl+2", TMainIcon::Calendar, &Tfrmmain::ShowCalendarPage),
        Sep(),
        Tool("SpTBXItem12", "新建人脉", "", TMainIcon::NewContact, ContactEditorFactory ? &Tfrmmain::NewContact : nullptr),
        Tool("SpTBXItem14", "新建组", "", TMainIcon::NewGroup, &Tfrmmain::SpTBXItem26Click),
        Tool("SpTBXItem16", "删除", "", TMainIcon::Delete, &Tfrmmain::SpTBXItem16Click),
        Sep(),
        SubmenuRow("SpTBXSubmenuItem5", "查看", MainIcon(TMainIcon::ViewStyle)),
        Cmd("ViewStyle0", "大图标", "", &Tfrmmain::ViewStyle0Click),
        Cmd("ViewStyle1", "小图标", "", &Tfrmmain::ViewStyle1Click),
        Cmd("ViewStyle2", "列表", "", &Tfrmmain::ViewStyle2Click),
        Cmd("ViewStyle3", "详细信息", "", &Tfrmmain::ViewStyle3Click),
        End(),
        ControlRow("findEdit1"),
        Tool("SpeedButton1", "", "", TMainIcon::Search, &Tfrmmain::SpeedButton1Click),
    };

    const std::vector<TCommandRow> trayMenu = {
        // Shows the theme chooser of the 工具 menu.
        Sub("TraySkinMenu", "皮肤"),
        End(),
        Cmd("TrayItemOptions", "选项", "", &Tfrmmain::SpTBXItem33Click),
        Sep(),
        Cmd("TrayItemExit", "退出", "", &Tfrmmain::SpTBXItem3Click),
    };

    SpTBXDock1 = new TSpTBXDock(this);
    SpTBXDock1->SetName(QStringLiteral("SpTBXDock1"));
    SpTBXDock1->SetParent(this);

    SpTBXToolbar1 = new TSpTBXToolbar(this);
    SpTBXToolbar1->SetName(QStringLiteral("SpTBXToolbar1"));
    SpTBXToolbar1->SetCaption(QStringLiteral("菜单"));
    SpTBXToolbar1->SetMenuBar(true);
    SpTBXToolbar1->SetDockRow(0);
    SpTBXToolbar1->SetCurrentDock(SpTBXDock1);
    frameworkBuilder_->Fill(SpTBXToolbar1->Items(), commands_.Define(QStringLiteral("SpTBXToolbar1"), menuBar));
    // One item per registered theme, "Default" first; a click switches the theme at once.
    SpTBXThemeGroupItem1 = new TSpTBXThemeGroupItem(nullptr);
    SpTBXThemeGroupItem1->SetName(QStringLiteral("SpTBXThemeGroupItem1"));
    SkinMenuItem(QStringLiteral("SkinMenu"))->Add(SpTBXThemeGroupItem1);

    // The carriers' keys work anywhere in the window; the form asks them before the menus.
    carriers_ = &commands_.Define(QStringLiteral("ShortcutCarriers"), carriers);
    OnShortCut = [this](TMessage &Msg, bool &Handled) {
        const QString key = ShortCutToText(ShortCutFromMessage(Msg));
        for (TCommand *carrier : carriers_->Items()) {
            if (!Handled && carrier->Enabled() && !key.isEmpty() &&
                carrier->ShortCut().toString(QKeySequence::PortableText) == key) {
                carrier->Click();
                Handled = true;
            }
        }
    };

    SpTBXToolbar2 = new TSpTBXToolbar(this);
    SpTBXToolbar2->SetName(QStringLiteral("SpTBXToolbar2"));
    SpTBXToolbar2->SetCaption(QStringLiteral("工具栏"));
    SpTBXToolbar2->SetDockRow(1);
    SpTBXToolbar2->SetCurrentDock(SpTBXDock1);
    findEdit1 = new QLineEdit;
    findEdit1->setObjectName(QStringLiteral("findEdit1"));
    findEdit1->setPlaceholderText(QStringLiteral("搜索人脉"));
    findEdit1->resize(180, 22);
    connect(findEdit1, &QLineEdit::returnPressed, this, &Tfrmmain::SpeedButton1Click);
    frameworkBuilder_->SetControl(QStringLiteral("findEdit1"), findEdit1);
    frameworkBuilder_->Fill(SpTBXToolbar2->Items(), commands_.Define(QStringLiteral("SpTBXToolbar2"), toolBar),
                            SpTBXToolbar2);
    SpeedButton1 = Command(QStringLiteral("SpeedButton1"));
    SpeedButton1->SetEnabled(false);
    Command(QStringLiteral("findEdit1"))->SetEnabled(false);
    SpTBXToolbar2->SetVisible(false);

    TBPopupMenu1 = frameworkBuilder_->Popup(commands_.Define(QStringLiteral("TBPopupMenu1"), trayMenu));
    TBPopupMenu1->SetName(QStringLiteral("TBPopupMenu1"));
    SkinMenuItem(QStringLiteral("TraySkinMenu"))->SetLinkSubitems(SpTBXThemeGroupItem1);
}

TTBCustomItem *Tfrmmain::SkinMenuItem(const QString &name) const
{
    return frameworkBuilder_->ItemsOf(*Command(name)).front();
}

TCommand *Tfrmmain::Command(const QString &name) const
{
    return commands_.Command(name);
}

void Tfrmmain::SetCommandEnabled(const QString &name, bool enabled)
{
    // A command that does nothing stays disabled.
    if (TCommand *command = Command(name))
        command->SetEnabled(enabled && (command->Kind() != TCommandKind::Item || command->OnClick));
}

void Tfrmmain::SetCommandVisible(const QString &name, bool visible)
{
    if (TCommand *command = Command(name))
        command->SetVisible(visible);
}
