#pragma once
#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Menus.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// The part of the class library's action model that items link to: an action carries a
// command's caption, state and handler, and every client linked to it follows its changes.

class TBasicActionLink;

class TBasicAction : public TComponent
{
public:
    explicit TBasicAction(TComponent *AOwner);
    ~TBasicAction() override;

    // Runs OnExecute; false when nothing handled the action.
    virtual bool Execute();
    // Runs OnUpdate; false when nothing is assigned.
    virtual bool Update();

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

protected:
    // Every linked client hears of a change.
    void Change();
    const std::vector<TBasicActionLink *> &Clients() const { return clients_; }

private:
    friend class TBasicActionLink;
    std::vector<TBasicActionLink *> clients_;
};

class TBasicActionLink
{
public:
    explicit TBasicActionLink(TComponent *AClient) : client_(AClient) {}
    virtual ~TBasicActionLink();
    TBasicActionLink(const TBasicActionLink &) = delete;
    TBasicActionLink &operator=(const TBasicActionLink &) = delete;

    TBasicAction *Action() const { return action_; }
    void SetAction(TBasicAction *Value);
    virtual bool Execute() { return action_ && action_->Execute(); }
    virtual bool Update() { return action_ && action_->Update(); }

    std::function<void(TBasicAction *Sender)> OnChange;

    virtual bool IsOnExecuteLinked() { return true; }
    virtual void SetOnExecute(const TNotifyEvent &Value) {}

protected:
    friend class TBasicAction;
    virtual void Change()
    {
        if (OnChange)
            OnChange(action_);
    }
    TComponent *Client() const { return client_; }

private:
    TComponent *client_;
    TBasicAction *action_ = nullptr;
};

class TCustomAction : public TBasicAction
{
public:
    using TBasicAction::TBasicAction;

    // With AutoCheck the action toggles Checked before its handler runs.
    bool Execute() override;
    // Offers a client's hint to OnHint, which may change it; false when the hint is not to be
    // shown.
    virtual bool DoHint(QString &HintStr);

    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool Value);
    const QString &Caption() const { return caption_; }
    void SetCaption(const QString &Value);
    bool Checked() const { return checked_; }
    void SetChecked(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int Value);
    const QString &Hint() const { return hint_; }
    void SetHint(const QString &Value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);

    std::function<void(QString &HintStr, bool &CanShow)> OnHint;

private:
    bool autoCheck_ = false;
    QString caption_;
    bool checked_ = false;
    bool enabled_ = true;
    int helpContext_ = 0;
    QString hint_;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    bool visible_ = true;
};

class TAction : public TCustomAction
{
public:
    using TCustomAction::TCustomAction;
};

// A link whose client follows the properties of a TCustomAction. A client's link transfers a
// property only while the client still shows the action's value of it.
class TActionLink : public TBasicActionLink
{
public:
    using TBasicActionLink::TBasicActionLink;

    virtual bool IsAutoCheckLinked() { return IsCustomAction(); }
    virtual bool IsCaptionLinked() { return IsCustomAction(); }
    virtual bool IsCheckedLinked() { return IsCustomAction(); }
    virtual bool IsEnabledLinked() { return IsCustomAction(); }
    virtual bool IsHelpContextLinked() { return IsCustomAction(); }
    virtual bool IsHintLinked() { return IsCustomAction(); }
    virtual bool IsImageIndexLinked() { return IsCustomAction(); }
    virtual bool IsShortCutLinked() { return IsCustomAction(); }
    virtual bool IsVisibleLinked() { return IsCustomAction(); }

    virtual void SetAutoCheck(bool Value) {}
    virtual void SetCaption(const QString &Value) {}
    virtual void SetChecked(bool Value) {}
    virtual void SetEnabled(bool Value) {}
    virtual void SetHelpContext(int Value) {}
    virtual void SetHint(const QString &Value) {}
    virtual void SetImageIndex(int Value) {}
    virtual void SetShortCut(TShortCut Value) {}
    virtual void SetVisible(bool Value) {}

protected:
    TCustomAction *CustomAction() const { return dynamic_cast<TCustomAction *>(Action()); }
    bool IsCustomAction() const { return CustomAction() != nullptr; }
};

// Whether two event handlers are the same one: copies of one handler compare equal, and so do
// two plain functions at the same address.
bool SameNotifyEvent(const TNotifyEvent &a, const TNotifyEvent &b);
