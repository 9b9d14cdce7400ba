#include "TB2ItemAction.h"

#include "TB2Item.h"

#include <algorithm>

bool SameNotifyEvent(const TNotifyEvent &a, const TNotifyEvent &b)
{
    if (!a || !b)
        return !a && !b;
    if (a.target_type() != b.target_type())
        return false;
    using TPlain = void (*)(TComponent *);
    if (const TPlain *fa = a.target<TPlain>())
        return *fa == *b.target<TPlain>();
    return true;
}

// ---------------------------------------------------------------------------------------------
// TBasicAction

TBasicAction::TBasicAction(TComponent *AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction()
{
    // Links outlive their action only as empty links.
    for (TBasicActionLink *link : clients_)
        link->action_ = nullptr;
}

bool TBasicAction::Execute()
{
    if (!OnExecute)
        return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update()
{
    if (!OnUpdate)
        return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::Change()
{
    const std::vector<TBasicActionLink *> snapshot = clients_;
    for (TBasicActionLink *link : snapshot)
        if (std::find(clients_.begin(), clients_.end(), link) != clients_.end())
            link->Change();
}

TBasicActionLink::~TBasicActionLink()
{
    SetAction(nullptr);
}

void TBasicActionLink::SetAction(TBasicAction *Value)
{
    if (Value == action_)
        return;
    if (action_) {
        auto &list = action_->clients_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    action_ = Value;
    if (action_)
        action_->clients_.push_back(this);
}

// ---------------------------------------------------------------------------------------------
// TCustomAction: each setter lets the links compare against the old value first.

namespace {

template <typename F>
void ForEachActionLink(const std::vector<TBasicActionLink *> &clients, F f)
{
    const std::vector<TBasicActionLink *> snapshot = clients;
    for (TBasicActionLink *link : snapshot)
        if (auto *al = dynamic_cast<TActionLink *>(link))
            f(al);
}

} // namespace

bool TCustomAction::DoHint(QString &HintStr)
{
    bool canShow = true;
    if (OnHint)
        OnHint(HintStr, canShow);
    return canShow;
}

bool TCustomAction::Execute()
{
    if (autoCheck_)
        SetChecked(!checked_);
    return TBasicAction::Execute();
}

#define ORV_ACTION_SETTER(Name, Type, field)                                    \
    void TCustomAction::Set##Name(Type Value)                                   \
    {                                                                           \
        if (Value == field)                                                     \
            return;                                                             \
        ForEachActionLink(Clients(), [&](TActionLink *l) { l->Set##Name(Value); }); \
        field = Value;                                                          \
    }

ORV_ACTION_SETTER(AutoCheck, bool, autoCheck_)
ORV_ACTION_SETTER(Caption, const QString &, caption_)
ORV_ACTION_SETTER(Checked, bool, checked_)
ORV_ACTION_SETTER(Enabled, bool, enabled_)
ORV_ACTION_SETTER(HelpContext, int, helpContext_)
ORV_ACTION_SETTER(Hint, const QString &, hint_)
ORV_ACTION_SETTER(ImageIndex, int, imageIndex_)
ORV_ACTION_SETTER(ShortCut, TShortCut, shortCut_)
ORV_ACTION_SETTER(Visible, bool, visible_)
#undef ORV_ACTION_SETTER

// ---------------------------------------------------------------------------------------------
// TTBCustomItemActionLink

#define ORV_ITEM_LINK(Name, Type)                                                  \
    bool TTBCustomItemActionLink::Is##Name##Linked()                               \
    {                                                                              \
        return TActionLink::Is##Name##Linked() && item_->Name() == CustomAction()->Name(); \
    }                                                                              \
    void TTBCustomItemActionLink::Set##Name(Type Value)                            \
    {                                                                              \
        if (Is##Name##Linked())                                                    \
            item_->Set##Name(Value);                                               \
    }

ORV_ITEM_LINK(AutoCheck, bool)
ORV_ITEM_LINK(Caption, const QString &)
ORV_ITEM_LINK(Checked, bool)
ORV_ITEM_LINK(Enabled, bool)
ORV_ITEM_LINK(HelpContext, int)
ORV_ITEM_LINK(Hint, const QString &)
ORV_ITEM_LINK(ImageIndex, int)
ORV_ITEM_LINK(ShortCut, TShortCut)
ORV_ITEM_LINK(Visible, bool)
#undef ORV_ITEM_LINK

bool TTBCustomItemActionLink::IsOnExecuteLinked()
{
    return TActionLink::IsOnExecuteLinked() && Action() && SameNotifyEvent(item_->OnClick, Action()->OnExecute);
}

void TTBCustomItemActionLink::SetOnExecute(const TNotifyEvent &Value)
{
    if (IsOnExecuteLinked())
        item_->OnClick = Value;
}
