// Shows a form with an aligned top panel, a Qt edit and a parentless popup window, and saves
// the screen to a PNG, to look at by eye:
//   formshot [output.png]
// Needs a real X server for the popup to be a window of its own (run under xvfb-run;
// in a sanitizer build ASAN_OPTIONS=detect_leaks=0 quiets a leak report from inside libdbus).
#include "platform/Forms.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>

namespace {

class TCaptionPanel : public TCustomControl
{
public:
    explicit TCaptionPanel(TComponent *owner) : TCustomControl(owner) {}

protected:
    TRect NCMargins() const override { return {1, 1, 1, 1}; }
    void PaintNC(TCanvas &c) override
    {
        TRect r = Rect(0, 0, Width(), Height());
        c.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
    }
    void Paint() override
    {
        TCanvas &c = *Canvas();
        TCanvasStateGuard guard(c);
        c.GradientFill(ClientRect(), clBtnFace, clWhite, false);
        c.SetBkMode(TRANSPARENT);
        TRect r = ClientRect();
        r.Left += 8;
        c.DrawText(Caption(), r, DT_SINGLELINE | DT_VCENTER);
    }
};

class TPopupPanel : public TCustomControl
{
public:
    explicit TPopupPanel(TComponent *owner) : TCustomControl(owner)
    {
        SetWindowKinds({wkPopup, wkTopMost});
        SetColor(clInfoBk);
        SetParentColor(false);
    }

protected:
    bool ShowsWithoutParent() const override { return true; }
    TRect NCMargins() const override { return {1, 1, 1, 1}; }
    void PaintNC(TCanvas &c) override
    {
        c.Brush()->SetColor(clBlack);
        c.FrameRect(Rect(0, 0, Width(), Height()));
    }
    void Paint() override
    {
        TCanvas &c = *Canvas();
        TCanvasStateGuard guard(c);
        c.SetBkMode(TRANSPARENT);
        TRect r = ClientRect();
        c.DrawText(Caption(), r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("formshot.png");

    TForm form(nullptr);
    form.SetCaption(QStringLiteral("通讯录"));
    form.setWindowTitle(form.Caption());
    form.SetBounds(40, 40, 480, 300);

    auto *panel = new TCaptionPanel(&form);
    panel->SetCaption(QStringLiteral("联系人 - 顶部面板 (alTop)"));
    panel->SetBounds(0, 0, 100, 32);
    panel->SetAlign(TAlign::alTop);
    panel->SetParent(&form);

    auto *edit = new QLineEdit;
    edit->setText(QStringLiteral("张三 13800000000"));
    auto *editHost = new TWidgetControl(&form, edit);
    editHost->SetBounds(0, 40, 100, 26);  // below the panel: aligned controls keep their order by position
    editHost->SetAlign(TAlign::alTop);
    editHost->SetParent(&form);

    auto *notes = new QTextEdit;
    notes->setPlainText(QStringLiteral("备注 (alClient)"));
    auto *notesHost = new TWidgetControl(&form, notes);
    notesHost->SetAlign(TAlign::alClient);
    notesHost->SetParent(&form);

    form.Show();
    edit->setFocus();

    TPopupPanel popup(nullptr);
    popup.SetCaption(QStringLiteral("弹出窗口 (wkPopup)"));
    const QPoint at = edit->mapToGlobal(QPoint(60, edit->height()));
    popup.SetBounds(at.x(), at.y(), 180, 60);
    popup.Show();

    int code = 0;
    QTimer::singleShot(500, [&] {
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, 600, 400);
        if (!shot.save(out)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
            code = 1;
        }
        app.quit();
    });
    app.exec();
    return code;
}
