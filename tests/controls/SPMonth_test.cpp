#include "PlannerTestSupport.h"

namespace {

QColor Pixel(QWidget *w, QPoint p) { return w->grab().toImage().pixelColor(p); }

QStringList TextsOf(const TCanvasRecorder &rec, TCanvasOp op)
{
    QStringList out;
    for (const TCanvasCall *c : rec.Of(op))
        out << c->Text;
    return out;
}

// Each entry of a week row as "text [<]first-last[>] lane[+span]", in the row's order.
QStringList Layout(const TSPDisplayItems *week)
{
    QStringList out;
    for (const TSPDisplayItem &e : week->Entries())
        out << e.Item->Text() + QString::asprintf(" %s%d-%d%s %d", e.ExtendsBefore ? "<" : "", e.FirstCol, e.LastCol,
                                                   e.ExtendsAfter ? ">" : "", e.Lane) +
                   (e.LaneSpan > 1 ? QString("+%1").arg(e.LaneSpan) : QString());
    return out;
}

const TCanvasCall *TextCall(const TCanvasRecorder &rec, const QString &text, const TRect &within)
{
    for (const TCanvasCall *c : rec.Of(TCanvasOp::DrawText))
        if (c->Text == text && c->Rect.Left >= within.Left && c->Rect.Right <= within.Right &&
            c->Rect.Top >= within.Top && c->Rect.Bottom <= within.Bottom)
            return c;
    return nullptr;
}

} // namespace

TEST_F(PlannerTest, OverlappingItemsTakeLanesLongOnesSplitOverWeekRowsTooManySetTheMoreFlag)
{
    // Week row 1 runs from Monday 5 February.
    Add("long", Day(2024, 2, 5), Day(2024, 2, 9));
    Add("b", Day(2024, 2, 6), Day(2024, 2, 8));
    Add("c", Day(2024, 2, 7), Day(2024, 2, 8));
    Add("apart", Day(2024, 2, 10), Day(2024, 2, 11));
    EXPECT_EQ(Layout(planner->WeekRow(0, 1)), QStringList({"long 0-3 0", "b 1-2 1", "c 2-2 2", "apart 5-5 0"}));
    // Hit testing finds each one in its lane.
    for (auto [lane, text] : {std::pair{0, "long"}, {1, "b"}, {2, "c"}})
        EXPECT_EQ(planner->ItemAtPos(Lane(2, 1, lane).x() - 2, Lane(2, 1, lane).y() - 2)->Text(), QString(text));
    // An entry grows down over free lanes of its cluster.
    source->ClearItems();
    Add("a", Day(2024, 2, 5), Day(2024, 2, 7));           // Monday and Tuesday, lane 0
    Add("b", Day(2024, 2, 5, 1), Day(2024, 2, 6), false);  // Monday, lane 1, d below it
    Add("d", Day(2024, 2, 5, 2), Day(2024, 2, 6), false);  // Monday, lane 2
    Add("c", Day(2024, 2, 6), Day(2024, 2, 7));           // Tuesday, lane 1, lane 2 free
    EXPECT_EQ(Layout(planner->WeekRow(0, 1)), QStringList({"a 0-1 0", "b 0-0 1", "d 0-0 2", "c 1-1 1+2"}));
    source->ClearItems();
    // Thursday 8 February to Saturday 17 February inclusive; an end at midnight closes the day before.
    TSPPlanItem *trip = Add("trip", Day(2024, 2, 8), Day(2024, 2, 18));
    EXPECT_EQ(Layout(planner->WeekRow(0, 1)), QStringList({"trip 3-6> 0"}));
    EXPECT_EQ(Layout(planner->WeekRow(0, 2)), QStringList({"trip <0-5 0"}));
    EXPECT_EQ(planner->WeekRow(0, 3)->Count(), 0);
    // The inset is dropped where it goes on: flush with the row's right edge, then its left.
    TRect r;
    bool before, after;
    ASSERT_TRUE(planner->ItemRect(trip, 6, 1, r, before, after));
    EXPECT_EQ(r, TRect({303, 122 + 16, 700, 122 + 16 + 18}));
    ASSERT_TRUE(planner->ItemRect(trip, 0, 2, r, before, after));
    EXPECT_EQ(std::tuple(r.Left, r.Right, before), std::tuple(0, 596, true));
    // A zero-length item at midnight keeps its day, also the grid's very first one.
    TSPPlanItem *point = Add("point", Day(2024, 2, 6), Day(2024, 2, 6), false);
    EXPECT_TRUE(Layout(planner->WeekRow(0, 1)).contains("point 1-1 0"));
    ASSERT_TRUE(planner->ItemRect(point, 1, 1, r, before, after));
    EXPECT_GT(r.Width(), 0);
    Add("first", Day(2024, 1, 29), Day(2024, 1, 29), false);
    EXPECT_EQ(planner->WeekRow(0, 0)->Count(), 1);
    // Too many items for a day set its more flag.
    source->ClearItems();
    for (int i = 0; i < 6; ++i)
        Add(QString("t%1").arg(i), Day(2024, 2, 7, 8 + i), Day(2024, 2, 7, 9 + i), false);
    Add("single", Day(2024, 2, 8, 8), Day(2024, 2, 8, 9), false);
    Record();
    // A 100-pixel cell holds the 16-pixel strip and four lanes (16 + 20 * 3 + 18 = 94).
    EXPECT_EQ(std::tuple(planner->MoreFlag(2, 1), planner->MoreFlag(3, 1), planner->MoreFlag(2, 2)),
              std::tuple(true, false, false));
    // The hidden ones cannot be hit either; the last shown one can.
    EXPECT_EQ(planner->ItemAtPos(Lane(2, 1, 3).x() - 2, Lane(2, 1, 3).y() - 2)->Text(), QString("t3"));
    planner->SetBounds(0, 0, 704, 626 + 6 * 40);
    Record();
    EXPECT_FALSE(planner->MoreFlag(2, 1)) << "taller cells hold them all";
}

TEST_F(PlannerTest, SettingTheShownMonthAgainRequestsNothingAndTheGridStartsOnTheWeekStart)
{
    std::vector<std::pair<QDate, QDate>> asked;
    source->OnRequestItems = [&](TComponent *, TDateTime s, TDateTime e) { asked.push_back({DateToQt(s), DateToQt(e)}); };
    planner->SetDate(QDate(2024, 2, 20));
    EXPECT_TRUE(asked.empty());
    planner->SetDate(QDate(2024, 3, 5));
    ASSERT_EQ(asked.size(), 1u);
    // Only what February's request did not cover (it ran to 1 February + 42).
    EXPECT_EQ(asked[0], std::pair(QDate(2024, 3, 14), QDate(2024, 4, 12)));
    asked.clear();
    planner->SetMonth(2);
    EXPECT_TRUE(asked.empty()) << "February was asked for when the planner got its source";
    planner->SetYear(2030);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_THROW(planner->SetMonth(13), Exception);
    EXPECT_EQ(planner->Month(), 2);
    // The grid starts on the week-start day and shows 42 days.
    struct Case { QDate month; TSPWeekStart start; QDate gridStart; int leading, daysInMonth; };
    const Case cases[] = {
        {QDate(2024, 9, 1), TSPWeekStart::wsSunday, QDate(2024, 9, 1), 0, 30},   // the 1st is a Sunday
        {QDate(2024, 9, 1), TSPWeekStart::wsMonday, QDate(2024, 8, 26), 6, 30},
        {QDate(2024, 4, 1), TSPWeekStart::wsMonday, QDate(2024, 4, 1), 0, 30},   // the 1st is a Monday
        {QDate(2024, 4, 1), TSPWeekStart::wsSunday, QDate(2024, 3, 31), 1, 30},
        {QDate(2024, 2, 10), TSPWeekStart::wsMonday, QDate(2024, 1, 29), 3, 29},  // leap year
        {QDate(2024, 2, 1), TSPWeekStart::wsSunday, QDate(2024, 1, 28), 4, 29},
        {QDate(2023, 2, 1), TSPWeekStart::wsMonday, QDate(2023, 1, 30), 2, 28},
    };
    for (const Case &c : cases) {
        planner->SetWeekStart(c.start);
        planner->SetDate(c.month);
        SCOPED_TRACE(c.month.toString("yyyy-MM").toStdString() + (c.start == TSPWeekStart::wsSunday ? " sun" : " mon"));
        EXPECT_EQ(DateToQt(planner->GridStart()), c.gridStart);
        EXPECT_EQ(planner->LeadingDays(), c.leading);
        EXPECT_EQ(planner->CellDate(6, 5), c.gridStart.addDays(41));
        // The month's days run 1..n without a gap from the first one on; the next month follows.
        QList<int> inMonth;
        for (int i = 0; i < 42; ++i)
            if (planner->CellInMonth(i % 7, i / 7))
                inMonth << planner->CellDayNumber(i % 7, i / 7);
        ASSERT_EQ(inMonth.size(), c.daysInMonth);
        EXPECT_EQ(inMonth.back(), c.daysInMonth);
        EXPECT_EQ(planner->CellDayNumber((c.leading + c.daysInMonth) % 7, (c.leading + c.daysInMonth) / 7), 1);
    }
}

TEST_F(PlannerTest, FilterAndResourcesDecideWhatIsShown)
{
    Add("allday", Day(2024, 2, 6), Day(2024, 2, 7), true);
    Add("timed", Day(2024, 2, 6, 9), Day(2024, 2, 6, 10), false);
    source->AddItem("Ann", "private", Day(2024, 2, 6, 11), Day(2024, 2, 6, 12), false, true, clNone, 2);
    const auto shown = [&] {
        QStringList out;
        for (const TSPDisplayItem &e : planner->WeekRow(0, 1)->Entries())
            out << e.Item->Text();
        out.sort();
        return out;
    };
    EXPECT_EQ(shown(), QStringList({"allday", "private", "timed"}));
    planner->SetFilter({TSPFilterKind::flNormal});
    EXPECT_EQ(shown(), QStringList({"timed"}));
    planner->SetFilter({TSPFilterKind::flNormal, TSPFilterKind::flPrivate});
    EXPECT_EQ(shown(), QStringList({"private", "timed"}));
    planner->SetFilter({TSPFilterKind::flNormal, TSPFilterKind::flAllDay, TSPFilterKind::flPrivate});
    planner->Resources().Add().Name = "Ann";
    planner->Resources().Add().Name = "Bob";
    planner->Resources().Changed();
    EXPECT_EQ(planner->ColCount(), 14) << "resources side by side";
    EXPECT_EQ(shown(), QStringList({"private"}));
    EXPECT_EQ(planner->ResourceAtCell(9, 0), QString("Bob"));
    planner->SetGroupBy(TSPGroupBy::grDate);
    EXPECT_EQ(planner->RowCount(), 12) << "stacked";
    EXPECT_EQ(planner->ResourceAtCell(0, 7), QString("Bob"));
    planner->SetGroupBy(TSPGroupBy::grNone);
    EXPECT_EQ(shown().size(), 3);
}

TEST_F(PlannerTest, FreeingItemsOrTheSourceLeavesNothingBehind)
{
    TSPPlanItem *a = Add("a", Day(2024, 2, 6), Day(2024, 2, 8));  // lane 1: b ends first
    Add("b", Day(2024, 2, 6), Day(2024, 2, 7));
    sim::Click(planner, Lane(1, 1, 1));
    ASSERT_EQ(planner->SelectedCount(), 1);
    source->BeginUpdate();
    delete a;
    // The planner paints while the update is still open; it must not reach the freed item.
    EXPECT_EQ(planner->SelectedCount(), 0);
    EXPECT_EQ(planner->WeekRow(0, 1)->Count(), 1);
    Record();
    EXPECT_EQ(planner->ItemAtPos(Lane(1, 1, 1).x() - 2, Lane(1, 1, 1).y() - 2), nullptr);
    source->EndUpdate();
    EXPECT_EQ(planner->WeekRow(0, 1)->Items(0).Lane, 0) << "rebuilt once the update ended";
    // Freeing the source leaves the planner empty.
    sim::Move(planner, Lane(1, 1, 0));
    sim::Click(planner, Lane(1, 1, 0));
    ASSERT_EQ(planner->SelectedCount(), 1);
    ASSERT_NE(planner->HotItem(), nullptr);
    delete source;
    source = nullptr;
    EXPECT_EQ(std::tuple(planner->SelectedCount(), planner->HotItem(), planner->WeekRow(0, 1)->Count()),
              std::tuple(0, nullptr, 0));
    Record();
}

TEST_F(PlannerTest, ItemsLunarCaptionsAndTodaysStripArePainted)
{
    Add("allday", Day(2024, 2, 6), Day(2024, 2, 7), true);
    Add("timed", Day(2024, 2, 8, 9), Day(2024, 2, 8, 10), false);
    source->AddItem({}, "coloured", Day(2024, 2, 9, 9), Day(2024, 2, 9, 10), false, false, clLime, 2);
    const QImage image = planner->grab().toImage();
    EXPECT_EQ(image.pixelColor(At(1, 1, 60, 16 + 3)), QColor(Qt::white)) << "all-day: filled white";
    EXPECT_EQ(image.pixelColor(At(1, 1, 3, 16)), Rgb(0x808000)) << "framed";
    // The background lightened: each step halves both operands and adds them (255 stays 254,
    // 0 goes 127, 190, 222); out of the month one step less.
    EXPECT_EQ(image.pixelColor(At(3, 1, 90, 16 + 3)), QColor(254, 254, 222)) << "timed one-day: not filled";
    EXPECT_EQ(image.pixelColor(At(0, 0, 50, 90)), QColor(254, 254, 190)) << "January";
    EXPECT_EQ(image.pixelColor(At(3, 1, 3, 16)), Rgb(0x808000));
    EXPECT_EQ(image.pixelColor(At(4, 1, 90, 16 + 3)), Rgb(clLime)) << "its own colour";
    sim::Click(planner, Lane(3, 1, 0, 90));
    EXPECT_EQ(planner->grab().toImage().pixelColor(At(3, 1, 90, 16 + 3)), QColor(10, 36, 106)) << "selected";
    QStringList offered;
    planner->OnDrawItem = [&](TComponent *, TSPPlanItem *item, TCanvas *canvas, const TRect &r, bool, bool,
                              bool selected, bool, const TRect &, bool &drawn) {
        offered << item->Text() + (selected ? "*" : "");
        if (item->Text() == "allday") {
            canvas->Brush()->SetColor(clRed);
            canvas->FillRect(r);
        } else {
            drawn = false;
        }
    };
    planner->Invalidate();
    const QImage custom = planner->grab().toImage();
    offered.sort();
    EXPECT_EQ(offered, QStringList({"allday", "coloured", "timed*"}));
    EXPECT_EQ(custom.pixelColor(At(1, 1, 3, 16)), Rgb(clRed)) << "drawn by the handler alone";
    EXPECT_EQ(custom.pixelColor(At(4, 1, 90, 16 + 3)), Rgb(clLime)) << "left to the planner";
    // Icons come before the text.
    source->ClearItems();
    planner->OnDrawItem = nullptr;
    auto *images = new TImageList(window.get());
    QImage red(16, 16, QImage::Format_ARGB32_Premultiplied);
    red.fill(Qt::red);
    images->AddImage(red);
    source->SetImages(images);
    TSPPlanItem *item = Add("icon", Day(2024, 2, 6), Day(2024, 2, 7));
    item->Icons().AddIcon(0);
    // The item runs from x 103 on; inside its frame the icon comes first.
    EXPECT_EQ(Pixel(planner, At(1, 1, 3 + 1 + 8, 16 + 9)), QColor(Qt::red));
    const TRect text = planner->TextRect(item, 1, 1);
    EXPECT_EQ(text.Left, 100 + 3 + 1 + 16);
    images->Clear();
    EXPECT_NE(Pixel(planner, At(1, 1, 3 + 1 + 8, 16 + 9)), QColor(Qt::red)) << "the list's change repaints";
    planner->SetBackgroundColor(clNavy);
    EXPECT_EQ(Pixel(planner, At(3, 2, 50, 90)), QColor(222, 222, 238)) << "blue 128 lightened thrice";
    // Lunar captions take their colour from the kind.
    std::vector<QDate> asked;
    planner->SetLunarTextSource([&](const QDate &d, int &kind, QString &text) {
        asked.push_back(d);
        const int day = d.month() == 2 ? d.day() : 0;
        kind = day == 4 ? 0 : day == 10 ? 1 : 2;
        text = day == 4 ? "立春" : day == 10 ? "一月" : day == 11 ? "初二" : "";
    });
    EXPECT_TRUE(TextsOf(Record(), TCanvasOp::DrawText).filter("立春").isEmpty()) << "captions are off";
    EXPECT_TRUE(asked.empty());
    planner->SetShowChinaDate(true);
    const TCanvasRecorder rec = Record();
    EXPECT_EQ(asked.size(), 42u);
    const TCanvasCall *term = TextCall(rec, "立春", planner->CellRect(6, 0));
    const TCanvasCall *month = TextCall(rec, "一月", planner->CellRect(5, 1));
    const TCanvasCall *day = TextCall(rec, "初二", planner->CellRect(6, 1));
    ASSERT_TRUE(term && month && day);
    const TColor plain = planner->Font()->Color();
    EXPECT_EQ(std::tuple(term->FontColor, month->FontColor, day->FontColor), std::tuple(clRed, plain, plain));
    EXPECT_EQ(term->Flags & (DT_RIGHT | DT_CENTER | DT_SINGLELINE), DT_SINGLELINE) << "left-aligned, one line";
    EXPECT_FALSE(TextsOf(rec, TCanvasOp::DrawText).contains(QString())) << "empty captions draw nothing";
    // Today's strip has the gradient also outside the month.
    for (const QDate today : {QDate(2024, 2, 14), QDate(2024, 1, 30), QDate(2024, 3, 9)}) {
        clock.now = QDateTime(today, QTime(12, 0));
        const TCanvasRecorder rec = Record();
        const auto fills = rec.Of(TCanvasOp::GradientFill);
        ASSERT_EQ(fills.size(), 1u) << today.toString().toStdString();
        const int index = int(DateToQt(planner->GridStart()).daysTo(today));
        const TRect cell = planner->CellRect(index % 7, index / 7);
        EXPECT_EQ(fills[0]->Rect, TRect({cell.Left + 1, cell.Top + 1, cell.Right - 1, cell.Top + 17}));
        EXPECT_EQ(std::tuple(fills[0]->Color1, fills[0]->Color2), std::tuple(TColor(0xFFFFFF), TColor(0x808000)));
    }
    clock.now = QDateTime(QDate(2024, 5, 1), QTime(12, 0));
    EXPECT_TRUE(Record().Of(TCanvasOp::GradientFill).empty());
}

