// Import and export speed: vCard and CSV files of 10,000 and 100,000 contacts read into a new
// account, and a large account written out as CSV.
#include "TransferFiles.h"
#include "contacts/shared/AppGlobals.h"
#include "contacts/transfer/ContactTransfer.h"
#include "contacts/transfer/CsvFormat.h"
#include "contacts/shared/UtilityDb.h"
#include "platform/ADODB.h"

#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>

namespace {

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A new, empty account for each run.
void FreshAccount(TADOConnection &connection, const QString &path)
{
    connection.Close();
    QFile::remove(path);
    SaveResourceToFile(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE"), path);
    connection.Open(path);
}

void Report(benchmark::State &state, const QString &file, int imported)
{
    state.counters["file_MB"] = double(QFileInfo(file).size()) / (1024.0 * 1024.0);
    state.counters["imported"] = imported;
    state.counters["contacts_per_s"] = benchmark::Counter(imported, benchmark::Counter::kIsIterationInvariantRate);
}

// Reading the file, parsing every card and adding each contact as it is read, as the vCard
// import does.
void BM_ImportVCardFile(benchmark::State &state)
{
    const int contacts = int(state.range(0));
    const QString file = VCardFile(contacts);
    const QString target = WorkPath(QStringLiteral("vcard-target-%1.txl").arg(contacts));
    TADOConnection connection;
    int imported = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FreshAccount(connection, target);
        state.ResumeTiming();
        TContactImport import(&connection, QDateTime::currentDateTime());
        ReadVCards(ReadFile(file), [&](const TContactRecord &card) { import.Add(card); });
        const TImportResult result = import.Finish();
        if (!result.Ok)
            state.SkipWithError("import failed");
        imported = result.Imported;
    }
    Report(state, file, imported);
}

// The same steps as the CSV import wizard: read the header, map its captions, then read and add
// the records one by one.
void BM_ImportCsvFile(benchmark::State &state)
{
    const int contacts = int(state.range(0));
    const QString file = CsvFile(contacts);
    const QString target = WorkPath(QStringLiteral("csv-target-%1.txl").arg(contacts));
    TADOConnection connection;
    int imported = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FreshAccount(connection, target);
        state.ResumeTiming();
        TCsvFileReader reader;
        QStringList header;
        if (!reader.Open(file) || !reader.Next(header))
            state.SkipWithError("cannot read the file");
        const TImportResult result =
            ImportCsvRecords(&connection, reader, CaptionMappings(header, Captions()), QDateTime::currentDateTime());
        if (!result.Ok)
            state.SkipWithError("import failed");
        imported = result.Imported;
    }
    Report(state, file, imported);
}

void BM_ExportCsvFile(benchmark::State &state)
{
    const int contacts = int(state.range(0));
    TADOConnection connection;
    connection.Open(SourceAccount(contacts));
    const QString file = WorkPath(QStringLiteral("export-%1.csv").arg(contacts));
    int written = 0;
    for (auto _ : state) {
        const TExportResult result = ExportContactsCsv(&connection, file, Captions());
        if (!result.Ok)
            state.SkipWithError("export failed");
        written = result.Written;
    }
    state.counters["file_MB"] = double(QFileInfo(file).size()) / (1024.0 * 1024.0);
    state.counters["written"] = written;
}

// The parts of the vCard import on their own: parsing alone, without the database.
void BM_ParseVCards(benchmark::State &state)
{
    const QByteArray bytes = ReadFile(VCardFile(int(state.range(0))));
    qsizetype cards = 0;
    for (auto _ : state)
        cards = ParseVCards(bytes).size();
    state.counters["cards"] = double(cards);
}

} // namespace

BENCHMARK(BM_ImportVCardFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportCsvFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportCsvFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ParseVCards)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
