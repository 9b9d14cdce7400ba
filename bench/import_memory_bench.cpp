// Peak memory of a vCard import: a child process of this program does nothing but the import
// (read the file, parse, add to a new account) and its maximum resident size is reported.
#include "AccountGenerator.h"
#include "contacts/shared/UtilityDb.h"
#include "contacts/transfer/ContactTransfer.h"
#include "platform/ADODB.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstring>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace {

const char *const ImportOnly = "--import-vcard-only";
const char *SelfPath = nullptr;

QString WorkPath(const QString &name)
{
    static QTemporaryDir workDir;
    return workDir.path() + '/' + name;
}

QString VCardFile(int contacts)
{
    const QString path = WorkPath(QStringLiteral("cards-%1.vcf").arg(contacts));
    if (QFileInfo::exists(path))
        return path;
    const QString source = WorkPath(QStringLiteral("source-%1.txl").arg(contacts));
    AccountShape shape;
    shape.contacts = contacts;
    GenerateAccount(source, shape);
    TADOConnection connection;
    connection.Open(source);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        for (const TContactRecord &contact : ReadExportContacts(&connection, {}))
            file.write(VCardBytes(contact));
    }
    return path;
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
    const TImportResult result = ImportContacts(&connection, ParseVCards(in.readAll()), QDateTime::currentDateTime());
    return result.Ok && result.Imported > 0 ? 0 : 1;
}

// Runs the child and gives its maximum resident size in KiB, or -1.
long ChildPeakKiB(const QString &file, const QString &account)
{
    const QByteArray f = file.toLocal8Bit();
    const QByteArray a = account.toLocal8Bit();
    char *argv[] = {const_cast<char *>(SelfPath), const_cast<char *>(ImportOnly), const_cast<char *>(f.constData()),
                    const_cast<char *>(a.constData()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, SelfPath, nullptr, nullptr, argv, environ) != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

void BM_ImportVCardPeakMemory(benchmark::State &state)
{
    const int contacts = int(state.range(0));
    const QString file = VCardFile(contacts);
    const QString account = WorkPath(QStringLiteral("target-%1.txl").arg(contacts));
    long peak = 0;
    for (auto _ : state) {
        peak = ChildPeakKiB(file, account);
        if (peak < 0)
            state.SkipWithError("import failed");
    }
    state.counters["peak_MiB"] = double(peak) / 1024.0;
    state.counters["file_MB"] = double(QFileInfo(file).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ImportVCardPeakMemory)->Arg(10000)->Arg(100000)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], ImportOnly) == 0) {
        QCoreApplication app(argc, argv);
        return ImportOnlyMain(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    SelfPath = argv[0];
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
