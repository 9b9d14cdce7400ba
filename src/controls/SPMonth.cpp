#include "SPMonth.h"

#include "platform/UiServices.h"

#include <QLocale>
#include <QTime>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kOneMs = 1.0 / 86400000.0;
constexpr int kDayStrip = 16;   // the day number strip at the top of a cell
constexpr int kLaneStep = 20;   // 16 pixels of item and 4 of gap per lane
constexpr int kItemHeight = 18;
constexpr TColor kGridLine = 0x808080;
constexpr TColor kItemFrame = 0x808000;
constexpr TColor kTodayTop = 0xFFFFFF;
constexpr TColor kTodayBottom = 0x808000;

bool Overlaps(TDateTime start, TDateTime end, TDateTime from, TDateTime to)
{
    // A zero-length item belongs to the day it sits on.
    return start < to && (end > from || start >= from);
}

int CompareDisplay(const TSPDisplayItem &a, const TSPDisplayItem &b)
{
    if (a.StartTime != b.StartTime)
        return a.StartTime < b.StartTime ? -1 : 1;
    if (a.EndTime != b.EndTime)
        return a.EndTime < b.EndTime ? -1 : 1;
    if (a.Item->AllDay() != b.Item->AllDay())
        return a.Item->AllDay() ? -1 : 1;
    const int byText = QString::compare(a.Item->Text(), b.Item->Text(), Qt::CaseSensitive);
    return byText == 0 ? 0 : (byText > 0 ? -1 : 1);
}

bool ColumnsMeet(const TSPDisplayItem &a, const TSPDisplayItem &b)
{
    return a.FirstCol <= b.LastCol && b.FirstCol <= a.LastCol;
}

// Halfway to white, per channel: each operand halved, then added.
TColor TowardWhite(TColor rgb)
{
    return RGB((GetRValue(rgb) >> 1) + (255 >> 1), (GetGValue(rgb) >> 1) + (255 >> 1),
               (GetBValue(rgb) >> 1) + (255 >> 1));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TSPDisplayItems

TSPDisplayItems::TSPDisplayItems(TDateTime startDate, double cellLength)
    : startDate_(startDate), cellLength_(cellLength > 0 ? cellLength : 1.0)
{
}

void TSPDisplayItems::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        Arrange();
}

void TSPDisplayItems::Add(TSPPlanItem *item, TDateTime start, TDateTime end)
{
    TSPDisplayItem entry;
    entry.Item = item;
    entry.StartTime = start;
    entry.EndTime = end;
    items_.push_back(entry);
    if (updateCount_ == 0)
        Arrange();
}

void TSPDisplayItems::Remove(const TSPPlanItem *item)
{
    items_.erase(std::remove_if(items_.begin(), items_.end(), [item](const TSPDisplayItem &e) { return e.Item == item; }),
                 items_.end());
}

void TSPDisplayItems::Clear()
{
    items_.clear();
}

void TSPDisplayItems::Arrange()
{
    std::stable_sort(items_.begin(), items_.end(),
                     [](const TSPDisplayItem &a, const TSPDisplayItem &b) { return CompareDisplay(a, b) < 0; });
    const double weekEnd = startDate_ + 7 * cellLength_;
    for (TSPDisplayItem &e : items_) {
        const double first = std::floor((e.StartTime - startDate_) / cellLength_);
        // An end exactly at midnight closes the day before.
        const double last = std::floor((e.EndTime - startDate_ - kOneMs) / cellLength_);
        e.FirstCol = static_cast<int>(std::clamp(first, 0.0, 6.0));
        // A zero-length item keeps its one day instead of ending before it starts.
        e.LastCol = std::max(e.FirstCol, static_cast<int>(std::clamp(last, 0.0, 6.0)));
        e.ExtendsBefore = e.StartTime < startDate_;
        e.ExtendsAfter = e.EndTime - kOneMs >= weekEnd;
        e.Lane = 0;
        e.LaneSpan = 1;
    }
    size_t begin = 0;
    while (begin < items_.size()) {
        // A cluster: entries whose column spans chain into each other.
        size_t end = begin + 1;
        int reach = items_[begin].LastCol;
        while (end < items_.size() && items_[end].FirstCol <= reach) {
            reach = std::max(reach, items_[end].LastCol);
            ++end;
        }
        int lanes = 0;
        for (size_t k = begin; k < end; ++k) {
            int lane = 0;
            for (bool taken = true; taken; ) {
                taken = false;
                for (size_t m = begin; m < k; ++m)
                    if (items_[m].Lane == lane && ColumnsMeet(items_[m], items_[k])) {
                        taken = true;
                        ++lane;
                        break;
                    }
            }
            items_[k].Lane = lane;
            lanes = std::max(lanes, lane + 1);
        }
        for (size_t k = begin; k < end; ++k) {
            TSPDisplayItem &e = items_[k];
            while (e.Lane + e.LaneSpan < lanes) {
                const int next = e.Lane + e.LaneSpan;
                bool blocked = false;
                for (size_t m = begin; m < end && !blocked; ++m)
                    blocked = m != k && ColumnsMeet(items_[m], e) && items_[m].Lane <= next &&
                              next < items_[m].Lane + items_[m].LaneSpan;
                if (blocked)
                    break;
                ++e.LaneSpan;
            }
        }
        begin = end;
    }
}

// ---------------------------------------------------------------------------------------------
// TSPMonthPlanner

TSPMonthPlanner::TSPMonthPlanner(TComponent *AOwner) : TSPBasePlanner(AOwner)
{
    SetCtl3D(true);
    SetBounds(Left(), Top(), 160, 120);
    SetTabStop(true);
    SetColor(clBtnFace);
    SetRowHeaderCount(1);
    SetDate(Clock().Now().date());
}

TSPMonthPlanner::~TSPMonthPlanner() = default;

void TSPMonthPlanner::SetDate(TDateTime date)
{
    const QDate d = DateToQt(date);
    if (!d.isValid())
        return;
    const QDate first(d.year(), d.month(), 1);
    if (daysInMonth_ > 0 && DateToQt(firstDay_) == first)
        return;
    firstDay_ = DateFromQt(first);
    Rebuild();
    RequestRange();
}

int TSPMonthPlanner::Month() const { return DateToQt(firstDay_).month(); }
int TSPMonthPlanner::Year() const { return DateToQt(firstDay_).year(); }

void TSPMonthPlanner::SetMonth(int value)
{
    const QDate d(Year(), value, 1);
    if (!d.isValid())
        throw Exception(QStringLiteral("Invalid argument to date encode"));
    SetDate(d);
}

void TSPMonthPlanner::SetYear(int value)
{
    const QDate d(value, Month(), 1);
    if (!d.isValid() || value < 1 || value > 9999)
        throw Exception(QStringLiteral("Invalid argument to date encode"));
    SetDate(d);
}

void TSPMonthPlanner::SetShowChinaDate(bool value)
{
    if (value == showChinaDate_)
        return;
    showChinaDate_ = value;
    Rebuild();
}

void TSPMonthPlanner::SetShowChina(bool value)
{
    if (value == showChina_)
        return;
    showChina_ = value;
    Rebuild();
}

void TSPMonthPlanner::SetLunarTextSource(TSPLunarTextSource value)
{
    lunarText_ = std::move(value);
    Invalidate();
}

bool TSPMonthPlanner::Stacked() const
{
    return GroupBy() == TSPGroupBy::grDate && Resources().Count() > 0;
}

int TSPMonthPlanner::GroupCount() const
{
    return GroupBy() == TSPGroupBy::grNone || Resources().Count() == 0 ? 1 : Resources().Count();
}

int TSPMonthPlanner::ColCount() const { return Stacked() ? 7 : 7 * GroupCount(); }
int TSPMonthPlanner::RowCount() const { return Stacked() ? 6 * GroupCount() : 6; }

int TSPMonthPlanner::GroupOf(int col, int row) const
{
    return Stacked() ? row / 6 : col / 7;
}

void TSPMonthPlanner::Rebuild()
{
    const QDate first = DateToQt(firstDay_);
    QDate start = first;
    const int weekStartDay = WeekStart() == TSPWeekStart::wsSunday ? Qt::Sunday : Qt::Monday;
    while (start.dayOfWeek() != weekStartDay)
        start = start.addDays(-1);
    gridStart_ = DateFromQt(start);
    leadingDays_ = static_cast<int>(start.daysTo(first));
    daysInMonth_ = first.daysInMonth();
    firstCellDay_ = start.day();
    endDay_ = firstDay_ + 42;

    const int groups = GroupCount();
    if (Stacked()) {
        SetRowHeaderCount(1);
        SetColumnHeaderCount(3);
    } else {
        SetRowHeaderCount(GroupBy() == TSPGroupBy::grResource && Resources().Count() > 0 ? 2 : 1);
        SetColumnHeaderCount(0);
    }

    weekRows_.clear();
    ghosts_.clear();
    for (int g = 0; g < groups; ++g)
        for (int w = 0; w < 6; ++w) {
            weekRows_.push_back(std::make_unique<TSPDisplayItems>(gridStart_ + 7 * w));
            weekRows_.back()->BeginUpdate();
        }
    const bool grouped = GroupBy() != TSPGroupBy::grNone && Resources().Count() > 0;
    const auto place = [&](TSPPlanItem *item, TDateTime s, TDateTime e) {
        for (int g = 0; g < groups; ++g) {
            if (grouped && item->Resource() != Resources().Items(g).Name)
                continue;
            for (int w = 0; w < 6; ++w) {
                const TDateTime ws = gridStart_ + 7 * w;
                if (Overlaps(s, e, ws, ws + 7))
                    weekRows_[static_cast<size_t>(g * 6 + w)]->Add(item, s, e);
            }
        }
    };
    TSPBasePlanner *dragging = DragSource();
    if (Source()) {
        for (int i = 0; i < Source()->Count(); ++i) {
            TSPPlanItem *item = Source()->Items(i);
            if (item->StartTime() >= endDay_)
                break;
            if (!Overlaps(item->StartTime(), item->EndTime(), gridStart_, endDay_) || !ItemVisible(item))
                continue;
            // Items being dragged show where they would land instead.
            if (dragging && dragging->Source() == Source() && dragging->IsSelected(item))
                continue;
            place(item, item->StartTime(), item->EndTime());
        }
    }
    if (dragging) {
        const bool byResource = GroupBy() == TSPGroupBy::grResource && Resources().Count() > 0;
        for (int i = 0; i < dragging->SelectedCount(); ++i) {
            auto ghost = std::make_unique<TSPPlanItem>();
            ghost->Assign(*dragging->SelectedItem(i));
            ghost->MoveBy(DragOffset());
            if (byResource)
                ghost->SetResource(DragResource());
            if (ItemVisible(ghost.get())) {
                place(ghost.get(), ghost->StartTime(), ghost->EndTime());
                ghosts_.push_back(std::move(ghost));
            }
        }
    }
    for (auto &row : weekRows_)
        row->EndUpdate();
    more_.assign(static_cast<size_t>(ColCount() * RowCount()), false);
    Invalidate();
}

void TSPMonthPlanner::RequestRange()
{
    TSPCustomSource *source = Source();
    if (!source || daysInMonth_ == 0)
        return;
    source->BeginUpdate();
    try {
        source->RequestItems(gridStart_, firstDay_ + 42);
    } catch (...) {
        source->EndUpdate();
        throw;
    }
    source->EndUpdate();
}

void TSPMonthPlanner::SourceChanged()
{
    TSPBasePlanner::SourceChanged();
    if (daysInMonth_ == 0)
        return;  // still being constructed
    Rebuild();
    RequestRange();
}

void TSPMonthPlanner::ItemFreed(TSPPlanItem *item)
{
    TSPBasePlanner::ItemFreed(item);
    for (auto &row : weekRows_)
        row->Remove(item);
}

void TSPMonthPlanner::DragStateChanged()
{
    Rebuild();
}

bool TSPMonthPlanner::NewItemAllDay() const
{
    return Filter().Contains(TSPFilterKind::flAllDay);
}

const TSPDisplayItems *TSPMonthPlanner::WeekRow(int group, int week) const
{
    const int index = group * 6 + week;
    if (group < 0 || week < 0 || week >= 6 || index >= static_cast<int>(weekRows_.size()))
        return nullptr;
    return weekRows_[static_cast<size_t>(index)].get();
}

bool TSPMonthPlanner::MoreFlag(int col, int row) const
{
    if (!CellValid(col, row))
        return false;
    const size_t i = static_cast<size_t>(row * ColCount() + col);
    return i < more_.size() && more_[i];
}

QDate TSPMonthPlanner::CellDate(int col, int row) const
{
    if (!CellValid(col, row))
        return {};
    return DateToQt(gridStart_).addDays((row % 6) * 7 + col % 7);
}

bool TSPMonthPlanner::CellInMonth(int col, int row) const
{
    if (!CellValid(col, row))
        return false;
    const int i = (row % 6) * 7 + col % 7;
    return i >= leadingDays_ && i < leadingDays_ + daysInMonth_;
}

int TSPMonthPlanner::CellDayNumber(int col, int row) const
{
    const int i = (row % 6) * 7 + col % 7;
    if (i < leadingDays_)
        return i + firstCellDay_;
    if (i >= leadingDays_ + daysInMonth_)
        return i + 1 - (leadingDays_ + daysInMonth_);
    return i + 1 - leadingDays_;
}

// ---------------------------------------------------------------------------------------------
// Geometry

int TSPMonthPlanner::ColumnEdge(int index) const
{
    const TRect cells = CellsRect();
    return cells.Left + MulDiv(cells.Width(), index, std::max(1, ColCount()));
}

TRect TSPMonthPlanner::CellRect(int col, int row) const
{
    if (!CellValid(col, row))
        return {};
    const TRect cells = CellsRect();
    const int visual = UseRightToLeftReading() ? ColCount() - 1 - col : col;
    const int rows = RowCount();
    return {ColumnEdge(visual), cells.Top + MulDiv(cells.Height(), row, rows), ColumnEdge(visual + 1),
            cells.Top + MulDiv(cells.Height(), row + 1, rows)};
}

TSPCell TSPMonthPlanner::CellAtPos(int x, int y) const
{
    const TRect cells = CellsRect();
    if (!cells.Contains({x, y}))
        return {};
    const int cols = ColCount(), rows = RowCount();
    int visual = 0;
    while (visual + 1 < cols && x >= ColumnEdge(visual + 1))
        ++visual;
    int row = 0;
    while (row + 1 < rows && y >= cells.Top + MulDiv(cells.Height(), row + 1, rows))
        ++row;
    return {UseRightToLeftReading() ? cols - 1 - visual : visual, row};
}

void TSPMonthPlanner::DatesAtCell(int col, int row, TDateTime &start, TDateTime &end) const
{
    if (!CellValid(col, row)) {
        start = end = -1.0;
        return;
    }
    start = gridStart_ + (row % 6) * 7 + col % 7;
    end = start + 1;
}

QString TSPMonthPlanner::ResourceAtCell(int col, int row) const
{
    if (!CellValid(col, row) || GroupBy() == TSPGroupBy::grNone || Resources().Count() == 0)
        return {};
    return Resources().Items(GroupOf(col, row)).Name;
}

bool TSPMonthPlanner::EntryRect(int group, int week, const TSPDisplayItem &entry, TRect &rect) const
{
    const int row = RowOfWeek(group, week);
    const TRect first = CellRect(ColOfDay(group, entry.FirstCol), row);
    const TRect last = CellRect(ColOfDay(group, entry.LastCol), row);
    const int top = first.Top + kDayStrip + kLaneStep * entry.Lane;
    int bottom = top + kLaneStep * (entry.LaneSpan - 1) + kItemHeight;
    // A grown entry gives back lanes rather than vanish when the cell is short.
    while (bottom > first.Bottom && bottom - kLaneStep >= top + kItemHeight)
        bottom -= kLaneStep;
    if (bottom > first.Bottom)
        return false;
    if (UseRightToLeftReading())
        rect = {last.Left + (entry.ExtendsAfter ? 0 : 4), top, first.Right - (entry.ExtendsBefore ? 0 : 3), bottom};
    else
        rect = {first.Left + (entry.ExtendsBefore ? 0 : 3), top, last.Right - (entry.ExtendsAfter ? 0 : 4), bottom};
    return true;
}

TSPMonthPlanner::Found TSPMonthPlanner::FindAt(int x, int y) const
{
    Found found;
    const TSPCell cell = CellAtPos(x, y);
    if (!CellValid(cell.Col, cell.Row))
        return found;
    const int group = GroupOf(cell.Col, cell.Row);
    const int week = cell.Row % 6;
    const TSPDisplayItems *row = WeekRow(group, week);
    if (!row)
        return found;
    for (const TSPDisplayItem &e : row->Entries()) {
        TRect r;
        if (EntryRect(group, week, e, r) && r.Contains({x, y})) {
            found = {group, week, &e, r};
            break;
        }
    }
    return found;
}

TSPMonthPlanner::Found TSPMonthPlanner::FindItem(const TSPPlanItem *item, int col, int row) const
{
    Found found;
    if (!item)
        return found;
    const auto search = [&](int group, int week, int day) {
        const TSPDisplayItems *list = WeekRow(group, week);
        if (!list)
            return false;
        for (const TSPDisplayItem &e : list->Entries()) {
            TRect r;
            if (e.Item == item && (day < 0 || (e.FirstCol <= day && day <= e.LastCol)) && EntryRect(group, week, e, r)) {
                found = {group, week, &e, r};
                return true;
            }
        }
        return false;
    };
    if (CellValid(col, row) && search(GroupOf(col, row), row % 6, col % 7))
        return found;
    for (int g = 0; g < GroupCount(); ++g)
        for (int w = 0; w < 6; ++w)
            if (search(g, w, -1))
                return found;
    return found;
}

TSPPlanItem *TSPMonthPlanner::ItemAtPos(int x, int y) const
{
    const Found f = FindAt(x, y);
    // A dragged copy shown here is no item of this planner.
    return f.entry && f.entry->Item->Source() ? f.entry->Item : nullptr;
}

bool TSPMonthPlanner::ItemRect(TSPPlanItem *item, int col, int row, TRect &rect, bool &extendsBefore,
                               bool &extendsAfter) const
{
    rect = {};
    extendsBefore = extendsAfter = false;
    if (!CellValid(col, row))
        return false;
    const TSPDisplayItems *list = WeekRow(GroupOf(col, row), row % 6);
    if (!list)
        return false;
    for (const TSPDisplayItem &e : list->Entries())
        if (e.Item == item && e.FirstCol <= col % 7 && col % 7 <= e.LastCol &&
            EntryRect(GroupOf(col, row), row % 6, e, rect)) {
            extendsBefore = e.ExtendsBefore;
            extendsAfter = e.ExtendsAfter;
            return true;
        }
    return false;
}

TRect TSPMonthPlanner::ItemRectAtPos(int x, int y) const
{
    return FindAt(x, y).rect;
}

bool TSPMonthPlanner::TimedOneDay(const TSPDisplayItem &entry) const
{
    return !entry.Item->AllDay() &&
           std::floor(entry.StartTime) == std::floor(std::max(entry.StartTime, entry.EndTime - kOneMs));
}

int TSPMonthPlanner::HitTest(TSPPlanItem *item, const TPoint &p) const
{
    const Found f = FindAt(p.X, p.Y);
    if (!f.entry || f.entry->Item != item)
        return sphNone;
    const TRect &r = f.rect;
    const bool rtl = UseRightToLeftReading();
    if (TimedOneDay(*f.entry)) {
        const int avg = AvgCharWidth();
        if (r.Width() > 9 * avg) {
            const bool onTime = rtl ? p.X >= r.Right - 6 * avg : p.X < r.Left + 6 * avg;
            if (onTime)
                return sphTime;
        }
        return sphBody;
    }
    const bool leftBand = rtl ? !f.entry->ExtendsAfter : !f.entry->ExtendsBefore;
    const bool rightBand = rtl ? !f.entry->ExtendsBefore : !f.entry->ExtendsAfter;
    if (leftBand && p.X < r.Left + 3)
        return sphLeftEdge;
    if (rightBand && p.X >= r.Right - 3)
        return sphRightEdge;
    return sphBody;
}

TRect TSPMonthPlanner::TextRect(TSPPlanItem *item, int col, int row) const
{
    const Found f = FindItem(item, col, row);
    if (!f.entry)
        return {};
    TRect r = f.rect;
    r.Inflate(-1, -1);
    const TCustomImageList *images = Source() ? Source()->Images() : nullptr;
    if (images && item->Icons().Count() > 0) {
        const int iconsWidth = images->Width() * item->Icons().Count();
        if (UseRightToLeftReading())
            r.Right -= iconsWidth;
        else
            r.Left += iconsWidth;
    }
    return r;
}

// ---------------------------------------------------------------------------------------------
// Painting

void TSPMonthPlanner::PaintRowHeader(TCanvas &canvas)
{
    const TRect area = RowHeaderRect();
    canvas.Brush()->SetColor(Color());
    canvas.FillRect(area);
    canvas.SetBkMode(TRANSPARENT);
    const bool nameStrip = RowHeaderCount() >= 2;
    const int dayTop = nameStrip ? area.Top + (area.Height() / RowHeaderCount()) : area.Top;
    const int cols = ColCount();
    const double perColumn = double(area.Width()) / (double(cols) * std::max(1, AvgCharWidth()));
    const QLocale::FormatType format = perColumn < 11 ? QLocale::ShortFormat : QLocale::LongFormat;
    const QLocale locale;
    for (int col = 0; col < cols; ++col) {
        const TRect cell = CellRect(col, 0);
        TRect r = {cell.Left, dayTop, cell.Right, area.Bottom};
        TRect edge = r;
        canvas.DrawEdge(edge, BDR_RAISEDINNER, BF_RECT);
        // Column c shows weekday c counted from Sunday, one further on with a Monday start.
        const int fromSunday = (col % 7 + (WeekStart() == TSPWeekStart::wsMonday ? 1 : 0)) % 7;
        canvas.DrawText(locale.dayName(fromSunday == 0 ? 7 : fromSunday, format), r,
                        DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (!nameStrip)
        return;
    for (int g = 0; g < GroupCount(); ++g) {
        const TRect a = CellRect(ColOfDay(g, 0), 0), b = CellRect(ColOfDay(g, 6), 0);
        TRect r = {std::min(a.Left, b.Left), area.Top, std::max(a.Right, b.Right), dayTop};
        TRect edge = r;
        canvas.DrawEdge(edge, BDR_RAISEDINNER, BF_RECT);
        canvas.DrawText(Resources().Items(g).Name, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

void TSPMonthPlanner::PaintColumnHeader(TCanvas &canvas)
{
    const TRect area = ColumnHeaderRect();
    canvas.Brush()->SetColor(Color());
    canvas.FillRect(area);
    if (!Stacked())
        return;
    canvas.SetBkMode(TRANSPARENT);
    for (int g = 0; g < GroupCount(); ++g) {
        TRect r = {area.Left, CellRect(0, g * 6).Top, area.Right, CellRect(0, g * 6 + 5).Bottom};
        TRect edge = r;
        canvas.DrawEdge(edge, BDR_RAISEDINNER, BF_RECT);
        canvas.DrawText(Resources().Items(g).Name, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

void TSPMonthPlanner::PaintCells(TCanvas &canvas)
{
    more_.assign(static_cast<size_t>(ColCount() * RowCount()), false);
    for (int g = 0; g < GroupCount(); ++g) {
        for (int w = 0; w < 6; ++w) {
            for (int d = 0; d < 7; ++d)
                PaintDay(canvas, g, w, d);
            const TSPDisplayItems *list = WeekRow(g, w);
            if (!list)
                continue;
            const int row = RowOfWeek(g, w);
            int lanes = 0;
            for (const TSPDisplayItem &e : list->Entries())
                lanes = std::max(lanes, e.Lane + 1);
            for (int lane = 0; lane < lanes; ++lane)
                for (const TSPDisplayItem &e : list->Entries()) {
                    if (e.Lane != lane)
                        continue;
                    TRect r;
                    if (!EntryRect(g, w, e, r)) {
                        const int day = std::clamp(e.LastCol, 0, 6);
                        more_[static_cast<size_t>(row * ColCount() + ColOfDay(g, day))] = true;
                        continue;
                    }
                    PaintItem(canvas, e, r);
                }
            // The marker: a small triangle pointing down in the cell's bottom corner.
            for (int d = 0; d < 7; ++d) {
                const int col = ColOfDay(g, d);
                if (!more_[static_cast<size_t>(row * ColCount() + col)])
                    continue;
                const TRect c = CellRect(col, row);
                const int x = UseRightToLeftReading() ? c.Left + 4 : c.Right - 12, y = c.Bottom - 7;
                canvas.Pen()->SetColor(clBlack);
                canvas.Brush()->SetColor(clBlack);
                canvas.Polygon({{x, y}, {x + 6, y}, {x + 3, y + 3}});
            }
        }
    }
}

void TSPMonthPlanner::PaintDay(TCanvas &canvas, int group, int week, int day)
{
    const int col = ColOfDay(group, day), row = RowOfWeek(group, week);
    const TRect r = CellRect(col, row);
    if (r.IsEmpty())
        return;
    TColor base = BackgroundColor();
    if (GroupBy() != TSPGroupBy::grNone && Resources().Count() > 0 && Resources().Items(group).Color != clNone)
        base = Resources().Items(group).Color;
    TColor fill = ColorToRGB(base);
    const bool inMonth = CellInMonth(col, row);
    for (int i = 0; i < (inMonth ? 3 : 2); ++i)
        fill = TowardWhite(fill);
    canvas.Brush()->SetStyle(TBrushStyle::bsSolid);
    canvas.Brush()->SetColor(fill);
    canvas.FillRect(r);

    const TRect strip = {r.Left + 1, r.Top + 1, r.Right - 1, r.Top + 1 + kDayStrip};
    TColor textColor = Font()->Color();
    if (SelectedCount() == 0 && hasFocus() && CellSelected(col, row)) {
        canvas.Brush()->SetColor(clHighlight);
        canvas.FillRect(strip);
        textColor = clHighlightText;
    }
    const QDate date = CellDate(col, row);
    if (date == Clock().Now().date())
        canvas.GradientFill(strip, kTodayTop, kTodayBottom, true);

    canvas.SetBkMode(TRANSPARENT);
    TRect textRect = {strip.Left + 2, strip.Top, strip.Right - 2, strip.Bottom};
    canvas.Font()->SetColor(textColor);
    TRect numberRect = textRect;
    canvas.DrawText(QString::number(CellDayNumber(col, row)), numberRect,
                    DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (showChinaDate_ && lunarText_) {
        int kind = 2;
        QString text;
        lunarText_(date, kind, text);
        if (!text.isEmpty()) {
            canvas.Font()->SetColor(kind == 0 ? clRed : textColor);
            TRect lunarRect = textRect;
            canvas.DrawText(text, lunarRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    canvas.Font()->SetColor(Font()->Color());

    canvas.Pen()->SetColor(kGridLine);
    canvas.Pen()->SetStyle(TPenStyle::psSolid);
    if (col != ColCount() - 1) {
        const int x = UseRightToLeftReading() ? r.Left : r.Right - 1;
        canvas.MoveTo(x, r.Top);
        canvas.LineTo(x, r.Bottom);
    }
    if (row != RowCount() - 1) {
        canvas.MoveTo(r.Left, r.Bottom - 1);
        canvas.LineTo(r.Right, r.Bottom - 1);
    }
}

void TSPMonthPlanner::PaintItem(TCanvas &canvas, const TSPDisplayItem &entry, const TRect &rect)
{
    TSPPlanItem *item = entry.Item;
    const bool selected = item->Source() && IsSelected(item);
    if (!OfferDrawItem(canvas, item, rect, entry.ExtendsBefore, entry.ExtendsAfter, selected, canvas.GetClipBox()))
        return;
    const bool oneDay = TimedOneDay(entry);
    const TColor fill = selected ? clHighlight : (item->Color() != clNone ? item->Color() : clWhite);
    canvas.Brush()->SetStyle(TBrushStyle::bsSolid);
    if (!(oneDay && !selected && item->Color() == clNone)) {
        canvas.Brush()->SetColor(fill);
        canvas.FillRect(rect);
    }
    canvas.Brush()->SetColor(kItemFrame);
    canvas.FrameRect(rect);

    TRect inner = rect;
    inner.Inflate(-1, -1);
    const bool rtl = UseRightToLeftReading();
    const TCustomImageList *images = Source() ? Source()->Images() : nullptr;
    if (images) {
        for (int i = 0; i < item->Icons().Count(); ++i) {
            const int y = inner.Top + (inner.Height() - images->Height()) / 2;
            if (rtl) {
                inner.Right -= images->Width();
                images->Draw(&canvas, inner.Right, y, item->Icons().Icons(i));
            } else {
                images->Draw(&canvas, inner.Left, y, item->Icons().Icons(i));
                inner.Left += images->Width();
            }
        }
    }
    if (inner.IsEmpty())
        return;
    QString text = item->Text();
    if (!item->AllDay() && rect.Width() > 9 * AvgCharWidth())
        text = DateTimeToQt(entry.StartTime).time().toString(QStringLiteral("hh:mm ")) + text;
    canvas.Brush()->SetStyle(TBrushStyle::bsClear);
    canvas.SetBkMode(TRANSPARENT);
    canvas.Font()->SetColor(selected ? clHighlightText : Font()->Color());
    const int width = canvas.TextWidth(text);
    int x = rtl ? inner.Right - width - 1 : inner.Left + 1;
    if (!oneDay && width <= inner.Width())
        x = inner.Left + (inner.Width() - width) / 2;
    const int y = inner.Top + (inner.Height() - canvas.TextHeight(QStringLiteral("W"))) / 2;
    canvas.TextRect(inner, x, y, text);
    canvas.Brush()->SetStyle(TBrushStyle::bsSolid);
    canvas.Font()->SetColor(Font()->Color());
}
