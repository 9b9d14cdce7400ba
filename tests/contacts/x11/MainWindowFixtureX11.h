#pragma once
// The main window shown and active under a real X server, for the x11 tests that drive it by
// pointer and keys. The browser page is the test's own, so each test sees what the window
// hands its page.
#include "XTestPointer.h"
#include "WindowPlacement.h"
#include "main/MainTestSupport.h"

#include "contacts/main/Main.h"
#include "themed/SpTBXItem.h"
#include "toolbar/TB2ItemView.h"

#include <QTest>
#include <map>
#include <memory>

template <class Page>
class MainWindowFixtureX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pointer.Valid());
        BrowserPageFactory = [this](QWidget *parent) { return page = new Page(parent); };
        QFile::remove(ConfigIniPath());
        main = std::make_unique<Tfrmmain>(std::make_unique<RecordingHotKeys>(&hotKeys));
        main->EnableAccountCommands();
        main->ShowBrowserPage();
        PrepareBars();
        main->SetBounds(100, 100, 720, 420);
        main->show();
        ASSERT_TRUE(WaitPlacedAndActive(main.get()));
    }
    void TearDown() override
    {
        // A test that stops early may leave a menu open; it is closed before the window goes.
        if (main)
            main->SpTBXToolbar1->View()->CloseChildPopups();
        main.reset();
        BrowserPageFactory = nullptr;
    }
    // Runs before the window is sized and shown, so the bars lay out with the test's settings.
    virtual void PrepareBars() {}

    BlankPages blankPages;  // the calendar page, for the tests that switch to it
    XTestPointer pointer;
    std::map<int, THotKey> hotKeys;
    Page *page = nullptr;
    std::unique_ptr<Tfrmmain> main;
};
