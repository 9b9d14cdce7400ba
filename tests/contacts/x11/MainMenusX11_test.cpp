// The main window's menu bar and tool bar, as the framework builder makes them from the tables,
// under a real X server (run under xvfb-run) with real clicks and keys.
#include "XTestPointer.h"
#include "contacts/main/Main.h"
#include "contacts/main/setdate.h"
#include "platform/GlobalHotKeys.h"
#include "themed/SpTBXItem.h"
#include "toolbar/TB2ItemView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <vector>
#include <gtest/gtest.h>

namespace {

class NoHotKeys final : public IGlobalHotKeys
{
public:
    bool Register(int, const THotKey &) override { return true; }
    void Unregister(int) override {}
};

// A browser page that records what the window's commands ask of it.
class RecordingPage final : public QWidget, public IBrowserPage
{
public:
    using QWidget::QWidget;
    QWidget *PageWidget() override { return this; }
    void LoadGroupTree() override {}
    int ViewStyle() const override { return 3; }
    QList<int> ColumnWidths() const override { return {}; }
    bool ListShowsSelection() const override { return true; }
    void listviewdeleteClick() override { ++deletes; }
    void treedeletenodeClick() override { ++deletes; }
    void RunSearch(const QString &text) override { searches << text; }

    int deletes = 0;
    QStringList searches;
};

TTBCustomItem *ItemCaptioned(TTBCustomItem *root, const QString &caption)
{
    for (int i = 0; i < root->Count(); ++i) {
        if (root->Items(i)->Caption() == caption)
            return root->Items(i);
    }
    return nullptr;
}

void ClickOn(XTestPointer &pointer, const TRect &r)
{
    pointer.MoveTo((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    pointer.Click();
}

// Steps run from a timer, so they go on inside a menu's own loop; each answers true when done.
// A script that stalls closes the menus with Escape.
class TScript
{
public:
    TScript(XTestPointer &pointer, std::vector<std::function<bool()>> steps) : steps_(std::move(steps))
    {
        patience_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this, &pointer] {
            if (next_ < steps_.size() && steps_[next_]())
                ++next_;
            else if (next_ < steps_.size() && patience_.elapsed() > 10000) {
                ADD_FAILURE() << "step " << next_ << " of the script never came true";
                next_ = steps_.size();
                pointer.Keys({"Escape"});
                pointer.Keys({"Escape"});
            }
        });
        timer_.start(10);
    }
    bool Done() const { return next_ == steps_.size(); }

private:
    std::vector<std::function<bool()>> steps_;
    size_t next_ = 0;
    QElapsedTimer patience_;
    QTimer timer_;
};

class MainMenusX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pointer.Valid());
        BrowserPageFactory = [this](QWidget *parent) { return page = new RecordingPage(parent); };
        main = std::make_unique<Tfrmmain>(std::make_unique<NoHotKeys>());
        main->EnableAccountCommands();
        main->ShowBrowserPage();
        main->SetBounds(100, 100, 720, 420);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return main->isActiveWindow(); }, 5000));
    }
    void TearDown() override
    {
        if (main)
            main->SpTBXToolbar1->View()->CloseChildPopups();
        main.reset();
        BrowserPageFactory = nullptr;
    }

    TTBItemViewer *MenuViewer(const char *caption)
    {
        TTBCustomItem *item = ItemCaptioned(main->SpTBXToolbar1->Items(), QString::fromUtf8(caption));
        return item ? main->SpTBXToolbar1->View()->Find(item) : nullptr;
    }

    XTestPointer pointer;
    RecordingPage *page = nullptr;
    std::unique_ptr<Tfrmmain> main;
};

} // namespace

TEST_F(MainMenusX11, RealClicksChooseACommandFromTheMenuBar)
{
    TTBItemViewer *tools = MenuViewer("工具(&T)");
    ASSERT_NE(tools, nullptr);
    TTBView *bar = main->SpTBXToolbar1->View();
    TTBItemViewer *shutdown = nullptr;
    // Shown, and the click that opened it is over (its release reached the menu loop).
    const auto menuShown = [bar] {
        return bar->OpenViewerView() && bar->OpenViewerView()->Window()->isVisible() &&
               QGuiApplication::mouseButtons() == Qt::NoButton;
    };
    const auto pointAtShutdown = [&] {
        if (!menuShown())
            return false;
        shutdown = bar->OpenViewerView()->Find(ItemCaptioned(tools->Item, QStringLiteral("定时关机")));
        if (shutdown)
            pointer.MoveTo((shutdown->ScreenRect().Left + shutdown->ScreenRect().Right) / 2,
                           (shutdown->ScreenRect().Top + shutdown->ScreenRect().Bottom) / 2);
        return shutdown != nullptr;
    };
    const auto clickWhenSelected = [&] {
        TTBView *menu = bar->OpenViewerView();
        if (!menu || menu->Selected() != shutdown)
            return false;
        pointer.Click();
        return true;
    };
    TScript script(pointer, {pointAtShutdown, clickWhenSelected});
    ClickOn(pointer, tools->ScreenRect());
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return main->TimedShutdownWindow() && main->TimedShutdownWindow()->isVisible(); }, 10000))
        << "定时关机 opens the timed shut-down window";
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(bar->OpenViewerView(), nullptr) << "the menu closed";
}

TEST_F(MainMenusX11, AltFOpensTheAccountMenu)
{
    main->findEdit1->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return main->findEdit1->hasFocus(); }, 5000));
    TTBView *bar = main->SpTBXToolbar1->View();
    TTBItemViewer *opened = nullptr;
    TScript script(pointer, {[&] {
                       if (!bar->OpenViewerView() || !bar->OpenViewerView()->Window()->isVisible())
                           return false;
                       opened = bar->OpenViewer();
                       pointer.Keys({"Escape"});
                       pointer.Keys({"Escape"});
                       return true;
                   }});
    pointer.Keys({"Alt_L", "f"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return script.Done() && !bar->OpenViewerView(); }, 10000));
    EXPECT_EQ(opened, MenuViewer("文件(&F)"));
}

TEST_F(MainMenusX11, AToolBarButtonRunsItsCommandAndDeleteInTheSearchBoxDeletesACharacter)
{
    main->findEdit1->setText(QStringLiteral("张三"));
    main->findEdit1->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return main->findEdit1->hasFocus(); }, 5000));
    main->findEdit1->setCursorPosition(0);
    pointer.Keys({"Delete"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return main->findEdit1->text() == QStringLiteral("三"); }, 5000));
    EXPECT_EQ(page->deletes, 0) << "Delete typed in the search box is no contact command";

    TTBView *tools = main->SpTBXToolbar2->View();
    TTBItemViewer *search = nullptr;
    for (int i = 0; i < tools->ViewerCount(); ++i) {
        if (tools->Viewers(i)->Item->Name().isEmpty() && tools->Viewers(i)->Item->ImageIndex() >= 0 &&
            tools->Viewers(i)->Item->Caption().isEmpty())
            search = tools->Viewers(i);
    }
    ASSERT_NE(search, nullptr) << "the search button";
    ClickOn(pointer, search->ScreenRect());
    EXPECT_TRUE(QTest::qWaitFor([this] { return page->searches == QStringList{QStringLiteral("三")}; }, 5000));

    // With the focus outside the box, Ctrl+D is the menu's 删除, once.
    main->SpTBXToolbar2->setFocus();
    pointer.Keys({"Control_L", "d"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return page->deletes > 0; }, 5000));
    QApplication::processEvents();
    EXPECT_EQ(page->deletes, 1);
}
