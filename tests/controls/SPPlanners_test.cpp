#include "controls/SPPlanners.h"
#include <QStringList>
#include <gmock/gmock.h>
#include <memory>

namespace {

// Stands in for a planner: a link that logs what it hears into a shared event log.
struct LinkProbe {
    explicit LinkProbe(QStringList &log, const QString &name) : log(log), name(name)
    {
        link.OnChange = [this] { this->log << this->name + ":change"; };
        link.OnItemFree = [this](TSPPlanItem *item) { this->log << this->name + ":free " + item->Text(); };
    }
    QStringList &log;
    QString name;
    TSPPlannerLink link;
};

struct SourceFixture : ::testing::Test {
    SourceFixture()
    {
        source->OnChange = [this](TComponent *) { log << "source:change"; };
        source->AddLink(&probe.link);
    }
    TSPPlanItem *Add(const QString &text, TDateTime start, TDateTime end, bool allDay = false)
    {
        return source->AddItem(QString(), text, start, end, allDay, false, clNone, 2);
    }
    QStringList Texts() const
    {
        QStringList out;
        for (int i = 0; i < source->Count(); ++i)
            out << source->Items(i)->Text();
        return out;
    }
    QStringList log;
    std::unique_ptr<TSPPlannerSource> source = std::make_unique<TSPPlannerSource>(nullptr);
    LinkProbe probe{log, "link"};
};

} // namespace

TEST_F(SourceFixture, UpdatesAndClearingGiveOneNoticeLinksFirstFreeingDetaches)
{
    source->BeginUpdate();
    Add("a", 1, 2);
    Add("b", 3, 4);
    EXPECT_TRUE(log.isEmpty());
    source->EndUpdate();
    EXPECT_EQ(log, QStringList({"link:change", "source:change"}));
    log.clear();
    source->BeginUpdate();
    source->EndUpdate();
    EXPECT_TRUE(log.isEmpty()) << "an update without a change fires nothing";
    // Nested: fires at the inner end when something changed, the outer end has nothing left.
    source->BeginUpdate();
    source->BeginUpdate();
    Add("c", 1, 2);
    source->EndUpdate();
    EXPECT_EQ(log.size(), 2);
    source->EndUpdate();
    EXPECT_EQ(log.size(), 2);
    // An end without a begin does not unbalance the counter: later changes still fire at once.
    source->EndUpdate();
    EXPECT_FALSE(source->Updating());
    Add("d", 1, 2);
    EXPECT_EQ(log.size(), 4);
    // Clearing an empty source fires nothing.
    source->ClearItems();
    log.clear();
    source->ClearItems();
    EXPECT_TRUE(log.isEmpty());
    Add("a", 1, 2);
    Add("b", 1, 2);
    log.clear();
    source->ClearItems();
    ASSERT_EQ(source->Count(), 0);
    // Each item is announced as it goes, the change once at the end.
    EXPECT_EQ(log, QStringList({"link:free b", "link:free a", "link:change", "source:change"}));
    // An item freed inside an update is announced at once, the change at the end.
    TSPPlanItem *a = Add("a", 1, 2);
    Add("b", 3, 4);
    log.clear();
    source->BeginUpdate();
    delete a;
    EXPECT_EQ(std::tuple(log, source->Count()), std::tuple(QStringList({"link:free a"}), 1));
    source->EndUpdate();
    EXPECT_EQ(log, QStringList({"link:free a", "link:change", "source:change"}));
    // Freeing a link takes it off the source.
    log.clear();
    {
        QStringList otherLog;
        LinkProbe other(otherLog, "other");
        source->AddLink(&other.link);
        EXPECT_EQ(source->LinkCount(), 2);
    }
    EXPECT_EQ(source->LinkCount(), 1);
    Add("a", 1, 2);  // would reach the freed link if it were still listed
    EXPECT_EQ(log.count("link:change"), 1);
    TSPPlannerSource second(nullptr);
    second.AddLink(&probe.link);
    EXPECT_EQ(source->LinkCount(), 0) << "a link belongs to one source";
    EXPECT_EQ(probe.link.Source(), &second);
    // Freeing the source detaches its links before its items go.
    source->AddLink(&probe.link);
    TSPPlanItem *kept = Add("a", 1, 2);
    TSPPlanItem *seenItem = kept;
    bool sourceGoneWhenTold = false;
    probe.link.OnChange = [&] {
        sourceGoneWhenTold = probe.link.Source() == nullptr;
        // Still safe to read: items are freed only after the links were told.
        log << "told " + seenItem->Text();
    };
    log.clear();
    source.reset();
    EXPECT_TRUE(sourceGoneWhenTold);
    EXPECT_EQ(log, QStringList({"told a"})) << "items go without notices";
    EXPECT_EQ(probe.link.Source(), nullptr);
}

TEST_F(SourceFixture, KeepsItemsInOrderMakesThemOfTheItemClassAndSplitsAndMergesRequests)
{
    Add("late", 5, 6);
    Add("A", 2, 3);
    Add("B", 2, 3);
    Add("all", 2, 3, true);
    Add("longer", 2, 4);
    Add("early", 1, 9);
    EXPECT_EQ(Texts(), QStringList({"early", "all", "B", "A", "longer", "late"}));
    // A change re-sorts.
    source->Items(0)->SetStartTime(7);
    EXPECT_EQ(Texts(), QStringList({"all", "B", "A", "longer", "late", "early"}));
    EXPECT_EQ(CompareItems(*source->Items(0), *source->Items(0)), 0);
    // New items are of the item class, unlocked.
    source->ClearItems();
    struct Special : TSPPlanItem {
        Special() { SetLocked(true); }
    };
    source->SetItemClass([] { return new Special; });
    TSPPlanItem *item = Add("x", 1, 2);
    EXPECT_NE(dynamic_cast<Special *>(item), nullptr);
    EXPECT_FALSE(item->Locked());
    EXPECT_THROW(source->Items(1), Exception);
    EXPECT_EQ(source->IndexOf(item), 0);
    // The request log splits and merges.
    using Spans = std::vector<std::pair<double, double>>;
    const struct { const char *name; Spans asks, fired, kept; } cases[] = {
        {"covered", {{0, 10}, {2, 5}}, {{0, 10}}, {{0, 10}}},
        {"overlap at the end", {{0, 10}, {5, 15}}, {{0, 10}, {10, 15}}, {{0, 15}}},
        {"overlap at the start", {{10, 20}, {5, 15}}, {{10, 20}, {5, 10}}, {{10, 20}, {5, 10}}},
        {"spanning both sides", {{10, 20}, {0, 30}}, {{10, 20}, {0, 10}, {20, 30}}, {{10, 20}, {0, 10}, {20, 30}}},
        {"touching", {{0, 10}, {10, 20}}, {{0, 10}, {10, 20}}, {{0, 20}}},
        // Only neighbours in the list merge.
        {"gap filled", {{0, 10}, {20, 30}, {10, 20}}, {{0, 10}, {20, 30}, {10, 20}}, {{0, 10}, {20, 30}, {10, 20}}},
        // Three neighbouring months' grids, then the first again.
        {"month grids", {{100, 142}, {128, 170}, {156, 198}, {100, 142}}, {{100, 142}, {142, 170}, {170, 198}},
         {{100, 198}}},
    };
    for (const auto &c : cases) {
        TSPPlannerSource s(nullptr);
        Spans fired, kept;
        s.OnRequestItems = [&](TComponent *, TDateTime a, TDateTime b) { fired.push_back({a, b}); };
        for (const auto &[a, b] : c.asks)
            s.RequestItems(a, b);
        for (const TSPRequest &r : s.Requests())
            kept.push_back({r.StartTime, r.EndTime});
        EXPECT_EQ(fired, c.fired) << c.name;
        EXPECT_EQ(kept, c.kept) << c.name;
    }
}

TEST_F(SourceFixture, EndBeforeStartIsRefusedSettersNotifyOnRealChangesAssignCopies)
{
    TSPPlanItem *item = Add("x", 10, 12);
    EXPECT_THAT([&] { item->SetEndTime(9.5); },
                testing::ThrowsMessage<Exception>(testing::StrEq("End time cannot be earlier than start time")));
    EXPECT_EQ(item->EndTime(), 12);
    item->SetStartTime(15);
    EXPECT_EQ(item->EndTime(), 15);
    item->SetStartTime(14);
    EXPECT_EQ(item->EndTime(), 15) << "an earlier start leaves the end alone";
    // Setters notify only on real changes.
    log.clear();
    item->SetText("x");
    item->SetStartTime(14);
    item->SetEndTime(15);
    item->MoveBy(0);
    item->SetCategory("人脉");
    EXPECT_TRUE(log.isEmpty());
    item->SetText("y");
    item->SetAllDay(true);
    item->SetResource("r");
    item->MoveBy(1.5);
    EXPECT_EQ(item->Icons().AddIcon(4), 0);
    EXPECT_EQ(item->Icons().AddIcon(7), 1);
    EXPECT_EQ(log.count("source:change"), 6);
    EXPECT_EQ(std::tuple(item->StartTime(), item->EndTime()), std::tuple(15.5, 16.5));
    // Assigning copies icons and values.
    TSPPlanItem *from = source->AddItem("r1", "t", 1, 3, true, true, clBlue, 5);
    for (int i = 0; i < 9; ++i)
        from->Icons().AddIcon(100 + i);
    EXPECT_EQ(from->Icons().Capacity(), 16);
    TSPPlannerSource other(nullptr);
    TSPPlanItem *copy = other.NewItem();
    copy->Assign(*from);
    EXPECT_EQ(std::tuple(copy->Source(), copy->Resource(), copy->AllDay(), copy->Private(), copy->Color()),
              std::tuple(&other, QString("r1"), true, true, clBlue));
    EXPECT_EQ(copy->Kind(), 5);
    ASSERT_EQ(std::tuple(copy->Icons().Count(), copy->Icons().Capacity()), std::tuple(9, 16));
    EXPECT_EQ(copy->Icons().Icons(8), 108);
    EXPECT_THROW(copy->Icons().Icons(9), Exception);
    copy->SetText("changed");
    copy->Cancel();
    EXPECT_EQ(copy->Text(), QString("t")) << "assigning takes the saved copies";
}

