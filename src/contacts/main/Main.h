#pragma once
#include "main/HotKeys.h"
#include "shared/Commands.h"

#include "platform/Forms.h"

#include <QList>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QDate;
class QLineEdit;
class TFrameworkCommandBuilder;
class TSpTBXDock;
class TSpTBXLabelItem;
class TSpTBXStatusBar;
class TSpTBXThemeGroupItem;
class TTBCustomItem;
class TSpTBXToolbar;
class TTBPopupMenu;
class TADOConnection;
class TADOQuery;
class IContactSource;
class TrayService;
class TAccountSession;
struct TSettingsChange;
class Tfrmabout;
class Tfrminputpsd;
class Tfrmsetdate;

// Where a new contact goes in the group tree: under the browser's selected group (the parent
// of a selected contact), or at the top when nothing is selected.
struct TNodePlace {
    qint64 ParentKey = 0;
    int Level = 1;
    int Index = 0;
};

// What the main window, the editors and the importers ask of the contact browser page. The
// commands have empty defaults so a stand-in page need not know them.
class IBrowserPage
{
public:
    virtual ~IBrowserPage() = default;
    virtual QWidget *PageWidget() = 0;
    virtual void LoadGroupTree() = 0;
    virtual int ViewStyle() const = 0;  // 0 large icons, 1 small icons, 2 list, 3 details
    virtual QList<int> ColumnWidths() const = 0;

    virtual void SetViewStyle(int) {}
    virtual void NewGroup() {}
    virtual void listviewdeleteClick() {}
    virtual void treedeletenodeClick() {}
    // The list panel is shown and has selected items.
    virtual bool ListShowsSelection() const { return false; }
    virtual void N7Click() {}   // select all
    virtual void N8Click() {}   // invert the selection
    virtual void N12Click() {}  // move the selected node up
    virtual void N13Click() {}  // down
    virtual void N14Click() {}  // out of its group
    virtual void N15Click() {}  // into the group above
    virtual void RunSearch(const QString &) {}

    // For the editors and importers: where a new contact goes, then show its saved row in the
    // tree at once; renew a contact's node from its row after a save; reload the tags.
    virtual TNodePlace NewContactPlace() const { return {}; }
    virtual void ShowNewContact(const QString &) {}
    virtual void UpdateContactNode(const QString &) {}
    virtual void LoadTagTree() {}
};

// What the main window asks of its calendar page.
class ICalendarPage
{
public:
    virtual ~ICalendarPage() = default;
    virtual QWidget *PageWidget() = 0;
    virtual void LoadMonth(bool force) = 0;
    virtual void LoadTodayTree() = 0;
    virtual void GoToDate(const QDate &date) {}
    // The settings dialog switches the planner's lunar captions at once.
    virtual void SetLunarCaptions(bool show) {}
};

// The pages are made by their own units, which install these factories before the main window
// shows a page; tests install pages of their own.
using TBrowserPageFactory = std::function<IBrowserPage *(QWidget *parent)>;
using TCalendarPageFactory = std::function<ICalendarPage *(QWidget *parent)>;
extern TBrowserPageFactory BrowserPageFactory;
extern TCalendarPageFactory CalendarPageFactory;

// The main window: menus, tool bar, status bar, tray icon and show/hide hot key; hosts the
// contact browser and the calendar page and the registry of open contact editors.
class Tfrmmain : public TForm
{
public:
    // Hot keys are passed in so tests can watch them; nullptr uses the desktop's.
    explicit Tfrmmain(std::unique_ptr<IGlobalHotKeys> hotKeys = nullptr);
    ~Tfrmmain() override;

    // Components named as the commands name them.
    TSpTBXDock *SpTBXDock1 = nullptr;
    TSpTBXToolbar *SpTBXToolbar1 = nullptr;    // menu bar
    TSpTBXToolbar *SpTBXToolbar2 = nullptr;    // tool bar, hidden until an account opens
    TSpTBXStatusBar *SpTBXStatusBar1 = nullptr;
    TSpTBXLabelItem *SpTBXLabelItem1 = nullptr;  // status text
    TSpTBXThemeGroupItem *SpTBXThemeGroupItem1 = nullptr;  // 皮肤: one item per theme
    TTBPopupMenu *TBPopupMenu1 = nullptr;  // tray menu
    QLineEdit *findEdit1 = nullptr;
    TCommand *SpeedButton1 = nullptr;

    // Queries on the account connection; loginADOQuery reads a file's password before the
    // shared connection is switched to it.
    TADOQuery *ADOQuery1 = nullptr;
    TADOQuery *ADOQuery2 = nullptr;
    TADOQuery *redtADOQuery = nullptr;
    TADOQuery *loginADOQuery = nullptr;

    int ShowHideHotKeyId = 0;

    // Runs when the main window has really closed; the program entry quits the event loop here.
    std::function<void()> OnClosed;

    // Commands by component name (menu items, tool bar items, sub-menus and the roots
    // SpTBXToolbar1, SpTBXToolbar2 and TBPopupMenu1); nullptr for another name, the theme
    // items included: they belong to SpTBXThemeGroupItem1.
    TCommand *Command(const QString &name) const;
    const TCommandList &Commands() const { return commands_; }
    // Enables a command; one without an action stays disabled.
    void SetCommandEnabled(const QString &name, bool enabled);
    void SetCommandVisible(const QString &name, bool visible);

    // The name of the current theme, saved as the skin on closing.
    QString CurrentSkinName() const;
    // Checks the item of the theme captioned `name` and paints every themed component with it;
    // a name no item has changes nothing.
    void SelectSkin(const QString &name);
    QString StatusText() const;

    // Show/hide hot key from the settings' text; false when the text names no key or the
    // desktop refused it.
    bool RegisterShowHideHotKey(const QString &text);
    void ApplyHotKey();
    void UnregisterHotKeys();
    void WMHotKey(int id);
    void WMTrayIcon(int lParam);
    bool TrayIconShown() const;

    void ShowBrowserPage();
    void ShowCalendarPage();
    IBrowserPage *BrowserPage() const { return browser_; }
    ICalendarPage *CalendarPage() const { return calendar_; }
    bool BrowserPageVisible() const;
    bool CalendarPageVisible() const;

    void NewContact();
    void OpenContact(const QString &keyid, const QString &name);

    // Start-up: the last account when its file is there, otherwise the account list.
    void OpenLastAccount();
    // Asks for the account's password when it has one, then switches the shared connection to
    // it and rebuilds the pages. On any refusal the open account stays as it was.
    void OpenAccount(const QString &path);
    // The protection an account file is opened with.
    struct TAccountLogin {
        bool Protected = false;
        QString Cipher;  // DesEncryptString text of the password
        // The file as it was opened to read its password; the switch takes it over instead of
        // opening the file again.
        std::shared_ptr<TADOConnection> Opened;
    };
    // Reads the file's password and asks for it, up to three tries. False, after its message, for
    // a file that is missing or unreadable and for a password not given; nothing changes then.
    bool AuthenticateAccount(const QString &path, TAccountLogin &login);
    // Offers the newest good backup in place of a damaged account file; true when it took its place.
    bool RestoreDamagedAccount(const QString &path);
    TAccountLogin CurrentLogin() const;
    // Puts a backup the restore dialog confirmed in place of the open account and opens it again;
    // false when the backup's password was refused or a window stayed open, with nothing changed.
    bool RestoreAccountFrom(const QString &backup);
    // Makes `path` the open account with the protection found for it and rebuilds the pages. A
    // file that does not connect leaves the window without an account.
    void SwitchAccount(const QString &path, const TAccountLogin &login);
    // Connects the shared connection to the open account's file, taking over `opened` when that
    // has the file open already.
    bool ConnectAccount(TADOConnection *opened = nullptr);
    void EnableAccountCommands();
    void DisableAccountCommands();
    // Closes the windows that hold rows of the open account (each may ask to save); false when
    // one stayed open.
    bool CloseAccountWindows();

    void SetPassword();
    void RemovePassword();
    // The typed text enciphers to the open account's password.
    bool PasswordMatches(const QString &typed) const;

    void SpTBXItem18Click();  // 新建/打开账户

    // Commands that act on the browser page while it is shown.
    void SpTBXItem26Click();  // 新建组 (menu and tool bar)
    void CustomItem6Click();  // 删除 (menu, Ctrl+D and Del)
    void SpTBXItem16Click();  // 删除 (tool bar)
    void SpTBXItem20Click();  // 全部选定
    void SpTBXItem27Click();  // 反向选择
    void SpTBXItem35Click();  // 移出 Ctrl+Alt+Left
    void SpTBXItem37Click();  // 移入 Ctrl+Alt+Right
    void SpTBXItem38Click();  // 上移 Ctrl+Alt+Up
    void SpTBXItem40Click();  // 下移 Ctrl+Alt+Down
    void ViewStyle0Click();   // 大图标
    void ViewStyle1Click();   // 小图标
    void ViewStyle2Click();   // 列表
    void ViewStyle3Click();   // 详细信息
    void SpeedButton1Click(); // the search box's button, and Enter in the box
    // Import and export (MainImportExport.cpp).
    void SpTBXItem5Click();   // 导入 CSV: the import wizard
    void SpTBXItem6Click();   // 导入 vCard: asks for files
    // Every card of the files, all in one step: nothing is imported when one file is unreadable.
    void ImportVCard(const QStringList &fileNames);
    void ExportCsv();         // 导出 CSV
    void SpTBXItem10Click();  // 导出 vCard: the export wizard
    void SpTBXItem24Click();  // 恢复账户数据
    void SpTBXItem33Click();  // 选项
    // Carries out what the settings dialog changed outside itself.
    void ApplySettings(const TSettingsChange &change);

    // 退出: closes for good, whatever the close box would do.
    void SpTBXItem3Click();

    // Menu commands of MainCommands.cpp.
    void BackupByHand();
    void CompactAccount();
    void ImportOutlook();
    // Adds the contacts of a source that the account lacks and reports how many.
    int ImportOutlookFrom(IContactSource &source);
    void SpTBXItem31Click();  // 定时关机
    void SpTBXItem34Click();  // 帮助目录
    void SpTBXItem36Click();  // 反馈和建议
    void SpTBXItem39Click();  // the maker's home page
    void SpTBXItem41Click();  // 关于Orvanta
    void tonowdayClick();     // 到今天
    Tfrmsetdate *TimedShutdownWindow() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void FormCreate();
    void BuildMenus();
    // The item the builder made for the 皮肤 sub-menu of that name.
    TTBCustomItem *SkinMenuItem(const QString &name) const;
    void BuildStatusBar();
    bool AskReentryPassword();
    Tfrminputpsd *PasswordPrompt();
    // Asks for the password of the account at accountPath (the open account when empty).
    bool PromptPassword(QString &typed, const QString &accountPath = {});
    void SetStatusText(const QString &text);
    void HideToTray();
    void ShowFromTray();
    void FreePages();
    bool FormCloseQuery();
    void SetPageCommandsForBrowser(bool browser);
    IBrowserPage *VisibleBrowser() const;

    TAccountSession &account_;
    TCommandList commands_;
    std::unique_ptr<TFrameworkCommandBuilder> frameworkBuilder_;
    TCommand *carriers_ = nullptr;
    std::unique_ptr<IGlobalHotKeys> hotKeys_;
    TrayService *tray_ = nullptr;
    QPointer<Tfrminputpsd> inputpsd_;
    QPointer<Tfrmsetdate> frmsetdate_;
    QPointer<Tfrmabout> frmabout_;
    IBrowserPage *browser_ = nullptr;
    ICalendarPage *calendar_ = nullptr;
    QWidget *pageHost_ = nullptr;
    bool closeForGood_ = false;
    bool closed_ = false;
    std::vector<std::unique_ptr<TADOQuery>> queries_;
};

extern Tfrmmain *frmmain;
