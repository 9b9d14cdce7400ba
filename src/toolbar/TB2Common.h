#pragma once
// Routines every part of the toolbar framework shares: menu texts, small lists, monitors,
// system settings, XOR drag frames, rotated captions and printing a window into a canvas.
#include "platform/Messages.h"
#include "platform/SysParams.h"
#include "platform/Types.h"

#include <QRegion>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QWidget;
class TBrush;
class TCanvas;
class TControl;
class TFont;

// ---------------------------------------------------------------------------------------------
// Text. Every routine works on whole characters: a surrogate pair is never split, a CJK
// character is one character like any other.

// Removes every "&"; the character following a removed one is kept, so "&&" leaves one "&".
QString StripAccelChars(const QString &S);
// Doubles every "&".
QString EscapeAmpersands(const QString &S);
// Removes one trailing ":" or one trailing "...". Full-width "：" and "…" stay.
QString StripTrailingPunctuation(const QString &S);
// The character after the last single "&" ("&&" is skipped), 0 when there is none.
char32_t FindAccelChar(const QString &S);
// Whether Typed is S's accelerator, in either case.
bool IsAccelChar(const QString &S, char32_t Typed);

int GetTextHeight(const TCanvas &DC);
int GetTextWidth(const TCanvas &DC, const QString &S, bool Prefix);

// ---------------------------------------------------------------------------------------------
// Numbers and lists

// The quotient moved one away from zero when there is a remainder: (7, 2) 4, (-7, 2) -4.
// Raises Exception for a zero divisor.
int DivRoundUp(int Dividend, int Divisor);
inline int Min(int A, int B) { return A < B ? A : B; }

// Quicksort with the middle element as pivot. A comparison that contradicts itself yields
// some order, never an access outside the list.
template <typename T, typename Compare>
void ListSortEx(std::vector<T> &List, Compare Comp)
{
    std::function<void(int, int)> sort = [&](int lo, int hi) {
        while (lo < hi) {
            const T pivot = List[size_t(lo + (hi - lo) / 2)];
            int i = lo, j = hi;
            while (i <= j) {
                while (i < hi && Comp(List[size_t(i)], pivot) < 0)
                    ++i;
                while (j > lo && Comp(List[size_t(j)], pivot) > 0)
                    --j;
                if (i <= j) {
                    if (i != j)
                        std::swap(List[size_t(i)], List[size_t(j)]);
                    ++i;
                    --j;
                }
            }
            if (j - lo < hi - i) {
                sort(lo, j);
                lo = i;
            } else {
                sort(i, hi);
                hi = j;
            }
        }
    };
    if (List.size() > 1)
        sort(0, int(List.size()) - 1);
}

// Lists that exist only while they hold something: created on the first add, freed when the
// last entry goes. No duplicates; the add routines answer whether they added.
template <typename T>
bool AddToList(std::unique_ptr<std::vector<T *>> &List, T *Item)
{
    if (!List)
        List = std::make_unique<std::vector<T *>>();
    for (T *p : *List)
        if (p == Item)
            return false;
    List->push_back(Item);
    return true;
}

template <typename T>
bool AddToFrontOfList(std::unique_ptr<std::vector<T *>> &List, T *Item)
{
    if (!List)
        List = std::make_unique<std::vector<T *>>();
    for (T *p : *List)
        if (p == Item)
            return false;
    List->insert(List->begin(), Item);
    return true;
}

template <typename T>
void RemoveFromList(std::unique_ptr<std::vector<T *>> &List, T *Item)
{
    if (!List)
        return;
    std::erase(*List, Item);
    if (List->empty())
        List.reset();
}

// An event handler as code and object; equal when both are.
struct TMethod {
    const void *Code = nullptr;
    const void *Data = nullptr;
};
inline bool MethodsEqual(const TMethod &M1, const TMethod &M2)
{
    return M1.Code == M2.Code && M1.Data == M2.Data;
}

// ---------------------------------------------------------------------------------------------
// Application, monitors and system settings

bool IsApplicationActive();
bool IsWindowsXPOrLater();

TRect GetRectOfPrimaryMonitor(bool WorkArea);
bool UsingMultipleMonitors();
TRect GetRectOfMonitorContainingRect(const TRect &R, bool WorkArea);
TRect GetRectOfMonitorContainingPoint(const TPoint &P, bool WorkArea);

// ReadMenuShowDelay, GetMenuShowDelay and IsSoundEventConfigured come from the platform's
// settings (SysParams.h).
bool AreFlatMenusEnabled();
bool AreKeyboardCuesEnabled();
// Keyboard input arrives as Unicode text: the answer is the UTF-8 code page.
int GetInputLocaleCodePage();

// Leave notices always arrive on this platform; nothing has to be requested.
bool CallTrackMouseEvent(QWidget *Wnd, unsigned Flags);

// Accessibility events. Silently nothing until an accessibility layer installs a receiver.
using TNotifyWinEventProc = std::function<void(unsigned Event, QWidget *Wnd, int ObjectID, int ChildID)>;
void CallNotifyWinEvent(unsigned Event, QWidget *Wnd, int ObjectID, int ChildID);
void SetNotifyWinEventProc(TNotifyWinEventProc Proc);

// ---------------------------------------------------------------------------------------------
// Messages and painting

// Paints now whatever waits to be painted. Nothing else leaves the queue, a quit included.
void ProcessPaintMessages();
// Drops queued input in the message range [First, Last]: posted mouse events for the mouse
// messages, posted key events for the key messages.
void RemoveMessages(UINT First, UINT Last);

// WM_PRINT for a window that paints its own frame: prints Wnd into the canvas in
// Message.WParam as the PRF_ flags in Message.LParam ask, NCPaintFunc drawing the frame
// (window coordinates). Result 1.
using TNCPaintFunc = std::function<void(TControl *Wnd, TCanvas &DC)>;
void HandleWMPrint(TControl *Wnd, TMessage &Message, const TNCPaintFunc &NCPaintFunc);
// WM_PRINTCLIENT: the control's paint handler on the canvas in Message.WParam.
void HandleWMPrintClient(TControl *Wnd, TMessage &Message);
// WM_PRINT and WM_PRINTCLIENT of a framework window whose frame is its WM_NCPAINT: the two
// routines above. Answers whether the message was one of them.
bool TBHandlePrintMessage(TControl *Wnd, TMessage &Message);

// The clip for painting the frame: Rgn nullptr means the whole window; otherwise the update
// region in screen coordinates, moved to window coordinates.
void SelectNCUpdateRgn(TControl *Wnd, TCanvas &DC, const QRegion *Rgn);
QRegion CreateNullRegion();

// XOR drag frames. A frame is the rectangle less its interior inset by Size. NewRect nullptr
// only erases, OldRect nullptr only draws; with the same brush only the difference between
// the two frames changes. A brush of nullptr is the halftone brush. DC nullptr is the desktop
// (screen coordinates), where the frame shows as an outline window that takes no input.
void DrawInvertRect(TCanvas *DC, const TRect *NewRect, const TRect *OldRect, TSize NewSize,
                    TSize OldSize, const TBrush *Brush, const TBrush *BrushLast);
// The 8 x 8 checkerboard of rows 0x55 / 0xAA: white bits invert, black ones keep.
void CreateHalftoneBrush(TBrush &Brush);
void DrawHalftoneInvertRect(TCanvas *DC, const TRect *NewRect, const TRect *OldRect, TSize NewSize,
                            TSize OldSize);

// The canvas's font turned to read downward (orientation 2700). "MS Sans Serif" and
// "Microsoft Sans Serif" become "Arial" at the cell height they had. The installed fonts have
// no "@" vertical faces, so rotation is the only vertical form.
void CreateVerticalFont(const TCanvas &DC, TFont &VerticalFont);
// Text reading downward in R, across centred; DT_CENTER centres it along R, DT_END_ELLIPSIS
// shortens it with "...", "&" marks the accelerator (DT_NOPREFIX, DT_HIDEPREFIX as DrawText),
// clipped to R unless DT_NOCLIP. The canvas's font is used turned as CreateVerticalFont turns it.
void DrawVerticalText(TCanvas &DC, const QString &Text, const TRect &R, unsigned Format);
