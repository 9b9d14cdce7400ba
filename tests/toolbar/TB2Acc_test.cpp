// What an accessibility client reads from menu bars, toolbars and popup menus through Qt's
// accessibility interfaces, and what its actions do to the menus.
#include "TB2TestSupport.h"
#include "toolbar/TB2Acc.h"
#include "toolbar/TB2Common.h"

#include <QAccessible>

namespace {

QAccessibleInterface *Acc(QWidget *w) { return QAccessible::queryAccessibleInterface(w); }

std::vector<int> Roles(QAccessibleInterface *view)
{
    std::vector<int> roles{view->role()};
    for (int i = 0; i < view->childCount(); ++i)
        roles.push_back(view->child(i)->role());
    return roles;
}

QAccessibleActionInterface *Actions(QAccessibleInterface *i) { return i ? i->actionInterface() : nullptr; }

QString DefaultAction(QAccessibleInterface *i) { return Actions(i)->actionNames().value(0); }

TTBPopupWindow *OpenPopup(TTBView *view)
{
    return view->OpenViewerWindow() && view->OpenViewerWindow()->isVisible() ? view->OpenViewerWindow() : nullptr;
}

class AccForm : public ::testing::Test, protected ClickLog
{
protected:
    void SetUp() override
    {
        ResetSysParams();
        SysParams().Monitors = {{Rect(0, 0, 1000, 800), Rect(0, 0, 1000, 800)}};
        SysParams().MenuShowDelay = 1;
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 500, 300);
        dock = new TTBDock(form);
        dock->SetParent(form);
        menuBar = Bar(QStringLiteral("菜单"), true);
        toolBar = Bar(QStringLiteral("工具"), false);
        form->Show();
        QApplication::setActiveWindow(form);
        ASSERT_TRUE(sim::WaitFor([&] { return form->isVisible(); }));
    }
    void TearDown() override
    {
        delete form;
        QApplication::processEvents();
        ResetSysParams();
    }
    TTBToolbar *Bar(const QString &caption, bool isMenuBar)
    {
        auto *bar = new TTBToolbar(form);
        bar->SetCaption(caption);
        bar->SetMenuBar(isMenuBar);
        bar->SetCurrentDock(dock);
        return bar;
    }
    static QAccessibleInterface *AccOf(TTBToolbar *bar, const QString &caption)
    {
        for (int i = 0; i < bar->View()->ViewerCount(); ++i)
            if (bar->View()->Viewers(i)->Item->Caption() == caption)
                return TBAccViewerObject(bar->View()->Viewers(i));
        return nullptr;
    }
    TForm *form = nullptr;
    TTBDock *dock = nullptr;
    TTBToolbar *menuBar = nullptr;
    TTBToolbar *toolBar = nullptr;
};

TEST_F(AccForm, RolesNamesShortcutsChildrenHitTestLocationAndDefaultActions)
{
    Add(Add(menuBar->Items(), QStringLiteral("&File"), new TSubmenuItem(nullptr)), QStringLiteral("Save"));
    Add(menuBar->Items(), QStringLiteral("&Help"));
    Add(toolBar->Items(), QStringLiteral("&Save\tCtrl+S"));
    Add(toolBar->Items(), QStringLiteral("Gone"))->SetVisible(false);
    toolBar->Items()->Add(new TTBSeparatorItem(nullptr));
    Add(toolBar->Items(), QStringLiteral("Drop"), new TSubmenuItem(nullptr));
    auto *edit = new TCustomControl(form);
    edit->SetBounds(0, 0, 60, 20);
    toolBar->InsertControl(edit);
    QAccessibleInterface *menu = Acc(menuBar), *tools = Acc(toolBar);
    ASSERT_TRUE(menu && tools);
    // Each view's role, then its children's.
    EXPECT_EQ(Roles(menu), (std::vector<int>{2, 12, 12}));
    EXPECT_EQ(Roles(tools), (std::vector<int>{22, 43, 21, 57, 10}));
    EXPECT_EQ(tools->child(3)->object(), edit);
    EXPECT_EQ(tools->parent()->object(), dock);
    const struct { QAccessibleInterface *acc; QString name, shortcut; } names[] = {
        {menu, "菜单", "Alt"}, {tools, "工具", ""}, {menu->child(0), "File", "Alt+f"},
        {tools->child(0), "Save", "Alt+s"},
    };
    for (const auto &n : names) {
        EXPECT_EQ(n.acc->text(QAccessible::Name), n.name);
        EXPECT_EQ(n.acc->text(QAccessible::Accelerator), n.shortcut) << n.name.toStdString();
    }
    for (int i = 0; i < tools->childCount(); ++i) {
        QAccessibleInterface *c = tools->child(i);
        EXPECT_EQ(tools->indexOfChild(c), i);
        EXPECT_EQ(c->parent(), tools);
        EXPECT_EQ(tools->childAt(c->rect().center().x(), c->rect().center().y()), c) << i;
    }
    EXPECT_EQ(tools->child(0)->rect(), toolBar->View()->Viewers(0)->ScreenRect().ToQRect());
    EXPECT_EQ(tools->childAt(tools->rect().right() + 5, tools->rect().center().y()), nullptr);
    // The default actions press, execute, open and close.
    EXPECT_EQ((QStringList{DefaultAction(AccOf(toolBar, "&Save\tCtrl+S")), DefaultAction(AccOf(menuBar, "&Help")),
                           DefaultAction(AccOf(menuBar, "&File"))}),
              (QStringList{"Press", "Execute", "Open"}));
    Actions(AccOf(toolBar, "&Save\tCtrl+S"))->doAction("Press");
    EXPECT_TRUE(clicks.empty()) << "the click runs after the client's call returned";
    EXPECT_TRUE(sim::WaitFor([&] { return clicks.size() == 1; }));
    Actions(AccOf(menuBar, "&Help"))->doAction("Execute");
    EXPECT_TRUE(sim::WaitFor([&] { return clicks.size() == 2; }));
    // Open the menu and run an item of it; open it again and close it: the menu mode ends.
    TTBView *bar = menuBar->View();
    for (const QString &last : {QStringLiteral("Execute"), QStringLiteral("Close")}) {
        QAccessibleInterface *fileAcc = AccOf(menuBar, "&File");
        ScriptSteps s([&] { bar->EndModal(); });
        s.Then([&] { return OpenPopup(bar) != nullptr; }).Do([&] {
            EXPECT_TRUE(fileAcc->state().hotTracked && fileAcc->state().focused);
            QAccessibleInterface *target = last == "Close" ? fileAcc : fileAcc->child(0)->child(0);
            EXPECT_EQ(DefaultAction(target), last);
            Actions(target)->doAction(last);
        });
        s.Start();
        Actions(fileAcc)->doAction("Open");
        EXPECT_TRUE(sim::WaitFor([&] { return s.Done() && !bar->State().Contains(TTBViewStateItem::vsModal); }));
        QApplication::processEvents();
        EXPECT_EQ(OpenPopup(bar), nullptr);
    }
    EXPECT_EQ(clicks, (std::vector<QString>{"&Save\tCtrl+S", "&Help", "Save"}));
}

TEST_F(AccForm, StatesAndFocusEventsWhileAMenuRuns)
{
    TTBPopupMenu menu(nullptr);
    TTBCustomItem *root = menu.Items();
    Add(root, QStringLiteral("A"))->SetChecked(true);
    Add(root, QStringLiteral("Hidden"))->SetVisible(false);
    Add(root, QStringLiteral("B\tCtrl+B"))->SetEnabled(false);
    Add(Add(root, QStringLiteral("&Sub"), new TSubmenuItem(nullptr)), QStringLiteral("Inner"));
    // The focus events, and the objects Qt's events name for them.
    std::vector<int> indexes;
    std::vector<QString> focusNames;
    SetNotifyWinEventProc([&](unsigned Event, QWidget *Wnd, int ObjectID, int ChildID) {
        if (Event == 0x8005 && ObjectID == -4) {
            indexes.push_back(ChildID);
            focusNames.push_back(TBAccEventTarget(Event, Wnd, ChildID)->text(QAccessible::Name));
        }
        TBAccNotifyWinEvent(Event, Wnd, ObjectID, ChildID);
    });
    TTBView *view = nullptr;
    QAccessibleInterface *a = nullptr, *b = nullptr, *sub = nullptr;
    ScriptSteps s(form, 3);
    s.Then([&] { return (view = RootView()) != nullptr; })
        .Do([&] {
            QAccessibleInterface *acc = TBAccViewObject(view);
            ASSERT_EQ(acc->childCount(), 3);
            a = acc->child(0), b = acc->child(1), sub = acc->child(2);
            sim::Key(form, Qt::Key_Down);
        })
        .Do([&] {
            const QAccessible::State sa = a->state(), sb = b->state(), ss = sub->state();
            EXPECT_TRUE(sa.hotTracked && sa.focused && sa.checked && sa.focusable);
            EXPECT_FALSE(sb.hotTracked || sb.focused || sb.checked);
            EXPECT_TRUE(sb.disabled);
            EXPECT_TRUE(ss.hasPopup && !ss.disabled);
            EXPECT_EQ(sub->text(QAccessible::Accelerator), "s") << "a popup's items answer to the letter alone";
            EXPECT_EQ(a->text(QAccessible::Accelerator), "") << "an item without one has none";
            EXPECT_EQ(a->focusChild(), a);
            sim::Key(form, Qt::Key_Down);
        })
        .Key(form, Qt::Key_Down)
        .Key(form, Qt::Key_Right)
        .Then([&] { return OpenPopup(view) != nullptr; })
        .Do([&] {
            ASSERT_EQ(sub->childCount(), 1);
            EXPECT_EQ(sub->child(0)->role(), QAccessible::PopupMenu);
            EXPECT_EQ(sub->child(0)->text(QAccessible::Name), "Sub");
            EXPECT_EQ(sub->child(0)->parent(), sub);
            EXPECT_EQ(DefaultAction(sub), "Close");
            sim::Key(form, Qt::Key_Escape);
        })
        .Do([&] { sim::Key(form, Qt::Key_Escape); });
    s.Start();
    menu.PopupEx(200, 200, false);
    EXPECT_TRUE(s.Done());
    SetNotifyWinEventProc(&TBAccNotifyWinEvent);
    // Down to A, to B past the hidden item, to Sub; Right opens it on Inner; Escape closes it
    // and the menu says again where the focus is.
    EXPECT_EQ(indexes, (std::vector<int>{1, 2, 3, 1, 3}));
    EXPECT_EQ(focusNames, (std::vector<QString>{"A", "B\tCtrl+B", "Sub", "Inner", "Sub"}));
}

TEST_F(AccForm, HeldObjectsOfAGoneViewOrViewerAnswerInvalid)
{
    const int viewsBefore = TTBViewAccObject::LiveCount(), viewersBefore = TTBItemViewerAccObject::LiveCount();
    auto *window = new TCustomControl(form);
    window->SetParent(form);
    window->SetBounds(0, 100, 200, 30);
    TTBRootItem root(nullptr);
    Add(&root, QStringLiteral("X"));
    TTBCustomItem *y = Add(&root, QStringLiteral("Y"));
    auto view = std::make_unique<TTBView>(nullptr, nullptr, &root, window, true, false, false);
    view->EnsureLayout();
    QAccessibleInterface *viewAcc = Acc(window);
    ASSERT_EQ(viewAcc, TBAccViewObject(view.get()));
    QAccessibleInterface *xAcc = viewAcc->child(0), *yAcc = viewAcc->child(1);
    const QAccessible::Id viewId = QAccessible::uniqueId(viewAcc), yId = QAccessible::uniqueId(yAcc);
    delete y;
    EXPECT_FALSE(yAcc->isValid());
    EXPECT_EQ(yAcc->role(), QAccessible::NoRole);
    EXPECT_EQ(yAcc->text(QAccessible::Name), "");
    EXPECT_TRUE(Actions(yAcc)->actionNames().isEmpty());
    Actions(yAcc)->doAction("Press");
    EXPECT_EQ(viewAcc->childCount(), 1);
    // A click queued by a client does not outlive the view.
    EXPECT_EQ(DefaultAction(xAcc), "Press");
    Actions(xAcc)->doAction("Press");
    view.reset();
    for (QAccessibleInterface *i : {viewAcc, xAcc, yAcc}) {
        EXPECT_FALSE(i->isValid());
        EXPECT_TRUE(i->state().invalid);
        EXPECT_EQ(i->childCount(), 0);
        EXPECT_EQ(i->child(0), nullptr);
        EXPECT_EQ(i->parent(), nullptr);
        EXPECT_EQ(i->rect(), QRect());
        EXPECT_EQ(i->childAt(110, 210), nullptr);
    }
    QApplication::processEvents();
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(QAccessible::accessibleInterface(viewId), nullptr);
    EXPECT_EQ(QAccessible::accessibleInterface(yId), nullptr);
    EXPECT_EQ(TTBViewAccObject::LiveCount(), viewsBefore);
    EXPECT_EQ(TTBItemViewerAccObject::LiveCount(), viewersBefore);
    // The window answers again, with Qt's own object now that it shows no view.
    ASSERT_NE(Acc(window), nullptr);
    EXPECT_EQ(dynamic_cast<TTBViewAccObject *>(Acc(window)), nullptr);
}

} // namespace
