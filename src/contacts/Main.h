#pragma once
#include "HotKeys.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;
class TADOQuery;
class TrayService;
class Tfrminputpsd;

// What the main window asks of its contact browser page.
class IBrowserPage
{
public:
    virtual ~IBrowserPage() = default;
    virtual QWidget *PageWidget() = 0;
    virtual void LoadGroupTree() = 0;
    virtual int ViewStyle() const = 0;  // 0 large icons, 1 small icons, 2 list, 3 details
    virtual QList<int> ColumnWidths() const = 0;
};

// What the main window asks of its calendar page.
class ICalendarPage
{
public:
    virtual ~ICalendarPage() = default;
    virtual QWidget *PageWidget() = 0;
    virtual void LoadMonth(bool force) = 0;
    virtual void LoadTodayTree() = 0;
    // The settings dialog switches the planner's lunar captions at once.
    virtual void SetLunarCaptions(bool show) {}
};

// The pages are made by their own units; until one installs its factory the main window shows
// an empty page in its place.
using TBrowserPageFactory = std::function<IBrowserPage *(QWidget *parent)>;
using TCalendarPageFactory = std::function<ICalendarPage *(QWidget *parent)>;
extern TBrowserPageFactory BrowserPageFactory;
extern TCalendarPageFactory CalendarPageFactory;

// The theme names offered until the theme engine registers its own.
QStringList KnownThemeNames();

// The main window: menus, tool bar, status bar, tray icon and show/hide hot key; hosts the
// contact browser and the calendar page and the registry of open contact editors.
class Tfrmmain : public QMainWindow
{
    Q_OBJECT
public:
    // Hot keys are passed in so tests can watch them; nullptr uses the desktop's.
    explicit Tfrmmain(std::unique_ptr<IGlobalHotKeys> hotKeys = nullptr, QWidget *parent = nullptr);
    ~Tfrmmain() override;

    // Components named as the commands name them.
    QMenuBar *SpTBXToolbar1 = nullptr;   // menu bar
    QToolBar *SpTBXToolbar2 = nullptr;   // tool bar, hidden until an account opens
    QLabel *SpTBXLabelItem1 = nullptr;   // status text
    QActionGroup *SpTBXThemeGroupItem1 = nullptr;
    QMenu *TBPopupMenu1 = nullptr;       // tray menu
    QLineEdit *findEdit1 = nullptr;
    QToolButton *SpeedButton1 = nullptr;

    // Queries on the account connection; loginADOQuery reads a file's password before the
    // shared connection is switched to it.
    TADOQuery *ADOQuery1 = nullptr;
    TADOQuery *ADOQuery2 = nullptr;
    TADOQuery *redtADOQuery = nullptr;
    TADOQuery *loginADOQuery = nullptr;

    int ShowHideHotKeyId = 0;

    // Runs when the main window has really closed; the program entry quits the event loop here.
    std::function<void()> OnClosed;

    // Commands by component name (menu items, tool bar items and sub-menus).
    QAction *Command(const QString &name) const;
    // Enables a command; one whose action is not built yet stays disabled.
    void SetCommandEnabled(const QString &name, bool enabled);
    void SetCommandVisible(const QString &name, bool visible);

    QString CurrentSkinName() const { return skinName_; }
    void SelectSkin(const QString &name);

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
    bool ConnectAccount();
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

    // Import and export (MainImportExport.cpp).
    void SpTBXItem5Click();   // 导入 CSV: the import wizard
    void SpTBXItem6Click();   // 导入 vCard: asks for files
    // Every card of the files, all in one step: nothing is imported when one file is unreadable.
    void ImportVCard(const QStringList &fileNames);
    void ExportCsv();         // 导出 CSV
    void SpTBXItem10Click();  // 导出 vCard: the export wizard
    void SpTBXItem24Click();  // 恢复账户数据
    void SpTBXItem33Click();  // 选项

    // 退出: closes for good, whatever the close box would do.
    void SpTBXItem3Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void FormCreate();
    void BuildMenus();
    void BuildStatusBar();
    bool AskReentryPassword();
    Tfrminputpsd *PasswordPrompt();
    bool PromptPassword(QString &typed);
    void SetStatusText(const QString &text);
    void HideToTray();
    void ShowFromTray();
    void FreePages();
    bool FormCloseQuery();
    void SetPageCommandsForBrowser(bool browser);

    std::unique_ptr<IGlobalHotKeys> hotKeys_;
    TrayService *tray_ = nullptr;
    QPointer<Tfrminputpsd> inputpsd_;
    IBrowserPage *browser_ = nullptr;
    ICalendarPage *calendar_ = nullptr;
    QWidget *pageHost_ = nullptr;
    QString skinName_;
    bool closeForGood_ = false;
    bool closed_ = false;
    std::vector<std::unique_ptr<TADOQuery>> queries_;
};

extern Tfrmmain *frmmain;
