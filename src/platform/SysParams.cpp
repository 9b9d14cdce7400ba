#include "SysParams.h"

#include "Controls.h"
#include "Registry.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <climits>

namespace {

TSysParams &Table()
{
    static TSysParams table;
    return table;
}

std::vector<TSysParams::TMonitor> Monitors()
{
    if (!Table().Monitors.empty())
        return Table().Monitors;
    std::vector<TSysParams::TMonitor> monitors;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        monitors.push_back({TRect::FromQRect(primary->geometry()), TRect::FromQRect(primary->availableGeometry())});
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            monitors.push_back({TRect::FromQRect(screen->geometry()), TRect::FromQRect(screen->availableGeometry())});
    }
    if (monitors.empty())
        monitors.push_back({Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768)});
    return monitors;
}

const TRect &Pick(const TSysParams::TMonitor &m, bool workArea) { return workArea ? m.WorkArea : m.Bounds; }

// Squared distance from a point to the nearest pixel of a rectangle (0 inside).
long long DistanceSq(const TRect &r, const TPoint &p)
{
    const long long dx = p.X < r.Left ? r.Left - p.X : (p.X >= r.Right ? p.X - (r.Right - 1) : 0);
    const long long dy = p.Y < r.Top ? r.Top - p.Y : (p.Y >= r.Bottom ? p.Y - (r.Bottom - 1) : 0);
    return dx * dx + dy * dy;
}

} // namespace

TSysParams &SysParams() { return Table(); }

void ResetSysParams() { Table() = TSysParams(); }

int GetSystemMetrics(int index)
{
    const TSysParams &t = Table();
    switch (index) {
    case SM_CXSCREEN: return PrimaryMonitorRect(false).Width();
    case SM_CYSCREEN: return PrimaryMonitorRect(false).Height();
    case SM_CXVSCROLL: return t.CxVScroll;
    case SM_CYHSCROLL: return t.CyHScroll;
    case SM_CYCAPTION: return t.CyCaption;
    case SM_CXBORDER: return t.CxBorder;
    case SM_CYBORDER: return t.CyBorder;
    case SM_CXDLGFRAME: return t.CxDlgFrame;
    case SM_CYDLGFRAME: return t.CyDlgFrame;
    case SM_CXICON: return t.CxIcon;
    case SM_CYICON: return t.CyIcon;
    case SM_CYMENU: return t.CyMenu;
    case SM_CXFRAME: return t.CxFrame;
    case SM_CYFRAME: return t.CyFrame;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_MENUDROPALIGNMENT: return t.MenuDropAlignment ? 1 : 0;
    case SM_CXEDGE: return t.CxEdge;
    case SM_CYEDGE: return t.CyEdge;
    case SM_CXSMICON: return t.CxSmIcon;
    case SM_CYSMICON: return t.CySmIcon;
    case SM_CYSMCAPTION: return t.CySmCaption;
    case SM_CXSMSIZE: return t.CxSmSize;
    case SM_CYSMSIZE: return t.CySmSize;
    case SM_CXMENUCHECK: return t.CxMenuCheck;
    case SM_CYMENUCHECK: return t.CyMenuCheck;
    case SM_CXDRAG:
    case SM_CYDRAG: return t.DragThreshold;
    case SM_CMONITORS: return MonitorCount();
    default: return 0;
    }
}

int MonitorCount() { return int(Monitors().size()); }

TRect PrimaryMonitorRect(bool workArea) { return Pick(Monitors().front(), workArea); }

TRect MonitorRectFromPoint(const TPoint &p, bool workArea)
{
    const auto monitors = Monitors();
    const TSysParams::TMonitor *best = &monitors.front();
    long long bestDistance = LLONG_MAX;
    for (const auto &m : monitors) {
        const long long d = DistanceSq(m.Bounds, p);
        if (d < bestDistance) {
            bestDistance = d;
            best = &m;
        }
    }
    return Pick(*best, workArea);
}

TRect MonitorRectFromRect(const TRect &r, bool workArea)
{
    const auto monitors = Monitors();
    const TSysParams::TMonitor *best = nullptr;
    long long bestArea = 0;
    for (const auto &m : monitors) {
        TRect common;
        if (IntersectRect(common, m.Bounds, r)) {
            const long long area = (long long)common.Width() * common.Height();
            if (area > bestArea) {
                bestArea = area;
                best = &m;
            }
        }
    }
    if (!best)
        return MonitorRectFromPoint({r.Left + r.Width() / 2, r.Top + r.Height() / 2}, workArea);
    return Pick(*best, workArea);
}

int ReadMenuShowDelay()
{
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (!reg.OpenKey(QStringLiteral("Control Panel\\Desktop"), false) || !reg.ValueExists(QStringLiteral("MenuShowDelay")))
        return 400;
    bool ok = false;
    const int value = reg.ReadString(QStringLiteral("MenuShowDelay")).trimmed().toInt(&ok);
    return ok ? value : 0;
}

int GetMenuShowDelay()
{
    const int delay = Table().MenuShowDelay ? *Table().MenuShowDelay : ReadMenuShowDelay();
    return std::max(0, delay);
}

namespace {

bool ReadDesktopSwitch(const QString &name)
{
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (!reg.OpenKey(QStringLiteral("Control Panel\\Desktop"), false) || !reg.ValueExists(name))
        return true;
    return reg.ReadString(name).trimmed().toInt() != 0;
}

} // namespace

bool GetMenuAnimation()
{
    return Table().MenuAnimation ? *Table().MenuAnimation : ReadDesktopSwitch(QStringLiteral("MenuAnimation"));
}

bool GetMenuFade() { return Table().MenuFade ? *Table().MenuFade : ReadDesktopSwitch(QStringLiteral("MenuFade")); }

bool LayeredWindowsAvailable()
{
    return Table().LayeredWindows ? *Table().LayeredWindows : CompositingManagerRunning();
}

QString SoundEventFile(const QString &event)
{
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (event.isEmpty() || !reg.OpenKey(QStringLiteral("AppEvents\\Schemes\\Apps\\.Default\\") + event +
                                            QStringLiteral("\\.Current"),
                                        false))
        return {};
    return reg.ReadString(QString()).trimmed();
}

bool IsSoundEventConfigured(const QString &event) { return !SoundEventFile(event).isEmpty(); }
