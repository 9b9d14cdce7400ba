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

TSpTBXTextObject::TSpTBXTextObject(TComponent *AOwner) : TTBXTextObject(AOwner) {}

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

void TSpTBXTextObject::SetImages(const TCustomImageList *value)
{
    images_ = value;
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

void TSpTBXTextObject::Click()
{
    if (!linkText_.isEmpty())
        Shell().Open(linkText_);
    TTBXTextObject::Click();
}

void TSpTBXTextObject::DoMouseEnter()
{
    TTBXTextObject::DoMouseEnter();
    if (!linkText_.isEmpty())
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
        if (images_ && imageIndex_ >= 0) {
            rect.Right += images_->Width() + 4;
            rect.Bottom = std::max(rect.Bottom, rect.Top + images_->Height());
        }
        return;
    }
    TCanvasStateGuard guard(canvas);
    canvas.Font()->Assign(*Font());
    canvas.Font()->SetColor(TextColor());
    if (!linkText_.isEmpty() && MouseInControl())
        canvas.Font()->SetStyle(canvas.Font()->Style() | TFontStyles{TFontStyle::fsUnderline});
    SpDrawCaptionAndGlyph(canvas, rect, GetText(), flags & ~DT_CALCRECT, Alignment(), Enabled(), false, images_,
                          imageIndex_, captionGlowColor_, captionGlow_);
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

void TSpTBXTextObject::DoDraw(TCanvas &canvas, const TRect &rect)
{
    TRect text = TextRect();
    DoDrawText(canvas, text, TextFlags() | DT_VCENTER);
    if (Focused()) {
        TRect focus = rect;
        focus.Left += Margins().Left();
        focus.Top += Margins().Top();
        focus.Right -= Margins().Right();
        focus.Bottom -= Margins().Bottom();
        DrawFocusRectBlackWhite(canvas, focus);
    }
}

// ---------------------------------------------------------------------------------------------

TSpTBXCustomButton::TSpTBXCustomButton(TComponent *AOwner) : TSpTBXTextObject(AOwner)
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
    TRect text = TextRect();
    TCanvasStateGuard guard(canvas);
    canvas.Font()->Assign(*Font());
    canvas.Font()->SetColor(TextColor());
    SpDrawCaptionAndGlyph(canvas, text, GetText(), TextFlags() & ~DT_CALCRECT, Alignment(), Enabled(), pushed,
                          Images(), ImageIndex(), CaptionGlowColor(), CaptionGlow());
}
