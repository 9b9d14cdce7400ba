#include "TBXThemes.h"

#include "TBXDefaultTheme.h"

#include "platform/SysColors.h"
#include "platform/SysParams.h"
#include "toolbar/TB2Item.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

bool VisualStylesInUse = false;
bool FlatMenusInUse = false;
TColor MenuBackColor = clMenu;
TColor MenuTextColor = clMenuText;
bool LowColorDepth = false;
bool WhiteButtonFace = false;

namespace {

struct ThemeRecord {
    QString Name;
    TTBXThemeClass Class;
    std::unique_ptr<TTBXTheme> Instance;
    int RefCount = 0;
};

struct Manager {
    int menuColorMode = 0;
    std::vector<TTBXMessageListener *> listeners;
    std::vector<std::function<void()>> colorObservers;
    bool active = true;
    bool activeSet = false;
    bool watching = false;
    bool started = false;
};

Manager &TheManager()
{
    static Manager manager;
    // What the themes read of the system is known before the first theme is made.
    if (!manager.started) {
        manager.started = true;
        RefreshSystemThemeInfo();
    }
    return manager;
}

// The built-in theme is there before anyone asks; the others register at start-up.
// A theme still held at exit is freed with the registry and leaves the manager's listeners
// then, so the manager is made first and goes last.
std::vector<ThemeRecord> &Registry()
{
    TheManager();
    static std::vector<ThemeRecord> records = [] {
        std::vector<ThemeRecord> list;
        list.push_back({QStringLiteral("Default"), ThemeClassOf<TTBXDefaultTheme>(), nullptr, 0});
        return list;
    }();
    return records;
}

void DisplayChanged()
{
    TMessage m{WM_DISPLAYCHANGE, 0, 0, 0};
    ThemeManagerWndProc(m);
}

// Qt tells of palette, screen and activation changes; they reach the manager as the system
// messages the themes expect.
class QtWatch : public QObject
{
public:
    QtWatch() : QObject(qApp)
    {
        connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
                [](Qt::ApplicationState state) {
                    TMessage m{WM_ACTIVATEAPP, state == Qt::ApplicationActive ? 1u : 0u, 0, 0};
                    ThemeManagerWndProc(m);
                });
        // A screen added, removed or changed (a new mode may bring a new depth).
        connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
            WatchScreen(screen);
            DisplayChanged();
        });
        connect(qGuiApp, &QGuiApplication::screenRemoved, this, [](QScreen *) { DisplayChanged(); });
        connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [](QScreen *) { DisplayChanged(); });
        for (QScreen *screen : QGuiApplication::screens())
            WatchScreen(screen);
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) {
            TMessage m{WM_SYSCOLORCHANGE, 0, 0, 0};
            ThemeManagerWndProc(m);
        }
        return false;
    }

private:
    void WatchScreen(QScreen *screen)
    {
        connect(screen, &QScreen::geometryChanged, this, [](const QRect &) { DisplayChanged(); });
    }
};

void WatchQt()
{
    Manager &m = TheManager();
    if (m.watching || !qGuiApp)
        return;
    m.watching = true;
    // Owned by the application object, so it goes with it.
    new QtWatch();
    // The screen is known only now that the application runs.
    RefreshSystemThemeInfo();
}

bool SameName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

} // namespace

TTBXTheme::TTBXTheme(const QString &name) : name_(name) { AddThemeManagerListener(this); }

TTBXTheme::~TTBXTheme() { RemoveThemeManagerListener(this); }

void TTBXTheme::Dispatch(TMessage &) {}

void RegisterTheme(const QString &name, TTBXThemeClass themeClass)
{
    if (name.isEmpty() || !themeClass)
        throw EInvalidOperation(QStringLiteral("Cannot register theme"));
    if (FindThemeIndex(name) >= 0)
        throw EInvalidOperation(QStringLiteral("Theme %1 is already registered").arg(name));
    Registry().push_back({name, std::move(themeClass), nullptr, 0});
}

int FindThemeIndex(const QString &name)
{
    const auto &records = Registry();
    for (size_t i = 0; i < records.size(); ++i)
        if (SameName(records[i].Name, name))
            return int(i);
    return -1;
}

bool IsThemeRegistered(const QString &name) { return FindThemeIndex(name) >= 0; }

void ListThemeNames(QStringList *names)
{
    Q_ASSERT(names);
    for (const auto &record : Registry())
        names->append(record.Name);
}

TTBXTheme *AcquireTheme(const QString &name)
{
    const int index = FindThemeIndex(name);
    if (index < 0)
        throw EInvalidOperation(QStringLiteral("Unknown theme ") + name);
    ThemeRecord &record = Registry()[size_t(index)];
    if (record.RefCount == 0) {
        std::unique_ptr<TTBXTheme> theme = record.Class(record.Name);
        theme->Initialize();
        TMessage m{TBXM_THEMECHANGE, ApplicationActive() ? 1u : 0u, 0, 0};
        theme->Dispatch(m);
        record.Instance = std::move(theme);
    }
    ++record.RefCount;
    return record.Instance.get();
}

void ReleaseTheme(TTBXTheme *&theme)
{
    for (auto &record : Registry()) {
        if (!theme || record.Instance.get() != theme)
            continue;
        if (record.RefCount < 1)
            throw EInvalidOperation(QStringLiteral("Cannot release theme ") + record.Name);
        if (--record.RefCount == 0) {
            record.Instance.reset();
            theme = nullptr;
        }
        return;
    }
    throw EInvalidOperation(QStringLiteral("Cannot release theme"));
}

int ThemeRefCount(const QString &name)
{
    const int index = FindThemeIndex(name);
    return index < 0 ? 0 : Registry()[size_t(index)].RefCount;
}

void AddThemeManagerListener(TTBXMessageListener *listener)
{
    auto &list = TheManager().listeners;
    if (std::find(list.begin(), list.end(), listener) == list.end())
        list.push_back(listener);
    WatchQt();
}

void RemoveThemeManagerListener(TTBXMessageListener *listener)
{
    auto &list = TheManager().listeners;
    list.erase(std::remove(list.begin(), list.end(), listener), list.end());
}

LRESULT BroadcastThemeManagerMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    // A listener may come or go while it is told (a theme freed by a switch, a control made);
    // walk a copy and skip any that left on the way.
    const std::vector<TTBXMessageListener *> snapshot = TheManager().listeners;
    for (TTBXMessageListener *listener : snapshot) {
        const auto &live = TheManager().listeners;
        if (std::find(live.begin(), live.end(), listener) != live.end())
            listener->Dispatch(m);
    }
    return m.Result;
}

int MenuColorMode() { return TheManager().menuColorMode; }

void SetMenuColorMode(int mode)
{
    TheManager().menuColorMode = mode;
    RefreshSystemThemeInfo();
}

bool ApplicationActive()
{
    const Manager &m = TheManager();
    if (m.activeSet)
        return m.active;
    return !qGuiApp || QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void SetApplicationActiveForThemes(bool active)
{
    TheManager().active = active;
    TheManager().activeSet = true;
}

void AddSystemColorsObserver(std::function<void()> observer)
{
    TheManager().colorObservers.push_back(std::move(observer));
}

void RefreshSystemThemeInfo()
{
    // The program paints in 32 bits; what the screen shows of it decides.
    const QScreen *screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    LowColorDepth = screen && screen->depth() < 12;
    WhiteButtonFace = GetSysColor(COLOR_BTNFACE) == 0xFFFFFF;
    VisualStylesInUse = false;
    const TColor toolbarFill = clBtnFace;
    const TColor toolbarText = clBtnText;
    const int mode = TheManager().menuColorMode;
    if (SysParams().FlatMenus) {
        FlatMenusInUse = mode == 0 || mode == 2;
        MenuBackColor = FlatMenusInUse ? clMenu : toolbarFill;
        MenuTextColor = FlatMenusInUse ? clMenuText : toolbarText;
    } else {
        FlatMenusInUse = mode == 2;
        MenuBackColor = FlatMenusInUse ? clWindow : clMenu;
        MenuTextColor = FlatMenusInUse ? clWindowText : clMenuText;
    }
}

void ThemeManagerWndProc(TMessage &message)
{
    switch (message.Msg) {
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_THEMECHANGED: {
        RefreshSystemThemeInfo();
        const auto observers = TheManager().colorObservers;
        for (const auto &observer : observers)
            observer();
        for (WPARAM step : {ThemeBeforeChange, ThemeColorsChanged, ThemeAfterChange})
            BroadcastThemeManagerMessage(TBXM_THEMECHANGE, step, 0);
        break;
    }
    case WM_ACTIVATEAPP:
        if (!TheManager().activeSet)
            TheManager().active = message.WParam != 0;
        BroadcastThemeManagerMessage(TBXM_THEMECHANGE,
                                     message.WParam ? ThemeAppActivate : ThemeAppDeactivate, 0);
        break;
    default:
        break;
    }
}

int GetDragHandleSize(const TTBXFrameInfo &info)
{
    static constexpr int sizes[2][3] = {{9, 0, 6}, {14, 14, 14}};
    if (!info.AllowDrag)
        return 0;
    const int style = std::clamp(info.DragHandleStyle, 0, 2);
    return sizes[(info.CloseButtonState & CLOSE_VISIBLE) ? 1 : 0][style];
}

void GetCloseButtonRect(const TTBXFrameInfo &info, TRect &rect)
{
    const int side = GetDragHandleSize(info) - 1;
    const int left = info.IsVertical ? info.BorderSize.X + info.ClientWidth - side : info.BorderSize.X;
    rect = Rect(left, info.BorderSize.Y, left + side, info.BorderSize.Y + side);
}

void GetFloatingCaptionRect(const TTBXFloatingInfo &info, bool withoutCloseButton,
                            bool withBorder, TRect &rect)
{
    rect = Rect(0, 0, info.ClientWidth, GetSystemMetrics(SM_CYSMCAPTION) - 1);
    if (withoutCloseButton)
        rect.Right -= rect.Height();
    if (withBorder)
        rect.Offset(info.BorderSize.X, info.BorderSize.Y);
}

void GetFloatingCloseButtonRect(const TTBXFloatingInfo &info, TRect &rect)
{
    GetFloatingCaptionRect(info, false, true, rect);
    rect.Left = rect.Right - rect.Height();
}

bool IsFrameworkImageList(const TCustomImageList *Images)
{
    return dynamic_cast<const TTBCustomImageList *>(Images) != nullptr;
}

bool DrawFrameworkImage(TCanvas &Canvas, int X, int Y, const TTBXItemInfo &Info, const TCustomImageList *Images,
                        int ImageIndex)
{
    auto *list = const_cast<TTBCustomImageList *>(dynamic_cast<const TTBCustomImageList *>(Images));
    if (!list)
        return false;
    list->DrawState(&Canvas, X, Y, ImageIndex, Info.Enabled, Info.HoverKind != HOVER_NONE, Info.Checked);
    return true;
}
