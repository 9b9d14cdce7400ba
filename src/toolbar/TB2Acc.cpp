#include "TB2Acc.h"

#include "TB2Common.h"
#include "TB2Item.h"
#include "TB2ItemView.h"

#include <QAccessible>
#include <QApplication>
#include <QKeySequence>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

constexpr unsigned EVENT_OBJECT_FOCUS = 0x8005;
constexpr int OBJID_CLIENT = -4;

const QString ActionOpen = QStringLiteral("Open");
const QString ActionClose = QStringLiteral("Close");
const QString ActionExecute = QStringLiteral("Execute");
const QString ActionPress = QStringLiteral("Press");

// Clients may reach the objects from other threads; the list and the counts stay consistent.
std::mutex listLock;
TTBCustomAccObject *listHead = nullptr;
std::atomic<int> liveViewObjects{0};
std::atomic<int> liveViewerObjects{0};

// Views with a window, in creation order: events name windows, objects belong to views.
std::vector<TTBView *> &LiveViews()
{
    static std::vector<TTBView *> views;
    return views;
}

TTBView *ViewOfWindow(const QWidget *Wnd)
{
    const auto &views = LiveViews();
    for (auto it = views.rbegin(); it != views.rend(); ++it)
        if ((*it)->Window() == Wnd)
            return *it;
    return nullptr;
}

bool HasStyle(const TTBCustomItem *item, TTBItemStyle flag) { return (item->ItemStyle() & flag) != 0; }

bool InMenuLoop(const TTBView *V) { return V->State().Contains(TTBViewStateItem::vsModal); }

QRect ToQRect(const TRect &R) { return {R.Left, R.Top, R.Width(), R.Height()}; }

QRect WindowScreenRect(const QWidget *W) { return {W->mapToGlobal(QPoint(0, 0)), W->size()}; }

QWindow *TopLevelHandle(const QWidget *W) { return W ? W->window()->windowHandle() : nullptr; }

// Its window is shown, enabled with all its parents and not being designed, and either the
// menu loop runs in it or the active window is or contains it.
bool IsViewActive(const TTBView *V)
{
    const TWinControl *w = V->Window();
    if (!w || w->ComponentState().Contains(TComponentStateItem::csDesigning) || !w->isVisible() || !w->isEnabled())
        return false;
    if (InMenuLoop(V))
        return true;
    const QWidget *active = QApplication::activeWindow();
    return active && (active == w || active->isAncestorOf(w));
}

bool IsViewerAvailable(const TTBItemViewer *V)
{
    return V->IsAccessible() && V->Item->Enabled() && HasStyle(V->Item, tbis::Selectable) && IsViewActive(V->View);
}

// A control item shows a window of its own, which answers for itself.
TWinControl *WindowedControlOf(const TTBItemViewer *V)
{
    const auto *ci = dynamic_cast<const TTBControlItem *>(V->Item);
    return ci ? dynamic_cast<TWinControl *>(ci->Control()) : nullptr;
}

// The queued access of an accessibility client, run after the client's call has returned.
void DeferredAccess(TTBItemViewer *V, bool Execute)
{
    TTBView *view = V->View;
    const bool modal = InMenuLoop(view);
    if (Execute) {
        if (!IsViewerAvailable(V))
            return;
        view->Select(V, false);
        view->ScrollSelectedIntoView();
        if (modal)
            view->ExecuteSelected(false);
        else if (!view->ParentView() && !view->Capture())
            view->EnterToolbarLoop({TTBEnterToolbarLoopOption::tbetExecuteSelected,
                                    TTBEnterToolbarLoopOption::tbetFromMSAA});
    } else if (IsViewActive(view)) {
        view->Select(V, false);
        view->ScrollSelectedIntoView();
        if (!modal)
            view->EnterToolbarLoop({TTBEnterToolbarLoopOption::tbetFromMSAA});
    }
}

// A cut object stays registered until the current call chain has unwound, so a client that
// still holds it gets answers of an invalid object, never freed memory.
void ReleaseLater(TTBCustomAccObject *Obj)
{
    if (!qApp)
        return;
    const QAccessible::Id id = QAccessible::uniqueId(Obj);
    QMetaObject::invokeMethod(
        qApp,
        [id, Obj] {
            if (QAccessible::accessibleInterface(id) == Obj)
                QAccessible::deleteAccessibleInterface(id);
        },
        Qt::QueuedConnection);
}

bool installed = false;
bool factoryPaused = false;

// Qt asks its factories for the object of a widget the first time anyone names it.
QAccessibleInterface *ViewWindowFactory(const QString &ClassName, QObject *Obj)
{
    TTBView *view = Obj && Obj->isWidgetType() && !factoryPaused ? ViewOfWindow(static_cast<QWidget *>(Obj)) : nullptr;
    return view && !view->AccObject() ? new TTBViewAccObject(view) : nullptr;
}

// Qt keeps the object it made for a window before the window's view came (showing a widget
// names it): that one makes way, so the next request reaches the factory.
void ForgetQtObject(QWidget *W)
{
    factoryPaused = true;
    QAccessibleInterface *obj = QAccessible::queryAccessibleInterface(W);
    factoryPaused = false;
    // An object of a view that went makes way too: the window's new view answers now.
    const auto *mine = dynamic_cast<TTBViewAccObject *>(obj);
    if (obj && !(mine && mine->isValid()))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(obj));
}

void Uninstall()
{
    QAccessible::removeFactory(&ViewWindowFactory);
    TBAccDisconnectAll();
    SetNotifyWinEventProc(nullptr);
    installed = false;
}

void Install()
{
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&ViewWindowFactory);
    SetNotifyWinEventProc(&TBAccNotifyWinEvent);
    qAddPostRoutine(&Uninstall);
}

} // namespace

// ---------------------------------------------------------------------------------------------

TTBCustomAccObject::TTBCustomAccObject()
{
    std::lock_guard<std::mutex> lock(listLock);
    next_ = listHead;
    if (listHead)
        listHead->prev_ = this;
    listHead = this;
}

TTBCustomAccObject::~TTBCustomAccObject()
{
    std::lock_guard<std::mutex> lock(listLock);
    if (prev_)
        prev_->next_ = next_;
    else
        listHead = next_;
    if (next_)
        next_->prev_ = prev_;
}

void TBAccDisconnectAll()
{
    std::vector<TTBCustomAccObject *> objects;
    {
        std::lock_guard<std::mutex> lock(listLock);
        for (TTBCustomAccObject *o = listHead; o; o = o->next_)
            objects.push_back(o);
    }
    for (TTBCustomAccObject *o : objects) {
        o->ClientIsDestroying();
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(o));
    }
}

// ---------------------------------------------------------------------------------------------
// Views

TTBViewAccObject::TTBViewAccObject(TTBView *AView) : view_(AView), window_(AView->Window())
{
    ++liveViewObjects;
    view_->SetAccObject(this);
}

TTBViewAccObject::~TTBViewAccObject()
{
    if (view_)
        view_->SetAccObject(nullptr);
    --liveViewObjects;
}

int TTBViewAccObject::LiveCount() { return liveViewObjects; }

void TTBViewAccObject::ClientIsDestroying()
{
    if (!view_)
        return;
    view_->SetAccObject(nullptr);
    view_ = nullptr;
}

bool TTBViewAccObject::isValid() const { return view_ != nullptr; }

// A cut object still names its window: when Qt frees it, Qt forgets it as the window's object
// and asks the factories again.
QObject *TTBViewAccObject::object() const { return window_.data(); }

QWindow *TTBViewAccObject::window() const { return view_ ? TopLevelHandle(view_->Window()) : nullptr; }

TTBItemViewer *TTBViewAccObject::AccessibleViewer(int Index) const
{
    if (!view_ || Index < 0)
        return nullptr;
    for (int i = 0; i < view_->ViewerCount(); ++i) {
        TTBItemViewer *v = view_->Viewers(i);
        if (v->IsAccessible() && Index-- == 0)
            return v;
    }
    return nullptr;
}

QAccessibleInterface *TTBViewAccObject::childAt(int x, int y) const
{
    if (!view_ || !view_->Window())
        return nullptr;
    TWinControl *w = view_->Window();
    const QPoint global(x, y);
    if (!WindowScreenRect(w).contains(global))
        return nullptr;
    if (QWidget *c = w->childAt(w->mapFromGlobal(global))) {
        while (c->parentWidget() != w)
            c = c->parentWidget();
        return QAccessible::queryAccessibleInterface(c);
    }
    TTBItemViewer *v = view_->ViewerFromPoint(w->ScreenToClient({x, y}));
    return v ? TBAccViewerObject(v) : nullptr;
}

QAccessibleInterface *TTBViewAccObject::parent() const
{
    if (!view_)
        return nullptr;
    if (view_->IsPopup())
        if (TTBView *pv = view_->ParentView(); pv && pv->OpenViewer() && pv->OpenViewerView() == view_)
            return TBAccViewerObject(pv->OpenViewer());
    QWidget *w = view_->Window();
    if (!w)
        return nullptr;
    if (QWidget *p = w->parentWidget())
        return QAccessible::queryAccessibleInterface(p);
    return QAccessible::queryAccessibleInterface(qApp);
}

QAccessibleInterface *TTBViewAccObject::child(int index) const
{
    TTBItemViewer *v = AccessibleViewer(index);
    if (!v)
        return nullptr;
    if (TWinControl *c = WindowedControlOf(v))
        return QAccessible::queryAccessibleInterface(c);
    return TBAccViewerObject(v);
}

int TTBViewAccObject::childCount() const
{
    if (!view_)
        return 0;
    int n = 0;
    for (int i = 0; i < view_->ViewerCount(); ++i)
        if (view_->Viewers(i)->IsAccessible())
            ++n;
    return n;
}

int TTBViewAccObject::indexOfChild(const QAccessibleInterface *child) const
{
    if (!view_ || !child)
        return -1;
    int n = 0;
    for (int i = 0; i < view_->ViewerCount(); ++i) {
        TTBItemViewer *v = view_->Viewers(i);
        if (!v->IsAccessible())
            continue;
        const QObject *control = WindowedControlOf(v);
        if (control ? child->object() == control : v->AccObject == child)
            return n;
        ++n;
    }
    return -1;
}

QString TTBViewAccObject::text(QAccessible::Text t) const
{
    if (!view_)
        return {};
    switch (t) {
    case QAccessible::Name: {
        QString s;
        if (TTBView *pv = view_->ParentView(); view_->IsPopup() && pv && pv->OpenViewer())
            s = StripAccelChars(pv->OpenViewer()->GetCaptionText());
        if (s.isEmpty() && view_->Window())
            s = view_->Window()->Caption();
        return s;
    }
    case QAccessible::Accelerator:
        return view_->Style().Contains(TTBViewStyleItem::vsMenuBar) ? GetAltKeyName() : QString();
    default: return {};
    }
}

QRect TTBViewAccObject::rect() const
{
    return view_ && view_->Window() ? WindowScreenRect(view_->Window()) : QRect();
}

QAccessible::Role TTBViewAccObject::role() const
{
    if (!view_)
        return QAccessible::NoRole;
    if (view_->IsPopup())
        return QAccessible::PopupMenu;
    if (view_->Style().Contains(TTBViewStyleItem::vsMenuBar))
        return QAccessible::MenuBar;
    return QAccessible::ToolBar;
}

QAccessible::State TTBViewAccObject::state() const
{
    QAccessible::State s;
    if (!view_)
        s.invalid = 1;
    return s;
}

// ---------------------------------------------------------------------------------------------
// Item viewers

TTBItemViewerAccObject::TTBItemViewerAccObject(TTBItemViewer *AViewer) : viewer_(AViewer)
{
    ++liveViewerObjects;
    viewer_->AccObject = this;
}

TTBItemViewerAccObject::~TTBItemViewerAccObject()
{
    if (viewer_)
        viewer_->AccObject = nullptr;
    --liveViewerObjects;
}

int TTBItemViewerAccObject::LiveCount() { return liveViewerObjects; }

void TTBItemViewerAccObject::ClientIsDestroying()
{
    if (!viewer_)
        return;
    viewer_->AccObject = nullptr;
    viewer_ = nullptr;
}

bool TTBItemViewerAccObject::isValid() const { return viewer_ != nullptr; }

bool TTBItemViewerAccObject::IsAvailable() const { return viewer_ && IsViewerAvailable(viewer_); }

QWindow *TTBItemViewerAccObject::window() const
{
    return viewer_ ? TopLevelHandle(viewer_->View->Window()) : nullptr;
}

QAccessibleInterface *TTBItemViewerAccObject::focusChild() const
{
    if (viewer_ && InMenuLoop(viewer_->View) && viewer_->View->Selected() == viewer_)
        return const_cast<TTBItemViewerAccObject *>(this);
    return nullptr;
}

QAccessibleInterface *TTBItemViewerAccObject::parent() const
{
    return viewer_ ? TBAccViewObject(viewer_->View) : nullptr;
}

QAccessibleInterface *TTBItemViewerAccObject::child(int index) const
{
    if (index != 0 || childCount() == 0)
        return nullptr;
    return TBAccViewObject(viewer_->View->OpenViewerView());
}

int TTBItemViewerAccObject::childCount() const
{
    return viewer_ && viewer_->View->OpenViewer() == viewer_ && viewer_->View->OpenViewerView() ? 1 : 0;
}

int TTBItemViewerAccObject::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || childCount() == 0)
        return -1;
    return viewer_->View->OpenViewerView()->AccObject() == child ? 0 : -1;
}

QString TTBItemViewerAccObject::text(QAccessible::Text t) const
{
    if (!viewer_)
        return {};
    switch (t) {
    case QAccessible::Name: {
        QString s = StripAccelChars(viewer_->GetCaptionText());
        if (!viewer_->UsesToolbarStyle())
            if (const QString sc = viewer_->Item->ItemShortCutText(); !sc.isEmpty())
                s += QLatin1Char('\t') + sc;
        return s;
    }
    case QAccessible::Accelerator: {
        if (!viewer_->CaptionShown())
            return {};
        const char32_t c = FindAccelChar(viewer_->GetCaptionText());
        if (c == 0)
            return {};
        const QString key = QString::fromUcs4(&c, 1).toLower();
        return viewer_->View->IsPopup() ? key : GetAltKeyName() + QLatin1Char('+') + key;
    }
    case QAccessible::Value: {
        QString value;
        return viewer_->GetAccValue(value) ? value : QString();
    }
    default: return {};
    }
}

QRect TTBItemViewerAccObject::rect() const { return viewer_ ? ToQRect(viewer_->ScreenRect()) : QRect(); }

QAccessible::Role TTBItemViewerAccObject::role() const
{
    return viewer_ ? QAccessible::Role(viewer_->GetAccRole()) : QAccessible::NoRole;
}

QAccessible::State TTBItemViewerAccObject::state() const
{
    QAccessible::State s;
    if (!viewer_) {
        s.invalid = 1;
        return s;
    }
    const TTBView *view = viewer_->View;
    const TTBCustomItem *item = viewer_->Item;
    if (view->Selected() == viewer_) {
        s.hotTracked = 1;
        if (InMenuLoop(view))
            s.focused = 1;
        if (view->Capture() && view->MouseOverSelected())
            s.pressed = 1;
    }
    if (HasStyle(item, tbis::HasSubmenu))
        s.hasPopup = 1;
    if (!viewer_->Show && !viewer_->OffEdge)
        s.invisible = 1;
    else if (IsViewActive(view))
        s.focusable = 1;
    if (!item->Enabled() || !HasStyle(item, tbis::Selectable))
        s.disabled = 1;
    if (item->Checked())
        s.checked = 1;
    return s;
}

void *TTBItemViewerAccObject::interface_cast(QAccessible::InterfaceType t)
{
    return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
}

QString TTBItemViewerAccObject::DefaultAction() const
{
    if (!IsAvailable())
        return {};
    const TTBView *view = viewer_->View;
    if (view->OpenViewer() == viewer_)
        return ActionClose;
    if (HasStyle(viewer_->Item, tbis::HasSubmenu))
        return ActionOpen;
    if (view->IsPopup() || view->Style().Contains(TTBViewStyleItem::vsMenuBar))
        return ActionExecute;
    return ActionPress;
}

bool TTBItemViewerAccObject::DoDefaultAction()
{
    if (!IsAvailable())
        return false;
    TTBItemViewer *v = viewer_;
    TTBView *view = v->View;
    if (view->OpenViewer() != v) {
        view->Select(v, false);
        view->ScrollSelectedIntoView();
        QueueItemClick(v, &DeferredAccess, true);
    } else {
        view->CloseChildPopups();
        if (view->IsToolbar() && InMenuLoop(view))
            view->EndModal();
    }
    return true;
}

bool TTBItemViewerAccObject::Select()
{
    if (!viewer_ || !IsViewActive(viewer_->View) || !viewer_->IsAccessible())
        return false;
    TTBItemViewer *v = viewer_;
    TTBView *view = v->View;
    view->Select(v, false);
    view->ScrollSelectedIntoView();
    if (!view->ParentView() && !InMenuLoop(view))
        QueueItemClick(v, &DeferredAccess, false);
    return true;
}

QStringList TTBItemViewerAccObject::actionNames() const
{
    QStringList names;
    if (const QString a = DefaultAction(); !a.isEmpty())
        names << a;
    if (viewer_ && viewer_->IsAccessible() && IsViewActive(viewer_->View))
        names << setFocusAction();
    return names;
}

void TTBItemViewerAccObject::doAction(const QString &actionName)
{
    if (actionName == setFocusAction())
        Select();
    else if (!actionName.isEmpty() && actionName == DefaultAction())
        DoDefaultAction();
}

// ---------------------------------------------------------------------------------------------

TTBViewAccObject *TBAccViewObject(TTBView *AView)
{
    if (!AView)
        return nullptr;
    if (AView->AccObject())
        return AView->AccObject();
    // A view on its way out, or whose window went, gets no new object.
    const auto &views = LiveViews();
    if (std::find(views.begin(), views.end(), AView) == views.end())
        return nullptr;
    TWinControl *w = AView->Window();
    auto *obj = dynamic_cast<TTBViewAccObject *>(QAccessible::queryAccessibleInterface(w));
    if (!obj || obj->View() != AView) {
        ForgetQtObject(w);
        obj = dynamic_cast<TTBViewAccObject *>(QAccessible::queryAccessibleInterface(w));
    }
    return obj && obj->View() == AView ? obj : nullptr;
}

TTBItemViewerAccObject *TBAccViewerObject(TTBItemViewer *AViewer)
{
    if (!AViewer)
        return nullptr;
    if (!AViewer->AccObject)
        QAccessible::registerAccessibleInterface(new TTBItemViewerAccObject(AViewer));
    return AViewer->AccObject;
}

void TBAccViewCreated(TTBView *AView)
{
    if (!AView->Window())
        return;
    Install();
    LiveViews().push_back(AView);
    // A window may go before its view; the view then no longer answers for that address.
    QWidget *w = AView->Window();
    QObject::connect(w, &QObject::destroyed,
                     [w] { std::erase_if(LiveViews(), [w](const TTBView *v) { return v->Window() == w; }); });
    // Only a shown window, or one a listening client may know, can hold Qt's own object.
    if (w->isVisible() || QAccessible::isActive())
        ForgetQtObject(w);
}

void TBAccViewDestroying(TTBView *AView)
{
    std::erase(LiveViews(), AView);
    if (TTBViewAccObject *obj = AView->AccObject()) {
        obj->ClientIsDestroying();
        ReleaseLater(obj);
    }
}

void TBAccViewerDestroying(TTBItemViewer *AViewer)
{
    if (TTBItemViewerAccObject *obj = AViewer->AccObject) {
        obj->ClientIsDestroying();
        ReleaseLater(obj);
    }
}

QAccessibleInterface *TBAccEventTarget(unsigned Event, QWidget *Wnd, int ChildID)
{
    TTBViewAccObject *obj = TBAccViewObject(ViewOfWindow(Wnd));
    if (!obj)
        return QAccessible::queryAccessibleInterface(Wnd);
    if (Event == EVENT_OBJECT_FOCUS && ChildID > 0)
        if (QAccessibleInterface *c = obj->child(ChildID - 1))
            return c;
    return obj;
}

void TBAccNotifyWinEvent(unsigned Event, QWidget *Wnd, int ObjectID, int ChildID)
{
    if (!Wnd || ObjectID != OBJID_CLIENT || !QAccessible::isActive())
        return;
    if (QAccessibleInterface *target = TBAccEventTarget(Event, Wnd, ChildID)) {
        QAccessibleEvent ev(target, QAccessible::Event(Event));
        QAccessible::updateAccessibility(&ev);
    }
}

QString GetAltKeyName()
{
    const QString name = QKeySequence(Qt::Key_Alt).toString(QKeySequence::NativeText);
    return name.isEmpty() ? QStringLiteral("Alt") : name;
}
