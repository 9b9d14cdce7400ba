#pragma once
#include "TBXDkPanels.h"

class TCustomImageList;

using TSpTBXDrawEvent =
    std::function<void(TComponent *Sender, TCanvas &ACanvas, const TRect &ARect, TSpTBXPaintStage PaintStage,
                       bool &PaintDefault)>;

// A caption (Caption and CaptionW are the same text) with an image, an optional glow, an
// optional link opened on click, and a look chosen by ThemeType.
class TSpTBXTextObject : public TTBXTextObject
{
public:
    explicit TSpTBXTextObject(TComponent *AOwner);

    const QString &CaptionW() const { return Caption(); }
    void SetCaptionW(const QString &value) { SetCaption(value); }
    const QString &LinkText() const { return linkText_; }
    void SetLinkText(const QString &value) { linkText_ = value; }
    bool CaptionGlow() const { return captionGlow_; }
    void SetCaptionGlow(bool value);
    TColor CaptionGlowColor() const { return captionGlowColor_; }
    void SetCaptionGlowColor(TColor value);
    bool Checked() const { return checked_; }
    virtual void SetChecked(bool value);
    const TCustomImageList *Images() const { return images_; }
    void SetImages(const TCustomImageList *value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    TSpTBXThemeType ThemeType() const { return themeType_; }
    void SetThemeType(TSpTBXThemeType value);

    TSpTBXDrawEvent OnDraw;

protected:
    void Click() override;
    void DoMouseEnter() override;
    void DoMouseLeave() override;
    void DoDrawText(TCanvas &canvas, TRect &rect, unsigned flags) override;
    void Paint() override;
    virtual void DoDraw(TCanvas &canvas, const TRect &rect);
    TColor TextColor() const;

private:
    QString linkText_;
    bool captionGlow_ = false;
    TColor captionGlowColor_ = 0x0000FFFF;
    bool checked_ = false;
    const TCustomImageList *images_ = nullptr;
    int imageIndex_ = -1;
    TSpTBXThemeType themeType_ = TSpTBXThemeType::thtTBX;
};

// A push button in the desktop's look (thtWindows, thtNone) or the current theme's (thtTBX).
// Enter clicks the button that acts as default (the focused button, else the Default one),
// Escape a Cancel button; a click sets the form's modal result when ModalResult is not 0.
class TSpTBXCustomButton : public TSpTBXTextObject
{
public:
    explicit TSpTBXCustomButton(TComponent *AOwner);

    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }
    // Acts as the default button now.
    bool Active() const;
    // Presses the button, as a click or its key does.
    void Click() override;

    void WndProc(TMessage &Message) override;

protected:
    void DoDraw(TCanvas &canvas, const TRect &rect) override;
    void DoEnter() override;
    void DoExit() override;

private:
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
};

class TSpTBXButton : public TSpTBXCustomButton
{
public:
    using TSpTBXCustomButton::TSpTBXCustomButton;
};
