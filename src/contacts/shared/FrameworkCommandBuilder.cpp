#include "shared/FrameworkCommandBuilder.h"

#include "shared/Commands.h"

#include "themed/SpTBXItem.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemWindow.h"

#include "platform/Forms.h"
#include "platform/ImgList.h"
#include "platform/Menus.h"

#include <QAction>
#include <QIcon>
#include <QPointer>
#include <QWidget>

namespace {

TShortCut ShortCutOf(const TCommand &command)
{
    if (command.ShortCut().isEmpty())
        return scNone;
    return TextToShortCut(command.ShortCut().toString(QKeySequence::PortableText));
}

TPopupMenuRunner &PopupMenuRunner()
{
    static TPopupMenuRunner runner;
    return runner;
}

} // namespace

void SetPopupMenuRunner(TPopupMenuRunner runner)
{
    PopupMenuRunner() = std::move(runner);
}

void RunPopupMenu(TTBPopupMenu &menu, const QPoint &screen)
{
    if (PopupMenuRunner())
        PopupMenuRunner()(menu, screen);
    else
        menu.Popup(screen.x(), screen.y());
}

TFrameworkCommandBuilder::TFrameworkCommandBuilder(TComponent *owner, int iconSize)
    : TComponent(nullptr), owner_(owner), images_(new TTBImageList(owner ? owner : this)), iconSize_(iconSize)
{
    images_->SetSize(iconSize, iconSize);
}

TFrameworkCommandBuilder::~TFrameworkCommandBuilder()
{
    for (auto it = listeners_.begin(); it != listeners_.end(); ++it)
        const_cast<TCommand *>(it.key())->RemoveChangeListener(it.value());
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        for (TTBCustomItem *item : it.value())
            item->RemoveFreeNotification(this);
    }
}

void TFrameworkCommandBuilder::Notification(TComponent *AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    for (auto &list : items_)
        std::erase(list, AComponent);
}

void TFrameworkCommandBuilder::SetControl(const QString &name, QWidget *widget)
{
    const QSize size = widget->size();
    auto *holder = new TWidgetControl(owner_, widget);
    holder->SetBounds(0, 0, size.width(), size.height());
    controls_.insert(name, holder);
}

std::vector<TTBCustomItem *> TFrameworkCommandBuilder::ItemsOf(const TCommand &command) const
{
    return items_.value(&command);
}

int TFrameworkCommandBuilder::ImageOf(const TCommand &command)
{
    if (command.Icon().isNull())
        return -1;
    const qint64 key = command.Icon().cacheKey();
    if (auto known = imageIndex_.constFind(key); known != imageIndex_.cend())
        return *known;
    const QImage image = command.Icon().pixmap(iconSize_, iconSize_).toImage().scaled(
        iconSize_, iconSize_, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage square(iconSize_, iconSize_, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    {
        QPainter painter(&square);
        painter.drawImage((iconSize_ - image.width()) / 2, (iconSize_ - image.height()) / 2, image);
    }
    const int index = images_->AddImage(square);
    imageIndex_.insert(key, index);
    return index;
}

void TFrameworkCommandBuilder::Sync(TCommand &command)
{
    for (TTBCustomItem *item : items_.value(&command)) {
        if (auto *control = dynamic_cast<TTBControlItem *>(item)) {
            // The hosted widget follows Enabled; the item, Visible.
            if (auto *holder = dynamic_cast<TWidgetControl *>(control->Control()); holder && holder->Widget())
                holder->Widget()->setEnabled(command.Enabled());
            item->SetVisible(command.Visible());
            continue;
        }
        if (auto *wide = dynamic_cast<TSpTBXCustomItem *>(item)) {
            wide->SetCaptionW(command.Caption());
            wide->SetHintW(command.Hint());
        }
        item->SetShortCut(ShortCutOf(command));
        item->SetImageIndex(ImageOf(command));
        item->SetEnabled(command.Enabled());
        item->SetVisible(command.Visible());
        item->SetChecked(command.Checked());
    }
}

void TFrameworkCommandBuilder::Follow(TCommand &command, TTBCustomItem *item)
{
    item->FreeNotification(this);
    if (!listeners_.contains(&command))
        listeners_.insert(&command, command.AddChangeListener([this, &command] { Sync(command); }));
    items_[&command].push_back(item);
    Sync(command);
}

TTBCustomItem *TFrameworkCommandBuilder::MakeItem(TCommand &command)
{
    TTBCustomItem *item = nullptr;
    if (command.Kind() == TCommandKind::Submenu) {
        auto *menu = new TSpTBXSubmenuItem(nullptr);
        menu->OnPopup = [&command](TTBCustomItem *, bool) { command.Popup(); };
        // Its separators size the menu's image column from the list their menu names.
        menu->SetSubMenuImages(images_);
        Fill(menu, command);
        item = menu;
    } else {
        auto *plain = new TSpTBXItem(nullptr);
        // The command flips its own check mark; the item only shows it.
        plain->OnClick = [this, &command](TComponent *) {
            command.Click();
            Sync(command);
        };
        item = plain;
    }
    item->SetImages(images_);
    return item;
}

void TFrameworkCommandBuilder::Fill(TTBCustomItem *host, TCommand &root, TWinControl *bar)
{
    for (TCommand *command : root.Items()) {
        switch (command->Kind()) {
        case TCommandKind::Separator:
            host->Add(new TSpTBXSeparatorItem(nullptr));
            break;
        case TCommandKind::Control: {
            TWidgetControl *holder = controls_.value(command->Name());
            if (!holder || !bar)
                break;
            // The item first: a control put on a toolbar without one gets an item of its own.
            TTBControlItem *item = TTBControlItem::CreateControlItem(nullptr, holder);
            host->Add(item);
            holder->SetParent(bar);
            Follow(*command, item);
            break;
        }
        case TCommandKind::Submenu:
        case TCommandKind::Item: {
            TTBCustomItem *item = MakeItem(*command);
            host->Add(item);
            Follow(*command, item);
            break;
        }
        }
    }
}

TTBPopupMenu *TFrameworkCommandBuilder::Popup(TCommand &root)
{
    auto *menu = new TTBXPopupMenu(owner_);
    menu->SetImages(images_);
    menu->OnPopup = [&root](TComponent *) { root.Popup(); };
    Fill(menu->Items(), root);
    return menu;
}

void TFrameworkCommandBuilder::AttachKey(QWidget *widget, TCommand &command, Qt::ShortcutContext context)
{
    auto *action = new QAction(widget);
    action->setShortcutContext(context);
    QObject::connect(action, &QAction::triggered, action, [&command] { command.Click(); });
    QPointer<QAction> watched = action;
    const auto sync = [&command, watched] {
        if (!watched)
            return;
        watched->setShortcut(command.ShortCut());
        watched->setEnabled(command.Enabled());
    };
    // The widget may outlive the window's commands or go first; the listener only looks.
    command.AddChangeListener(sync);
    sync();
    widget->addAction(action);
}
