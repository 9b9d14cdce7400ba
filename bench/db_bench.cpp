// Account database speed: writing a large synthetic account, reading what the group tree needs,
// checking and compacting the file.
#include "AccountGenerator.h"
#include "contacts/browser/userfrmPrivate.h"
#include "contacts/shared/UtilityDb.h"
#include "platform/ADODB.h"
#include "platform/SqliteDb.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QString AccountPath(const char *kind, int contacts)
{
    static QTemporaryDir workDir;
    return workDir.path() + QStringLiteral("/%1-%2.txl").arg(QString::fromLatin1(kind)).arg(contacts);
}

// One generated account per size, shared by the reading benchmarks.
const QString &SharedAccount(int contacts)
{
    static QMap<int, QString> made;
    if (!made.contains(contacts)) {
        const QString path = AccountPath("shared", contacts);
        AccountShape shape;
        shape.contacts = contacts;
        GenerateAccount(path, shape);
        made.insert(contacts, path);
    }
    return made[contacts];
}

void BM_GenerateAccount(benchmark::State &state)
{
    AccountShape shape;
    shape.contacts = int(state.range(0));
    const QString path = AccountPath("generated", shape.contacts);
    GeneratedAccount made;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
        made = GenerateAccount(path, shape);
    }
    state.counters["file_MB"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
    state.counters["groups"] = double(made.groups);
    state.counters["tag_links"] = double(made.tagLinks);
    state.counters["activities"] = double(made.activities);
    state.counters["contacts_per_s"] = benchmark::Counter(double(made.contacts), benchmark::Counter::kIsIterationInvariantRate);
}

const QString kGroupsSql = QStringLiteral(
    "select kzfield2,keyid,nodeparentkey,nodelevel,nodetype,uname,uxb,ulevel from userinfo where nodetype=1 "
    "order by nodelevel,nodetype,nodeindex");
const QString kContactsSql = QStringLiteral(
    "select kzfield2,keyid,nodeparentkey,ulevel,nodelevel,nodetype,uname,uxb,kzfield1 from userinfo where +nodetype=2");

// The two statements the browser's group tree is built from, as the page runs them: every field
// read as text, and the contacts put in the tree's order (initials, then key) in memory with the
// page's own ordering.
void BM_GroupTreeRead(benchmark::State &state)
{
    const QString &path = SharedAccount(int(state.range(0)));
    TADOConnection connection;
    connection.Open(path);
    qint64 rows = 0;
    for (auto _ : state) {
        rows = 0;
        const auto walk = [&](const QString &sql, std::vector<TContactOrder> *order) {
            SQLite::Statement statement(connection.Db(), sql);
            const int columns = statement.ColumnCount();
            while (statement.ExecuteStep()) {
                for (int i = 0; i < columns; ++i)
                    benchmark::DoNotOptimize(ColumnText(statement, i));
                if (order) {
                    order->push_back(ContactOrderOf(statement, columns - 1));
                    order->back().key = statement.ColumnInt64(1);
                }
                ++rows;
            }
        };
        walk(kGroupsSql, nullptr);
        std::vector<TContactOrder> order;
        walk(kContactsSql, &order);
        std::sort(order.begin(), order.end());
        benchmark::DoNotOptimize(order.data());
    }
    state.counters["rows"] = double(rows);
}

// The same two statements opened without reading a field: the engine's and the dataset's share.
void BM_GroupTreeQueryOnly(benchmark::State &state)
{
    TADOConnection connection;
    connection.Open(SharedAccount(int(state.range(0))));
    TADOQuery query(&connection);
    for (auto _ : state) {
        if (!RunQuery(&query, kGroupsSql) || !RunQuery(&query, kContactsSql))
            state.SkipWithError("query failed");
    }
}

void BM_TestOpen(benchmark::State &state)
{
    const QString &path = SharedAccount(int(state.range(0)));
    for (auto _ : state) {
        if (!TADOConnection::TestOpen(path))
            state.SkipWithError("test-open failed");
    }
}

void BM_CompactDatabase(benchmark::State &state)
{
    const QString &source = SharedAccount(int(state.range(0)));
    const QString path = AccountPath("compact", int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(path);
        QFile::copy(source, path);
        state.ResumeTiming();
        if (!CompactDatabase(path))
            state.SkipWithError("compaction failed");
    }
}

BENCHMARK(BM_GenerateAccount)->Arg(10000)->Arg(100000)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupTreeRead)->Arg(10000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupTreeQueryOnly)->Arg(10000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TestOpen)->Arg(10000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompactDatabase)->Arg(10000)->Arg(100000)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
