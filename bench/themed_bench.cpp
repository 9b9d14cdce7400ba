// Painting themed views offscreen through the Default theme: a 30-item popup menu (captions,
// shortcut texts, separators, one hot and one disabled item) and a 20-item toolbar (one checked,
// one hot button, separators). One iteration paints the frame, the background and every item.
#include "themed/TBX.h"

#include "platform/Controls.h"

#include "BenchApplication.h"

#include <QImage>
#include <memory>

namespace {

class TViewTypeWindow : public TCustomControl
{
public:
    explicit TViewTypeWindow(int viewType) : TCustomControl(nullptr), viewType_(viewType) {}
    int ViewType() const { return viewType_; }

protected:
    void WndProc(TMessage &m) override
    {
        if (m.Msg == TBXM_GETVIEWTYPE) {
            m.Result = viewType_;
            return;
        }
        TCustomControl::WndProc(m);
    }

private:
    int viewType_;
};

struct TBenchView {
    TBenchView(int viewType, int count, int separatorEvery, const QString &caption)
        : root(std::make_unique<TTBRootItem>(nullptr)), window(std::make_unique<TViewTypeWindow>(viewType))
    {
        for (int i = 0; i < count; ++i) {
            TTBCustomItem *it = i % separatorEvery == separatorEvery - 1
                                    ? static_cast<TTBCustomItem *>(new TTBXSeparatorItem(nullptr))
                                    : new TTBXItem(nullptr);
            QString text = caption.arg(i);
            if (text.contains(QLatin1Char('%')))
                text = text.arg(i % 10);
            it->SetCaption(text);
            root->Add(it);
        }
        view = std::make_unique<TTBView>(nullptr, nullptr, root.get(), window.get(), IsToolbarView(viewType), false,
                                         false);
        TPoint size;
        view->UpdatePositions(size);
        if (IsPopupView(viewType))
            CurrentTheme()->GetViewBorder(viewType, border);
        image = QImage(size.X + 2 * border.X, size.Y + 2 * border.Y, QImage::Format_RGB32);
        client = {0, 0, size.X, size.Y};
    }
    ~TBenchView()
    {
        view.reset();
        window.reset();
        root.reset();
    }

    void Paint()
    {
        TTBXTheme *theme = CurrentTheme();
        const int vt = window->ViewType();
        TCanvas canvas(image);
        if (IsPopupView(vt)) {
            TTBXPopupInfo info;
            info.ViewType = vt;
            info.BorderSize = border;
            theme->PaintPopupNCArea(canvas, {0, 0, image.width(), image.height()}, info);
        }
        canvas.MoveWindowOrg(border.X, border.Y);
        theme->PaintBackground(canvas, {}, client, client, theme->GetViewColor(vt), false, vt);
        view->DrawSubitems(canvas);
    }

    std::unique_ptr<TTBRootItem> root;
    std::unique_ptr<TViewTypeWindow> window;
    std::unique_ptr<TTBView> view;
    TPoint border;
    TRect client;
    QImage image;
};

void BM_PaintThemedPopup30(benchmark::State &state)
{
    TBenchView b(VT_POPUPMENU, 30, 10, QStringLiteral("Menu item %1\tCtrl+%2"));
    b.root->Items(5)->SetEnabled(false);
    b.view->Select(b.view->Viewers(3), false);
    for (auto _ : state) {
        b.Paint();
        benchmark::DoNotOptimize(b.image.constBits());
    }
}
BENCHMARK(BM_PaintThemedPopup30)->Unit(benchmark::kMillisecond);

void BM_PaintThemedToolbar20(benchmark::State &state)
{
    TBenchView b(VT_NORMALTOOLBAR, 20, 5, QStringLiteral("B%1"));
    b.root->Items(2)->SetChecked(true);
    b.view->Select(b.view->Viewers(6), true);
    for (auto _ : state) {
        b.Paint();
        benchmark::DoNotOptimize(b.image.constBits());
    }
}
BENCHMARK(BM_PaintThemedToolbar20)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) { return RunBenchmarksInApplication(argc, argv); }
