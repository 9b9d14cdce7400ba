#include "Forms.h"

#include "InputRouter.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>

namespace {

std::vector<TForm *> &AllForms()
{
    static std::vector<TForm *> forms;
    return forms;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TForm

TForm::TForm(TComponent *AOwner) : TCustomControl(AOwner)
{
    Application();
    AllForms().push_back(this);
    SetColor(clBtnFace);
    SetParentColor(false);
    SetVisible(false);
    setFocusPolicy(Qt::NoFocus);
}

TForm::~TForm()
{
    Destroying();
    DestroyComponents();
    if (modalLoop_)
        modalLoop_->exit();
    auto &forms = AllForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

TForm *GetParentForm(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (auto *f = dynamic_cast<const TForm *>(w))
            return const_cast<TForm *>(f);
    }
    return nullptr;
}

bool TForm::Active() const { return isActiveWindow() && !isHidden(); }

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

TCloseAction TForm::DoClose(TCloseAction action)
{
    if (OnClose)
        OnClose(this, action);
    return action;
}

void TForm::Close()
{
    if (modalLoop_) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery())
        return;
    switch (DoClose(TCloseAction::caHide)) {
    case TCloseAction::caNone: return;
    case TCloseAction::caHide: Hide(); return;
    case TCloseAction::caMinimize: showMinimized(); return;
    case TCloseAction::caFree:
        Hide();
        Release();
        return;
    }
}

void TForm::closeEvent(QCloseEvent *event)
{
    // The window manager's close button or the application quitting: the form decides. The
    // event is accepted only when the form went away, so a refusal also stops a quit.
    Close();
    event->setAccepted(isHidden());
}

void TForm::Release() { deleteLater(); }

void TForm::SetModalResult(TModalResult value)
{
    modalResult_ = value;
    if (modalLoop_ && value != mrNone)
        modalLoop_->exit();
}

bool TForm::CloseModal()
{
    if (!CloseQuery()) {
        modalResult_ = mrNone;
        return false;
    }
    if (DoClose(TCloseAction::caHide) == TCloseAction::caNone) {
        modalResult_ = mrNone;
        return false;
    }
    return true;
}

TModalResult TForm::ShowModal()
{
    if (modalLoop_ || !isHidden())
        throw EInvalidOperation(QStringLiteral("Cannot make a visible window modal"));
    CancelHint();
    if (TControl *capture = GetCaptureControl())
        capture->Perform(WM_CANCELMODE);
    modalResult_ = mrNone;
    setWindowModality(Qt::ApplicationModal);
    QPointer<TForm> self(this);
    QEventLoop loop;
    modalLoop_ = &loop;
    Show();
    for (;;) {
        loop.exec();
        if (!self)
            return mrCancel;
        if (modalResult_ == mrNone && isHidden())
            modalResult_ = mrCancel;
        if (modalResult_ != mrNone && CloseModal())
            break;
        if (isHidden())
            Show();
    }
    modalLoop_ = nullptr;
    Hide();
    setWindowModality(Qt::NonModal);
    return modalResult_;
}

bool TForm::IsShortCut(TMessage &Message)
{
    bool handled = false;
    if (OnShortCut)
        OnShortCut(Message, handled);
    return handled;
}

void TForm::PlaceOnShow()
{
    TForm *center = nullptr;
    switch (position_) {
    case TPosition::poMainFormCenter: center = Application()->MainForm(); break;
    case TPosition::poOwnerFormCenter: center = dynamic_cast<TForm *>(Owner()); break;
    case TPosition::poScreenCenter:
    case TPosition::poDesktopCenter: break;
    default: return;
    }
    if (center == this || (center && center->isHidden()))
        center = nullptr;
    const TRect work = center ? MonitorRectFromRect(center->BoundsRect(), true)
                              : MonitorRectFromPoint(GetCursorPos(), true);
    const TRect around = center ? center->BoundsRect() : work;
    // The top-left corner stays on the monitor, so the caption stays within reach.
    const TPoint at = CenteredWithin(around, Width(), Height(), work);
    SetBounds(at.X, at.Y, Width(), Height());
}

void TForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TForm::Activate()
{
    if (OnActivate)
        OnActivate(this);
}

void TForm::Deactivate()
{
    if (OnDeactivate)
        OnDeactivate(this);
}

bool TForm::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
        // Sent before the window maps, so it appears in its place.
        if (!event->spontaneous()) {
            shownOnce_ = true;
            PlaceOnShow();
            DoShow();
        }
        break;
    case QEvent::Hide:
        if (!event->spontaneous())
            DoHide();
        break;
    case QEvent::WindowActivate:
        Perform(CM_ACTIVATE);
        break;
    case QEvent::WindowDeactivate:
        Perform(CM_DEACTIVATE);
        break;
    default: break;
    }
    return TCustomControl::event(event);
}

void TForm::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case CM_ACTIVATE: Activate(); return;
    case CM_DEACTIVATE: Deactivate(); return;
    case WM_CLOSE: Close(); return;
    case WM_SYSCOMMAND:
        switch (Message.WParam & 0xFFF0) {
        case SC_KEYMENU:
            // The menu bar of the form answers it through the application's hooks.
            Message.Result = Application()->Perform(CM_APPSYSCOMMAND, 0, LPARAM(&Message));
            return;
        case SC_CLOSE: Close(); return;
        case SC_MINIMIZE: showMinimized(); return;
        case SC_MAXIMIZE: showMaximized(); return;
        case SC_RESTORE: showNormal(); return;
        default: return;
        }
    default: TCustomControl::WndProc(Message); return;
    }
}

// ---------------------------------------------------------------------------------------------
// TWidgetControl

TWidgetControl::TWidgetControl(TComponent *AOwner, QWidget *widget) : TWinControl(AOwner)
{
    SetTabStop(true);
    SetWidget(widget);
}

void TWidgetControl::SetWidget(QWidget *widget)
{
    if (widget == widget_)
        return;
    widget_ = widget;
    if (!widget)
        return;
    widget->setParent(this);
    setFocusProxy(widget);
    FitWidget();
    widget->show();
}

void TWidgetControl::FitWidget()
{
    if (!widget_)
        return;
    const TRect m = NCMargins();
    const TRect c = ClientRect();
    widget_->setGeometry(m.Left, m.Top, c.Width(), c.Height());
}

void TWidgetControl::WndProc(TMessage &Message)
{
    TWinControl::WndProc(Message);
    if (Message.Msg == WM_SIZE)
        FitWidget();
}

// ---------------------------------------------------------------------------------------------
// TApplication

namespace {

// The desktop's font changed, and with it the menu font the system metrics name: every control
// hears of it as of a change of those settings.
void BroadcastMetricsChange()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        std::vector<QPointer<TControl>> controls;
        if (auto *c = dynamic_cast<TControl *>(w))
            controls.emplace_back(c);
        for (TControl *c : w->findChildren<TControl *>())
            controls.emplace_back(c);
        for (const QPointer<TControl> &c : controls)
            if (c)
                c->Perform(CM_WININICHANGE, SPI_SETNONCLIENTMETRICS);
    }
}

} // namespace

struct TApplicationHolder : QObject {
    TApplication application;
    explicit TApplicationHolder(QObject *parent) : QObject(parent) { parent->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::ApplicationFontChange)
            BroadcastMetricsChange();
        return false;
    }
};

namespace {

QPointer<TApplicationHolder> &ApplicationHolder()
{
    static QPointer<TApplicationHolder> holder;
    return holder;
}

} // namespace

TApplication::TApplication()
{
    TInputRouter &router = TInputRouter::Instance();
    router.SetShortCutChain([this](QWidget *focus, QKeyEvent *event) { return KeyDownChain(focus, event); });
    router.SetKeyMenuHandler([this](QWidget *focus, WPARAM key) { KeyMenu(focus, key); },
                             [](QWidget *focus) { return KeyForm(focus) != nullptr; });
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, qApp, [this](Qt::ApplicationState state) {
        const bool active = state == Qt::ApplicationActive;
        if (active == active_)
            return;
        active_ = active;
        if (active && OnActivate)
            OnActivate(nullptr);
        else if (!active && OnDeactivate)
            OnDeactivate(nullptr);
    });
    // Idle: the event loop is about to wait for the next event.
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance(qApp->thread()))
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, qApp, [this] { UpdateActions(); });
}

namespace {

void InitiateActions(TControl *c)
{
    c->InitiateAction();
    if (auto *w = dynamic_cast<TWinControl *>(c))
        for (int i = 0; i < w->ControlCount(); ++i)
            InitiateActions(w->Controls(i));
}

} // namespace

void TApplication::UpdateActions()
{
    if (updatingActions_)
        return;
    struct TFlag {
        bool &flag;
        ~TFlag() { flag = false; }
    } guard{updatingActions_ = true};
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *form = dynamic_cast<TForm *>(w); form && form->isVisible())
            InitiateActions(form);
}

TApplication *TApplication::Instance()
{
    QPointer<TApplicationHolder> &holder = ApplicationHolder();
    if (!holder)
        holder = new TApplicationHolder(qApp);
    return &holder->application;
}

TApplication *Application() { return TApplication::Instance(); }

bool TApplication::Active() const { return QApplication::activeWindow() != nullptr; }

void TApplication::SetHint(const QString &value)
{
    if (value == hint_)
        return;
    hint_ = value;
    if (OnHint)
        OnHint(nullptr);
}

void TApplication::CancelHint() { ::CancelHint(); }

void TApplication::HookMainWindow(const void *Owner, TWindowHook Hook)
{
    UnhookMainWindow(Owner);
    hooks_.push_back({Owner, std::move(Hook)});
}

void TApplication::UnhookMainWindow(const void *Owner)
{
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [Owner](const THook &h) { return h.owner == Owner; }),
                 hooks_.end());
}

LRESULT TApplication::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    // A hook may unhook (itself or others) while it runs.
    const std::vector<THook> hooks = hooks_;
    for (const THook &h : hooks) {
        if (h.hook(m))
            return 1;
    }
    if (Msg == CM_APPKEYDOWN && LParam && IsShortCut(*reinterpret_cast<TMessage *>(LParam)))
        return 1;
    return m.Result;
}

bool TApplication::IsShortCut(TMessage &Message)
{
    bool handled = false;
    if (OnShortCut)
        OnShortCut(Message, handled);
    TForm *main = MainForm();
    return handled || (main && IsWindowEnabled(main) && main->IsShortCut(Message));
}

bool IsWindowEnabled(const QWidget *widget)
{
    if (!widget || !widget->isEnabled())
        return false;
    const QWidget *modal = QApplication::activeModalWidget();
    for (const QWidget *w = widget->window(); modal && w; w = w->parentWidget())
        if (w == modal)
            return true;
    return !modal;
}

TForm *KeyForm(const QWidget *focus)
{
    TForm *form = GetParentForm(focus);
    return IsWindowEnabled(form) ? form : nullptr;
}

bool TApplication::HelpContext(int Context) { return HelpCommand(0x0001 /* HELP_CONTEXT */, Context); }

bool TApplication::HelpCommand(int Command, std::intptr_t Data)
{
    bool callHelp = true;
    return OnHelp ? OnHelp(WORD(Command), Data, callHelp) : false;
}

void TApplication::ProcessMessages() { QCoreApplication::processEvents(); }

namespace {

// The keys a text field edits with. They stay the field's even when a shortcut of the program
// has the same key: otherwise Delete in a field would delete what the window has selected.
bool IsTextFieldEditKey(const QWidget *focus, const QKeyEvent *event)
{
    // An editable combo box keeps the focus itself while its line edit types.
    const auto *combo = qobject_cast<const QComboBox *>(focus);
    if (!qobject_cast<const QLineEdit *>(focus) && !qobject_cast<const QTextEdit *>(focus) &&
        !qobject_cast<const QPlainTextEdit *>(focus) && !qobject_cast<const QAbstractSpinBox *>(focus) &&
        !(combo && combo->isEditable()))
        return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods & (Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: return true;
    case Qt::Key_A:
    case Qt::Key_C:
    case Qt::Key_V:
    case Qt::Key_X:
    case Qt::Key_Z: return (mods & Qt::ControlModifier) != 0;
    default: return false;
    }
}

} // namespace

bool TApplication::KeyDownChain(QWidget *focus, QKeyEvent *event)
{
    const TShortCut sc = ShortCutFromKeyEvent(event);
    if (sc == scNone || IsTextFieldEditKey(focus, event))
        return false;
    const bool alt = sc & scAlt;
    TMessage key{alt ? WM_SYSKEYDOWN : WM_KEYDOWN, WPARAM(sc & 0xFF), alt ? LPARAM(1) | (LPARAM(1) << 29) : LPARAM(1), 0};
    TForm *form = KeyForm(focus);
    if (form && form->IsShortCut(key))
        return true;
    return Perform(CM_APPKEYDOWN, key.WParam, LPARAM(&key)) != 0;
}

void TApplication::KeyMenu(QWidget *focus, WPARAM key)
{
    TForm *form = KeyForm(focus);
    if (!form)
        return;
    // A control whose caption has the accelerator (a button, a label) takes it before the menu.
    if (key != 0 && form->Perform(CM_DIALOGCHAR, key, LPARAM(1) << 29) != 0)
        return;
    form->Perform(WM_SYSCOMMAND, SC_KEYMENU, LPARAM(key));
}

// ---------------------------------------------------------------------------------------------
// TScreen

TScreen *TScreen::Instance()
{
    static TScreen screen;
    return &screen;
}

TScreen *Screen() { return TScreen::Instance(); }

TForm *TScreen::ActiveForm() const { return GetParentForm(QApplication::activeWindow()); }

int TScreen::FormCount() const { return int(AllForms().size()); }

TForm *TScreen::Forms(int index) const { return AllForms().at(size_t(index)); }

int TScreen::MonitorCount() const { return ::MonitorCount(); }

void TScreen::SetCursor(TCursor value)
{
    if (value == cursor_)
        return;
    if (cursor_ != crDefault)
        QApplication::restoreOverrideCursor();
    cursor_ = value;
    if (value != crDefault)
        QApplication::setOverrideCursor(CursorFromTCursor(value));
}
