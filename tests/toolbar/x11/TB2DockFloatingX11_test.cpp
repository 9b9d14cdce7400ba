// A floating toolbar under a real X server (run under xvfb-run), clicked with real pointer input
// through XTest: its buttons work while the form it belongs to stays active.
#include "../TB2TestSupport.h"
#include "PointerBarrier.h"
#include "WindowPlacement.h"
#include "XTestPointer.h"

#include <QLineEdit>
#include <QMouseEvent>

namespace {

// Shows the form, active, and floats its toolbar to the right of it; the floating window once it
// is on screen, or null (with the failure told) when either never happens.
TTBFloatingWindowParent *FloatFromActiveForm(TForm &form, TTBToolbar *bar)
{
    form.Show();
    if (!WaitPlacedAndActive(&form)) {
        ADD_FAILURE() << "the form never became active";
        return nullptr;
    }
    bar->SetFloatingPosition({520, 120});
    bar->SetFloating(true);
    TTBFloatingWindowParent *fp = bar->FloatingWindowParent();
    if (!fp || !WaitPlaced(fp)) {
        ADD_FAILURE() << "the floating window never came on screen";
        return nullptr;
    }
    return fp;
}

} // namespace

TEST(TB2DockFloatingX11, ClicksOnAFloatingToolbarLeaveItsFormActive)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid()) << "no X display or no XTest";
    ResetSysParams();
    // Whether or not the floating window hands the activation to its form, it takes none.
    for (bool activateParent : {false, true}) {
        SCOPED_TRACE(activateParent);
        TForm form(nullptr);
        form.SetBounds(60, 60, 400, 250);
        auto *dock = new TTBDock(&form);
        dock->SetParent(&form);
        auto *bar = new TTBToolbar(&form);
        bar->SetCaption(QStringLiteral("工具"));
        bar->SetHideWhenInactive(false);
        bar->SetActivateParent(activateParent);
        ClickLog log;
        log.Add(bar->Items(), QStringLiteral("新建"), new TWidthItem(bar, 50));
        log.Add(bar->Items(), QStringLiteral("打开"), new TWidthItem(bar, 50));
        bar->SetCurrentDock(dock);
        TTBFloatingWindowParent *fp = FloatFromActiveForm(form, bar);
        ASSERT_NE(fp, nullptr);
        PointerBarrier barrier;

        // A button of the floating toolbar: it runs, and the form keeps the activation.
        const TRect item = bar->View()->Viewers(1)->ScreenRect();
        const QPoint onItem((item.Left + item.Right) / 2, (item.Top + item.Bottom) / 2);
        pointer.MoveTo(onItem.x(), onItem.y());
        pointer.Click();
        ASSERT_TRUE(sim::WaitFor([&] { return !log.clicks.empty(); }, 10000));
        EXPECT_EQ(log.clicks, std::vector<QString>{QStringLiteral("打开")});
        ASSERT_TRUE(barrier.Pass(pointer, onItem + QPoint(0, 3)));
        EXPECT_EQ(QApplication::activeWindow(), &form);
        EXPECT_FALSE(fp->isActiveWindow());
        // The form, active and clicked, may not cover it.
        EXPECT_TRUE(BelongsTo(fp, &form));

        // Out of the way of the next round's windows.
        pointer.MoveTo(10, 10);
    }
}

TEST(TB2DockFloatingX11, AnEditOnAFloatingToolbarTakesTypingOnlyWhenClickedFromItsForm)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid()) << "no X display or no XTest";
    ResetSysParams();
    TForm form(nullptr), other(nullptr);
    form.SetBounds(60, 60, 400, 250);
    other.SetBounds(60, 400, 300, 150);
    auto *dock = new TTBDock(&form);
    dock->SetParent(&form);
    auto *bar = new TTBToolbar(&form);
    bar->SetHideWhenInactive(false);
    auto *line = new QLineEdit;
    auto *edit = new TWidgetControl(&form, line);
    edit->SetBounds(0, 0, 100, 22);
    bar->InsertControl(edit);
    bar->SetCurrentDock(dock);
    other.Show();
    TTBFloatingWindowParent *fp = FloatFromActiveForm(form, bar);
    ASSERT_NE(fp, nullptr);
    const QPoint inEdit = line->mapToGlobal(QPoint(10, line->height() / 2));
    PointerBarrier barrier;

    // Clicked while another form is active: the activation goes to the toolbar's form.
    ASSERT_TRUE(WaitPlacedAndActive(&other));
    pointer.MoveTo(inEdit.x(), inEdit.y());
    pointer.Click();
    ASSERT_TRUE(barrier.Pass(pointer, inEdit + QPoint(1, 0)));
    EXPECT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == &form; }, 10000));

    // Clicked from its own form: it keeps the activation and the edit takes the typing.
    pointer.Click();
    ASSERT_TRUE(sim::WaitFor([&] { return QApplication::activeWindow() == fp; }, 10000));
    pointer.Keys({"a"});
    pointer.Keys({"b"});
    EXPECT_TRUE(sim::WaitFor([&] { return line->text() == QStringLiteral("ab"); }, 10000)) << line->text().toStdString();
    pointer.MoveTo(10, 10);
}
