#pragma once
#include "NexosFamily.h"

// Near-white surfaces with fine pinstripes, bevelled blue button faces and dotted separators.
class TTBXNexos3Theme : public TNexosFamilyTheme
{
public:
    explicit TTBXNexos3Theme(const QString &name);
    void PaintBackground(TCanvas &canvas, const TRect &dockRect, const TRect &rect,
                         const TRect &clipRect, TColor color, bool transparent,
                         int viewType) override;
    void PaintButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) override;

protected:
    void BuildColors() override;
    void PaintFace(TCanvas &canvas, const TRect &rect, TColor from, bool pushed) override;
};

void RegisterNexos3Theme();
