#include "shared/QtCommandBuilder.h"

#include "shared/Commands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace {

void SyncAction(const TCommand &command, QAction *action)
{
    action->setText(command.Caption());
    action->setShortcut(command.ShortCut());
    action->setToolTip(command.Hint());
    action->setIcon(command.Icon());
    action->setEnabled(command.Enabled());
    action->setVisible(command.Visible());
    action->setCheckable(command.AutoCheck() || command.RadioItem() || command.Checked());
    action->setChecked(command.Checked());
}

} // namespace

TQtCommandBuilder::TQtCommandBuilder(QWidget *owner) : owner_(owner) {}

void TQtCommandBuilder::Sync(TCommand &command, QAction *action) { SyncAction(command, action); }

QAction *TQtCommandBuilder::ActionOf(TCommand &command)
{
    if (QAction *known = actions_.value(&command))
        return known;
    QAction *action = nullptr;
    if (command.Kind() == TCommandKind::Submenu) {
        QMenu *menu = new QMenu(owner_);
        menu->setObjectName(command.Name());
        QObject::connect(menu, &QMenu::aboutToShow, menu, [&command] { command.Popup(); });
        action = menu->menuAction();
        actions_.insert(&command, action);
        Fill(menu, command);
    } else {
        action = new QAction(owner_);
        // Qt has already flipped a checkable action; the command decides the mark.
        QObject::connect(action, &QAction::triggered, action, [&command, action] {
            command.Click();
            SyncAction(command, action);
        });
        actions_.insert(&command, action);
    }
    action->setObjectName(command.Name());
    Sync(command, action);
    QPointer<QAction> watched = action;
    command.AddChangeListener([&command, watched] {
        if (watched)
            SyncAction(command, watched);
    });
    return action;
}

void TQtCommandBuilder::Fill(QWidget *host, TCommand &root)
{
    auto *menu = qobject_cast<QMenu *>(host);
    auto *bar = qobject_cast<QToolBar *>(host);
    for (TCommand *item : root.Items()) {
        switch (item->Kind()) {
        case TCommandKind::Separator:
            if (menu)
                menu->addSeparator();
            else if (bar)
                bar->addSeparator();
            break;
        case TCommandKind::Group:
            Fill(host, *item);
            break;
        case TCommandKind::Control:
            if (QWidget *control = controls_.value(item->Name()); control && bar) {
                // The control follows its item's Enabled; the tool bar's holder of it, Visible.
                QPointer<QAction> holder = bar->addWidget(control);
                QPointer<QWidget> watched = control;
                const auto sync = [item, holder, watched] {
                    if (watched)
                        watched->setEnabled(item->Enabled());
                    if (holder)
                        holder->setVisible(item->Visible());
                };
                item->AddChangeListener(sync);
                sync();
            }
            break;
        case TCommandKind::Submenu:
        case TCommandKind::Item:
            host->addAction(ActionOf(*item));
            if (bar && item->Kind() == TCommandKind::Submenu) {
                if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(ActionOf(*item))))
                    button->setPopupMode(QToolButton::InstantPopup);
            }
            break;
        }
    }
}

QMenu *TQtCommandBuilder::Popup(TCommand &root)
{
    return ActionOf(root)->menu();
}

void TQtCommandBuilder::AttachKey(QWidget *widget, TCommand &command, Qt::ShortcutContext context)
{
    QAction *action = ActionOf(command);
    action->setShortcutContext(context);
    widget->addAction(action);
}
