// Peak memory of a vCard import and of a CSV import: a child process of this program does nothing
// but the import (read the file, parse, add to a new account) and reports its maximum resident
// size. The child
// reads it from its own memory map's high-water mark: the rusage figure of a process started by
// this one would also count what this process held when it started the child.
#include "TransferFiles.h"
#include "contacts/shared/AppGlobals.h"
#include "contacts/shared/UtilityDb.h"
#include "contacts/transfer/ContactTransfer.h"
#include "contacts/transfer/CsvFormat.h"
#include "platform/ADODB.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

namespace {

const char *const ImportOnly = "--import-vcard-only";
const char *const ImportCsvOnly = "--import-csv-only";
const char *SelfPath = nullptr;

// The high-water mark of this process's resident size in KiB, or -1.
long PeakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// What the child does: the import as the main window runs it, nothing else.
int ImportOnlyMain(const QString &file, const QString &account)
{
    QFile::remove(account);
    SaveResourceToFile(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE"), account);
    TADOConnection connection;
    connection.Open(account);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return 2;
    TContactImport import(&connection, QDateTime::currentDateTime());
    ReadVCards(in.readAll(), [&](const TContactRecord &card) { import.Add(card); });
    const TImportResult result = import.Finish();
    if (!result.Ok || result.Imported == 0)
        return 1;
    std::printf("%ld\n", PeakKiB());
    return 0;
}

// The CSV import as the wizard runs it: the header, its captions mapped, then the records.
int ImportCsvOnlyMain(const QString &file, const QString &account)
{
    QFile::remove(account);
    SaveResourceToFile(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE"), account);
    TADOConnection connection;
    connection.Open(account);
    TCsvFileReader reader;
    QStringList header;
    if (!reader.Open(file) || !reader.Next(header))
        return 2;
    const TImportResult result =
        ImportCsvRecords(&connection, reader, CaptionMappings(header, Captions()), QDateTime::currentDateTime());
    if (!result.Ok || result.Imported == 0)
        return 1;
    std::printf("%ld\n", PeakKiB());
    return 0;
}

// Runs the child and gives its peak resident size in KiB, or -1.
long ChildPeakKiB(const char *mode, const QString &file, const QString &account)
{
    QProcess child;
    child.start(QString::fromLocal8Bit(SelfPath), {QString::fromLatin1(mode), file, account});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return -1;
    bool ok = false;
    const long peak = child.readAllStandardOutput().trimmed().toLong(&ok);
    return ok ? peak : -1;
}

// Imports `file` in a child process in the given mode and reports the child's peak memory.
void MeasurePeak(benchmark::State &state, const char *mode, const QString &file, const QString &account)
{
    long peak = 0;
    for (auto _ : state) {
        peak = ChildPeakKiB(mode, file, account);
        if (peak < 0)
            state.SkipWithError("import failed");
    }
    state.counters["peak_MiB"] = double(peak) / 1024.0;
    state.counters["file_MB"] = double(QFileInfo(file).size()) / (1024.0 * 1024.0);
}

void BM_ImportVCardPeakMemory(benchmark::State &state)
{
    const int contacts = int(state.range(0));
    MeasurePeak(state, ImportOnly, VCardFile(contacts), WorkPath(QStringLiteral("target-%1.txl").arg(contacts)));
}
BENCHMARK(BM_ImportVCardPeakMemory)->Arg(10000)->Arg(100000)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ImportCsvPeakMemory(benchmark::State &state)
{
    const int contacts = int(state.range(0));
    MeasurePeak(state, ImportCsvOnly, CsvFile(contacts), WorkPath(QStringLiteral("csv-target-%1.txl").arg(contacts)));
}
BENCHMARK(BM_ImportCsvPeakMemory)->Arg(10000)->Arg(100000)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same file with its lines ended by a CR alone, as older spreadsheets write them.
QString CrOnlyCsvFile(int contacts)
{
    const QString path = WorkPath(QStringLiteral("contacts-cr-%1.csv").arg(contacts));
    if (QFileInfo::exists(path))
        return path;
    QFile in(CsvFile(contacts)), out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return path;
    bool afterCr = false;
    while (!in.atEnd()) {
        QByteArray block = in.read(1 << 20);
        if (afterCr && block.startsWith('\n'))
            block.remove(0, 1);
        afterCr = block.endsWith('\r');
        out.write(block.replace("\r\n", "\r"));
    }
    return path;
}

void BM_ImportCrOnlyCsvPeakMemory(benchmark::State &state)
{
    const int contacts = int(state.range(0));
    MeasurePeak(state, ImportCsvOnly, CrOnlyCsvFile(contacts),
                WorkPath(QStringLiteral("csv-cr-target-%1.txl").arg(contacts)));
}
BENCHMARK(BM_ImportCrOnlyCsvPeakMemory)->Arg(10000)->Arg(100000)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], ImportOnly) == 0) {
        QCoreApplication app(argc, argv);
        return ImportOnlyMain(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    if (argc == 4 && std::strcmp(argv[1], ImportCsvOnly) == 0) {
        QCoreApplication app(argc, argv);
        return ImportCsvOnlyMain(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    SelfPath = argv[0];
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
