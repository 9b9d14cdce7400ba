// The main window at start-up on a generated account: from nothing to painted (main window,
// pages, the account opened as at start, the first paint), and a theme switch with the
// browser page showing that account. The argument is the number of contacts.
#include "AccountGenerator.h"

#include "account/dataModule.h"
#include "browser/userfrm.h"
#include "calendar/tasktable.h"
#include "editor/useredit.h"
#include "main/EditorRegistry.h"
#include "main/Main.h"
#include "shared/AppGlobals.h"
#include "shared/Utility.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

QTemporaryDir *Home()
{
    static QTemporaryDir home;
    return &home;
}

// One account file per size, made once and named as the last account the program opened.
void UseAccount(int contacts)
{
    const QString path = Home()->path() + QStringLiteral("/data/a%1.txl").arg(contacts);
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(Home()->path() + QStringLiteral("/data"));
        AccountShape shape;
        shape.contacts = contacts;
        GenerateAccount(path, shape);
    }
    RegWriteString(2, OrvRegistryKey, QStringLiteral("txlfile"), path);
}

struct TProgram {
    std::unique_ptr<Tfrmmain> Main;
    std::unique_ptr<TForm1> Editors;
    std::unique_ptr<TCustomerData> Data;

    void Start()
    {
        Main = std::make_unique<Tfrmmain>();
        Editors = std::make_unique<TForm1>();
        Form1 = Editors.get();
        Data = std::make_unique<TCustomerData>();
        Main->OpenLastAccount();
        QCoreApplication::processEvents();
        Main->repaint();
    }
    ~TProgram()
    {
        Editors.reset();
        Form1 = nullptr;
        Main.reset();
        Data.reset();
    }
};

void BM_StartToPaintedMainWindow(benchmark::State &state)
{
    UseAccount(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto program = std::make_unique<TProgram>();
        program->Start();
        state.PauseTiming();
        if (!program->Main->BrowserPageVisible() || !program->Main->isVisible())
            state.SkipWithError("the browser page is not showing");
        program.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToPaintedMainWindow)->Arg(10000)->Iterations(1)->Repetitions(5)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

void BM_SwitchThemeWithBrowser(benchmark::State &state)
{
    UseAccount(static_cast<int>(state.range(0)));
    TProgram program;
    program.Start();
    program.Main->ShowBrowserPage();
    QCoreApplication::processEvents();
    const QString names[] = {QStringLiteral("Office2003"), QStringLiteral("Aluminum")};
    int i = 0;
    for (auto _ : state) {
        program.Main->SelectSkin(names[i++ % 2]);
        // Paint what the switch invalidated, as the event loop would.
        program.Main->repaint();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_SwitchThemeWithBrowser)->Arg(10000)->Repetitions(5)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ORVANTA_HOME", Home()->path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (Home()->path() + QStringLiteral("/config")).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    InstallCalendarPage();
    BrowserPageFactory = [](QWidget *parent) { return new Tfuserfrm(CustomerData->dbConnection, parent); };
    InstallContactEditor();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
