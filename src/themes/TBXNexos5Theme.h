#pragma once
#include "NexosFamily.h"

// White surfaces with a faint line every five rows and pale-blue glass selections.
class TTBXNexos5Theme : public TNexosFamilyTheme
{
public:
    explicit TTBXNexos5Theme(const QString &name);
    void PaintBackground(TCanvas &canvas, const TRect &dockRect, const TRect &rect,
                         const TRect &clipRect, TColor color, bool transparent,
                         int viewType) override;
    void PaintButton(TCanvas &canvas, const TRect &rect, const TTBXItemInfo &info) override;

protected:
    void BuildColors() override;
    void PaintFace(TCanvas &canvas, const TRect &rect, TColor from, bool pushed) override;
};

void RegisterNexos5Theme();
