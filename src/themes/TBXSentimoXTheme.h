#pragma once
#include "NexosFamily.h"

// Plain light-grey surfaces, etched separators and pale-blue glass selections.
class TTBXSentimoXTheme : public TNexosFamilyTheme
{
public:
    explicit TTBXSentimoXTheme(const QString &name);
    void PaintBackground(TCanvas &canvas, const TRect &dockRect, const TRect &rect,
                         const TRect &clipRect, TColor color, bool transparent,
                         int viewType) override;
    void PaintButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) override;
    void PaintPopupNCArea(TCanvas &canvas, const TRect &windowRect,
                          const TTBXPopupInfo &info) override;
    void PaintSeparator(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info,
                        bool horizontal, bool lineSeparator) override;
    void PaintMenuItemFrame(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) override;

    TColor SeparatorLightColor = clNone;
    TColor SeparatorDarkColor = clNone;

protected:
    void BuildColors() override;
    void PaintFace(TCanvas &canvas, const TRect &rect, TColor from, bool pushed) override;
};

void RegisterSentimoXTheme();
