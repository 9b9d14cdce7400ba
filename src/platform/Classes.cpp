#include "Classes.h"

#include <algorithm>

bool IsValidIdent(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}

TComponent::TComponent(TComponent *AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Unlink before telling, so a receiver that does not pass the call on to its base class
    // still cannot keep a link to us.
    while (!freeNotifies_.empty()) {
        TComponent *other = freeNotifies_.back();
        freeNotifies_.pop_back();
        other->RemoveFreeLink(this);
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (owner_)
        owner_->RemoveComponent(this);
}

TComponent *TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EComponentError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!owner_)
        return -1;
    const auto &list = owner_->components_;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent *TComponent::FindComponent(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    for (TComponent *c : components_)
        if (c->name_.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void TComponent::ValidateRename(const QString &newName) const
{
    if (!newName.isEmpty() && !IsValidIdent(newName))
        throw EComponentError(QStringLiteral("'%1' is not a valid component name").arg(newName));
    if (owner_ && !newName.isEmpty() && newName.compare(name_, Qt::CaseInsensitive) != 0) {
        if (owner_->FindComponent(newName))
            throw EComponentError(QStringLiteral("A component named %1 already exists").arg(newName));
    }
}

void TComponent::SetName(const QString &value)
{
    if (value == name_)
        return;
    ValidateRename(value);
    name_ = value;
}

void TComponent::InsertComponent(TComponent *AComponent)
{
    if (!AComponent)
        return;
    // An owner cycle would make destruction recurse without end.
    for (const TComponent *o = this; o; o = o->owner_)
        if (o == AComponent)
            throw EComponentError(QStringLiteral("A component cannot own itself or its owner"));
    if (AComponent->owner_ == this)
        return;
    if (!AComponent->name_.isEmpty() && FindComponent(AComponent->name_))
        throw EComponentError(QStringLiteral("A component named %1 already exists").arg(AComponent->name_));
    if (AComponent->owner_)
        AComponent->owner_->RemoveComponent(AComponent);
    Insert(AComponent);
    if (state_.Contains(csDestroying))
        AComponent->Destroying();
    Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent *AComponent)
{
    if (!AComponent || AComponent->owner_ != this)
        return;
    Notification(AComponent, TOperation::opRemove);
    Remove(AComponent);
}

void TComponent::Insert(TComponent *AComponent)
{
    components_.push_back(AComponent);
    AComponent->owner_ = this;
}

void TComponent::Remove(TComponent *AComponent)
{
    const auto it = std::find(components_.begin(), components_.end(), AComponent);
    if (it != components_.end())
        components_.erase(it);
    AComponent->owner_ = nullptr;
}

void TComponent::DestroyComponents()
{
    // Each one is removed with notice before it goes, so its siblings drop their references
    // to it; deleting one may delete others (its Qt children), which leave the list themselves.
    while (!components_.empty()) {
        TComponent *instance = components_.back();
        RemoveComponent(instance);
        delete instance;
    }
}

void TComponent::Destroying()
{
    if (state_.Contains(csDestroying))
        return;
    state_.Include(csDestroying);
    for (size_t i = 0; i < components_.size(); ++i)
        components_[i]->Destroying();
}

void TComponent::AddFreeLink(TComponent *AComponent)
{
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end())
        freeNotifies_.push_back(AComponent);
    state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeLink(TComponent *AComponent)
{
    const auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent);
    if (it != freeNotifies_.end())
        freeNotifies_.erase(it);
    if (freeNotifies_.empty())
        state_.Exclude(csFreeNotification);
}

void TComponent::FreeNotification(TComponent *AComponent)
{
    if (!AComponent || AComponent == this)
        return;
    AddFreeLink(AComponent);
    AComponent->AddFreeLink(this);
}

void TComponent::RemoveFreeNotification(TComponent *AComponent)
{
    if (!AComponent)
        return;
    RemoveFreeLink(AComponent);
    AComponent->RemoveFreeLink(this);
}

void TComponent::Loading()
{
    state_.Include(csLoading);
}

void TComponent::Loaded()
{
    state_.Exclude(csLoading);
}

void TComponent::Notification(TComponent *AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent)
        RemoveFreeNotification(AComponent);
    // A handler may free components; walk down and re-check the bound each step.
    for (size_t i = components_.size(); i > 0; --i) {
        if (i - 1 < components_.size())
            components_[i - 1]->Notification(AComponent, Operation);
    }
}
