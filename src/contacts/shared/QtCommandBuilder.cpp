#include "shared/QtCommandBuilder.h"

#include "shared/Commands.h"

#include <QAction>
#include <QToolBar>

namespace {

void SyncAction(const TCommand &command, QAction *action)
{
    action->setText(command.Caption());
    action->setShortcut(command.ShortCut());
    action->setToolTip(command.Hint());
    action->setIcon(command.Icon());
    action->setEnabled(command.Enabled());
    action->setVisible(command.Visible());
    action->setCheckable(command.Checked());
    action->setChecked(command.Checked());
}

} // namespace

TQtCommandBuilder::TQtCommandBuilder(QWidget *owner) : owner_(owner) {}

QAction *TQtCommandBuilder::ActionOf(TCommand &command)
{
    if (QAction *known = actions_.value(&command))
        return known;
    auto *action = new QAction(owner_);
    // Qt has already flipped a checkable action; the command decides the mark.
    QObject::connect(action, &QAction::triggered, action, [&command, action] {
        command.Click();
        SyncAction(command, action);
    });
    actions_.insert(&command, action);
    action->setObjectName(command.Name());
    SyncAction(command, action);
    QPointer<QAction> watched = action;
    command.AddChangeListener([&command, watched] {
        if (watched)
            SyncAction(command, watched);
    });
    return action;
}

void TQtCommandBuilder::Fill(QToolBar *bar, TCommand &root)
{
    for (TCommand *item : root.Items()) {
        switch (item->Kind()) {
        case TCommandKind::Separator:
            bar->addSeparator();
            break;
        case TCommandKind::Item:
            bar->addAction(ActionOf(*item));
            break;
        case TCommandKind::Submenu:
        case TCommandKind::Control:
            break;
        }
    }
}
