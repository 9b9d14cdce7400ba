// Mouse, keyboard, in-place editing and drag-and-drop of the planner controls.
#include "SPPlanners.h"

#include "platform/DragManager.h"
#include "platform/SysParams.h"

#include <QKeyEvent>
#include <QTextCursor>
#include <algorithm>

namespace {

constexpr WPARAM kEditTimer = 1;

// Ends the source's update also when a handler throws.
class SourceUpdate
{
public:
    explicit SourceUpdate(TSPCustomSource *source) : source_(source) { source_->BeginUpdate(); }
    ~SourceUpdate() { source_->EndUpdate(); }
    SourceUpdate(const SourceUpdate &) = delete;
    SourceUpdate &operator=(const SourceUpdate &) = delete;

private:
    TSPCustomSource *source_;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// TSPInplaceEdit

TSPInplaceEdit::TSPInplaceEdit(TSPBasePlanner *planner) : QPlainTextEdit(planner), planner_(planner)
{
    setFrameStyle(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    setFocusPolicy(Qt::ClickFocus);
    setViewportMargins(2, 0, 2, 0);
    document()->setDocumentMargin(0);
    hide();
}

void TSPInplaceEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: planner_->EndEdit(true); return;
    case Qt::Key_Escape: planner_->EndEdit(false); return;
    default: QPlainTextEdit::keyPressEvent(event);
    }
}

void TSPInplaceEdit::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (planner_->EditingItem())
        planner_->EndEdit(true);
}

// ---------------------------------------------------------------------------------------------
// In-place editing

void TSPBasePlanner::BeginEdit(TSPPlanItem *item)
{
    if (!item || item->Locked() || !CanModify() || source_->IndexOf(item) < 0)
        return;
    if (editItem_ && editItem_ != item)
        EndEdit(true);
    if (!editor_)
        editor_ = new TSPInplaceEdit(this);
    TRect r = TextRect(item, current_.Col, current_.Row);
    if (r.IsEmpty())
        r = CellRect(current_.Col, current_.Row);
    const TRect m = NCMargins();
    editor_->setGeometry(r.Left + m.Left, r.Top + m.Top, std::max(r.Width(), 8), std::max(r.Height(), 8));
    editor_->setFont(Font()->ToQFont());
    editItem_ = item;
    editor_->setPlainText(item->Text());
    editor_->moveCursor(QTextCursor::End);
    editor_->show();
    editor_->raise();
    editor_->setFocus(Qt::OtherFocusReason);
}

void TSPBasePlanner::EndEdit(bool accept)
{
    if (!editItem_)
        return;
    TSPPlanItem *item = editItem_;
    const QString text = editor_->toPlainText();
    const bool created = editItemCreated_;
    EditorClosed();
    if (accept) {
        item->SetText(text);
        item->Save();
    } else if (created) {
        delete item;
    }
}

// Hides the editor and forgets the item; the item itself is left alone.
void TSPBasePlanner::EditorClosed()
{
    const bool hadFocus = editor_ && editor_->hasFocus();
    editItem_ = nullptr;
    editItemCreated_ = false;
    if (editor_)
        editor_->hide();
    if (hadFocus && CanFocus())
        setFocus(Qt::OtherFocusReason);
}

void TSPBasePlanner::TimerFired(WPARAM TimerID)
{
    if (TimerID != kEditTimer) {
        TCustomControl::TimerFired(TimerID);
        return;
    }
    KillTimer(kEditTimer);
    TSPPlanItem *item = pendingEdit_;
    pendingEdit_ = nullptr;
    if (item && !Dragging() && !TDragManager::Instance().Source())
        BeginEdit(item);
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TSPBasePlanner::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == TMouseButton::mbLeft) {
        if (CanFocus() && !hasFocus())
            SetFocus();
        lastPos_ = {X, Y};
        resized_ = false;
        const TSPCell cell = CellAtPos(X, Y);
        TSPPlanItem *item = ItemAtPos(X, Y);
        if (editItem_ && item != editItem_)
            EndEdit(true);
        // Ending the edit saved an item; the source may have dropped what we found.
        if (item && (!source_ || source_->IndexOf(item) < 0))
            item = nullptr;
        mouseCell_ = cell;
        dragKind_ = 0;
        hitPart_ = sphNone;
        if (item) {
            const int part = HitTest(item, {X, Y});
            int kind = 0;
            if (allowItemInteraction_ && CanModify() && !item->Locked()) {
                const bool rtl = UseRightToLeftReading();
                if (part == sphLeftEdge)
                    kind = rtl ? 2 : 1;
                else if (part == sphTopEdge)
                    kind = 1;
                else if (part == sphRightEdge)
                    kind = rtl ? 1 : 2;
                else if (part == sphBottomEdge)
                    kind = 2;
            }
            if (Shift.Contains(ssCtrl) && kind == 0) {
                if (IsSelected(item))
                    selected_.erase(std::find(selected_.begin(), selected_.end(), item));
                else
                    selected_.push_back(item);
            } else {
                if (kind != 0 || !Shift.Contains(ssShift))
                    selected_.clear();
                if (!IsSelected(item))
                    selected_.push_back(item);
                EndEdit(true);
                dragKind_ = kind;
                hitPart_ = part;
            }
            anchor_ = current_ = cell;
        } else {
            selected_.clear();
            if (CellValid(cell.Col, cell.Row)) {
                current_ = cell;
                if (!Shift.Contains(ssShift) || !CellValid(anchor_.Col, anchor_.Row))
                    anchor_ = cell;
            }
        }
        Invalidate();
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TSPBasePlanner::MouseMove(TShiftState Shift, int X, int Y)
{
    lastPos_ = {X, Y};
    if (Shift.Contains(ssLeft)) {
        if (!selected_.empty()) {
            const bool locked = std::any_of(selected_.begin(), selected_.end(),
                                            [](const TSPPlanItem *i) { return i->Locked(); });
            if (CanModify() && !locked) {
                if (dragKind_ != 0)
                    ResizeTo(X, Y);
                else if (hitPart_ != sphNone && !(CellAtPos(X, Y) == mouseCell_) && !Dragging())
                    BeginDrag(false);
            }
        } else if (dragKind_ == 0 && CellValid(anchor_.Col, anchor_.Row)) {
            const TSPCell cell = CellAtPos(X, Y);
            if (CellValid(cell.Col, cell.Row) && !(cell == current_)) {
                current_ = cell;
                Invalidate();
            }
        }
    } else {
        TSPPlanItem *item = ItemAtPos(X, Y);
        SetHotItem(item);
        TCursor cursor = crDefault;
        if (item && allowItemInteraction_ && CanModify() && !item->Locked()) {
            const int part = HitTest(item, {X, Y});
            if (part == sphLeftEdge || part == sphRightEdge)
                cursor = crSizeWE;
            else if (part == sphTopEdge || part == sphBottomEdge)
                cursor = crSizeNS;
            else if (part == sphBody)
                cursor = crSizeAll;
        }
        SetCursor(cursor);
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TSPBasePlanner::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == TMouseButton::mbLeft && dragKind_ != 0) {
        dragKind_ = 0;
        if (!selected_.empty())
            selected_.front()->Save();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TSPBasePlanner::ResizeTo(int x, int y)
{
    if (selected_.empty())
        return;
    TSPPlanItem *item = selected_.front();
    const TSPCell cell = CellAtPos(x, y);
    if (!CellValid(cell.Col, cell.Row))
        return;
    if (groupBy_ != TSPGroupBy::grNone && resources_.Count() > 0 && ResourceAtCell(cell.Col, cell.Row) != item->Resource())
        return;
    TDateTime start, end;
    DatesAtCell(cell.Col, cell.Row, start, end);
    if (dragKind_ == 1) {
        if (start < item->EndTime() && start != item->StartTime()) {
            item->SetStartTime(start);
            resized_ = true;
        }
    } else if (end > item->StartTime() && end != item->EndTime()) {
        item->SetEndTime(end);
        resized_ = true;
    }
}

void TSPBasePlanner::CancelResize()
{
    if (dragKind_ == 0)
        return;
    dragKind_ = 0;
    if (!selected_.empty())
        selected_.front()->Cancel();
    SetMouseCapture(false);
}

void TSPBasePlanner::SetHotItem(TSPPlanItem *item)
{
    if (item == hotItem_)
        return;
    hotItem_ = item;
    CancelHint();
    Invalidate();
}

void TSPBasePlanner::MouseLeave()
{
    SetHotItem(nullptr);
    TCustomControl::MouseLeave();
}

void TSPBasePlanner::Click()
{
    if (selected_.size() == 1 && !resized_ && hitPart_ != sphNone && hitPart_ != sphTime &&
        ItemAtPos(lastPos_.X, lastPos_.Y) == selected_.front()) {
        pendingEdit_ = selected_.front();
        SetTimer(kEditTimer, SysParams().DoubleClickTime);
    }
    TCustomControl::Click();
}

void TSPBasePlanner::DblClick()
{
    KillTimer(kEditTimer);
    pendingEdit_ = nullptr;
    TCustomControl::DblClick();
}

bool TSPBasePlanner::MouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::MouseWheel(Shift, WheelDelta, MousePos))
        return true;
    if (editItem_ || WheelDelta == 0)
        return false;
    SetTopRow(topRow_ + (WheelDelta < 0 ? 1 : -1));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Keyboard

void TSPBasePlanner::KeyDown(WORD &Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0)
        return;
    if (Key == VK_ESCAPE) {
        EndEdit(false);
        CancelResize();
        return;
    }
    const int cols = ColCount(), rows = RowCount();
    if (cols <= 0 || rows <= 0)
        return;
    TSPCell cell = CellValid(current_.Col, current_.Row) ? current_ : TSPCell{0, 0};
    const bool rtl = UseRightToLeftReading();
    switch (Key) {
    case VK_LEFT:
    case VK_RIGHT: {
        const bool forward = (Key == VK_RIGHT) != rtl;
        cell.Col += forward ? 1 : -1;
        if (cell.Col < 0) {
            cell.Col = cols - 1;
            --cell.Row;
        } else if (cell.Col >= cols) {
            cell.Col = 0;
            ++cell.Row;
        }
        break;
    }
    case VK_UP: cell.Row = std::max(0, cell.Row - 1); break;
    case VK_DOWN: cell.Row = std::min(rows - 1, cell.Row + 1); break;
    case VK_PRIOR: cell.Row = std::max(0, cell.Row - std::max(1, VisibleRowCount() - 1)); break;
    case VK_NEXT: cell.Row = std::min(rows - 1, cell.Row + std::max(1, VisibleRowCount() - 1)); break;
    case VK_HOME: cell = {0, 0}; break;
    case VK_END: cell = {cols - 1, rows - 1}; break;
    default: return;
    }
    MoveCurrent(cell, Shift.Contains(ssShift));
}

void TSPBasePlanner::MoveCurrent(const TSPCell &cell, bool extend)
{
    if (!CellValid(cell.Col, cell.Row) || cell == current_)
        return;
    selected_.clear();
    current_ = cell;
    if (!extend || !CellValid(anchor_.Col, anchor_.Row))
        anchor_ = cell;
    if (cell.Row < topRow_)
        SetTopRow(cell.Row);
    else if (VisibleRowCount() > 0 && cell.Row >= topRow_ + VisibleRowCount())
        SetTopRow(cell.Row - VisibleRowCount() + 1);
    Invalidate();
}

void TSPBasePlanner::KeyPress(QChar &Key)
{
    TCustomControl::KeyPress(Key);
    if (Key.unicode() < 32 || !selected_.empty() || editItem_ || !CanModify())
        return;
    TDateTime start, end;
    if (!SelectionRange(start, end))
        return;
    TSPCell first = anchor_;
    if (CellIndex(current_) < CellIndex(first))
        first = current_;
    TSPPlanItem *item;
    {
        SourceUpdate update(source_);
        item = source_->AddItem(ResourceAtCell(first.Col, first.Row), QString(), start, end, NewItemAllDay(),
                                false, clNone, 2);
    }
    if (source_->IndexOf(item) < 0)
        return;  // a change handler took it away again
    selected_.assign(1, item);
    Invalidate();
    if (OnItemCreated)
        OnItemCreated(this, item);
    if (!source_ || source_->IndexOf(item) < 0)
        return;
    if (!ItemVisible(item)) {
        selected_.clear();
        delete item;
        return;
    }
    BeginEdit(item);
    if (editItem_ != item)
        return;
    editItemCreated_ = true;
    editor_->insertPlainText(QString(Key));
    Key = QChar();
}

// ---------------------------------------------------------------------------------------------
// Messages

void TSPBasePlanner::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_GETDLGCODE: Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
    case CM_FONTCHANGED:
        TCustomControl::WndProc(Message);
        FontChanged();
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The selected days are highlighted only while the planner has the focus.
        TCustomControl::WndProc(Message);
        Invalidate();
        return;
    case CM_HINTSHOW: {
        TCustomControl::WndProc(Message);
        auto *info = reinterpret_cast<THintInfo *>(Message.LParam);
        if (!info)
            return;
        if (TSPPlanItem *item = ItemAtPos(info->CursorPos.X, info->CursorPos.Y)) {
            info->HintStr = ItemHint(item);
            const TRect r = ItemRectAtPos(info->CursorPos.X, info->CursorPos.Y);
            if (!r.IsEmpty())
                info->CursorRect = r;
        }
        return;
    }
    default: TCustomControl::WndProc(Message);
    }
}

// ---------------------------------------------------------------------------------------------
// Drag and drop between planners

bool TSPBasePlanner::ComputeDrop(TSPBasePlanner *from, int x, int y, double &offset, QString &resource) const
{
    offset = 0;
    resource.clear();
    // Nothing lands on a planner or a source that refuses changes.
    if (!from || !CanModify() || from->selected_.empty() || !from->source_)
        return false;
    const TSPCell cell = CellAtPos(x, y);
    if (!CellValid(cell.Col, cell.Row) || !from->CellValid(from->mouseCell_.Col, from->mouseCell_.Row))
        return false;
    if (std::any_of(from->selected_.begin(), from->selected_.end(), [](const TSPPlanItem *i) { return i->Locked(); }))
        return false;
    if (groupBy_ == TSPGroupBy::grResource && resources_.Count() > 0) {
        const QString &first = from->selected_.front()->Resource();
        for (const TSPPlanItem *item : from->selected_)
            if (item->Resource() != first)
                return false;
        resource = ResourceAtCell(cell.Col, cell.Row);
    }
    TDateTime targetStart, originStart, ignored;
    DatesAtCell(cell.Col, cell.Row, targetStart, ignored);
    from->DatesAtCell(from->mouseCell_.Col, from->mouseCell_.Row, originStart, ignored);
    offset = targetStart - originStart;
    return true;
}

void TSPBasePlanner::SetDragState(TSPBasePlanner *source, double offset, bool accepted, const QString &resource)
{
    if (dragSource_ == source && dragOffset_ == offset && dragAccepted_ == accepted && dragResource_ == resource)
        return;
    dragSource_ = source;
    dragOffset_ = offset;
    dragAccepted_ = accepted;
    dragResource_ = resource;
    DragStateChanged();
    Invalidate();
}

void TSPBasePlanner::DragOver(TControl *Source, int X, int Y, TDragState State, bool &Accept)
{
    auto *from = dynamic_cast<TSPBasePlanner *>(Source);
    double offset = 0;
    QString resource;
    Accept = from && ComputeDrop(from, X, Y, offset, resource);
    if (Accept && OnDragOver)
        OnDragOver(this, Source, X, Y, State, Accept);
    if (State == TDragState::dsDragLeave || !Accept)
        SetDragState(nullptr, 0, false, QString());
    else
        SetDragState(from, offset, true, resource);
}

void TSPBasePlanner::DragDrop(TControl *Source, int X, int Y)
{
    auto *from = dynamic_cast<TSPBasePlanner *>(Source);
    SetDragState(nullptr, 0, false, QString());
    double offset = 0;
    QString resource;
    if (from && ComputeDrop(from, X, Y, offset, resource)) {
        const std::vector<TSPPlanItem *> items = from->selected_;
        const bool byResource = groupBy_ == TSPGroupBy::grResource && resources_.Count() > 0;
        const bool copy = from->source_ != source_ ||
                          (copyOnDrop_ && byResource && resource != items.front()->Resource());
        SourceUpdate update(source_);
        for (TSPPlanItem *item : items) {
            // A save handler may have freed one of them; the dragging planner forgot it then.
            if (!from->IsSelected(item))
                continue;
            TSPPlanItem *target = item;
            if (copy) {
                target = source_->NewItem();
                target->Assign(*item);
                target->Changed();  // a new item must reach the planners even when not moved
            }
            target->MoveBy(offset);
            if (byResource)
                target->SetResource(resource);
            target->Save();
            ItemMoved(target);
        }
    }
    TCustomControl::DragDrop(Source, X, Y);
}

void TSPBasePlanner::DoEndDrag(TControl *Target, int X, int Y)
{
    hitPart_ = sphNone;
    TCustomControl::DoEndDrag(Target, X, Y);
}
