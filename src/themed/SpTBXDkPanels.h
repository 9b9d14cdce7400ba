#pragma once
#include "TBXDkPanels.h"

#include "platform/ImgList.h"

#include <memory>

class TCustomImageList;

using TSpTBXDrawEvent =
    std::function<void(TComponent *Sender, TCanvas &ACanvas, const TRect &ARect, TSpTBXPaintStage PaintStage,
                       bool &PaintDefault)>;
using TSpTBXGetImageIndexEvent =
    std::function<void(TComponent *Sender, TCustomImageList *&AImageList, int &AItemIndex)>;

// A caption (Caption and CaptionW are the same text) with an image, an optional glow, an
// optional link opened on click, and a look chosen by ThemeType.
class TSpTBXTextObject : public TTBXTextObject
{
public:
    explicit TSpTBXTextObject(TComponent *AOwner);
    ~TSpTBXTextObject() override;

    const QString &CaptionW() const { return Caption(); }
    void SetCaptionW(const QString &value) { SetCaption(value); }
    // Opened on a click, with LinkTextParams as its parameters.
    const QString &LinkText() const { return linkText_; }
    void SetLinkText(const QString &value) { linkText_ = value; }
    const QString &LinkTextParams() const { return linkTextParams_; }
    void SetLinkTextParams(const QString &value) { linkTextParams_ = value; }
    // The caption's font while the pointer is over a link.
    TFont *LinkFont() const { return linkFont_.get(); }
    void SetLinkFont(const TFont &value);
    bool CaptionGlow() const { return captionGlow_; }
    void SetCaptionGlow(bool value);
    TColor CaptionGlowColor() const { return captionGlowColor_; }
    void SetCaptionGlowColor(TColor value);
    bool Checked() const { return checked_; }
    virtual void SetChecked(bool value);
    // A change of the list's images repaints the control; a list destroyed leaves none.
    TCustomImageList *Images() const { return imageLink_.Sender(); }
    void SetImages(TCustomImageList *value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    TSpTBXThemeType ThemeType() const { return themeType_; }
    void SetThemeType(TSpTBXThemeType value);

    void WndProc(TMessage &Message) override;

    TSpTBXDrawEvent OnDraw;
    TSpTBXDrawCaptionEvent OnDrawCaption;
    TSpTBXDrawHintEvent OnDrawHint;
    TSpTBXGetImageIndexEvent OnGetImageIndex;

protected:
    void Click() override;
    void DoMouseEnter() override;
    void DoMouseLeave() override;
    // Over a link the link's font, else with thtTBX the theme's item text colour.
    void DoAdjustFont(TFont &AFont) override;
    void DoDrawText(TCanvas &canvas, TRect &rect, unsigned flags) override;
    // Around the client rectangle less Margins.
    TRect GetFocusRect() const override;
    void Paint() override;
    virtual void DoDrawHint(TBitmap &AHintBitmap, QString &AHint, bool &PaintDefault);
    virtual void DoDraw(TCanvas &canvas, const TRect &rect);
    // The image list and index to draw: Images and ImageIndex, as OnGetImageIndex leaves them.
    virtual void DoGetImageIndex(TCustomImageList *&AImageList, int &AItemIndex);
    virtual void DoLinkClick();
    // The caption, image and glow in rect, between the OnDrawCaption stages.
    void DrawCaption(TCanvas &canvas, const TRect &clientRect, TRect rect, unsigned flags, bool pushed);
    TColor TextColor() const;
    // The focus rectangle, when it shows.
    void DrawFocus(TCanvas &canvas);

private:
    // Over a link, unless the screen's pointer is forced.
    bool ShowsHandPointer() const;

    QString linkText_;
    QString linkTextParams_;
    std::unique_ptr<TFont> linkFont_;
    TChangeLink imageLink_;
    bool captionGlow_ = false;
    TColor captionGlowColor_ = 0x0000FFFF;
    bool checked_ = false;
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
    // A picture drawn on the face beside the caption; with BitmapTransparent its bottom-left
    // pixel's colour is left out.
    TBitmap *Bitmap() const { return bitmap_.get(); }
    void SetBitmap(const TBitmap &value);
    bool BitmapTransparent() const { return bitmapTransparent_; }
    void SetBitmapTransparent(bool value);
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
    // The desktop's looks draw their own focus rectangle with the face.
    bool IsFocusRectShown() const override;
    void DoEnter() override;
    void DoExit() override;

private:
    std::unique_ptr<TBitmap> bitmap_;
    bool bitmapTransparent_ = true;
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
};

class TSpTBXButton : public TSpTBXCustomButton
{
public:
    using TSpTBXCustomButton::TSpTBXCustomButton;
};
