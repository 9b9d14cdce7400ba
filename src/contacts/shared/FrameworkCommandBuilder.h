#pragma once
#include "platform/Classes.h"

#include <QHash>
#include <QPoint>
#include <QString>
#include <Qt>
#include <functional>
#include <vector>

class QWidget;
class TCommand;
class TTBImageList;
class TTBCustomItem;
class TTBPopupMenu;
class TWinControl;
class TWidgetControl;

// Presents commands as framework items (wide-string items, sub-menus, separators and control
// items hosting Qt widgets) in tool bars, menu bars and popup menus. A command shown in
// several places gets one item in each, all kept in step with it; a clicked item clicks its
// command. Every menu of the program is made here; TQtCommandBuilder only fills the plain Qt tool
// bars that remain.
class TFrameworkCommandBuilder : public TComponent
{
public:
    // The popup menus and the widgets' holders are owned by `owner`; items belong to the item
    // they are added to; icons are drawn at `iconSize` pixels into a framework image list of
    // `owner` (of the builder without one), which draws them itself in every theme.
    explicit TFrameworkCommandBuilder(TComponent *owner, int iconSize = 16);
    ~TFrameworkCommandBuilder() override;

    // Adds the items of `root` below `host` (a tool bar's or popup menu's root, a sub-menu item);
    // the widgets of Control items go into `bar`, the tool bar showing them (none in menus).
    void Fill(TTBCustomItem *host, TCommand &root, TWinControl *bar = nullptr);
    // A popup menu painted by the current theme, holding the items of `root`; its OnPopup runs
    // before it shows.
    TTBPopupMenu *Popup(TCommand &root);
    // Lets the command's key work wherever `widget` has the focus chain the context asks for; a
    // popup menu shows the key but does not listen for it.
    void AttachKey(QWidget *widget, TCommand &command, Qt::ShortcutContext context = Qt::WindowShortcut);
    // The widget a Control item of this name stands for; set before Fill meets it.
    void SetControl(const QString &name, QWidget *widget);
    // The items made for a command, in the order they were made.
    std::vector<TTBCustomItem *> ItemsOf(const TCommand &command) const;

protected:
    void Notification(TComponent *AComponent, TOperation Operation) override;

private:
    TTBCustomItem *MakeItem(TCommand &command);
    void Follow(TCommand &command, TTBCustomItem *item);
    void Sync(TCommand &command);
    int ImageOf(const TCommand &command);

    TComponent *owner_;
    TTBImageList *images_;
    int iconSize_;
    QHash<const TCommand *, std::vector<TTBCustomItem *>> items_;
    QHash<const TCommand *, int> listeners_;
    QHash<QString, TWidgetControl *> controls_;
    QHash<qint64, int> imageIndex_;
};

// Runs a context menu at a point on the screen until it closes: the menu's own loop, so the
// release of the button that opened it chooses nothing. A test puts a recorder in its place,
// since the loop would wait for a hand that is not there; an empty runner restores the loop.
using TPopupMenuRunner = std::function<void(TTBPopupMenu &menu, const QPoint &screen)>;
void SetPopupMenuRunner(TPopupMenuRunner runner);
void RunPopupMenu(TTBPopupMenu &menu, const QPoint &screen);
