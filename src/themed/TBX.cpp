#include "TBX.h"

#include "platform/Controls.h"
#include "platform/ImgList.h"

#include <algorithm>

// The current theme, view types, font settings and the image helpers shared by the viewers.

namespace {

TTBXCurrentThemeFunc currentThemeFunc = nullptr;

// The reference held until a holder takes over. Made after the registry and the theme manager,
// so at exit it lets go while both are still there.
struct TFallbackTheme {
    TTBXTheme *Theme;
    ~TFallbackTheme()
    {
        if (Theme)
            ReleaseTheme(Theme);
    }
};

TFallbackTheme &Fallback()
{
    static TFallbackTheme fallback{AcquireTheme(QStringLiteral("Default"))};
    return fallback;
}
bool fallbackMade = false;

} // namespace

TTBXTheme *CurrentTheme()
{
    if (currentThemeFunc)
        return currentThemeFunc();
    TFallbackTheme &f = Fallback();
    fallbackMade = true;
    if (!f.Theme)
        f.Theme = AcquireTheme(QStringLiteral("Default"));
    return f.Theme;
}

void SetCurrentThemeFunc(TTBXCurrentThemeFunc Func)
{
    currentThemeFunc = Func;
    // The release clears the reference only when it was the last; the fallback lets go of it
    // either way, or it would release it again at exit.
    if (Func && fallbackMade && Fallback().Theme) {
        ReleaseTheme(Fallback().Theme);
        Fallback().Theme = nullptr;
    }
}

int GetWinViewType(TControl *Window) { return Window ? int(Window->Perform(TBXM_GETVIEWTYPE)) : 0; }

int GetViewType(const TTBView *View) { return View ? GetWinViewType(View->Window()) : 0; }

// ---------------------------------------------------------------------------------------------

void TFontSettings::Changed()
{
    if (OnChange)
        OnChange();
}

void TFontSettings::Assign(const TFontSettings &Source)
{
    if (&Source == this)
        return;
    const bool differs = bold_ != Source.bold_ || italic_ != Source.italic_ || underline_ != Source.underline_ ||
                         strikeOut_ != Source.strikeOut_ || size_ != Source.size_ || color_ != Source.color_ ||
                         name_ != Source.name_;
    if (!differs)
        return;
    bold_ = Source.bold_;
    italic_ = Source.italic_;
    underline_ = Source.underline_;
    strikeOut_ = Source.strikeOut_;
    size_ = Source.size_;
    color_ = Source.color_;
    name_ = Source.name_;
    Changed();
}

void TFontSettings::Apply(TFont &Font) const
{
    if (size_ != 100)
        Font.SetSize((Font.Size() * size_ + 50) / 100);
    if (color_ != clNone)
        Font.SetColor(color_);
    if (!name_.isEmpty())
        Font.SetName(name_);
    TFontStyles styles = Font.Style();
    const std::pair<TTriState, TFontStyle> rules[] = {{bold_, TFontStyle::fsBold},
                                                      {italic_, TFontStyle::fsItalic},
                                                      {underline_, TFontStyle::fsUnderline},
                                                      {strikeOut_, TFontStyle::fsStrikeOut}};
    for (const auto &[state, style] : rules) {
        if (state == TTriState::tsTrue)
            styles.Include(style);
        else if (state == TTriState::tsFalse)
            styles.Exclude(style);
    }
    if (styles != Font.Style())
        Font.SetStyle(styles);
}

void ApplyFontSettings(const TFontSettings &Settings, TFont &Font) { Settings.Apply(Font); }

int ItemStateFlags(const TTBXItemInfo &Info)
{
    int flags = 0;
    if (Info.Enabled)
        flags |= ISF_ENABLED;
    if (Info.Pushed)
        flags |= ISF_PUSHED;
    if (Info.HoverKind == HOVER_ENABLED)
        flags |= ISF_HOT;
    if (Info.Checked)
        flags |= ISF_CHECKED;
    return flags;
}

// ---------------------------------------------------------------------------------------------

int GetPopupMargin(TTBItemViewer *ItemViewer)
{
    TSize image;
    if (auto *themed = dynamic_cast<TTBXItemViewer *>(ItemViewer))
        image = themed->GetImageSize();
    else if (TCustomImageList *images = ItemViewer->GetImageList())
        image = {images->Width(), images->Height()};
    if (image.cx <= 0 || image.cy <= 0)
        image = {16, 16};

    TCanvas canvas;
    if (TFont *font = ItemViewer->View->GetFont())
        canvas.Font()->Assign(*font);
    const TTextMetric tm = canvas.GetTextMetrics();
    TTBXMargins margins;
    CurrentTheme()->GetMargins(MARGIN_MENU_ITEM, margins);
    const int m = margins.TopHeight + margins.BottomHeight;
    return (image.cx + m) * std::max(tm.tmHeight + tm.tmExternalLeading + m, image.cy + m) / (image.cy + m);
}

void DrawThemedImage(TCanvas &Canvas, const TRect &ARect, const TCustomImageList *ImageList, int ImageIndex,
                     unsigned Flags)
{
    TTBXItemInfo info;
    switch (Flags & 0x0F00) {
    case DTI_DOCKPANEL: info.ViewType = VT_DOCKPANEL; break;
    case DTI_STANDALONE: info.ViewType = VT_STANDALONE; break;
    default:
        info.ViewType = VT_TOOLBAR;
        info.ItemOptions = IO_TOOLBAR_STYLE;
        break;
    }
    info.Enabled = !(Flags & DTI_DISABLED);
    info.Pushed = Flags & DTI_PUSHED;
    info.HoverKind = (Flags & DTI_HOT) ? HOVER_ENABLED : HOVER_NONE;
    info.Checked = Flags & DTI_CHECKED;
    if (ImageList) {
        info.ImageShown = true;
        info.ImageWidth = ImageList->Width();
        info.ImageHeight = ImageList->Height();
    }
    CurrentTheme()->PaintImage(Canvas, ARect, info, ImageList, ImageIndex);
}
