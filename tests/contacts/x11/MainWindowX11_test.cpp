// The main window's bars under a real X server (run under xvfb-run), by real pointer and key
// input: the tool bar's chevron on a narrow window, a click on another title after Escape,
// the drag handle (a double click keeps the bar docked, a drag floats it, the bottom edge is no
// dock), a Qt file dialog's own Ctrl+A, and Ctrl+2 typed in 关于.
#include "../../toolbar/TB2TestSupport.h"
#include "MainWindowFixtureX11.h"

#include "themed/SpTBXItem.h"
#include "toolbar/TB2ItemView.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A browser page that counts the window's select-all.
class SelectAllPage final : public QWidget, public IBrowserPage
{
public:
    explicit SelectAllPage(QWidget *parent) : QWidget(parent) {}
    QWidget *PageWidget() override { return this; }
    void LoadGroupTree() override {}
    int ViewStyle() const override { return 3; }
    QList<int> ColumnWidths() const override { return {}; }
    void N7Click() override { ++selectAlls; }
    int selectAlls = 0;
};

QPoint Middle(const TRect &r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

class MainWindowX11 : public MainWindowFixtureX11<SelectAllPage>
{
protected:
    // Tests here work on the second bar too, which must stay shown whether the window is active or not.
    void PrepareBars() override
    {
        main->SpTBXToolbar2->SetVisible(true);
        main->SpTBXToolbar2->SetHideWhenInactive(false);
    }

    // Moves the pointer and waits until the program has seen it there.
    bool MoveTo(QPoint p)
    {
        pointer.MoveTo(p.x(), p.y());
        return QTest::qWaitFor([p] { return GetCursorPos() == TPoint::FromQPoint(p); }, 5000);
    }
    TTBItemViewer *Title(const char *caption) const
    {
        TTBCustomItem *root = main->SpTBXToolbar1->Items();
        for (int i = 0; i < root->Count(); ++i)
            if (root->Items(i)->Caption() == QString::fromUtf8(caption))
                return main->SpTBXToolbar1->View()->Find(root->Items(i));
        return nullptr;
    }
    // Presses on `from`, moves halfway and on to `to` and releases there; the drag runs its own
    // loop, so the moves are a script inside it.
    void Drag(TTBCustomToolbar *bar, QPoint from, QPoint to)
    {
        const auto at = [](QPoint p) { return [p] { return GetCursorPos() == TPoint::FromQPoint(p); }; };
        ScriptSteps s([this] { pointer.Release(); });
        for (QPoint p : {(from + to) / 2, to})
            s.Do([this, p] { pointer.MoveTo(p.x(), p.y()); }).Then(at(p));
        s.Do([this] { pointer.Release(); }).Then([bar] { return !bar->DragMode(); });
        ASSERT_TRUE(MoveTo(from));
        s.Start();
        pointer.Press();
        EXPECT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 10000));
    }
    QPoint Handle(TTBCustomToolbar *bar) const
    {
        return bar->ClientToScreen({-4, bar->ClientHeight() / 2}).ToQPoint();
    }
};

} // namespace

TEST_F(MainWindowX11, ANarrowWindowShowsTheToolBarsChevronWithTheHiddenItems)
{
    TSpTBXToolbar *bar = main->SpTBXToolbar2;
    TTBView *view = bar->View();
    const auto chevron = [view]() -> TTBItemViewer * {
        for (int i = 0; i < view->ViewerCount(); ++i)
            if (dynamic_cast<TTBChevronItem *>(view->Viewers(i)->Item))
                return view->Viewers(i);
        return nullptr;
    };
    ASSERT_NE(chevron(), nullptr);
    EXPECT_FALSE(chevron()->Show) << "wide enough: no chevron";
    main->SetBounds(100, 100, 420, 420);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chevron()->Show; }, 5000)) << "narrow: the chevron shows";
    EXPECT_LE(bar->Left() + bar->Width(), main->SpTBXDock1->ClientWidth()) << "the bar ends inside the window";
    QStringList hidden;
    for (int i = 0; i < view->ViewerCount(); ++i)
        if (view->Viewers(i)->Clipped)
            hidden << view->Viewers(i)->Item->Caption();
    ASSERT_FALSE(hidden.isEmpty());

    // The menu runs its own loop: what happens inside it is a script of steps.
    QStringList offered;
    ScriptSteps s([this] { pointer.Release(), pointer.Keys({"Escape"}), pointer.Keys({"Escape"}); });
    s.Then([&] {
        TTBView *menu = view->OpenViewerView();
        if (!menu || !menu->Window()->isVisible() || QGuiApplication::mouseButtons() != Qt::NoButton)
            return false;
        for (int i = 0; i < menu->ViewerCount(); ++i)
            if (menu->Viewers(i)->Show)
                offered << menu->Viewers(i)->Item->Caption();
        // The first closes the menu, the second ends the bar's menu mode.
        pointer.Keys({"Escape"});
        pointer.Keys({"Escape"});
        return true;
    });
    s.Start();
    ASSERT_TRUE(MoveTo(Middle(chevron()->ScreenRect())));
    pointer.Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.Done() && !view->OpenViewerView(); }, 10000))
        << "a click opens the chevron's menu, Escape closes it";
    for (const QString &caption : hidden)
        EXPECT_TRUE(offered.contains(caption)) << caption.toStdString() << " is in the chevron's menu";
}

TEST_F(MainWindowX11, AfterEscapeAClickOnAnotherTitleOpensItsMenu)
{
    TTBView *bar = main->SpTBXToolbar1->View();
    TTBItemViewer *file = Title("文件(&F)"), *actions = Title("操作(&O)");
    ASSERT_TRUE(file && actions);
    const auto open = [bar](TTBItemViewer *v) {
        return bar->OpenViewer() == v && bar->OpenViewerView() && bar->OpenViewerView()->Window()->isVisible();
    };
    bool highlighted = false, actionsOpened = false;
    ScriptSteps s([this] { pointer.Release(), pointer.Keys({"Escape"}), pointer.Keys({"Escape"}); });
    s.Then([&] { return open(file) && QGuiApplication::mouseButtons() == Qt::NoButton; });
    s.Do([&] { pointer.Keys({"Escape"}); });
    s.Then([&] { return !bar->OpenViewerView(); });
    s.Do([&] {
        highlighted = bar->Selected() == file && bar->State().Contains(TTBViewStateItem::vsModal);
        pointer.MoveTo(Middle(actions->ScreenRect()).x(), Middle(actions->ScreenRect()).y());
        pointer.Click();
    });
    s.Then([&] { return actionsOpened = open(actions); });
    s.Do([&] { pointer.Keys({"Escape"}), pointer.Keys({"Escape"}); });
    s.Start();
    ASSERT_TRUE(MoveTo(Middle(file->ScreenRect())));
    pointer.Click();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return s.Done() && !bar->OpenViewerView() && !bar->State().Contains(TTBViewStateItem::vsModal); }, 10000));
    EXPECT_TRUE(highlighted) << "after Escape the title stays highlighted, the bar in menu mode";
    EXPECT_TRUE(actionsOpened) << "the first click on 操作 opens it";
}

TEST_F(MainWindowX11, ADoubleClickOnTheHandleKeepsTheBarDockedAndADragFloatsIt)
{
    TSpTBXToolbar *bar = main->SpTBXToolbar2;
    const QPoint handle = Handle(bar);
    ASSERT_TRUE(MoveTo(handle));
    pointer.Click();
    pointer.Click();
    // Whatever the double click did has been done once the pointer's next move is seen.
    ASSERT_TRUE(MoveTo(handle + QPoint(0, 1)));
    QApplication::processEvents();
    EXPECT_TRUE(bar->Docked());
    EXPECT_EQ(bar->CurrentDock(), main->SpTBXDock1);

    const QPoint away = main->mapToGlobal(QPoint(main->width() / 2, main->height() / 2));
    Drag(bar, handle, away);
    EXPECT_TRUE(bar->Floating()) << "dragged off its dock, the bar floats";
    ASSERT_NE(bar->FloatingWindowParent(), nullptr);
    EXPECT_TRUE(bar->FloatingWindowParent()->isVisible());
    bar->SetCurrentDock(main->SpTBXDock1);
}

TEST_F(MainWindowX11, AToolBarDraggedToTheBottomEdgeFloatsOutsideTheStatusBar)
{
    TSpTBXToolbar *bar = main->SpTBXToolbar2;
    TSpTBXStatusBar *status = main->SpTBXStatusBar1;
    const QPoint handle = Handle(bar);
    const QPoint bottom = status->mapToGlobal(QPoint(status->width() / 2, status->height() / 2));
    Drag(bar, handle, bottom);
    EXPECT_NE(bar->CurrentDock(), status->Dock());
    EXPECT_TRUE(bar->Floating());
    EXPECT_EQ(status->Dock()->GetToolbarCount(), 1) << "the status bar's dock holds its own bar only";
    bar->SetCurrentDock(main->SpTBXDock1);
}

TEST_F(MainWindowX11, CtrlAInAModalFileDialogSelectsItsFilesNotTheContacts)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char *name : {"a.vcf", "b.vcf", "c.vcf"}) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QFileDialog dialog(main.get(), QStringLiteral("导入"), folder.path(), QStringLiteral("名片(*.vcf)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setViewMode(QFileDialog::List);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_TRUE(WaitPlacedAndActive(&dialog));
    auto *list = dialog.findChild<QAbstractItemView *>(QStringLiteral("listView"));
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) == 3; }, 5000));
    list->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->hasFocus(); }, 5000));
    pointer.Keys({"Control_L", "a"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->selectionModel()->selectedRows().size() == 3; }, 5000))
        << "the dialog's list selects every file";
    QApplication::processEvents();
    EXPECT_EQ(page->selectAlls, 0) << "the main window's 全部选定 stays out of the dialog";
    dialog.reject();
}

// Ctrl+2 typed in the modal 关于 box, once it is active, stays out of the main window behind it,
// where it switches the page; the Escape after it closes the box.
using ModalDialogKeysX11 = MainWindowX11;

TEST_F(ModalDialogKeysX11, CtrlTwoWhileTheAboutBoxIsOpenLeavesThePage)
{
    // Typed in the main window the keys turn the page; checked first, while the window manager
    // surely has the keyboard with the main window (after 关于 closes it hands it back in its own time).
    pointer.Keys({"Control_L", "2"});
    ASSERT_TRUE(QTest::qWaitFor([this] { return main->CalendarPageVisible(); }, 5000));
    pointer.Keys({"Control_L", "1"});
    ASSERT_TRUE(QTest::qWaitFor([this] { return !main->CalendarPageVisible(); }, 5000));
    ModalResponder responder;
    bool typed = false;
    responder.Then([&](QDialog *about) {
        if (!(typed = WaitPlacedAndActive(about)))
            return about->reject();
        pointer.Keys({"Control_L", "2"});
        pointer.Keys({"Escape"});
    });
    main->SpTBXItem41Click();
    ASSERT_TRUE(typed) << "关于 never became the active window";
    QApplication::processEvents();
    EXPECT_FALSE(main->CalendarPageVisible()) << "Ctrl+2 typed in 关于 switched the page behind it";
}
