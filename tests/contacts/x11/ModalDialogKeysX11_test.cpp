// Keys typed into a modal dialog of the main window under a real X server (run under xvfb-run,
// with and without a window manager): the main window's own shortcuts stay out of the dialog.
#include "MainWindowFixtureX11.h"

#include "contacts/main/about.h"

#include <QTimer>

namespace {

class ModalDialogKeysX11 : public MainWindowFixtureX11<BlankPage>
{
protected:
    void SetUp() override
    {
        CalendarPageFactory = [](QWidget *parent) { return new BlankPage(parent); };
        MainWindowFixtureX11<BlankPage>::SetUp();
    }
    void TearDown() override
    {
        MainWindowFixtureX11<BlankPage>::TearDown();
        CalendarPageFactory = nullptr;
    }
};

} // namespace

TEST_F(ModalDialogKeysX11, CtrlTwoWhileTheAboutBoxIsOpenLeavesThePage)
{
    // In the main window itself the keys switch the page, there and back.
    pointer.Keys({"Control_L", "2"});
    ASSERT_TRUE(QTest::qWaitFor([this] { return main->CalendarPageVisible(); }, 5000));
    pointer.Keys({"Control_L", "1"});
    ASSERT_TRUE(QTest::qWaitFor([this] { return !main->CalendarPageVisible(); }, 5000));

    // The box runs its own loop; the keys go in once the window manager has made it active.
    // Escape after Ctrl+2 closes it, and the X server delivers the two in the order sent.
    bool typed = false;
    QTimer steps;
    QObject::connect(&steps, &QTimer::timeout, [&] {
        auto *about = main->findChild<Tfrmabout *>();
        if (typed || !about || !about->isVisible() || !about->isActiveWindow())
            return;
        typed = true;
        pointer.Keys({"Control_L", "2"});
        pointer.Keys({"Escape"});
    });
    steps.start(10);
    // A box that never became active would hold the test; it is closed after the wait.
    QTimer::singleShot(10000, main.get(), [this] {
        if (auto *about = main->findChild<Tfrmabout *>())
            about->reject();
    });
    main->SpTBXItem41Click();
    steps.stop();
    ASSERT_TRUE(typed) << "关于 never became the active window";
    QApplication::processEvents();
    EXPECT_FALSE(main->CalendarPageVisible()) << "Ctrl+2 typed in 关于 switched the page behind it";
}
