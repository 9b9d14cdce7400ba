#pragma once
// Toolbars: a dockable window showing an item tree, shrinking by wrapping or into a chevron,
// acting as a form's menu bar, and answering its items' shortcuts program-wide.
#include "TB2Dock.h"
#include "TB2Item.h"
#include "TB2ItemView.h"

#include <memory>
#include <vector>

class TTBCustomToolbar;

enum class TTBShrinkMode { tbsmNone, tbsmWrap, tbsmChevron };
enum class TTBChevronPriorityForNewItems { tbcpHighest, tbcpLowest };

// Length of the chevron button along the toolbar.
constexpr int tbChevronSize = 12;
// How far the cursor may leave a floating toolbar's size while resizing before it changes.
constexpr int tbResizeSnapZone = 12;

class TTBChevronItem : public TTBCustomItem
{
public:
    explicit TTBChevronItem(TTBCustomToolbar *AToolbar);
    TTBView *GetChevronParentView() override;
    TTBItemViewerClass GetItemViewerClass(TTBView *AView) override;
    TTBCustomToolbar *Toolbar() const { return toolbar_; }

private:
    TTBCustomToolbar *toolbar_;
};

class TTBChevronItemViewer : public TTBItemViewer
{
public:
    using TTBItemViewer::TTBItemViewer;
    void CalcSize(TCanvas &Canvas, int &AWidth, int &AHeight) override;
    void Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
               bool UseDisabledShadow) override;
};

class TTBToolbarView : public TTBView
{
public:
    TTBToolbarView(TTBCustomToolbar *AToolbar, TTBCustomItem *ARoot);
    void AutoSize(int AWidth, int AHeight) override;
    // The toolbars of a dock row share one thickness, and a FullSize one its wrap length.
    void UpdatePositions(TPoint &ASize) override;
    TTBCustomItem *GetChevronItem() override;
    TFont *GetFont() override;
    TTBCustomToolbar *Toolbar() const { return toolbar_; }

private:
    TTBCustomToolbar *toolbar_;
};

class TTBCustomToolbar : public TTBCustomDockableWindow, public ITBItems
{
public:
    explicit TTBCustomToolbar(TComponent *AOwner);
    ~TTBCustomToolbar() override;

    TTBRootItem *Items() const { return items_; }
    TTBCustomItem *GetItems() override { return items_; }
    TTBToolbarView *View() const { return view_.get(); }
    TTBChevronItem *ChevronItem() const { return chevronItem_; }

    const QString &ChevronHint() const { return chevronHint_; }
    void SetChevronHint(const QString &Value);
    bool ChevronMoveItems() const { return chevronMoveItems_; }
    void SetChevronMoveItems(bool Value);
    TTBChevronPriorityForNewItems ChevronPriorityForNewItems() const { return chevronPriority_; }
    void SetChevronPriorityForNewItems(TTBChevronPriorityForNewItems Value);
    TCustomImageList *Images() const { return items_->SubMenuImages(); }
    void SetImages(TCustomImageList *Value) { items_->SetSubMenuImages(Value); }
    TTBCustomItem *LinkSubitems() const { return items_->LinkSubitems(); }
    void SetLinkSubitems(TTBCustomItem *Value) { items_->SetLinkSubitems(Value); }
    bool MenuBar() const { return menuBar_; }
    void SetMenuBar(bool Value);
    TTBItemOptions Options() const { return items_->Options(); }
    void SetOptions(TTBItemOptions Value) { items_->SetOptions(Value); }
    bool ProcessShortCuts() const { return processShortCuts_; }
    void SetProcessShortCuts(bool Value);
    TTBShrinkMode ShrinkMode() const { return shrinkMode_; }
    void SetShrinkMode(TTBShrinkMode Value);
    bool SystemFont() const { return systemFont_; }
    void SetSystemFont(bool Value);
    bool UpdateActions() const { return updateActions_; }
    void SetUpdateActions(bool Value) { updateActions_ = Value; }
    // The items' actions update their items (with UpdateActions).
    void InitiateAction() override;
    int FloatingWidth() const { return floatingWidth_; }
    void SetFloatingWidth(int Value);

    void BeginUpdate() { view_->BeginUpdate(); }
    void EndUpdate() { view_->EndUpdate(); }
    // Wraps a control in a control item at Index (-1: at the end).
    TTBControlItem *InsertControl(TControl *AControl, int Index = -1);
    // The control item showing AControl, at any depth of the items; nullptr when none does.
    TTBControlItem *FindControlItem(const TControl *AControl) const;
    // OnShortCut, then the items' shortcuts (clicking the item found).
    bool KeyboardShortCut(TMessage &Msg);
    // The sizes a floating wrapping toolbar can take, frame included (after ResizeBegin).
    const std::vector<TPoint> &FloatingSizes() const { return sizes_; }

    TPoint DoArrange(bool Apply, TTBDockType ADockType, TTBDock *ADock, int RowLength) override;
    int GetDockedMinimumSize(TTBDock *ADock, int RowLength) override;
    int GetShrinkKind() const override { return int(shrinkMode_); }
    void GetMinMaxSize(int &AMinClientWidth, int &AMinClientHeight, int &AMaxClientWidth,
                       int &AMaxClientHeight) override;
    void ResizeBegin(int SizeHandle) override;
    void ResizeTrack(TRect &Rect, const TRect &OrigRect) override;
    void ResizeEnd(bool Accepted) override;
    // Tab stops at a control item's control, not at the controls inside it.
    void GetTabOrderList(std::vector<TWinControl *> &List) const override;

    TShortCutEvent OnShortCut;

protected:
    friend class TTBToolbarView;
    // A descendant brings its own kinds of view and chevron; called from its constructor.
    void ReplaceViewAndChevron(std::unique_ptr<TTBToolbarView> AView, TTBChevronItem *AChevron);
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void WndProc(TMessage &Message) override;
    void Loaded() override;
    bool ChildControlTransparent(const TPoint &ClientPt) override;
    // The layout of the items places the controls of control items, instead of the align and
    // anchor rules of ordinary children. A control resized or hidden by others lays the items
    // out again.
    void AlignControls(TControl *AControl, TRect &Rect) override;
    bool AlignsEveryChild() const override { return true; }

private:
    void ControlChange(TControl *AControl, bool Inserting);
    void KeyMenu(TMessage &Message);
    void HintShow(THintInfo &Info);
    // The new view or a replacing one follows the chevron properties.
    void ApplyChevronProperties();
    void JoinShortCutList(bool Join);
    TTBViewOrientation OrientationFor(TTBDockType ADockType) const;
    TPoint Layout(bool Apply, TTBViewOrientation O, int ChevronLength, int WrapLength, int *Lines = nullptr);

    TTBRootItem *items_ = nullptr;
    std::unique_ptr<TTBToolbarView> view_;
    TTBChevronItem *chevronItem_ = nullptr;
    QString chevronHint_;
    bool chevronMoveItems_ = true;
    TTBChevronPriorityForNewItems chevronPriority_ = TTBChevronPriorityForNewItems::tbcpHighest;
    bool menuBar_ = false;
    bool processShortCuts_ = false;
    TTBShrinkMode shrinkMode_ = TTBShrinkMode::tbsmChevron;
    bool systemFont_ = true;
    bool updateActions_ = true;
    int floatingWidth_ = 0;
    bool inShortCutList_ = false;
    bool layingOut_ = false;
    std::vector<TPoint> sizes_;
    std::vector<int> wraps_;  // the floating width of each size
    bool sizesByWidth_ = true;
    int sizeIndex_ = -1;      // the size taken last while resizing
    int resizeStartWidth_ = 0;  // the floating width before the resize
};

// The published toolbar the forms use.
class TTBToolbar : public TTBCustomToolbar
{
public:
    using TTBCustomToolbar::TTBCustomToolbar;
};
