#pragma once
#include "Types.h"

#include <QString>
#include <optional>
#include <vector>

// The Windows settings the framework asks the system for, kept in one table so every machine
// (and every test) sees the same values: a classic desktop at 96 DPI. Tests change entries
// through SysParams() and put them back with ResetSysParams().
struct TSysParams {
    // SPI_GETMENUSHOWDELAY, SPI_GETMENUANIMATION and SPI_GETMENUFADE (unset: the desktop
    // settings in the registry, see GetMenuShowDelay, GetMenuAnimation, GetMenuFade),
    // SPI_GETFLATMENU, SPI_GETKEYBOARDCUES, SPI_GETGRADIENTCAPTIONS, SPI_GETWHEELSCROLLLINES.
    std::optional<int> MenuShowDelay;
    bool FlatMenus = false;
    std::optional<bool> MenuAnimation;
    std::optional<bool> MenuFade;
    // Whether windows can be shown partly transparent (UpdateLayeredWindow): unset, whether a
    // compositing manager runs.
    std::optional<bool> LayeredWindows;
    bool KeyboardCues = false;
    bool GradientCaptions = true;
    int WheelScrollLines = 3;

    // Mouse: double-click time (ms), the distance a press must travel before a drag starts.
    int DoubleClickTime = 500;
    int DragThreshold = 5;

    // GetSystemMetrics at 96 DPI with the classic scheme.
    int CxBorder = 1, CyBorder = 1;
    int CxEdge = 2, CyEdge = 2;
    int CxDlgFrame = 3, CyDlgFrame = 3;
    int CxFrame = 4, CyFrame = 4;
    int CyCaption = 19;
    int CySmCaption = 16;
    int CxSmSize = 15, CySmSize = 15;
    int CxMenuCheck = 13, CyMenuCheck = 13;
    int CyMenu = 19;
    int CxVScroll = 16, CyHScroll = 16;
    int CxIcon = 32, CyIcon = 32;
    int CxSmIcon = 16, CySmIcon = 16;
    bool MenuDropAlignment = false;  // false: menus drop left-aligned

    // SPI_GETNONCLIENTMETRICS fonts; an empty name means the application font's family.
    QString MenuFontName;
    int MenuFontHeight = -12;
    QString SmCaptionFontName;
    int SmCaptionFontHeight = -12;

    // Monitors as (screen rectangle, work area) pairs, primary first. Empty: read from QScreen.
    struct TMonitor {
        TRect Bounds;
        TRect WorkArea;
    };
    std::vector<TMonitor> Monitors;
};

TSysParams &SysParams();
void ResetSysParams();

// GetSystemMetrics indexes the framework reads.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_MENUDROPALIGNMENT = 40;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CYSMCAPTION = 51;
constexpr int SM_CXSMSIZE = 52;
constexpr int SM_CYSMSIZE = 53;
constexpr int SM_CXMENUCHECK = 71;
constexpr int SM_CYMENUCHECK = 72;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;
constexpr int SM_CMONITORS = 80;

// The table entry for a metric index; 0 for an index the table does not hold, as Windows
// answers for an unknown one.
int GetSystemMetrics(int index);

// Monitors: the screen rectangle or the work area (the screen less panels and docks).
int MonitorCount();
TRect PrimaryMonitorRect(bool workArea);
// The monitor holding the point, else the nearest one.
TRect MonitorRectFromPoint(const TPoint &p, bool workArea);
// The monitor sharing the largest area with the rectangle, else the one nearest to it.
TRect MonitorRectFromRect(const TRect &r, bool workArea);

// The desktop's menu show delay (ms) as stored under HKCU "Control Panel\Desktop", value
// "MenuShowDelay": 400 when the key or value is missing, 0 when it is not a number.
int ReadMenuShowDelay();
// The delay before a submenu opens: the table's entry when set, else the stored one; never
// negative. Read on every call, so a changed setting applies to the next menu.
int GetMenuShowDelay();

// Whether menus open animated, and whether by fading rather than sliding: the table's entries
// when set, else the desktop's under HKCU "Control Panel\Desktop", values "MenuAnimation" and
// "MenuFade" ("1" on, "0" off). Missing, both are on, as a new Windows desktop has them; a value
// that is not a number counts as off. Read on every call.
bool GetMenuAnimation();
bool GetMenuFade();
// Whether a window can fade in: the table's entry when set, else whether a compositing
// manager runs (without one, a transparent window shows black or opaque).
bool LayeredWindowsAvailable();

// The sound file the sound scheme gives a named event ("MenuPopup", "MenuCommand"): the default
// value of HKCU "AppEvents\Schemes\Apps\.Default\<event>\.Current"; empty when it has none.
// This desktop has no sound scheme of its own, so unless something writes one the menus stay
// silent.
QString SoundEventFile(const QString &event);
// Whether the sound scheme has a sound for the event.
bool IsSoundEventConfigured(const QString &event);
