// The program's windows under a real X server (run under xvfb-run): the main window's menu bar,
// tool bar and tray menu as the framework builder makes them from the tables, and the contact
// editor's tool bar, birthday and user labels, with real clicks and keys as a user's hand gives
// them. Xvfb has no notification area, so the tray's right click is handed to the window directly.
#include "../../platform/x11/HoverX11.h"
#include "MainWindowFixtureX11.h"
#include "MenuScriptX11.h"
#include "editor/EditorTestSupport.h"

#include "contacts/editor/InputTextBox.h"
#include "contacts/main/Main.h"
#include "contacts/main/setdate.h"
#include "contacts/shared/AppGlobals.h"
#include "platform/GlobalHotKeys.h"
#include "platform/IniFiles.h"
#include "themed/SpTBXItem.h"
#include "themed/TBX.h"
#include "themed/TBXNexus.h"
#include "toolbar/TB2ItemView.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

namespace {

using MainMenusX11 = MainWindowFixtureX11<FakeBrowserPage>;

class EditorToolbarX11 : public EditorTest
{
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(pointer.Valid());
        withBrowser = true;
    }

    // Shows the editor and gives the focus to one of its text fields.
    QLineEdit *ShowWithFocusIn(Tfrmuseredit &editor, const char *column)
    {
        editor.show();
        EXPECT_TRUE(WaitPlacedAndActive(&editor));
        auto *field = qobject_cast<QLineEdit *>(editor.FieldControl(column));
        field->setFocus();
        EXPECT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 5000));
        return field;
    }

    XTestPointer pointer;
};

} // namespace

TEST_F(EditorToolbarX11, CtrlSInAFieldSavesOnceAndAClickedButtonRunsItsCommand)
{
    const QString key = InsertContact({{"uname", "键盘"}});
    Tfrmuseredit &typed = Open(key);
    QLineEdit *field = ShowWithFocusIn(typed, "umtel");
    pointer.Keys({"1"});
    pointer.Keys({"2"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->text() == "12"; }, 5000));
    pointer.Keys({"Control_L", "s"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return typed.isHidden(); }, 5000)) << "保存并关闭 closes the window";
    QApplication::processEvents();
    EXPECT_EQ(Text("select umtel from userinfo where keyid=?", {key.toLongLong()}), "12");
    EXPECT_EQ(browser.updated, QStringList{key}) << "saved once";
    EXPECT_EQ(field->text(), "12") << "Ctrl+S typed nothing into the field";

    Tfrmuseredit &clicked = Open(key);
    ShowWithFocusIn(clicked, "umtel");
    clicked.SetFieldText("umtel", "34");
    TTBItemViewer *save = clicked.SpTBXToolbar1->View()->Find(ItemCaptioned(clicked.SpTBXToolbar1->Items(), "保存"));
    ASSERT_NE(save, nullptr);
    ClickOn(pointer, save->ScreenRect());
    EXPECT_TRUE(QTest::qWaitFor([&] { return browser.updated.size() == 2; }, 5000));
    EXPECT_EQ(Text("select umtel from userinfo where keyid=?", {key.toLongLong()}), "34");
    EXPECT_EQ(clicked.windowTitle(), "键盘-人脉");
    EXPECT_TRUE(clicked.isVisible()) << "保存 keeps the window open";
}

using EditorDateX11 = EditorToolbarX11;
using EditorLabelsX11 = EditorToolbarX11;

// Wherever the click lands, on the year, the month or the day, a whole date typed after it is the date.
TEST_F(EditorDateX11, AWholeDateTypedAfterOneClickIsTaken)
{
    Tfrmuseredit editor;
    editor.userPageControl->setCurrentIndex(1);
    ShowWithFocusIn(editor, "unc");
    QDateEdit *edit = editor.DateTimePicker1->DateEdit();
    QLineEdit *text = edit->findChild<QLineEdit *>();
    const struct { int at; const char *typed; } cases[] = {{2, "1985-08-15"}, {6, "1985-08-15"}, {9, "19850815"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.at);
        editor.DateTimePicker1->SetChecked(true);
        editor.DateTimePicker1->SetDate(QDate(2024, 5, 1));
        text->setCursorPosition(c.at);
        const QPoint point = text->mapToGlobal(text->inputMethodQuery(Qt::ImCursorRectangle).toRect().center());
        pointer.MoveTo(point.x(), point.y());
        ASSERT_TRUE(QTest::qWaitFor([&] { return QCursor::pos() == point && QApplication::widgetAt(point) == text; }));
        pointer.Click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
        for (const char *key = c.typed; *key; ++key)
            pointer.Keys({*key == '-' ? "minus" : std::string(1, *key).c_str()});
        EXPECT_TRUE(QTest::qWaitFor([&] { return text->text() == "1985-08-15"; })) << text->text().toStdString();
        editor.FieldControl("unc")->setFocus();  // ends the edit; the next click is the field's first
        EXPECT_EQ(editor.DateTimePicker1->Date(), QDate(1985, 8, 15));
    }
}

TEST_F(EditorLabelsX11, AClickOnAUserLabelAsksForItsNewName)
{
    Tfrmuseredit editor;
    ShowWithFocusIn(editor, "umtel");
    ModalResponder responder;
    bool asked = false;
    responder.Then([&](QDialog *dialog) { asked = qobject_cast<TInputTextBoxForm *>(dialog), dialog->reject(); });
    ASSERT_TRUE(HoverX11(pointer, editor.mylab[1]));
    pointer.Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked; }));
}

TEST_F(MainMenusX11, RealClicksChooseACommandFromTheMenuBar)
{
    TTBView *bar = main->SpTBXToolbar1->View();
    TTBItemViewer *tools = bar->Find(ItemCaptioned(main->SpTBXToolbar1->Items(), QStringLiteral("工具(&T)")));
    ASSERT_NE(tools, nullptr);
    TTBItemViewer *shutdown = nullptr;
    // Shown, and the click that opened it is over (its release reached the menu loop).
    const auto pointAtShutdown = [&] {
        TTBView *menu = bar->OpenViewerView();
        if (!menu || !menu->Window()->isVisible() || QGuiApplication::mouseButtons() != Qt::NoButton)
            return false;
        shutdown = menu->Find(ItemCaptioned(tools->Item, QStringLiteral("定时关机")));
        if (shutdown)
            PointAt(pointer, shutdown->ScreenRect());
        return shutdown != nullptr;
    };
    const auto clickWhenSelected = [&] {
        const bool selected = bar->OpenViewerView() && bar->OpenViewerView()->Selected() == shutdown;
        if (selected)
            pointer.Click();
        return selected;
    };
    TScript script(pointer, {pointAtShutdown, clickWhenSelected});
    ClickOn(pointer, tools->ScreenRect());
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return main->TimedShutdownWindow() && main->TimedShutdownWindow()->isVisible(); }, 10000))
        << "定时关机 opens the timed shut-down window";
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(bar->OpenViewerView(), nullptr) << "the menu closed";
}

TEST_F(MainMenusX11, RealClicksChooseASkinAndTheThemeChangesAtOnce)
{
    main->SelectSkin(QStringLiteral("Default"));
    TTBView *bar = main->SpTBXToolbar1->View();
    TTBItemViewer *tools = bar->Find(ItemCaptioned(main->SpTBXToolbar1->Items(), QStringLiteral("工具(&T)")));
    ASSERT_NE(tools, nullptr);
    const auto settled = [](TTBView *menu) {
        return menu && menu->Window()->isVisible() && QGuiApplication::mouseButtons() == Qt::NoButton;
    };
    TTBView *skins = nullptr;
    TTBItemViewer *nexos5 = nullptr;
    const auto pointAtSkinMenu = [&] {
        TTBView *menu = bar->OpenViewerView();
        if (!settled(menu))
            return false;
        TTBItemViewer *skin = menu->Find(ItemCaptioned(tools->Item, QStringLiteral("皮肤")));
        if (skin)
            PointAt(pointer, skin->ScreenRect());
        return skin != nullptr;
    };
    const auto pointAtNexos5 = [&] {
        skins = bar->OpenViewerView() ? bar->OpenViewerView()->OpenViewerView() : nullptr;
        if (!settled(skins))
            return false;
        for (int i = 0; i < skins->ViewerCount(); ++i)
            if (skins->Viewers(i)->Item->Caption() == QStringLiteral("Nexos5"))
                nexos5 = skins->Viewers(i);
        if (nexos5)
            PointAt(pointer, nexos5->ScreenRect());
        return nexos5 != nullptr;
    };
    const auto clickWhenSelected = [&] {
        const bool selected = skins->Selected() == nexos5;
        if (selected)
            pointer.Click();
        return selected;
    };
    TScript script(pointer, {pointAtSkinMenu, pointAtNexos5, clickWhenSelected});
    ClickOn(pointer, tools->ScreenRect());
    EXPECT_TRUE(QTest::qWaitFor([] { return CurrentThemeName() == QStringLiteral("Nexos5"); }, 10000));
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->OpenViewerView() == nullptr; }, 5000)) << "the menus closed";
    EXPECT_EQ(main->CurrentSkinName(), QStringLiteral("Nexos5"));
    main->SelectSkin(QStringLiteral("Default"));
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
    EXPECT_EQ(opened, bar->Find(ItemCaptioned(main->SpTBXToolbar1->Items(), QStringLiteral("文件(&F)"))));
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
        TTBCustomItem *item = tools->Viewers(i)->Item;
        if (item->Name().isEmpty() && item->ImageIndex() >= 0 && item->Caption().isEmpty())
            search = tools->Viewers(i);
    }
    ASSERT_NE(search, nullptr) << "the search button";
    ClickOn(pointer, search->ScreenRect());
    EXPECT_TRUE(QTest::qWaitFor([this] { return page->searches == QStringList{QStringLiteral("三")}; }, 5000));

    // With the focus outside the box, Ctrl+D is the menu's 删除, once; Alt+D is not.
    main->SpTBXToolbar2->setFocus();
    pointer.Keys({"Alt_L", "d"});
    pointer.Keys({"Control_L", "d"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return page->deletes > 0; }, 5000));
    QApplication::processEvents();
    EXPECT_EQ(page->deletes, 1);
}

TEST_F(MainMenusX11, TrayRightClickPopsTheThemedMenuAtThePointerAndExitEndsTheProgram)
{
    int quits = 0;
    main->OnClosed = [&quits] { ++quits; };
    const QPoint at(420, 330);
    pointer.MoveTo(at.x(), at.y());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QCursor::pos() == at; }, 5000));

    bool themed = false;
    TRect popupBounds;
    const auto pointAtExit = [&] {
        TTBPopupWindow *popup = OpenRootPopup();
        TTBItemViewer *exit = ViewerCaptioned(QStringLiteral("退出"));
        if (!exit || QGuiApplication::mouseButtons() != Qt::NoButton)
            return false;
        themed = dynamic_cast<TTBXPopupWindow *>(popup) != nullptr;
        popupBounds = popup->BoundsRect();
        PointAt(pointer, exit->ScreenRect());
        return true;
    };
    const auto clickWhenSelected = [&] {
        TTBItemViewer *exit = ViewerCaptioned(QStringLiteral("退出"));
        const bool selected = exit && OpenRootPopup()->View()->Selected() == exit;
        if (selected)
            pointer.Click();
        return selected;
    };
    TScript script(pointer, {pointAtExit, clickWhenSelected});
    main->WMTrayIcon(517);  // right button up on the tray icon: runs the menu until it closes

    EXPECT_TRUE(script.Done()) << "退出 is in the tray menu and follows the pointer";
    EXPECT_TRUE(themed) << "the theme paints the tray menu";
    EXPECT_EQ(QPoint(popupBounds.Left, popupBounds.Top), at) << "the menu opens at the pointer";
    EXPECT_TRUE(QTest::qWaitFor([&] { return quits > 0; }, 5000)) << "退出 ends the program";
    QApplication::processEvents();
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(OpenRootPopup(), nullptr);
    const TIniFile ini(ConfigIniPath());
    EXPECT_EQ(ini.ReadString("SYS", "SkinName", "(none)"), main->CurrentSkinName()) << "the theme was saved on the way out";
    main.reset();
}
