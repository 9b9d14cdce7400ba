#pragma once
#include <QHash>
#include <QPointer>
#include <QString>

class QAction;
class QToolBar;
class QWidget;
class TCommand;

// Presents commands as plain Qt tool bars (the few bars of the program that the theme does not
// paint): one QAction per command, kept in step with it; a triggered action clicks its command.
// Menus are made by TFrameworkCommandBuilder.
class TQtCommandBuilder
{
public:
    // The actions are children of `owner`.
    explicit TQtCommandBuilder(QWidget *owner);

    // Adds the items of `root` to a tool bar; a sub-menu or a control has no place on such a bar.
    void Fill(QToolBar *bar, TCommand &root);
    QAction *ActionOf(TCommand &command);

private:
    QWidget *owner_;
    QHash<TCommand *, QPointer<QAction>> actions_;
};
