#pragma once
#include "Controls.h"
#include "Messages.h"

#include <QString>
#include <cstdint>

class QKeyEvent;

// A menu that pops up for a control (TControl::PopupMenu): a right click in the control or the
// context-menu key shows it, with the control as its PopupComponent, while AutoPopup is set.
class TPopupMenu : public TComponent
{
public:
    using TComponent::TComponent;
    ~TPopupMenu() override;
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool Value) { autoPopup_ = Value; }
    TComponent *PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent *Value);
    // Shows the menu at the screen point.
    virtual void Popup(int X, int Y) = 0;

protected:
    void Notification(TComponent *AComponent, TOperation Operation) override;

private:
    bool autoPopup_ = true;
    TComponent *popupComponent_ = nullptr;
};

// A key with its modifiers in one word, as menu items and actions store their shortcuts:
// the virtual key in the low byte, scShift/scCtrl/scAlt above it. 0 is "no shortcut".
using TShortCut = std::uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

// Only Shift, Ctrl and Alt of the shift state count.
TShortCut ShortCut(WORD Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, WORD &Key, TShiftState &Shift);
TShiftState ShortCutShift(TShortCut ShortCut);

// "Ctrl+S", "Shift+Ctrl+A", "Alt+F4", "Del": modifiers in the order Shift, Ctrl, Alt, then the
// key's name; empty for 0 and for keys without a name.
QString ShortCutToText(TShortCut ShortCut);
// The reverse; modifiers in any order and case ("ctrl+shift+a" too). 0 when the text is
// empty or names no key.
TShortCut TextToShortCut(const QString &Text);

// The shortcut a key press stands for (0 for a lone modifier or a key without a virtual key).
TShortCut ShortCutFromKeyEvent(const QKeyEvent *event);
// The shortcut of a key message (CN_KEYDOWN and the like): the key in WParam, Shift and Ctrl as
// held now, Alt from the message's context bit.
TShortCut ShortCutFromMessage(const TMessage &Message);
// The shortcut as a Qt key sequence value (key | modifiers), 0 when it has none.
int ShortCutToQtKey(TShortCut ShortCut);
