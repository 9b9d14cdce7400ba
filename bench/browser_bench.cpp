// Contact browser speed on large synthetic accounts: opening the page (tree built and shown),
// the first search after it, clicking a big group, searching every contact, and deleting a group
// with all its contacts.
#include "AccountGenerator.h"

#include "contacts/shared/AppGlobals.h"
#include "contacts/shared/UtilityDb.h"
#include "contacts/browser/userfrm.h"
#include "contacts/browser/userfrmListView.h"
#include "platform/ADODB.h"
#include "platform/IniFiles.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

QTemporaryDir &WorkDir()
{
    static QTemporaryDir dir;
    return dir;
}

// One account per shape, made on first use.
const QString &Account(int contacts, int groups)
{
    static QMap<QPair<int, int>, QString> made;
    const QPair<int, int> key(contacts, groups);
    if (!made.contains(key)) {
        const QString path = WorkDir().path() + QStringLiteral("/a-%1-%2.txl").arg(contacts).arg(groups);
        AccountShape shape;
        shape.contacts = contacts;
        shape.groups = groups;
        GenerateAccount(path, shape);
        made.insert(key, path);
    }
    return made[key];
}

// Every question of the delete is answered yes.
class YesDialogs final : public IDialogs
{
public:
    MsgResult MessageBox(QWidget *, const QString &, const QString &, MsgIcon, MsgButtons) override { return MsgResult::Yes; }
    QString OpenFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString SaveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString FolderName(QWidget *, const QString &, const QString &) override { return {}; }
};

// The group with the most contacts directly below it.
QTreeWidgetItem *BiggestGroup(const Tfuserfrm &page)
{
    QTreeWidgetItem *best = nullptr;
    QList<QTreeWidgetItem *> walk = {page.Root()};
    while (!walk.isEmpty()) {
        QTreeWidgetItem *node = walk.takeLast();
        for (int i = 0; i < node->childCount(); ++i)
            walk << node->child(i);
        if (node != page.Root() && RecordOf(node)->IsGroup() && (!best || node->childCount() > best->childCount()))
            best = node;
    }
    return best;
}

// The page as the user first sees it: its tree built, shown and painted, so the timings that
// start from an open page all start from the same one.
std::unique_ptr<Tfuserfrm> OpenPage(TADOConnection &connection)
{
    auto page = std::make_unique<Tfuserfrm>(&connection);
    page->resize(1000, 700);
    page->LoadGroupTree();
    page->show();
    QApplication::processEvents();
    return page;
}

void BM_OpenPage(benchmark::State &state)
{
    TADOConnection connection;
    connection.Open(Account(int(state.range(0)), 200));
    qint64 nodes = 0;
    for (auto _ : state) {
        auto page = OpenPage(connection);
        state.PauseTiming();
        nodes = page->Root()->childCount();
        page.reset();
        state.ResumeTiming();
    }
    state.counters["top_nodes"] = double(nodes);
}
BENCHMARK(BM_OpenPage)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GroupClick(benchmark::State &state)
{
    TADOConnection connection;
    connection.Open(Account(100000, 50));  // about 2,000 contacts a group
    Tfuserfrm page(&connection);
    page.resize(1000, 700);
    page.SetViewStyle(3);
    page.LoadGroupTree();
    page.show();
    QTreeWidgetItem *group = BiggestGroup(page);
    for (auto _ : state) {
        page.DyTreeView1Change(group);
        QApplication::processEvents();
    }
    state.counters["listed"] = double(page.ListView1->Count());
}
BENCHMARK(BM_GroupClick)->Unit(benchmark::kMillisecond)->Iterations(10);

// Arguments: contacts, whether the text is found (about a quarter of the contacts hold it),
// the list's view style.
void BM_Search(benchmark::State &state)
{
    TADOConnection connection;
    connection.Open(Account(int(state.range(0)), 200));
    Tfuserfrm page(&connection);
    page.resize(1000, 700);
    page.LoadGroupTree();
    page.show();
    page.SetViewStyle(int(state.range(2)));
    const QString text = state.range(1) == 0 ? QStringLiteral("不存在的文字") : QStringLiteral("建国路");
    // What the first search pays once is measured by BM_FirstSearch; here every search is a later one.
    page.RunSearch(QStringLiteral("预热"));
    QApplication::processEvents();
    for (auto _ : state) {
        page.RunSearch(text);
        QApplication::processEvents();
    }
    state.counters["found"] = double(page.ListView1->Count());
}
BENCHMARK(BM_Search)
    ->Args({10000, 0, 0})
    ->Args({100000, 0, 0})
    ->Args({10000, 1, 0})
    ->Args({100000, 1, 0})
    ->Args({10000, 1, 3})
    ->Args({100000, 1, 3})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// The first search typed as soon as the page is open: it waits for what is left of the search
// index's reading, which began with the page, and then searches.
void BM_FirstSearch(benchmark::State &state)
{
    TADOConnection connection;
    connection.Open(Account(100000, 200));
    qint64 found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto page = OpenPage(connection);
        state.ResumeTiming();
        page->RunSearch(state.range(0) == 0 ? QStringLiteral("不存在的文字") : QStringLiteral("建国路"));
        QApplication::processEvents();
        state.PauseTiming();
        found = page->ListView1->Count();
        page.reset();
        state.ResumeTiming();
    }
    state.counters["found"] = double(found);
}
BENCHMARK(BM_FirstSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// What the user waits for from opening the page to the first search result, in one piece.
void BM_OpenPageAndFirstSearch(benchmark::State &state)
{
    TADOConnection connection;
    connection.Open(Account(100000, 200));
    qint64 found = 0;
    for (auto _ : state) {
        auto page = OpenPage(connection);
        page->RunSearch(QStringLiteral("建国路"));
        QApplication::processEvents();
        state.PauseTiming();
        found = page->ListView1->Count();
        page.reset();
        state.ResumeTiming();
    }
    state.counters["found"] = double(found);
}
BENCHMARK(BM_OpenPageAndFirstSearch)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DeleteGroup(benchmark::State &state)
{
    YesDialogs yes;
    SetDialogs(&yes);
    const QString source = Account(100000, 20);  // 5,000 contacts a group
    const QString copy = WorkDir().path() + QStringLiteral("/delete.txl");
    qint64 deleted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(copy);
        QFile::copy(source, copy);
        auto connection = std::make_unique<TADOConnection>();
        connection->Open(copy);
        auto page = std::make_unique<Tfuserfrm>(connection.get());
        page->LoadGroupTree();
        QTreeWidgetItem *group = BiggestGroup(*page);
        deleted = group->childCount();
        page->DyTreeView1->setCurrentItem(group);
        state.ResumeTiming();

        page->treedeletenodeClick();

        state.PauseTiming();
        page.reset();
        connection.reset();
        state.ResumeTiming();
    }
    state.counters["contacts"] = double(deleted);
    SetDialogs(nullptr);
}
BENCHMARK(BM_DeleteGroup)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ORVANTA_HOME", (WorkDir().path() + "/home").toUtf8());
    QApplication app(argc, argv);
    FieldCaptions = BuildFieldCaptions(TIniFile(ConfigIniPath()));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
