#include "TB2Dock.h"

#include <algorithm>
#include <numeric>

namespace {

struct TRowWin {
    int Index;
    TTBDockMeasure M;
    int Gap = 0;
    int Push = 0;
    int Size = 0;
};

// Gives a window that must have a row alone (FullSize, or the dragged one asking for a new
// row) that row: every other window at or after it moves down one.
void SplitOwnRows(std::vector<TTBDockArrangeRec> &Recs, const std::vector<int> &Order, bool Dragged)
{
    for (int i : Order) {
        TTBDockArrangeRec &r = Recs[size_t(i)];
        if (Dragged ? !r.WantsOwnRow : !r.FullSize)
            continue;
        const bool shared = std::any_of(Order.begin(), Order.end(), [&](int j) {
            return j != i && Recs[size_t(j)].DockRow == r.DockRow;
        });
        if (!shared)
            continue;
        for (int j : Order)
            if (j != i && Recs[size_t(j)].DockRow >= r.DockRow)
                ++Recs[size_t(j)].DockRow;
    }
}

void PlaceRow(std::vector<TRowWin> &Row, std::vector<TTBDockArrangeRec> &Recs, int Avail)
{
    int sumFull = 0;
    for (const TRowWin &w : Row)
        sumFull += w.M.Full;
    const int overflow0 = sumFull - Avail;
    int end = 0, minBefore = 0;
    int dragged = -1;
    for (size_t k = 0; k < Row.size(); ++k) {
        TRowWin &w = Row[k];
        const TTBDockArrangeRec &r = Recs[size_t(w.Index)];
        if (r.Dragging)
            dragged = int(k);
        int wanted = r.DockPos == -1 ? end : r.DockPos;
        if ((r.FullSize || r.Stretch) && k == 0)
            wanted = 0;
        wanted = std::max(wanted, minBefore);
        if (wanted <= end)
            w.Push = end - wanted;
        else if (overflow0 <= 0)
            w.Gap = wanted - end;
        end += w.Gap + w.M.Full;
        minBefore += w.M.Min;
    }
    // The dragged window moves back over the gaps before it, so the one after it stays put.
    if (overflow0 < 0 && dragged > 0 && Row[size_t(dragged)].Push > 0) {
        int need = Row[size_t(dragged)].Push, freed = 0;
        for (int k = dragged; k >= 1 && need > 0; --k) {
            const int take = std::min(need, Row[size_t(k - 1)].Gap);
            Row[size_t(k - 1)].Gap -= take;
            need -= take;
            freed += take;
        }
        if (size_t(dragged + 1) < Row.size())
            Row[size_t(dragged + 1)].Gap += freed;
    }
    int total = 0;
    for (TRowWin &w : Row) {
        w.Size = w.M.Full;
        total += w.Gap + w.Size;
    }
    for (size_t k = Row.size(); k-- > 0 && total > Avail;) {
        const int take = std::min(Row[k].Gap, total - Avail);
        Row[k].Gap -= take;
        total -= take;
    }
    int overflow = total - Avail;
    // Pushed windows squeeze the chevron windows before them, nearest first.
    for (size_t k = 0; k < Row.size() && overflow > 0; ++k) {
        int amount = std::min(Row[k].Push, overflow);
        for (size_t j = k; j-- > 0 && amount > 0;) {
            if (int(j) == dragged)
                break;
            TRowWin &w = Row[j];
            if (w.M.Kind != 2)
                continue;
            const int take = std::min(amount, w.Size - w.M.Min);
            w.Size -= take;
            amount -= take;
            overflow -= take;
        }
    }
    for (size_t k = Row.size(); k-- > 0 && overflow > 0;) {
        TRowWin &w = Row[k];
        if (w.M.Kind == 2 || (w.M.Kind == 1 && Row.size() == 1)) {
            const int take = std::min(overflow, std::max(0, w.Size - w.M.Min));
            w.Size -= take;
            overflow -= take;
        }
    }
    for (size_t k = 0; k < Row.size(); ++k) {
        TRowWin &w = Row[k];
        const TTBDockArrangeRec &r = Recs[size_t(w.Index)];
        if (r.FullSize) {
            w.Size = std::max(w.Size + w.Gap, Avail);
            w.Gap = 0;
        } else if (r.Stretch) {
            w.Size += w.Gap;
            w.Gap = 0;
            int pos = 0;
            for (size_t j = 0; j < k; ++j)
                pos += Row[j].Gap + Row[j].Size;
            if (k + 1 < Row.size()) {
                w.Size += Row[k + 1].Gap;
                Row[k + 1].Gap = 0;
            } else if (pos + w.Size < Avail) {
                w.Size = Avail - pos;
            }
        }
    }
    int pos = 0;
    for (TRowWin &w : Row) {
        TTBDockArrangeRec &r = Recs[size_t(w.Index)];
        pos += w.Gap;
        r.EffPos = pos;
        r.Size = w.Size;
        pos += w.Size;
    }
}

} // namespace

int ArrangeDockRecords(const TTBDockArrangeParams &Params, std::vector<TTBDockArrangeRec> &Recs)
{
    const int n = int(Recs.size());
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    for (TTBDockArrangeRec &r : Recs) {
        if (Params.LimitToOneRow)
            r.DockRow = 0;
        r.EffRow = -1;
        r.Thickness = 0;
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const TTBDockArrangeRec &ra = Recs[size_t(a)], &rb = Recs[size_t(b)];
        if (ra.DockRow != rb.DockRow)
            return ra.DockRow < rb.DockRow;
        return TTBDockSortPos(ra.DockPos) < TTBDockSortPos(rb.DockPos);
    });
    for (int i = 0; i < n; ++i)
        if (Recs[size_t(i)].HoldListPlace) {
            order.erase(std::find(order.begin(), order.end(), i));
            order.insert(order.begin() + i, i);
        }
    std::vector<int> shown;
    for (int i : order)
        if (Recs[size_t(i)].Shown)
            shown.push_back(i);

    if (!Params.LimitToOneRow)
        SplitOwnRows(Recs, shown, true);
    SplitOwnRows(Recs, shown, false);
    // Rows in order, empty ones closed up; a row keeps its windows in sorted order.
    std::stable_sort(shown.begin(), shown.end(),
                     [&](int a, int b) { return Recs[size_t(a)].DockRow < Recs[size_t(b)].DockRow; });
    std::vector<std::vector<int>> rows;
    for (size_t k = 0; k < shown.size(); ++k) {
        if (k == 0 || Recs[size_t(shown[k])].DockRow != Recs[size_t(shown[k - 1])].DockRow)
            rows.emplace_back();
        rows.back().push_back(shown[k]);
    }

    const int avail = std::max(0, Params.Avail);
    int total = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        std::vector<TRowWin> row;
        int sum = 0;
        for (size_t k = 0; k < rows[r].size(); ++k) {
            const int i = rows[r][k];
            TTBDockMeasure m = Params.Measure ? Params.Measure(i, avail) : TTBDockMeasure{};
            m.Min = std::min(m.Min, m.Full);
            sum += m.Kind == 2 ? m.Min : m.Full;
            if (k > 0 && sum > avail && !Params.LimitToOneRow) {
                rows.insert(rows.begin() + std::ptrdiff_t(r) + 1,
                            std::vector<int>(rows[r].begin() + std::ptrdiff_t(k), rows[r].end()));
                rows[r].resize(k);
                break;
            }
            row.push_back({i, m});
        }
        PlaceRow(row, Recs, avail);
        int thick = 0;
        for (const TRowWin &w : row)
            thick = std::max(thick, w.M.Cross);
        if (thick > 0)
            thick += 4;
        for (const TRowWin &w : row) {
            TTBDockArrangeRec &rec = Recs[size_t(w.Index)];
            rec.EffRow = int(r);
            rec.DockRow = int(r);
            rec.Thickness = thick;
        }
        total += thick;
    }
    return total;
}

TTBRowDrop FindDropRow(const std::vector<std::pair<int, bool>> &Rows, int Offset)
{
    int pos = 0, last = -1;
    for (int r = 0; r < int(Rows.size()); ++r) {
        const int t = Rows[size_t(r)].first;
        if (t <= 0)
            continue;
        last = r;
        if (Offset < pos)
            return {r, true};
        if (Offset < pos + t) {
            const int zone = Rows[size_t(r)].second ? t / 2 : t / 4;
            if (Offset < pos + zone)
                return {r, true};
            if (Offset >= pos + t - zone)
                return {r + 1, true};
            return {r, false};
        }
        pos += t;
    }
    return {last + 1, true};
}
