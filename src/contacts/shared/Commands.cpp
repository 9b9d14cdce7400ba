#include "shared/Commands.h"

TCommand::TCommand(TCommandKind kind, const QString &name) : kind_(kind), name_(name) {}

void TCommand::Changed()
{
    // A listener may take itself off while it runs.
    const auto listeners = listeners_;
    for (const auto &[id, listener] : listeners)
        listener();
}

int TCommand::AddChangeListener(std::function<void()> listener)
{
    listeners_.emplace_back(++nextListener_, std::move(listener));
    return nextListener_;
}

void TCommand::RemoveChangeListener(int id)
{
    std::erase_if(listeners_, [id](const auto &entry) { return entry.first == id; });
}

void TCommand::SetCaption(const QString &value)
{
    if (caption_ != value) {
        caption_ = value;
        Changed();
    }
}

void TCommand::SetShortCut(const QKeySequence &value)
{
    if (shortCut_ != value) {
        shortCut_ = value;
        Changed();
    }
}

void TCommand::SetHint(const QString &value)
{
    if (hint_ != value) {
        hint_ = value;
        Changed();
    }
}

void TCommand::SetIcon(const QIcon &value)
{
    icon_ = value;
    Changed();
}

void TCommand::SetEnabled(bool value)
{
    if (enabled_ != value) {
        enabled_ = value;
        Changed();
    }
}

void TCommand::SetVisible(bool value)
{
    if (visible_ != value) {
        visible_ = value;
        Changed();
    }
}

void TCommand::SetChecked(bool value)
{
    if (checked_ != value) {
        checked_ = value;
        Changed();
    }
}

void TCommand::Click()
{
    if (!enabled_)
        return;
    if (OnClick)
        OnClick();
}

void TCommand::Popup()
{
    if (OnPopup)
        OnPopup();
}

namespace {

TCommandRow Row(TCommandRowKind kind, const char *name = "", const char *caption = "")
{
    TCommandRow row;
    row.Kind = kind;
    row.Name = QString::fromUtf8(name);
    row.Caption = QString::fromUtf8(caption);
    return row;
}

} // namespace

TCommandRow CommandRow(const char *name, const char *caption, const char *shortCut, std::function<void()> onClick,
                       const char *hint, const QIcon &icon)
{
    TCommandRow row = Row(TCommandRowKind::Item, name, caption);
    row.ShortCut = QString::fromLatin1(shortCut);
    row.Hint = QString::fromUtf8(hint);
    row.OnClick = std::move(onClick);
    row.Icon = icon;
    return row;
}

TCommandRow SubmenuRow(const char *name, const char *caption, const QIcon &icon)
{
    TCommandRow row = Row(TCommandRowKind::Submenu, name, caption);
    row.Icon = icon;
    return row;
}

TCommandRow EndRow() { return Row(TCommandRowKind::End); }
TCommandRow SeparatorRow() { return Row(TCommandRowKind::Separator); }
TCommandRow ControlRow(const char *name) { return Row(TCommandRowKind::Control, name); }

TCommand *TCommandList::Command(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    for (const auto &command : commands_) {
        if (command->Name() == name)
            return command.get();
    }
    return nullptr;
}

TCommand &TCommandList::Add(TCommandKind kind, const QString &name)
{
    commands_.push_back(std::make_unique<TCommand>(kind, name));
    return *commands_.back();
}

TCommand &TCommandList::Define(const QString &rootName, const std::vector<TCommandRow> &rows)
{
    TCommand &root = Add(TCommandKind::Submenu, rootName);
    std::vector<TCommand *> levels = {&root};
    for (const TCommandRow &row : rows) {
        TCommand &into = *levels.back();
        switch (row.Kind) {
        case TCommandRowKind::Item: {
            TCommand &item = Add(TCommandKind::Item, row.Name);
            item.SetCaption(row.Caption);
            item.SetShortCut(QKeySequence(row.ShortCut));
            item.SetHint(row.Hint);
            item.SetIcon(row.Icon);
            item.OnClick = row.OnClick;
            item.SetEnabled(bool(row.OnClick));
            into.Add(item);
            break;
        }
        case TCommandRowKind::Separator:
            into.Add(Add(TCommandKind::Separator, QString()));
            break;
        case TCommandRowKind::Submenu: {
            TCommand &menu = Add(TCommandKind::Submenu, row.Name);
            menu.SetCaption(row.Caption);
            menu.SetIcon(row.Icon);
            into.Add(menu);
            levels.push_back(&menu);
            break;
        }
        case TCommandRowKind::End:
            if (levels.size() > 1)
                levels.pop_back();
            break;
        case TCommandRowKind::Control:
            into.Add(Add(TCommandKind::Control, row.Name));
            break;
        }
    }
    return root;
}
