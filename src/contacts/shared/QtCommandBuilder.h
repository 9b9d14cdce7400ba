#pragma once
#include <QHash>
#include <QPointer>
#include <Qt>

class QAction;
class QMenu;
class QWidget;
class TCommand;

// Presents commands as Qt menus, menu bars and tool bars: one QAction per command, kept in step
// with it; a triggered action clicks its command. A window makes its menus through one builder,
// so another presentation replaces only this class.
class TQtCommandBuilder
{
public:
    // The actions and menus are children of `owner`.
    explicit TQtCommandBuilder(QWidget *owner);

    // Adds the items of `root` to a menu bar, menu or tool bar.
    void Fill(QWidget *host, TCommand &root);
    // A popup menu holding the items of `root`; its OnPopup runs before it shows.
    QMenu *Popup(TCommand &root);
    // Lets the command's key work wherever `widget` has the focus chain the context asks for.
    void AttachKey(QWidget *widget, TCommand &command, Qt::ShortcutContext context = Qt::WindowShortcut);
    QAction *ActionOf(TCommand &command);
    // The widget that a Control item of this name stands for; set before Fill meets it.
    void SetControl(const QString &name, QWidget *widget) { controls_.insert(name, widget); }

private:
    void Sync(TCommand &command, QAction *action);

    QWidget *owner_;
    QHash<TCommand *, QPointer<QAction>> actions_;
    QHash<QString, QWidget *> controls_;
};
