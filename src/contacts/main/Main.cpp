#include "main/Main.h"

#include "shared/AppGlobals.h"
#include "main/EditorRegistry.h"
#include "main/HotKeys.h"
#include "main/MainIcons.h"
#include "account/inputpsd.h"

#include "shared/Utility.h"
#include "shared/UtilityDb.h"
#include "account/AccountSession.h"
#include "account/dataModule.h"

#include "platform/ADODB.h"
#include "platform/AppPaths.h"
#include "platform/IniFiles.h"
#include "platform/TrayService.h"
#include "platform/UiServices.h"
#include "shared/FrameworkCommandBuilder.h"

#include "themed/SpTBXItem.h"
#include "themed/TBXNexus.h"
#include "themed/TBXThemes.h"
#include "themes/Themes.h"

#include <algorithm>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

Tfrmmain *frmmain = nullptr;
TBrowserPageFactory BrowserPageFactory;
TCalendarPageFactory CalendarPageFactory;

namespace {

// Hot-key ids are the program's own numbers; there is no atom table to draw them from.
constexpr int ShowHideHotKey = 1;

} // namespace

Tfrmmain::Tfrmmain(std::unique_ptr<IGlobalHotKeys> hotKeys)
    : TForm(nullptr), account_(CurrentAccount()), hotKeys_(std::move(hotKeys))
{
    frmmain = this;
    setObjectName(QStringLiteral("frmmain"));
    SetCaption(QStringLiteral("Orvanta"));
    setWindowTitle(Caption());
    setWindowIcon(MainIcon(TMainIcon::Program));
    SetPosition(TPosition::poScreenCenter);
    SetBounds(0, 0, 960, 640);
    if (!IsThemeRegistered(QStringLiteral("Aluminum")))
        RegisterThemes();
    if (!hotKeys_)
        hotKeys_ = CreateSystemHotKeys();
    hotKeys_->OnHotKey = [this](int id) { WMHotKey(id); };

    for (TADOQuery **query : {&ADOQuery1, &ADOQuery2, &redtADOQuery, &loginADOQuery}) {
        queries_.push_back(std::make_unique<TADOQuery>());
        *query = queries_.back().get();
    }

    frameworkBuilder_ = std::make_unique<TFrameworkCommandBuilder>(this, 24);
    BuildMenus();
    BuildStatusBar();

    pageHost_ = new QWidget;
    pageHost_->setObjectName(QStringLiteral("pageHost"));
    auto *layout = new QVBoxLayout(pageHost_);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *pageControl = new TWidgetControl(this, pageHost_);
    pageControl->SetParent(this);
    pageControl->SetAlign(TAlign::alClient);
    FormCreate();
}

Tfrmmain::~Tfrmmain()
{
    UnregisterHotKeys();
    if (frmmain == this)
        frmmain = nullptr;
}

void Tfrmmain::BuildStatusBar()
{
    SpTBXStatusBar1 = new TSpTBXStatusBar(this);
    SpTBXStatusBar1->SetParent(this);
    SpTBXLabelItem1 = new TSpTBXLabelItem(nullptr);
    SpTBXLabelItem1->SetName(QStringLiteral("SpTBXLabelItem1"));
    SpTBXStatusBar1->Items()->Add(SpTBXLabelItem1);
}

void Tfrmmain::FormCreate()
{
    ResetStartValues(Clock().Now());
    for (const QString &folder : {AppDir() + "temp/", AppDir() + "data/", AppDir() + "data/backup/", AppSettings().BackupDir})
        EnsureDir(folder);
    ApplyHotKey();
    ReadRegistrySettings();
    // Only this process works on the data (the single-instance lock), so a temporary file there
    // is what a compaction or copy killed midway left behind.
    QStringList work = {AppDir() + "data/", AppSettings().BackupDir};
    if (!account_.Path().isEmpty())
        work << QFileInfo(account_.Path()).absolutePath();
    for (const QString &folder : work)
        RemoveLeftoverTempFiles(folder);

    TIniFile ini(ConfigIniPath());
    ReadConfigSettings(ini);
    SelectSkin(StartSkinName(ini, SpTBXThemeGroupItem1->ThemeNames()));
    FieldCaptions = BuildFieldCaptions(ini);

    // Commands that need an open account wait for one.
    SetCommandVisible(QStringLiteral("SpTBXSubmenuItem9"), false);
    for (const char *name : {"SpTBXSubmenuItem2", "SpTBXSubmenuItem3", "SpeedButton1", "SpTBXItem1", "SpTBXItem33",
                             "SpTBXItem11", "SpTBXItem24"})
        SetCommandEnabled(QString::fromLatin1(name), false);

    tray_ = new TrayService(this);
    TrayIconAdd(*tray_, [this](int lParam) { WMTrayIcon(lParam); });
}

void Tfrmmain::SelectSkin(const QString &name)
{
    for (int i = 0; i < SpTBXThemeGroupItem1->Count(); ++i) {
        TTBCustomItem *item = SpTBXThemeGroupItem1->Items(i);
        if (item->GroupIndex() == ThemeGroupIndex && item->Caption() == name) {
            item->SetChecked(true);
            SetCurrentTheme(name);
            return;
        }
    }
}

QString Tfrmmain::CurrentSkinName() const
{
    return CurrentThemeName();
}

bool Tfrmmain::RegisterShowHideHotKey(const QString &text)
{
    if (ShowHideHotKeyId != 0)
        hotKeys_->Unregister(ShowHideHotKeyId);
    ShowHideHotKeyId = ShowHideHotKey;
    const std::optional<THotKey> key = ParseHotKeyText(text);
    return key && hotKeys_->Register(ShowHideHotKeyId, *key);
}

void Tfrmmain::ApplyHotKey()
{
    const TIniFile ini(ConfigIniPath());
    if (ini.ReadBool(QStringLiteral("HotKey"), QStringLiteral("sysmin"), true))
        RegisterShowHideHotKey(ini.ReadString(QStringLiteral("HotKey"), QStringLiteral("key"), QStringLiteral("Alt + Z")));
}

void Tfrmmain::UnregisterHotKeys()
{
    if (ShowHideHotKeyId != 0 && hotKeys_)
        hotKeys_->Unregister(ShowHideHotKeyId);
    ShowHideHotKeyId = 0;
}

bool Tfrmmain::TrayIconShown() const
{
    return tray_ && tray_->IsShown();
}

void Tfrmmain::HideToTray()
{
    // Without a notification area a hidden window could never be reached again.
    if (TrayIconShown())
        hide();
    else
        showMinimized();
}

void Tfrmmain::ShowFromTray()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

Tfrminputpsd *Tfrmmain::PasswordPrompt()
{
    if (!inputpsd_)
        inputpsd_ = new Tfrminputpsd(account_, this);
    return inputpsd_;
}

bool Tfrmmain::PromptPassword(QString &typed, const QString &accountPath)
{
    Tfrminputpsd *prompt = PasswordPrompt();
    prompt->SetAccountPath(accountPath);
    prompt->Edit1->clear();
    CenterOnOwner(prompt, this);
    prompt->raise();
    if (prompt->exec() != QDialog::Accepted)
        return false;
    typed = prompt->Edit1->text();
    return true;
}

bool Tfrmmain::AskReentryPassword()
{
    Tfrminputpsd *prompt = PasswordPrompt();
    if (prompt->isVisible()) {
        prompt->raise();
        prompt->activateWindow();
        return false;
    }
    QString typed;
    if (!PromptPassword(typed))
        return false;
    if (!PasswordMatches(typed)) {
        ShowMessage(QStringLiteral("密码错误!"), QStringLiteral("Orvanta"), MsgIcon::None);
        return false;
    }
    return true;
}

void Tfrmmain::WMHotKey(int id)
{
    if (id == 0 || id != ShowHideHotKeyId)
        return;
    if (isVisible() && !isMinimized()) {
        HideToTray();
        return;
    }
    if (account_.Protected() && !AskReentryPassword())
        return;
    ShowFromTray();
}

void Tfrmmain::WMTrayIcon(int lParam)
{
    // A modal dialog is open: the window is not to be touched until it closes.
    if (QApplication::activeModalWidget())
        return;
    if (lParam == TrayService::RightButton) {
        raise();
        activateWindow();
        const QPoint at = QCursor::pos();
        TBPopupMenu1->Popup(at.x(), at.y());
    } else if (lParam == TrayService::LeftButton) {
        const bool hidden = !isVisible() || isMinimized();
        if (account_.Protected() && hidden && !AskReentryPassword())
            return;
        ShowFromTray();
    }
}

void Tfrmmain::changeEvent(QEvent *event)
{
    TForm::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || !TrayIconShown())
        return;
    // Hiding from inside the state change confuses some window managers; do it right after.
    // The minimised state stays until the window comes back (ShowFromTray shows it normal):
    // changing the state of a window being unmapped maps it again, empty.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized())
            hide();
    });
}

void Tfrmmain::SpTBXItem3Click()
{
    closeForGood_ = true;
    close();
}

void Tfrmmain::closeEvent(QCloseEvent *event)
{
    if (closed_) {
        event->accept();
        return;
    }
    // Without a notification area the close box has nowhere to hide the window to.
    const bool exits = closeForGood_ || AppSettings().ExitOnClose || !TrayIconShown();
    closeForGood_ = false;
    if (!exits) {
        event->ignore();
        HideToTray();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    closed_ = true;
    event->accept();
    if (OnClosed)
        OnClosed();
}

bool Tfrmmain::FormCloseQuery()
{
    // Open editors still write through the account connection when they save.
    if (!CloseAccountWindows())
        return false;

    TIniFile ini(ConfigIniPath());
    ini.WriteString(QStringLiteral("SYS"), QStringLiteral("SkinName"), CurrentSkinName());
    if (browser_) {
        ini.WriteInteger(QStringLiteral("SYS"), QStringLiteral("ViewType"), browser_->ViewStyle());
        QString widths;
        for (int width : browser_->ColumnWidths())
            widths += QString::number(width) + ',';
        ini.WriteString(QStringLiteral("SYS"), QStringLiteral("VIEWFW"), widths);
    }
    TrayIconDelete(*tray_);
    DeleteDirectoryTree(AppDir() + QStringLiteral("temp/"));
    for (auto &query : queries_)
        query->Close();
    if (CustomerData) {
        CustomerData->dbConnection->Close();
        CustomerData->dbConnection->SetFileName(QString());
    }
    if (!account_.Path().isEmpty())
        CompactDatabase(account_.Path());
    UnregisterHotKeys();
    return true;
}

// Pages ----------------------------------------------------------------------------------------

bool Tfrmmain::BrowserPageVisible() const
{
    return browser_ && browser_->PageWidget()->isVisible();
}

bool Tfrmmain::CalendarPageVisible() const
{
    return calendar_ && calendar_->PageWidget()->isVisible();
}

void Tfrmmain::SetPageCommandsForBrowser(bool browser)
{
    for (const char *name : {"SpTBXSubmenuItem5", "SpTBXItem20", "SpTBXItem26", "SpTBXItem27", "findEdit1",
                             "SpeedButton1", "CustomItem6", "SpTBXItem16", "SpTBXItem14"})
        SetCommandEnabled(QString::fromLatin1(name), browser);
    SetCommandEnabled(QStringLiteral("tonowday"), !browser);
}

void Tfrmmain::ShowBrowserPage()
{
    if (!browser_) {
        browser_ = BrowserPageFactory(pageHost_);
        pageHost_->layout()->addWidget(browser_->PageWidget());
        browser_->LoadGroupTree();
    }
    SetPageCommandsForBrowser(true);
    browser_->PageWidget()->show();
    if (calendar_)
        calendar_->PageWidget()->hide();
}

void Tfrmmain::ShowCalendarPage()
{
    if (!calendar_) {
        calendar_ = CalendarPageFactory(pageHost_);
        pageHost_->layout()->addWidget(calendar_->PageWidget());
        calendar_->LoadMonth(true);
    }
    calendar_->LoadTodayTree();
    SetPageCommandsForBrowser(false);
    calendar_->PageWidget()->show();
    if (browser_)
        browser_->PageWidget()->hide();
}

void Tfrmmain::FreePages()
{
    if (browser_)
        delete browser_->PageWidget();
    browser_ = nullptr;
    if (calendar_)
        delete calendar_->PageWidget();
    calendar_ = nullptr;
}

// Editor registry ------------------------------------------------------------------------------

namespace {

void ShowEditor(IContactEditor *editor)
{
    QWidget *window = editor->EditorWindow();
    if (Form1->ComboBox1->findText(window->objectName()) < 0)
        Form1->ComboBox1->addItem(window->objectName());
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void Tfrmmain::NewContact()
{
    if (!Form1 || !ContactEditorFactory)
        return;
    const QString name = QStringLiteral("add_userform");
    IContactEditor *editor = Form1->FindEditor(name);
    if (!editor) {
        editor = ContactEditorFactory();
        editor->EditorWindow()->setObjectName(name);
        editor->EditorWindow()->setWindowTitle(QStringLiteral("未命名-人脉"));
        Form1->Adopt(editor);
    }
    ShowEditor(editor);
}

void Tfrmmain::OpenContact(const QString &keyid, const QString &name)
{
    if (keyid.isEmpty()) {
        NewContact();
        return;
    }
    if (!Form1 || !ContactEditorFactory)
        return;
    const QString windowName = QStringLiteral("useredit") + keyid;
    IContactEditor *editor = Form1->FindEditor(windowName);
    if (!editor) {
        editor = ContactEditorFactory();
        editor->EditorWindow()->setObjectName(windowName);
        Form1->Adopt(editor);
        editor->LoadContact(keyid);
        editor->EditorWindow()->setWindowTitle(name + QStringLiteral("-人脉"));
    }
    ShowEditor(editor);
}

void Tfrmmain::EnableAccountCommands()
{
    SpTBXToolbar2->SetVisible(true);
    SetCommandVisible(QStringLiteral("SpTBXSubmenuItem9"), true);
    for (const char *name : {"SpTBXSubmenuItem2", "SpTBXSubmenuItem3", "SpeedButton1", "SpTBXItem1", "SpTBXItem33",
                             "SpTBXItem11", "SpTBXItem24"})
        SetCommandEnabled(QString::fromLatin1(name), true);
}
