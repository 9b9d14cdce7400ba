#include "browser/BrowserTestSupport.h"

#include "../platform/InputSim.h"
#include "controls/dfsSplitter.h"
#include "platform/InputRouter.h"

#include <QTabWidget>
#include <QTextBrowser>

namespace {

// The page on screen at 900 x 600: the trees 160 wide at the left, the bar, and the list over
// the card at the right.
class BrowserLayout : public BrowserTest
{
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        Page().show();
        QApplication::processEvents();
    }

    void TearDown() override
    {
        sim::HeldButtons() = Qt::NoButton;
        while (GetCaptureControl())
            SetCaptureControl(nullptr);
        BrowserTest::TearDown();
    }

    // Where a widget lies on the page.
    QRect OnPage(const QWidget *w) { return QRect(w->mapTo(page.get(), QPoint(0, 0)), w->size()); }
};

TEST_F(BrowserLayout, TheBarsSitBetweenTheTreesTheListAndTheCardWhateverThePageSize)
{
    Tfuserfrm &page = Page();
    EXPECT_EQ(page.dfsSplitter2->Pane(), page.Panel3);
    EXPECT_EQ(page.dfsSplitter1->Pane(), page.Panel5);
    const std::pair<QWidget *, QRect> places[] = {
        {page.Panel3, {0, 0, 160, 600}},         {page.dfsSplitter2, {160, 0, 10, 600}},
        {page.Panel5, {170, 0, 730, 232}},       {page.dfsSplitter1, {170, 232, 730, 10}},
        {page.Panel4, {170, 242, 730, 358}},     {page.PageControl1, {0, 0, 160, 600}},
        {page.ListView1, {170, 25, 730, 207}},   {page.WebBrowser1, {170, 600 - page.WebBrowser1->height(), 730,
                                                                     page.WebBrowser1->height()}},
    };
    for (const auto &[widget, place] : places) {
        const QRect on = OnPage(widget);
        EXPECT_EQ(std::tuple(on.left(), on.right(), on.bottom()),
                  std::tuple(place.left(), place.right(), place.bottom())) << widget->objectName().toStdString();
    }
    EXPECT_EQ(OnPage(page.Panel5).top(), 0);
    EXPECT_EQ(OnPage(page.Panel6).topLeft(), QPoint(170, 242));
    // Resizing the page keeps the trees' width and the list's height.
    page.resize(1000, 700);
    QApplication::processEvents();
    EXPECT_EQ(page.Panel3->Width(), 160);
    EXPECT_EQ(page.Panel5->Height(), 232);
    EXPECT_EQ(OnPage(page.listpanel), QRect(170, 0, 830, 700));
    EXPECT_EQ(OnPage(page.WebBrowser1).bottom() + 1, 700);
    EXPECT_EQ(page.dfsSplitter2->ButtonRect().Top, (700 - 80) / 2);
}

// However narrow the page, the card's buttons lie whole and apart above the card.
TEST_F(BrowserLayout, TheCardButtonsNeverOverlap)
{
    Tfuserfrm &page = Page();
    for (const int width : {900, 516, 300}) {
        page.resize(width, 600);
        QApplication::processEvents();
        QRegion taken;
        for (const QWidget *button : {page.Button2, page.Button3, page.Button4, page.Button5, page.Button1}) {
            const QRect r = OnPage(button);
            EXPECT_TRUE(OnPage(page.Panel4).contains(r) && r.bottom() < OnPage(page.WebBrowser1).top()) << width;
            EXPECT_FALSE(taken.intersects(r)) << width << ": " << button->objectName().toStdString();
            taken += r;
        }
    }
}

TEST_F(BrowserLayout, TheButtonCollapsesAPaneAndASecondClickBringsItBack)
{
    Tfuserfrm &page = Page();
    const struct {
        TdfsSplitter *bar;
        std::function<int()> paneSize, otherSize;  // the other: what the other side gets
        int size, collapsedOther, restoredOther;
    } cases[] = {
        {page.dfsSplitter2, [&] { return page.Panel3->Width(); }, [&] { return page.ListView1->width(); },
         160, 885, 730},
        {page.dfsSplitter1, [&] { return page.Panel5->Height(); }, [&] { return page.WebBrowser1->height(); },
         232, 585 - page.Panel6->height(), 358 - page.Panel6->height()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.size);
        ASSERT_EQ(c.paneSize(), c.size);
        for (bool collapsed : {true, false}) {
            const TRect r = c.bar->ButtonRect();  // a click on the button's middle collapses or restores
            sim::Click(c.bar, {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
            EXPECT_EQ(c.bar->Maximized(), collapsed);
            EXPECT_EQ(c.paneSize(), collapsed ? 5 : c.size);
            EXPECT_EQ(c.otherSize(), collapsed ? c.collapsedOther : c.restoredOther);
        }
    }
}

// The panes stand between the widgets and the page only for layout: keys that a widget does
// not take still reach the page, as they did before there were panes.
TEST_F(BrowserLayout, InputTheWidgetsLeaveGoesOnToThePage)
{
    struct Seen : QObject {
        QList<QEvent::Type> types;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)
                types << event->type();
            return false;
        }
    } seen;
    Tfuserfrm &page = Page();
    page.installEventFilter(&seen);
    sim::KeyPress(page.Panel6, Qt::Key_F7);
    sim::Press(page.Panel6, {600, 10});
    sim::Release(page.Panel6, {600, 10});
    page.removeEventFilter(&seen);
    EXPECT_EQ(seen.types, (QList<QEvent::Type>{QEvent::KeyPress, QEvent::MouseButtonPress}));
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

} // namespace
