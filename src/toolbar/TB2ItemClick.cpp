#include "TB2Item.h"

#include <QPointer>

// The deferred-click queue of a thread: entries are items, or viewers with their execute
// routine; an empty slot is 0 and a cancelled one holds the marker 1.

namespace {

constexpr std::uintptr_t EmptySlot = 0;
constexpr std::uintptr_t CancelledMarker = 1;

struct TQueuedClick {
    std::uintptr_t Target = EmptySlot;
    TTBDeferredExecuteProc Execute = nullptr;  // none for an item
};

void DispatchQueuedClick(WPARAM WParam, LPARAM LParam);

class TTBClickWindow final : public TControl
{
public:
    TTBClickWindow() : TControl(nullptr) {}

protected:
    void WndProc(TMessage &Message) override
    {
        if (Message.Msg == TBM_ITEMCLICK) {
            DispatchQueuedClick(Message.WParam, Message.LParam);
            return;
        }
        TControl::WndProc(Message);
    }
};

struct TClickQueue {
    TTBClickWindow *Window = nullptr;
    std::vector<TQueuedClick> Entries;
    int RefCount = 0;
    int Dispatching = 0;
};

thread_local TClickQueue queue;

void FreeWindow(bool fromDispatch)
{
    queue.Entries.clear();
    if (!queue.Window)
        return;
    TTBClickWindow *w = queue.Window;
    queue.Window = nullptr;
    // Messages still posted to the window go with it.
    if (fromDispatch)
        w->deleteLater();
    else
        delete w;
}

void Enqueue(std::uintptr_t target, TTBDeferredExecuteProc execute, bool flag)
{
    if (!queue.Window)
        queue.Window = new TTBClickWindow();
    size_t slot = 0;
    while (slot < queue.Entries.size() && queue.Entries[slot].Target != EmptySlot)
        ++slot;
    if (slot == queue.Entries.size())
        queue.Entries.push_back({});
    queue.Entries[slot] = {target, execute};
    queue.Window->PostMessage(TBM_ITEMCLICK, flag ? 1 : 0, LPARAM(slot));
}

void DispatchQueuedClick(WPARAM WParam, LPARAM LParam)
{
    if (LParam < 0 || size_t(LParam) >= queue.Entries.size())
        return;
    const TQueuedClick entry = queue.Entries[size_t(LParam)];
    queue.Entries[size_t(LParam)] = {};
    while (!queue.Entries.empty() && queue.Entries.back().Target == EmptySlot)
        queue.Entries.pop_back();
    if (entry.Target == EmptySlot || entry.Target == CancelledMarker)
        return;
    struct TGuard {
        TGuard() { ++queue.Dispatching; }
        ~TGuard()
        {
            if (--queue.Dispatching == 0 && queue.RefCount == 0)
                FreeWindow(true);
        }
    } guard;
    if (entry.Execute)
        entry.Execute(reinterpret_cast<TTBItemViewer *>(entry.Target), WParam != 0);
    else
        reinterpret_cast<TTBCustomItem *>(entry.Target)->Click();
}

} // namespace

void QueueItemClick(TTBCustomItem *AItem)
{
    if (AItem)
        Enqueue(reinterpret_cast<std::uintptr_t>(AItem), nullptr, false);
}

void QueueItemClick(TTBItemViewer *AViewer, TTBDeferredExecuteProc Execute, bool Flag)
{
    if (AViewer && Execute)
        Enqueue(reinterpret_cast<std::uintptr_t>(AViewer), Execute, Flag);
}

void CancelQueuedClicks(const void *Target)
{
    const auto t = reinterpret_cast<std::uintptr_t>(Target);
    for (TQueuedClick &e : queue.Entries)
        if (e.Target == t)
            e.Target = CancelledMarker;
}

void TBClickWindowAddRef()
{
    ++queue.RefCount;
}

void TBClickWindowRelease()
{
    if (--queue.RefCount == 0 && queue.Dispatching == 0)
        FreeWindow(false);
}
