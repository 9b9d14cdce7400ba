#pragma once
// Accessibility objects of views and item viewers: screen readers see a toolbar, a menu bar or
// a popup menu as one object per view whose children are its viewers' objects. The objects
// only read the views and forward actions into the menu machinery. Qt's accessibility layer
// carries them to clients; its role and event numbers are the published accessibility ones.
#include "Forward.h"

#include <QAccessibleInterface>
#include <QPointer>
#include <QString>
#include <QWidget>

// What every object shares: the link to its view or viewer, cut when that goes, after which
// every call answers as an invalid object. Every live object is in one process-wide list.
class TTBCustomAccObject : public QAccessibleInterface
{
public:
    TTBCustomAccObject();
    ~TTBCustomAccObject() override;
    TTBCustomAccObject(const TTBCustomAccObject &) = delete;
    TTBCustomAccObject &operator=(const TTBCustomAccObject &) = delete;

    // Cuts the link to the view or viewer; the object stays answerable until Qt frees it.
    virtual void ClientIsDestroying() = 0;

    void setText(QAccessible::Text t, const QString &text) override {}
    QAccessibleInterface *childAt(int x, int y) const override { return nullptr; }

private:
    friend void TBAccDisconnectAll();
    TTBCustomAccObject *prev_ = nullptr;
    TTBCustomAccObject *next_ = nullptr;
};

class TTBViewAccObject final : public TTBCustomAccObject
{
public:
    explicit TTBViewAccObject(TTBView *AView);
    ~TTBViewAccObject() override;

    TTBView *View() const { return view_; }
    void ClientIsDestroying() override;
    static int LiveCount();

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

private:
    TTBItemViewer *AccessibleViewer(int Index) const;

    TTBView *view_;
    QPointer<QWidget> window_;
};

class TTBItemViewerAccObject final : public TTBCustomAccObject, public QAccessibleActionInterface
{
public:
    explicit TTBItemViewerAccObject(TTBItemViewer *AViewer);
    ~TTBItemViewerAccObject() override;

    TTBItemViewer *Viewer() const { return viewer_; }
    void ClientIsDestroying() override;
    static int LiveCount();

    // The default action, "Open", "Close", "Execute" or "Press"; empty when not available.
    QString DefaultAction() const;
    // False when the viewer is gone or not available.
    bool DoDefaultAction();
    // Takes the focus: selects the viewer; false when the view is not active.
    bool Select();

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *focusChild() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override { return {}; }

private:
    bool IsAvailable() const;

    TTBItemViewer *viewer_;
};

// The object of a view, made on the first request, Qt's answer for the view's window; nullptr
// for a view without a window.
TTBViewAccObject *TBAccViewObject(TTBView *AView);
// The object of a viewer, made on first use.
TTBItemViewerAccObject *TBAccViewerObject(TTBItemViewer *AViewer);

// Called by views and viewers as they come and go.
void TBAccViewCreated(TTBView *AView);
void TBAccViewDestroying(TTBView *AView);
void TBAccViewerDestroying(TTBItemViewer *AViewer);

// The framework's accessibility events (CallNotifyWinEvent) as Qt accessibility events, sent
// while a client listens. A focus event names the viewer ChildID (from 1) of the window's view.
void TBAccNotifyWinEvent(unsigned Event, QWidget *Wnd, int ObjectID, int ChildID);
QAccessibleInterface *TBAccEventTarget(unsigned Event, QWidget *Wnd, int ChildID);

// The name of the Alt key as the keyboard shows it, "Alt" when it has none.
QString GetAltKeyName();

// Cuts every live object from its view or viewer and hands it back to Qt.
void TBAccDisconnectAll();
