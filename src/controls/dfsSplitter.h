#pragma once
#include "platform/ExtCtrls.h"

#include <QString>

enum class TdfsButtonStyle { bsNetscape, bsWindows };
enum class TdfsWindowsButton { wbMin, wbMax, wbClose };
using TdfsWindowsButtons = TSet<TdfsWindowsButton>;
enum class TdfsButtonWidthType { btwPixels, btwPercentage };

// A splitter bar with a button. Clicking the button collapses the pane beside the bar to its
// minimum (Maximized: the rest of the window gets the room) and clicking again brings back the
// pane's former size. The Windows style shows caption-like minimise, maximise and close
// buttons instead.
class TdfsSplitter : public TSplitter
{
public:
    explicit TdfsSplitter(TComponent *AOwner);

    static QString Version() { return QStringLiteral("TdfsSplitter v2.03"); }

    bool Maximized() const { return maximized_; }
    void SetMaximized(bool value);
    bool Minimized() const { return minimized_; }
    void SetMinimized(bool value);
    bool AllowDrag() const { return allowDrag_; }
    void SetAllowDrag(bool value);
    TCursor ButtonCursor() const { return buttonCursor_; }
    void SetButtonCursor(TCursor value) { buttonCursor_ = value; }
    TdfsButtonStyle ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(TdfsButtonStyle value);
    TdfsWindowsButtons WindowsButtons() const { return windowsButtons_; }
    void SetWindowsButtons(TdfsWindowsButtons value);
    TdfsButtonWidthType ButtonWidthType() const { return buttonWidthType_; }
    void SetButtonWidthType(TdfsButtonWidthType value);
    // Pixels, or percent of the bar's length (at most 100); never below 0.
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int value);
    bool ShowButton() const { return showButton_; }
    void SetShowButton(bool value);
    TColor ButtonColor() const { return buttonColor_; }
    void SetButtonColor(TColor value);
    TColor ArrowColor() const { return arrowColor_; }
    void SetArrowColor(TColor value);
    TColor ButtonHighlightColor() const { return buttonHighlightColor_; }
    void SetButtonHighlightColor(TColor value);
    // On: the highlight colour is derived from the caption and button-face colours.
    bool AutoHighlightColor() const { return autoHighlightColor_; }
    void SetAutoHighlightColor(bool value);
    TColor TextureColor1() const { return textureColor1_; }
    void SetTextureColor1(TColor value);
    TColor TextureColor2() const { return textureColor2_; }
    void SetTextureColor2(TColor value);
    void SetAlign(TAlign value);

    // The pane's size to go back to; -1 until one is known. Stored with the form only while
    // Maximized or Minimized is set.
    int RestorePos() const { return restoreSize_; }
    void SetRestorePos(int value) { restoreSize_ = value; }
    bool RestorePosStored() const { return maximized_ || minimized_; }

    // The button in client coordinates; empty when there is none.
    TRect ButtonRect() const;
    // Whether the button is drawn hot (pointer over it).
    bool ButtonHot() const { return hot_; }
    // The pane the bar sizes, nullptr when nothing lies against it.
    TControl *Pane() const { return FindControl(); }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;

    TNotifyEvent OnClose;
    TNotifyEvent OnMaximize;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseEnter() override;
    void MouseLeave() override;

    virtual void DrawButton(TCanvas &ACanvas);
    virtual void DrawArrow(TCanvas &ACanvas, const TRect &area, int offset, int size, bool pointTowardStart);
    // The Windows-style button under a client point; false when there is none.
    virtual bool WindowsButtonHitTest(int X, int Y, TdfsWindowsButton &hit) const;
    // Whether the point is on the button; sets the cursor to match.
    virtual bool ButtonHitTest(int X, int Y);
    virtual void DoMaximize();
    virtual void DoMinimize();
    virtual void DoRestore();
    virtual void DoClose();
    virtual TControl *FindPane() const { return FindControl(); }
    // Sizes the pane as a drag of the bar would, within the bar's limits.
    virtual void SetPaneSize(int size);

private:
    bool Horizontal() const;  // a top or bottom bar
    int PaneSize(const TControl *pane) const;
    std::vector<std::pair<TdfsWindowsButton, TRect>> WindowsButtonRects() const;
    void SetHot(bool value);
    void RepaintButton();
    TColor AutoHighlight() const;

    bool maximized_ = false;
    bool minimized_ = false;
    bool allowDrag_ = true;
    TCursor buttonCursor_ = crDefault;
    TdfsButtonStyle buttonStyle_ = TdfsButtonStyle::bsNetscape;
    TdfsWindowsButtons windowsButtons_{TdfsWindowsButton::wbMin, TdfsWindowsButton::wbMax, TdfsWindowsButton::wbClose};
    TdfsButtonWidthType buttonWidthType_ = TdfsButtonWidthType::btwPixels;
    int buttonWidth_ = 100;
    bool showButton_ = true;
    TColor buttonColor_ = clBtnFace;
    TColor arrowColor_ = clNavy;
    TColor buttonHighlightColor_ = 0xFFCFCF;
    bool autoHighlightColor_ = false;
    TColor textureColor1_ = clWhite;
    TColor textureColor2_ = clNavy;

    int restoreSize_ = -1;
    bool hot_ = false;
    bool pressedOnButton_ = false;
    TPoint pressPoint_;
    bool sizing_ = false;
};
