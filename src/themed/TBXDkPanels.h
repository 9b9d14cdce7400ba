#pragma once
#include "SpTBXItem.h"

#include "platform/Controls.h"

#include <functional>

// Margins around a text control's caption; a change tells the owner.
class TTBXControlMargins
{
public:
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Right() const { return right_; }
    int Bottom() const { return bottom_; }
    void SetLeft(int value) { Set(left_, value); }
    void SetTop(int value) { Set(top_, value); }
    void SetRight(int value) { Set(right_, value); }
    void SetBottom(int value) { Set(bottom_, value); }
    std::function<void()> OnChange;

private:
    void Set(int &field, int value)
    {
        if (field == value)
            return;
        field = value;
        if (OnChange)
            OnChange();
    }
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};

// A control whose face follows the current theme: it knows when the mouse is over it (one
// shared 125 ms timer watches for the leave), when it is pushed, and paints its parent's
// background behind itself unless it has a colour of its own.
class TTBXPanelObject : public TCustomControl
{
public:
    explicit TTBXPanelObject(TComponent *AOwner);
    ~TTBXPanelObject() override;

    bool MouseInControl() const { return mouseInControl_; }
    bool Pushed() const { return pushed_; }
    bool PushOnSpace() const { return pushOnSpace_; }
    void SetPushOnSpace(bool value) { pushOnSpace_ = value; }
    // Focusing the control by a click (in the active window) does not scroll it into view.
    bool NoScrollOnClick() const { return noScrollOnClick_; }
    void SetNoScrollOnClick(bool value) { noScrollOnClick_ = value; }
    void SetEnabled(bool value) override;

    void WndProc(TMessage &Message) override;

protected:
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    // How much of the control getting the focus scrolls into view: all of it here.
    virtual int ShownHeight() const { return Height(); }
    virtual int ShownWidth() const { return Width(); }
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD &Key, TShiftState Shift) override;
    void KeyUp(WORD &Key, TShiftState Shift) override;
    void DoEnter() override;
    void DoExit() override;
    void EraseBackground(TCanvas &ACanvas) override;

    void SetPushed(bool value);
    void Enter();
    void Leave();

private:
    friend void PanelHoverCheck();
    bool suppressFocusScroll_ = false;
    bool mouseInControl_ = false;
    bool pushed_ = false;
    bool pushOnSpace_ = false;
    bool noScrollOnClick_ = false;
};

// What the hover tracking takes as the control under the pointer; tests replace it.
void SetControlUnderCursorSource(std::function<TControl *()> source);
// One tick of the shared hover timer.
void PanelHoverCheck();
// Scrolls the nearest scrolling parent of Control so that it shows Width x Height of Control
// from its top-left corner.
void ScrollIntoView(QWidget *Control, int Width, int Height);
// The shared timer exists while any panel object does.
bool PanelHoverTimerExists();
TTBXPanelObject *TrackedPanel();

enum class TTextWrapping { twNone, twEndEllipsis, twPathEllipsis, twWrap };

// A caption with alignment, wrapping, accelerator display, margins and automatic height.
class TTBXTextObject : public TTBXPanelObject
{
public:
    explicit TTBXTextObject(TComponent *AOwner);

    TTBXControlMargins &Margins() { return margins_; }
    const TTBXControlMargins &Margins() const { return margins_; }
    TTextWrapping Wrapping() const { return wrapping_; }
    void SetWrapping(TTextWrapping value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);

    void WndProc(TMessage &Message) override;
    // Sets the height to the caption's, with AutoSize.
    virtual void AdjustSize();

protected:
    // The last word on the font the caption is measured and drawn with.
    virtual void DoAdjustFont(TFont &AFont) {}
    virtual QString GetText() const { return Caption(); }
    virtual TRect GetTextMargins() const { return {}; }
    virtual void GetTextSize(TCanvas &canvas, int &width, int &height);
    // With DT_CALCRECT only measures into rect.
    virtual void DoDrawText(TCanvas &canvas, TRect &rect, unsigned flags);
    // Whether the focus rectangle shows now, and where.
    virtual bool IsFocusRectShown() const { return Focused(); }
    virtual TRect GetFocusRect() const { return ClientRect(); }
    unsigned TextFlags() const;
    TRect TextRect() const;
    void Paint() override;
    void Changed();

private:
    TTBXControlMargins margins_;
    TTextWrapping wrapping_ = TTextWrapping::twNone;
    bool showAccelChar_ = true;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool autoSize_ = true;
    bool sizing_ = false;
};
