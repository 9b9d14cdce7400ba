#include "SpTBXDkPanels.h"

#include "TBXNexus.h"
#include "TBXUtils.h"

#include "platform/Forms.h"
#include "platform/ImgList.h"
#include "platform/SysColors.h"
#include "platform/UiServices.h"

#include "toolbar/TB2Common.h"

#include <QAccessibleWidget>
#include <QApplication>

namespace {

bool NoShiftKeys()
{
    return (QApplication::keyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
}

// Screen readers see a framework button as a push button named by its caption, which they can
// press.
class TButtonAccessible final : public QAccessibleWidget
{
public:
    explicit TButtonAccessible(TSpTBXCustomButton *button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && Button()->accessibleName().isEmpty())
            return StripAccelChars(Button()->Caption());
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return QAccessibleWidget::actionNames() << pressAction(); }
    void doAction(const QString &action) override
    {
        if (action == pressAction() && Button()->isEnabled())
            Button()->Click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    TSpTBXCustomButton *Button() const { return static_cast<TSpTBXCustomButton *>(widget()); }
};

QAccessibleInterface *ButtonAccessible(const QString &, QObject *object)
{
    auto *button = dynamic_cast<TSpTBXCustomButton *>(object);
    return button ? new TButtonAccessible(button) : nullptr;
}

} // namespace

TSpTBXTextObject::TSpTBXTextObject(TComponent *AOwner)
    : TTBXTextObject(AOwner), linkFont_(std::make_unique<TFont>())
{
    linkFont_->SetColor(0xFF0000);
    linkFont_->SetStyle(TFontStyles{TFontStyle::fsUnderline});
    linkFont_->OnChange = [this] { Invalidate(); };
    imageLink_.OnChange = [this](TCustomImageList *) { Invalidate(); };
}

TSpTBXTextObject::~TSpTBXTextObject() = default;

void TSpTBXTextObject::SetLinkFont(const TFont &value)
{
    linkFont_->Assign(value);
    Invalidate();
}

void TSpTBXTextObject::SetCaptionGlow(bool value)
{
    if (captionGlow_ != value) {
        captionGlow_ = value;
        Invalidate();
    }
}

void TSpTBXTextObject::SetCaptionGlowColor(TColor value)
{
    if (captionGlowColor_ != value) {
        captionGlowColor_ = value;
        Invalidate();
    }
}

void TSpTBXTextObject::SetChecked(bool value)
{
    if (checked_ != value) {
        checked_ = value;
        Invalidate();
    }
}

void TSpTBXTextObject::SetImages(TCustomImageList *value)
{
    if (TCustomImageList *old = imageLink_.Sender(); old != value) {
        if (old)
            old->UnRegisterChanges(&imageLink_);
        if (value)
            value->RegisterChanges(&imageLink_);
    }
    Invalidate();
}

void TSpTBXTextObject::SetImageIndex(int value)
{
    if (imageIndex_ != value) {
        imageIndex_ = value;
        Invalidate();
    }
}

void TSpTBXTextObject::SetThemeType(TSpTBXThemeType value)
{
    if (themeType_ != value) {
        themeType_ = value;
        Invalidate();
    }
}

void TSpTBXTextObject::DoLinkClick() { Shell().Open(linkText_, linkTextParams_); }

void TSpTBXTextObject::Click()
{
    if (!linkText_.isEmpty())
        DoLinkClick();
    TTBXTextObject::Click();
}

void TSpTBXTextObject::DoGetImageIndex(TCustomImageList *&AImageList, int &AItemIndex)
{
    AImageList = Images();
    AItemIndex = imageIndex_;
    if (OnGetImageIndex)
        OnGetImageIndex(this, AImageList, AItemIndex);
}

void TSpTBXTextObject::DoDrawHint(TBitmap &AHintBitmap, QString &AHint, bool &PaintDefault)
{
    if (OnDrawHint)
        OnDrawHint(this, AHintBitmap, AHint, PaintDefault);
}

bool TSpTBXTextObject::ShowsHandPointer() const
{
    // A pointer the program forces for the whole screen (a busy one) stays.
    return !linkText_.isEmpty() && MouseInControl() && Screen()->Cursor() == crDefault;
}

void TSpTBXTextObject::WndProc(TMessage &Message)
{
    // The pointer is asked for before every move; over a link it is the hand each time.
    if (Message.Msg == WM_SETCURSOR && Message.WParam == WPARAM(static_cast<QWidget *>(this)) &&
        std::int16_t(LoWord(Message.LParam)) == HTCLIENT && ShowsHandPointer()) {
        SetCursorShape(crHandPoint);
        Message.Result = 1;
        return;
    }
    if (Message.Msg == CM_DIALOGKEY && Message.WParam == VK_RETURN && Focused() && NoShiftKeys()) {
        Click();
        Message.Result = 1;
        return;
    }
    if (Message.Msg == CM_HINTSHOW) {
        auto *hint = reinterpret_cast<THintInfo *>(Message.LParam);
        if (!hint->HintStr.isEmpty()) {
            SpPaintHintBitmap(Font(), hint->HintStr, [this](TBitmap &bmp, QString &text, bool &paintDefault) {
                DoDrawHint(bmp, text, paintDefault);
            });
            hint->HintWindowClass = [] { return new TBitmapHint(nullptr); };
            hint->HintData = &SpHintBitmap();
        }
        Message.Result = 0;
        return;
    }
    TTBXTextObject::WndProc(Message);
}

void TSpTBXTextObject::DoMouseEnter()
{
    TTBXTextObject::DoMouseEnter();
    if (ShowsHandPointer())
        SetCursorShape(crHandPoint);
    Invalidate();
}

void TSpTBXTextObject::DoMouseLeave()
{
    TTBXTextObject::DoMouseLeave();
    Invalidate();
}

TColor TSpTBXTextObject::TextColor() const
{
    if (themeType_ == TSpTBXThemeType::thtTBX && CurrentTheme())
        return CurrentTheme()->GetItemTextColor(BuildButtonItemInfo(Enabled(), Pushed(), MouseInControl(), checked_));
    return Font()->Color();
}

void TSpTBXTextObject::DoDrawText(TCanvas &canvas, TRect &rect, unsigned flags)
{
    if (flags & DT_CALCRECT) {
        TTBXTextObject::DoDrawText(canvas, rect, flags);
        TCustomImageList *images = nullptr;
        int index = -1;
        DoGetImageIndex(images, index);
        if (images && index >= 0) {
            rect.Right += images->Width() + 4;
            rect.Bottom = std::max(rect.Bottom, rect.Top + images->Height());
        }
        return;
    }
    DrawCaption(canvas, ClientRect(), rect, flags, false);
    DrawFocus(canvas);
}

TRect TSpTBXTextObject::GetFocusRect() const
{
    const TTBXControlMargins &m = Margins();
    TRect focus = ClientRect();
    focus.Left += m.Left();
    focus.Top += m.Top();
    focus.Right -= m.Right();
    focus.Bottom -= m.Bottom();
    return focus;
}

void TSpTBXTextObject::DrawFocus(TCanvas &canvas)
{
    if (IsFocusRectShown())
        DrawFocusRectBlackWhite(canvas, GetFocusRect());
}

void TSpTBXTextObject::DoAdjustFont(TFont &AFont)
{
    if (!linkText_.isEmpty() && MouseInControl())
        AFont.Assign(*linkFont_);
    else
        AFont.SetColor(TextColor());
}

void TSpTBXTextObject::DrawCaption(TCanvas &canvas, const TRect &clientRect, TRect rect, unsigned flags, bool pushed)
{
    QString caption = GetText();
    bool paintDefault = true;
    if (OnDrawCaption)
        OnDrawCaption(this, canvas, clientRect, caption, rect, false, TSpTBXPaintStage::pstPrePaint, paintDefault);
    if (paintDefault) {
        TCustomImageList *images = nullptr;
        int index = -1;
        DoGetImageIndex(images, index);
        TCanvasStateGuard guard(canvas);
        canvas.Font()->Assign(*Font());
        DoAdjustFont(*canvas.Font());
        const int imageState = themeType_ != TSpTBXThemeType::thtTBX ? SpUnthemedImage
                               : int((MouseInControl() ? DTI_HOT : 0) | (checked_ ? DTI_CHECKED : 0));
        SpDrawCaptionAndGlyph(canvas, rect, caption, flags & ~DT_CALCRECT, Alignment(), Enabled(), pushed, images,
                              index, captionGlowColor_, captionGlow_, imageState);
    }
    if (OnDrawCaption) {
        paintDefault = true;
        OnDrawCaption(this, canvas, clientRect, caption, rect, false, TSpTBXPaintStage::pstPostPaint, paintDefault);
    }
}

void TSpTBXTextObject::Paint()
{
    const TRect r = ClientRect();
    bool paintDefault = true;
    if (OnDraw)
        OnDraw(this, *Canvas(), r, TSpTBXPaintStage::pstPrePaint, paintDefault);
    if (paintDefault)
        DoDraw(*Canvas(), r);
    if (OnDraw)
        OnDraw(this, *Canvas(), r, TSpTBXPaintStage::pstPostPaint, paintDefault);
}

void TSpTBXTextObject::DoDraw(TCanvas &canvas, const TRect &)
{
    TRect text = TextRect();
    DoDrawText(canvas, text, TextFlags() | DT_VCENTER);
}

// ---------------------------------------------------------------------------------------------

TSpTBXCustomButton::TSpTBXCustomButton(TComponent *AOwner)
    : TSpTBXTextObject(AOwner), bitmap_(std::make_unique<TBitmap>())
{
    static const bool accessible = (QAccessible::installFactory(&ButtonAccessible), true);
    (void)accessible;
    SetAlignment(TAlignment::taCenter);
    SetAutoSize(false);
    SetThemeType(TSpTBXThemeType::thtWindows);
    SetTabStop(true);
    SetPushOnSpace(true);
    SetBounds(0, 0, 75, 25);
}

void TSpTBXCustomButton::SetDefault(bool value)
{
    if (default_ != value) {
        default_ = value;
        Invalidate();
    }
}

bool TSpTBXCustomButton::Active() const
{
    // A button of a window without the focus only shows whether it is the default.
    QWidget *focus = QApplication::focusWidget();
    if (!focus || focus->window() != window())
        return default_;
    if (focus == this)
        return true;
    // Another button with the focus takes Enter for itself.
    if (dynamic_cast<TSpTBXCustomButton *>(ControlOfWidget(focus)))
        return false;
    return default_;
}

void TSpTBXCustomButton::WndProc(TMessage &Message)
{
    if (Message.Msg == CM_DIALOGKEY && CanFocus() && NoShiftKeys()) {
        if ((Message.WParam == VK_RETURN && Active()) || (Message.WParam == VK_ESCAPE && cancel_)) {
            Click();
            Message.Result = 1;
            return;
        }
    }
    TSpTBXTextObject::WndProc(Message);
}

void TSpTBXCustomButton::Click()
{
    TSpTBXTextObject::Click();
    if (modalResult_ != 0)
        if (TForm *form = GetParentForm(this))
            form->SetModalResult(modalResult_);
}

void TSpTBXCustomButton::DoEnter()
{
    TSpTBXTextObject::DoEnter();
    Invalidate();
}

void TSpTBXCustomButton::DoExit()
{
    TSpTBXTextObject::DoExit();
    Invalidate();
}

void TSpTBXCustomButton::DoDraw(TCanvas &canvas, const TRect &rect)
{
    const bool pushed = Pushed() && (MouseInControl() || !MouseCapture());
    if (ThemeType() == TSpTBXThemeType::thtTBX && CurrentTheme()) {
        CurrentTheme()->PaintButton(canvas, rect, BuildButtonItemInfo(Enabled(), pushed, MouseInControl(), Checked()));
    } else {
        TSpButtonStates states;
        states.Enabled = Enabled();
        states.Pushed = pushed;
        states.Hot = MouseInControl();
        states.Default = Active();
        states.Focused = Focused();
        SpDrawPushButtonFace(canvas, rect, states);
    }
    if (!bitmap_->Empty()) {
        // The picture sits centred on the face, pressed in with it.
        TBitmap picture;
        picture.Assign(*bitmap_);
        picture.SetTransparent(bitmapTransparent_);
        const int shift = pushed ? 1 : 0;
        canvas.Draw(rect.Left + (rect.Width() - picture.Width()) / 2 + shift,
                    rect.Top + (rect.Height() - picture.Height()) / 2 + shift, &picture);
    }
    DrawCaption(canvas, rect, TextRect(), TextFlags() & ~DT_CALCRECT, pushed);
    DrawFocus(canvas);
}

bool TSpTBXCustomButton::IsFocusRectShown() const
{
    return ThemeType() == TSpTBXThemeType::thtTBX && TSpTBXTextObject::IsFocusRectShown();
}

void TSpTBXCustomButton::SetBitmap(const TBitmap &value)
{
    bitmap_->Assign(value);
    Invalidate();
}

void TSpTBXCustomButton::SetBitmapTransparent(bool value)
{
    if (bitmapTransparent_ != value) {
        bitmapTransparent_ = value;
        Invalidate();
    }
}
