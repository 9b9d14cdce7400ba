#pragma once
#include "SPPlanners.h"

#include <QDate>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// One item as a week row shows it: its (possibly shifted) times, the day columns it covers in
// that week, its lane and how many lanes it may grow down over.
struct TSPDisplayItem {
    TSPPlanItem *Item = nullptr;
    TDateTime StartTime = 0;
    TDateTime EndTime = 0;
    int FirstCol = 0;
    int LastCol = 0;
    int Lane = 0;
    int LaneSpan = 1;
    bool ExtendsBefore = false;  // began in an earlier week
    bool ExtendsAfter = false;   // goes on into a later week
};

// The entries of one week row. Lanes are laid out again whenever the entries change, once the
// outermost update ends.
class TSPDisplayItems
{
public:
    TSPDisplayItems(TDateTime startDate, double cellLength = 1.0);

    TDateTime StartDate() const { return startDate_; }
    double CellLength() const { return cellLength_; }
    int Count() const { return static_cast<int>(items_.size()); }
    const TSPDisplayItem &Items(int index) const { return items_.at(static_cast<size_t>(index)); }
    const std::vector<TSPDisplayItem> &Entries() const { return items_; }

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    void Add(TSPPlanItem *item, TDateTime start, TDateTime end);
    // Drops the entries of an item without laying the lanes out again.
    void Remove(const TSPPlanItem *item);
    void Clear();

private:
    void Arrange();

    TDateTime startDate_;
    double cellLength_;
    int updateCount_ = 0;
    std::vector<TSPDisplayItem> items_;
};

// The caption source for a day cell: kind 0 for a solar term (drawn in red), 1 for the first
// day of a lunar month, 2 for any other day; an empty text draws nothing.
using TSPLunarTextSource = std::function<void(const QDate &date, int &kind, QString &text)>;

// One month as six week rows of seven days, starting on the WeekStart day on or before the 1st.
class TSPMonthPlanner : public TSPBasePlanner
{
public:
    explicit TSPMonthPlanner(TComponent *AOwner);
    ~TSPMonthPlanner() override;

    // Shows the month of the date; the source is asked for the days the grid shows. Nothing
    // happens when that month is already shown.
    void SetDate(TDateTime date);
    void SetDate(const QDate &date) { SetDate(DateFromQt(date)); }
    int Month() const;
    int Year() const;
    // Raise Exception for a month outside 1..12 or a year outside 1..9999.
    void SetMonth(int value);
    void SetYear(int value);

    bool ShowChinaDate() const { return showChinaDate_; }
    void SetShowChinaDate(bool value);
    bool ShowChina() const { return showChina_; }
    void SetShowChina(bool value);
    // Where lunar captions come from; the application plugs in its lunar calendar.
    void SetLunarTextSource(TSPLunarTextSource value);

    TDateTime FirstDay() const { return firstDay_; }
    TDateTime GridStart() const { return gridStart_; }
    int LeadingDays() const { return leadingDays_; }
    int DaysInMonth() const { return daysInMonth_; }
    // The date of a cell and whether it lies in the shown month.
    QDate CellDate(int col, int row) const;
    bool CellInMonth(int col, int row) const;
    // The day number a cell shows.
    int CellDayNumber(int col, int row) const;
    int GroupCount() const;
    // The week row list of a resource group (0 without grouping) and week (0..5).
    const TSPDisplayItems *WeekRow(int group, int week) const;
    // Set by the last paint when items of the day did not fit its cell.
    bool MoreFlag(int col, int row) const;

    int ColCount() const override;
    int RowCount() const override;
    int CellCount() const override { return ColCount() * RowCount(); }
    TRect CellRect(int col, int row) const override;
    TSPCell CellAtPos(int x, int y) const override;
    void DatesAtCell(int col, int row, TDateTime &start, TDateTime &end) const override;
    QString ResourceAtCell(int col, int row) const override;
    TSPPlanItem *ItemAtPos(int x, int y) const override;
    bool ItemRect(TSPPlanItem *item, int col, int row, TRect &rect, bool &extendsBefore,
                  bool &extendsAfter) const override;
    TRect ItemRectAtPos(int x, int y) const override;
    int HitTest(TSPPlanItem *item, const TPoint &p) const override;
    TRect TextRect(TSPPlanItem *item, int col, int row) const override;

protected:
    void PaintRowHeader(TCanvas &ACanvas) override;
    void PaintColumnHeader(TCanvas &ACanvas) override;
    void PaintCells(TCanvas &ACanvas) override;
    void SourceChanged() override;
    void ItemFreed(TSPPlanItem *item) override;
    bool NewItemAllDay() const override;
    void DragStateChanged() override;

private:
    struct Found {
        int group = -1;
        int week = -1;
        const TSPDisplayItem *entry = nullptr;
        TRect rect;
    };
    void Rebuild();
    void RequestRange();
    bool Stacked() const;
    int GroupOf(int col, int row) const;
    int RowOfWeek(int group, int week) const { return Stacked() ? group * 6 + week : week; }
    int ColOfDay(int group, int day) const { return Stacked() ? day : group * 7 + day; }
    int ColumnEdge(int index) const;
    // The rectangle an entry is drawn in; false when it does not fit its week row.
    bool EntryRect(int group, int week, const TSPDisplayItem &entry, TRect &rect) const;
    Found FindAt(int x, int y) const;
    Found FindItem(const TSPPlanItem *item, int col, int row) const;
    void PaintDay(TCanvas &canvas, int group, int week, int day);
    void PaintItem(TCanvas &canvas, const TSPDisplayItem &entry, const TRect &rect);
    bool TimedOneDay(const TSPDisplayItem &entry) const;

    std::vector<std::unique_ptr<TSPDisplayItems>> weekRows_;  // group * 6 + week
    // Copies of the items another planner is dragging here, placed where they would land.
    std::vector<std::unique_ptr<TSPPlanItem>> ghosts_;
    TDateTime firstDay_ = 0;
    TDateTime endDay_ = 0;
    int firstCellDay_ = 0;
    int leadingDays_ = 0;
    int daysInMonth_ = 0;
    TDateTime gridStart_ = 0;
    bool showChinaDate_ = false;
    bool showChina_ = false;
    TSPLunarTextSource lunarText_;
    std::vector<bool> more_;
};
