// Paints a sheet of what each registered theme draws (a popup menu with hot, checked and
// disabled items, tool-bar buttons in every state, a docked and a floating tool-bar frame and
// a status bar) into one PNG, a row per theme, to look at by eye:
//   themeshot [output.png]
#include "themes/Themes.h"
#include "themed/TBXThemes.h"

#include "platform/SysColors.h"

#include <QApplication>
#include <QImage>
#include <cstdio>

namespace {

constexpr int RowHeight = 150;

void PaintSheet(TCanvas &canvas, TTBXTheme &theme, int top)
{
    TCanvasStateGuard guard(canvas);
    canvas.SetViewportOrg(0, top);
    canvas.Brush()->SetColor(theme.GetViewColor(0));
    canvas.FillRect(Rect(0, 0, 760, RowHeight));
    canvas.Font()->SetColor(clBtnText);
    canvas.SetBkMode(TRANSPARENT);
    TRect label = Rect(8, 4, 200, 20);
    canvas.DrawText(theme.Name(), label, DT_SINGLELINE);

    // A popup menu.
    const TRect popup = Rect(8, 24, 168, 24 + 6 * 22 - 8);
    TTBXPopupInfo pi;
    pi.ViewType = VT_POPUPMENU;
    theme.GetViewBorder(VT_POPUPMENU, pi.BorderSize);
    theme.PaintBackground(canvas, TRect{}, popup, popup, theme.GetViewColor(VT_POPUPMENU), false, VT_POPUPMENU);
    theme.PaintPopupNCArea(canvas, popup, pi);
    const struct {
        const char *caption;
        bool enabled, checked, sub;
        int hover;
    } items[] = {{"新建人脉(&N)", true, false, false, 0}, {"打开(&O)", true, false, true, 2},
                 {"皮肤", true, true, false, 0},        {"删除(&D)", false, false, false, 0},
                 {"-", true, false, false, 0}};
    int y = popup.Top + pi.BorderSize.Y;
    for (const auto &it : items) {
        TTBXItemInfo info;
        info.ViewType = VT_POPUPMENU;
        info.Enabled = it.enabled;
        info.Checked = it.checked;
        info.HoverKind = it.hover;
        info.ItemOptions = it.sub ? IO_SUBMENU : 0;
        info.PopupMargin = 22;
        const TRect r = Rect(popup.Left + pi.BorderSize.X, y, popup.Right - pi.BorderSize.X, y + 20);
        if (QString(it.caption) == "-") {
            theme.PaintSeparator(canvas, Rect(r.Left, y, r.Right, y + 8), info, true, false);
            y += 8;
            continue;
        }
        theme.PaintMenuItem(canvas, r, info);
        if (info.Checked)
            theme.PaintCheckMark(canvas, Rect(r.Left, r.Top, r.Left + 22, r.Bottom), info);
        canvas.Font()->SetColor(clNone);
        TRect text = Rect(r.Left + 28, r.Top, r.Right - 10, r.Bottom);
        theme.PaintCaption(canvas, text, info, it.caption, DT_SINGLELINE | DT_VCENTER, false);
        y += 20;
    }

    // Tool-bar buttons: idle, hot, pushed, checked, hot and checked, disabled; and a chevron.
    const TRect bar = Rect(190, 24, 190 + 7 * 30 + 20, 52);
    TTBXFrameInfo fi;
    fi.ViewType = VT_NORMALTOOLBAR;
    fi.AllowDrag = true;
    fi.BorderStyle = 1;
    fi.BorderSize = {2, 2};
    fi.ClientWidth = bar.Width() - 4;
    fi.ClientHeight = bar.Height() - 4;
    canvas.Brush()->SetColor(theme.GetViewColor(VT_NORMALTOOLBAR));
    theme.PaintToolbarNCArea(canvas, bar, fi);
    TRect client = bar;
    client.Inflate(-2, -2);
    client.Left += GetDragHandleSize(fi);
    theme.PaintBackground(canvas, bar, client, client, theme.GetViewColor(VT_NORMALTOOLBAR), false, VT_NORMALTOOLBAR);
    const struct {
        bool enabled, pushed, checked;
        int hover;
    } buttons[] = {{true, false, false, 0}, {true, false, false, 2}, {true, true, false, 2},
                   {true, false, true, 0},  {true, false, true, 2},  {false, false, false, 0}};
    int x = client.Left + 2;
    for (const auto &b : buttons) {
        TTBXItemInfo info;
        info.ViewType = VT_NORMALTOOLBAR;
        info.ItemOptions = IO_TOOLBAR_STYLE | IO_APP_ACTIVE;
        info.Enabled = b.enabled;
        info.Pushed = b.pushed;
        info.Checked = b.checked;
        info.HoverKind = b.hover;
        const TRect r = Rect(x, client.Top + 1, x + 26, client.Bottom - 1);
        theme.PaintButton(canvas, r, info);
        canvas.Font()->SetColor(clNone);
        theme.PaintCaption(canvas, r, info, "存", DT_SINGLELINE | DT_VCENTER | DT_CENTER, false);
        x += 30;
    }
    TTBXItemInfo chevron;
    chevron.ViewType = VT_NORMALTOOLBAR;
    chevron.ItemOptions = IO_TOOLBAR_STYLE;
    chevron.Enabled = true;
    theme.PaintChevron(canvas, Rect(x, client.Top + 1, x + 13, client.Bottom - 1), chevron);

    // A floating frame and a status bar.
    TTBXFloatingInfo fl;
    fl.ViewType = VT_NORMALTOOLBAR | VT_FLOATING;
    theme.GetViewBorder(fl.ViewType, fl.BorderSize);
    fl.ClientWidth = 180;
    fl.ClientHeight = 40;
    fl.ShowCaption = true;
    fl.CloseButtonState = CLOSE_VISIBLE;
    fl.RedrawPart = REDRAW_FRAME | REDRAW_CAPTION | REDRAW_CLOSE;
    fl.Caption = "工具栏";
    fl.Active = true;
    const TRect floating = Bounds(470, 24, 180 + 2 * fl.BorderSize.X, 40 + 2 * fl.BorderSize.Y);
    canvas.Brush()->SetColor(theme.GetViewColor(fl.ViewType));
    {
        TCanvasStateGuard g(canvas);
        canvas.MoveWindowOrg(floating.Left, floating.Top);
        theme.PaintFloatingNCArea(canvas, Rect(0, 0, floating.Width(), floating.Height()), fl);
    }
    const TRect status = Rect(190, 110, 650, 132);
    theme.PaintStatusBar(canvas, status, STATUS_BODY);
    theme.PaintStatusBar(canvas, Rect(192, 112, 400, 130), STATUS_PANE);
    theme.PaintStatusBar(canvas, Rect(400, 112, 630, 130), STATUS_LAST_PANE);
    theme.PaintStatusBar(canvas, Rect(632, 112, 650, 132), STATUS_GRIP);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("themes.png");
    RegisterThemes();
    QStringList names;
    ListThemeNames(&names);
    QImage image(760, RowHeight * int(names.size()), QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas(image);
    for (int i = 0; i < names.size(); ++i) {
        TTBXTheme *theme = AcquireTheme(names[i]);
        PaintSheet(canvas, *theme, i * RowHeight);
        ReleaseTheme(theme);
    }
    if (!image.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
