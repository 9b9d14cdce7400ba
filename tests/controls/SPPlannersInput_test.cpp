#include "PlannerTestSupport.h"
#include "platform/DragManager.h"
#include <QPlainTextEdit>
#include <gmock/gmock.h>

namespace {

// The planner in the fixture shows February 2024 from Monday 29 January: cell (c, r) is
// 29 January + 7r + c, so (1, 1) is Tuesday 6 February.
struct PlannerInputTest : PlannerTest {
    QPlainTextEdit *Editor() const { return qobject_cast<QPlainTextEdit *>(planner->Editor()); }
    void Type(QWidget *w, const QString &text)
    {
        for (QChar c : text)
            sim::Key(w, c.toUpper().unicode(), Qt::NoModifier, QString(c));
    }
    // The planner's one timer, the delayed edit, run out at once; false when none was started.
    bool RunEditTimer()
    {
        if (!planner->TimerRunning(1))
            return false;
        planner->Perform(WM_TIMER, 1);
        return true;
    }
    int saves = 0;
    void CountSaves(TSPCustomSource *s) { s->OnItemSave = [this](TComponent *, TSPPlanItem *) { ++saves; }; }
};

QString Texts(const TSPBasePlanner *p)
{
    QStringList out;
    for (int i = 0; i < p->SelectedCount(); ++i)
        out << p->SelectedItem(i)->Text();
    return out.join(",");
}

// The selected days as "M-d..M-d", the end exclusive; "-" for none.
QString Range(const TSPBasePlanner *p)
{
    TDateTime start, end;
    if (!p->SelectionRange(start, end))
        return "-";
    return DateToQt(start).toString("M-d") + ".." + DateToQt(end).toString("M-d");
}

} // namespace

TEST_F(PlannerInputTest, ClicksAndKeysSelectAndTheFocusShowsTheDays)
{
    Add("a", Day(2024, 2, 6), Day(2024, 2, 7));
    Add("b", Day(2024, 2, 8), Day(2024, 2, 9));
    QStringList seen;
    for (auto [col, mods] :
         {std::pair{1, Qt::NoModifier}, {3, Qt::ControlModifier}, {1, Qt::ControlModifier}, {1, Qt::NoModifier}}) {
        sim::Click(planner, Lane(col, 1, 0), Qt::LeftButton, mods);
        seen << Texts(planner);
    }
    EXPECT_EQ(seen, QStringList({"a", "a,b", "b", "a"})) << "a plain click selects only that one";
    // Empty space drops the items and starts a cell selection; Shift extends it.
    sim::Click(planner, At(4, 2));
    EXPECT_EQ(planner->SelectedCount(), 0);
    sim::Click(planner, At(1, 3), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(Range(planner), "2-16..2-21");
    EXPECT_TRUE(planner->CellSelected(6, 2));
    // Dragging over empty cells extends from the anchor as well.
    sim::Press(planner, At(0, 0));
    sim::Move(planner, At(2, 0));
    sim::Release(planner, At(2, 0));
    EXPECT_EQ(Range(planner), "1-29..2-1");
    // Selected empty days show the highlight only while the planner has the focus.
    sim::Click(planner, At(3, 3));
    planner->SetFocus();
    ASSERT_TRUE(planner->hasFocus());
    const QImage focused = planner->grab().toImage();
    EXPECT_EQ(focused.pixelColor(At(3, 3, 10, 8)), QColor(10, 36, 106)) << "highlight strip";
    EXPECT_NE(focused.pixelColor(At(4, 3, 10, 8)), QColor(10, 36, 106));
    planner->clearFocus();
    EXPECT_NE(planner->grab().toImage().pixelColor(At(3, 3, 10, 8)), QColor(10, 36, 106));
    // Keys move the current cell.
    source->ClearItems();
    const struct { const char *name; TSPCell from; int key; TSPCell to; } cases[] = {
        {"right", {2, 2}, Qt::Key_Right, {3, 2}},          {"right off the row", {6, 2}, Qt::Key_Right, {0, 3}},
        {"left off the row", {0, 2}, Qt::Key_Left, {6, 1}}, {"left off the grid", {0, 0}, Qt::Key_Left, {0, 0}},
        {"right off the grid", {6, 5}, Qt::Key_Right, {6, 5}}, {"up at the top", {2, 0}, Qt::Key_Up, {2, 0}},
        {"down at the bottom", {2, 5}, Qt::Key_Down, {2, 5}}, {"page down clamped", {2, 3}, Qt::Key_PageDown, {2, 5}},
        {"page up", {2, 5}, Qt::Key_PageUp, {2, 0}},        {"home", {4, 4}, Qt::Key_Home, {0, 0}},
        {"end", {1, 1}, Qt::Key_End, {6, 5}},
    };
    for (const auto &c : cases) {
        sim::Click(planner, At(c.from.Col, c.from.Row));
        sim::Key(planner, c.key);
        EXPECT_EQ(std::tuple(planner->CurrentCell(), planner->AnchorCell()), std::tuple(c.to, c.to)) << c.name;
    }
    // Shift extends from the anchor.
    sim::Click(planner, At(2, 2));
    sim::Key(planner, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(std::tuple(planner->CurrentCell(), planner->AnchorCell()), std::tuple(TSPCell{2, 3}, TSPCell{2, 2}));
    // A move drops the item selection.
    Add("a", Day(2024, 2, 6), Day(2024, 2, 7));
    sim::Click(planner, Lane(1, 1, 0));
    sim::Key(planner, Qt::Key_Right);
    EXPECT_EQ(planner->SelectedCount(), 0);
}

TEST_F(PlannerInputTest, TypingOnAnEmptyDayCreatesAnItemUnlessHiddenOrReadOnly)
{
    CountSaves(source);
    QStringList created;
    planner->OnItemCreated = [&](TComponent *, TSPPlanItem *i) { created << DateToQt(i->StartTime()).toString("M-d"); };
    sim::Click(planner, At(2, 2));  // Wednesday 14 February
    Type(planner, "x");
    ASSERT_EQ(source->Count(), 1);
    TSPPlanItem *item = source->Items(0);
    EXPECT_EQ(created, QStringList({"2-14"}));
    EXPECT_EQ(item->EndTime(), Day(2024, 2, 15));
    EXPECT_TRUE(item->AllDay()) << "the all-day kind is in the filter";
    ASSERT_NE(Editor(), nullptr);
    EXPECT_TRUE(Editor()->isVisible());
    EXPECT_EQ(std::tuple(Editor()->toPlainText(), planner->EditingItem()), std::tuple(QString("x"), item));
    // Escape drops the new item again.
    sim::Key(Editor(), Qt::Key_Escape);
    EXPECT_EQ(std::tuple(source->Count(), planner->Editor()), std::tuple(0, nullptr));
    // Enter keeps it, saved exactly once even when the editor then loses the focus.
    sim::Click(planner, At(2, 2));
    Type(planner, "y");
    Type(Editor(), "es");
    sim::Key(Editor(), Qt::Key_Return);
    ASSERT_EQ(source->Count(), 1);
    EXPECT_EQ(source->Items(0)->Text(), QString("yes"));
    sim::Click(planner, At(5, 4));
    QApplication::processEvents();
    EXPECT_EQ(saves, 1);
    // Without all-day items in the filter a typed item is a timed one.
    planner->SetFilter({TSPFilterKind::flNormal});
    sim::Click(planner, At(0, 4));
    Type(planner, "t");
    ASSERT_NE(planner->EditingItem(), nullptr);
    EXPECT_FALSE(planner->EditingItem()->AllDay());
    sim::Key(Editor(), Qt::Key_Escape);
    // A typed item that the filter hides is freed; a read-only planner or source takes none.
    planner->SetFilter({TSPFilterKind::flPrivate});
    created.clear();
    sim::Click(planner, At(2, 2));
    Type(planner, "x");
    EXPECT_EQ(created.size(), 1);
    EXPECT_EQ(std::tuple(source->Count(), planner->Editor()), std::tuple(1, nullptr));
    planner->SetFilter({TSPFilterKind::flNormal});
    for (int round = 0; round < 2; ++round) {
        planner->SetReadOnly(round == 0);
        source->SetReadOnly(round == 1);
        sim::Click(planner, At(2, 2));
        Type(planner, "x");
        EXPECT_EQ(source->Count(), 1) << round;
    }
}

TEST_F(PlannerInputTest, DraggingTheEndBandResizesEscapeRestoresReadOnlyOrLockedOnlySelects)
{
    CountSaves(source);
    TSPPlanItem *item = Add("span", Day(2024, 2, 6), Day(2024, 2, 8));  // Tuesday and Wednesday
    // The end band: the last 3 pixels before the 4-pixel inset of Wednesday's cell.
    sim::Press(planner, At(2, 1, 95, 16 + 9));
    EXPECT_EQ(planner->DragKind(), 2);
    sim::Move(planner, At(4, 1));  // two cells further: Friday
    EXPECT_EQ(item->EndTime(), Day(2024, 2, 10));
    sim::Move(planner, At(0, 1));  // never back past the start
    EXPECT_EQ(item->EndTime(), Day(2024, 2, 10));
    sim::Move(planner, At(1, 1));
    EXPECT_EQ(item->EndTime(), Day(2024, 2, 7));
    sim::Key(planner, Qt::Key_Escape);
    EXPECT_EQ(std::tuple(item->EndTime(), planner->DragKind(), GetCaptureControl()),
              std::tuple(Day(2024, 2, 8), 0, nullptr));
    sim::Release(planner, At(4, 1));
    EXPECT_EQ(saves, 0);
    // The start band, released: saved once.
    sim::Press(planner, At(1, 1, 4, 16 + 9));
    EXPECT_EQ(planner->DragKind(), 1);
    sim::Move(planner, At(0, 1));
    EXPECT_EQ(item->StartTime(), Day(2024, 2, 5));
    sim::Move(planner, At(2, 1));
    sim::Move(planner, At(3, 1));  // the start cannot reach the end
    EXPECT_EQ(item->StartTime(), Day(2024, 2, 7));
    sim::Release(planner, At(3, 1));
    EXPECT_EQ(saves, 1);
    item->SetText("changed");
    item->Cancel();
    EXPECT_EQ(item->StartTime(), Day(2024, 2, 7)) << "the resize was saved";
    // Read-only sources and locked items only select.
    source->ClearItems();
    SysParams().DoubleClickTime = 10;
    item = Add("span", Day(2024, 2, 6), Day(2024, 2, 8));
    const QPoint band = At(2, 1, 95, 16 + 9);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        source->SetReadOnly(round == 0);
        item->SetLocked(round == 1);
        sim::Move(planner, band);
        EXPECT_EQ(planner->Cursor(), crDefault);
        sim::Press(planner, band);
        EXPECT_EQ(planner->DragKind(), 0);
        EXPECT_EQ(Texts(planner), QString("span"));
        sim::Move(planner, At(4, 1));
        sim::Move(planner, At(5, 2));
        EXPECT_EQ(TDragManager::Instance().Source(), nullptr);
        sim::Release(planner, At(5, 2));
        EXPECT_EQ(item->EndTime(), Day(2024, 2, 8));
        sim::Click(planner, Lane(1, 1, 0));
        RunEditTimer();
        EXPECT_EQ(planner->Editor(), nullptr);
    }
    source->SetReadOnly(false);
    item->SetLocked(false);
    sim::Move(planner, band);
    EXPECT_EQ(planner->Cursor(), crSizeWE);
}

TEST_F(PlannerInputTest, AClickOpensTheEditorAfterTheDoubleClickTimeAndFreeingTheItemClosesIt)
{
    SysParams().DoubleClickTime = 20;
    CountSaves(source);
    Add("plan", Day(2024, 2, 6, 9), Day(2024, 2, 6, 10), false);
    sim::Click(planner, Lane(1, 1, 0, 60));  // on the text, past the time
    EXPECT_EQ(planner->Editor(), nullptr) << "not before the double-click time";
    ASSERT_TRUE(RunEditTimer());
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->toPlainText(), QString("plan"));
    Type(Editor(), "s");
    sim::Key(Editor(), Qt::Key_Return);
    EXPECT_EQ(source->Items(0)->Text(), QString("plans"));
    EXPECT_EQ(saves, 1);
    // A double click, or a click on the time, opens nothing.
    sim::DoubleClick(planner, Lane(1, 1, 0, 60));
    EXPECT_FALSE(RunEditTimer());
    sim::Click(planner, Lane(1, 1, 0, 10));
    EXPECT_FALSE(RunEditTimer());
    EXPECT_EQ(planner->Editor(), nullptr);
    // Freeing the edited item or its source closes the editor.
    source->ClearItems();
    TSPPlanItem *item = Add("plan", Day(2024, 2, 6), Day(2024, 2, 7));
    sim::Click(planner, Lane(1, 1, 0));
    ASSERT_TRUE(RunEditTimer());
    source->BeginUpdate();
    delete item;
    EXPECT_EQ(std::tuple(planner->Editor(), planner->EditingItem()), std::tuple(nullptr, nullptr));
    source->EndUpdate();
    Add("again", Day(2024, 2, 6), Day(2024, 2, 7));
    sim::Click(planner, Lane(1, 1, 0));
    ASSERT_TRUE(RunEditTimer());
    ASSERT_NE(planner->Editor(), nullptr);
    delete source;
    source = nullptr;
    EXPECT_EQ(planner->Editor(), nullptr);
    sim::Key(planner, Qt::Key_Return);
}

TEST_F(PlannerInputTest, HintsShowTimesAndWrapWithoutSplittingCharactersNegativeHeaderCountsAreRefused)
{
    Add(QString(60, QChar('a')), Day(2024, 2, 6), Day(2024, 2, 8));
    THintInfo info;
    info.CursorPos = {Lane(1, 1, 0).x() - 2, Lane(1, 1, 0).y() - 2};
    info.CursorRect = planner->ClientRect();
    planner->Perform(CM_HINTSHOW, 0, LPARAM(&info));
    EXPECT_EQ(info.HintStr, QString("2024/2/6-2024/2/7\n") + QString(50, 'a') + "\n" + QString(10, 'a'));
    TRect r;
    bool before, after;
    planner->ItemRect(source->Items(0), 1, 1, r, before, after);
    EXPECT_EQ(info.CursorRect, r) << "the hint goes when the pointer leaves the item";
    // The times depend on the kind and span of the item.
    TSPPlannerSource loose(nullptr);
    struct Case { TDateTime start, end; bool allDay; const char *expected; };
    const Case cases[] = {
        {Day(2024, 2, 6), Day(2024, 2, 6), true, "2024/2/6-2024/2/6\nt"},
        {Day(2024, 2, 6, 9), Day(2024, 2, 6, 10, 30), false, "9:00-10:30\nt"},
        {Day(2024, 2, 6, 22), Day(2024, 2, 7), false, "22:00-0:00\nt"},
        {Day(2024, 2, 6, 9), Day(2024, 2, 7, 10), false, "2024/2/6 9:00-2024/2/7 10:00\nt"},
    };
    for (const Case &c : cases) {
        TSPPlanItem *item = loose.AddItem({}, "t", c.start, c.end, c.allDay, false, clNone, 2);
        EXPECT_EQ(TSPBasePlanner::ItemHint(item), QString::fromUtf8(c.expected)) << c.expected;
        delete item;
    }
    EXPECT_EQ(TSPBasePlanner::ItemHint(nullptr), QString());
    // Negative header counts are refused.
    EXPECT_THAT([&] { planner->SetDateHeaderCount(-1); },
                testing::ThrowsMessage<Exception>(testing::StrEq("Value must be 0 or larger")));
    EXPECT_THROW(planner->SetRowHeaderCount(-2), Exception);
    EXPECT_EQ(planner->RowHeaderCount(), 1);
    planner->SetDateHeaderCount(2);
    EXPECT_EQ(planner->DateHeaderRect().Width(), 6 * 2 + 6);
    // Hints wrap at fifty columns without splitting characters.
    const QString han = QStringLiteral("汉");
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    struct Wrap { const char *name; QString text; QString expected; };
    const Wrap wraps[] = {
        {"short", "abc", "abc"}, {"exactly fifty", QString(50, 'a'), QString(50, 'a')},
        {"ascii", QString(60, 'a'), QString(50, 'a') + "\n" + QString(10, 'a')},
        {"han counts two", han.repeated(30), han.repeated(25) + "\n" + han.repeated(5)},
        {"no half a character", QString(49, 'a') + han + "b", QString(49, 'a') + "\n" + han + "b"},
        {"surrogate pair kept whole", QString(49, 'a') + emoji, QString(49, 'a') + "\n" + emoji},
        {"breaks after a space", QString(30, 'a') + " " + QString(30, 'b'), QString(30, 'a') + "\n" + QString(30, 'b')},
        {"own breaks start a line", QString(40, 'a') + "\n" + QString(40, 'b'), QString(40, 'a') + "\n" + QString(40, 'b')},
        {"crlf", "a\r\nb", "a\nb"},
    };
    for (const Wrap &c : wraps)
        EXPECT_EQ(WrapDisplayText(c.text, 50), c.expected) << c.name;
}

// Two planners side by side with cells of 50 pixels, so both lie on the offscreen screen
// where the drag looks for its target.
struct PlannerDragTest : PlannerInputTest {
    void SetUp() override
    {
        cell = 50;
        PlannerInputTest::SetUp();
        window->SetBounds(0, 0, 790, 400);
        otherSource = new TSPPlannerSource(window.get());
        other = MakePlanner(400, 0, otherSource);
        QApplication::processEvents();
    }
    // A point of the right planner in the left one's coordinates, as moves arrive while the
    // left one holds the mouse.
    static QPoint Right(QPoint p) { return p + QPoint(400, 0); }
    void Drag(QPoint from, QPoint via, QPoint to)
    {
        sim::Press(planner, from);
        sim::Move(planner, via);
        sim::Move(planner, via + QPoint(10, 0));
        sim::Move(planner, to);
    }

    TSPPlannerSource *otherSource = nullptr;
    TSPMonthPlanner *other = nullptr;
};

TEST_F(PlannerDragTest, DroppingCopiesToAnotherSourceMovesWithinOneRefusedByReadOnlyTargets)
{
    CountSaves(otherSource);
    TSPPlanItem *item = Add("x", Day(2024, 2, 6), Day(2024, 2, 7));
    item->Icons().AddIcon(3);
    Drag(Lane(1, 1, 0), At(3, 1), Right(At(3, 2)));
    ASSERT_TRUE(TDragManager::Instance().Started());
    sim::Key(planner, Qt::Key_Escape);
    EXPECT_EQ(TDragManager::Instance().Source(), nullptr);
    EXPECT_EQ(other->WeekRow(0, 2)->Count(), 0) << "the drag picture is gone";
    sim::Release(planner, Right(At(3, 2)));
    EXPECT_EQ(otherSource->Count(), 0);
    Drag(Lane(1, 1, 0), At(3, 1), Right(At(3, 2)));  // Tuesday 6 to Thursday 15
    EXPECT_EQ(TDragManager::Instance().Target(), other);
    EXPECT_TRUE(TDragManager::Instance().Accepted());
    // While dragging the other planner shows where it would land.
    ASSERT_EQ(other->WeekRow(0, 2)->Count(), 1);
    const TSPDisplayItem &shown = other->WeekRow(0, 2)->Items(0);
    EXPECT_EQ(std::tuple(shown.FirstCol, shown.Item->Source()), std::tuple(3, nullptr));
    sim::Release(planner, Right(At(3, 2)));
    ASSERT_EQ(otherSource->Count(), 1);
    const TSPPlanItem *copy = otherSource->Items(0);
    EXPECT_EQ(std::tuple(copy->StartTime(), copy->EndTime(), copy->Icons().Count(), saves),
              std::tuple(Day(2024, 2, 15), Day(2024, 2, 16), 1, 1));
    EXPECT_EQ(item->StartTime(), Day(2024, 2, 6)) << "the original stays";
    ASSERT_EQ(other->WeekRow(0, 2)->Count(), 1);
    EXPECT_EQ(other->WeekRow(0, 2)->Items(0).Item, copy) << "the copy is shown, the drag picture gone";
    // Within one source a drop moves.
    saves = 0;
    source->ClearItems();
    CountSaves(source);
    TSPPlanItem *timed = Add("x", Day(2024, 2, 6, 9), Day(2024, 2, 6, 10), false);
    Drag(Lane(1, 1, 0), At(3, 1), At(4, 3));  // to Friday 23 February
    // The item itself is left out while its picture moves with the pointer.
    EXPECT_EQ(planner->WeekRow(0, 1)->Count(), 0);
    ASSERT_EQ(planner->WeekRow(0, 3)->Count(), 1);
    sim::Release(planner, At(4, 3));
    ASSERT_EQ(source->Count(), 1);
    EXPECT_DOUBLE_EQ(timed->StartTime(), Day(2024, 2, 23, 9));
    EXPECT_DOUBLE_EQ(timed->EndTime(), Day(2024, 2, 23, 10));
    EXPECT_EQ(saves, 1);
    // Another planner of the same source moves it too.
    other->SetSource(source);
    Drag(Lane(4, 3, 0), At(5, 3), Right(At(4, 4)));
    sim::Release(planner, Right(At(4, 4)));
    EXPECT_EQ(source->Count(), 1);
    EXPECT_DOUBLE_EQ(timed->StartTime(), Day(2024, 3, 1, 9));
    // Read-only targets refuse the drop.
    other->SetSource(otherSource);
    source->ClearItems();
    otherSource->ClearItems();
    Add("x", Day(2024, 2, 6), Day(2024, 2, 7));
    for (int round = 0; round < 3; ++round) {
        other->SetReadOnly(round == 0);
        otherSource->SetReadOnly(round == 1);
        bool asked = false;
        other->OnDragOver = [&](TComponent *, TControl *, int, int, TDragState, bool &accept) {
            asked = true;
            accept = false;
        };
        Drag(Lane(1, 1, 0), At(3, 1), Right(At(3, 2)));
        EXPECT_FALSE(TDragManager::Instance().Accepted()) << round;
        EXPECT_EQ(asked, round == 2) << "OnDragOver may refuse what the planner would take";
        sim::Release(planner, Right(At(3, 2)));
        EXPECT_EQ(otherSource->Count(), 0) << round;
        EXPECT_EQ(other->WeekRow(0, 2)->Count(), 0) << round;
    }
}

