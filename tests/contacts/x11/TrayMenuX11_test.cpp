// The tray menu under a real X server (run under xvfb-run), chosen from with real pointer input.
// Xvfb has no notification area, so the tray's right click is handed to the window directly.
#include "XTestPointer.h"
#include "contacts/main/Main.h"
#include "contacts/shared/AppGlobals.h"
#include "platform/GlobalHotKeys.h"
#include "platform/IniFiles.h"
#include "themed/TBX.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class NoHotKeys final : public IGlobalHotKeys
{
public:
    bool Register(int, const THotKey &) override { return true; }
    void Unregister(int) override {}
};

TTBPopupWindow *OpenRootPopup()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *popup = dynamic_cast<TTBPopupWindow *>(w);
        if (popup && popup->isVisible() && !popup->View()->ParentView())
            return popup;
    }
    return nullptr;
}

} // namespace

TEST(TrayMenuX11, RightClickPopsTheThemedMenuAtThePointerAndExitEndsTheProgram)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid());
    QFile::remove(ConfigIniPath());
    auto main = std::make_unique<Tfrmmain>(std::make_unique<NoHotKeys>());
    int quits = 0;
    main->OnClosed = [&quits] { ++quits; };
    main->SetBounds(100, 100, 640, 400);
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));

    const QPoint at(420, 330);
    pointer.MoveTo(at.x(), at.y());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QCursor::pos() == at; }, 5000));

    bool themed = false;
    TRect popupBounds;
    bool exitSelected = false;
    int step = 0;
    QElapsedTimer patience;
    patience.start();
    QTimer script;
    QObject::connect(&script, &QTimer::timeout, [&] {
        if (patience.elapsed() > 10000) {
            script.stop();
            ADD_FAILURE() << "step " << step << " never came true";
            pointer.Keys({"Escape"});
            return;
        }
        if (step == 0) {
            TTBPopupWindow *popup = OpenRootPopup();
            if (!popup || QGuiApplication::mouseButtons() != Qt::NoButton)
                return;
            themed = dynamic_cast<TTBXPopupWindow *>(popup) != nullptr;
            popupBounds = popup->BoundsRect();
            TTBView *view = popup->View();
            for (int i = 0; i < view->ViewerCount(); ++i) {
                if (view->Viewers(i)->Item->Caption() == QStringLiteral("退出")) {
                    const TRect r = view->Viewers(i)->ScreenRect();
                    pointer.MoveTo((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
                    step = 1;
                }
            }
        } else if (step == 1) {
            TTBView *view = OpenRootPopup() ? OpenRootPopup()->View() : nullptr;
            if (!view || !view->Selected() || view->Selected()->Item->Caption() != QStringLiteral("退出"))
                return;
            exitSelected = true;
            pointer.Click();
            step = 2;
            script.stop();
        }
    });
    script.start(10);

    main->WMTrayIcon(517);  // right button up on the tray icon: runs the menu until it closes

    EXPECT_TRUE(exitSelected) << "退出 is in the tray menu and follows the pointer";
    EXPECT_TRUE(themed) << "the theme paints the tray menu";
    EXPECT_EQ(popupBounds.Left, at.x()) << "the menu opens at the pointer";
    EXPECT_EQ(popupBounds.Top, at.y());
    EXPECT_TRUE(QTest::qWaitFor([&] { return quits > 0; }, 5000)) << "退出 ends the program";
    QApplication::processEvents();
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(OpenRootPopup(), nullptr);
    const TIniFile ini(ConfigIniPath());
    EXPECT_EQ(ini.ReadString("SYS", "SkinName", "(none)"), main->CurrentSkinName()) << "the theme was saved on the way out";
    main.reset();
}
