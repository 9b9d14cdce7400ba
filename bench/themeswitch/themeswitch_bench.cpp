// Switching the demonstration form (a menu bar and two tool bars in a dock, a floating tool
// bar, a panel, three buttons and a status bar) between two themes: the switch itself, the
// re-layout of every tool bar and the repaint of every themed control it causes.
#include "DemoForm.h"

#include "themed/TBXNexus.h"
#include "themes/Themes.h"

#include "../BenchApplication.h"

namespace {

void BM_SwitchDemoFormTheme(benchmark::State &state)
{
    RegisterThemes();
    TDemoForm demo;
    demo.Form->Show();
    demo.FloatThirdToolbar();
    QCoreApplication::processEvents();
    const QString names[] = {QStringLiteral("Office2003"), QStringLiteral("Aluminum")};
    int i = 0;
    for (auto _ : state) {
        SetCurrentTheme(names[i++ % 2]);
        // Paint what the switch invalidated, as the event loop would.
        demo.Form->Repaint();
        demo.Floating->FloatingWindowParent()->Repaint();
        QCoreApplication::processEvents();
    }
    SetCurrentTheme(QStringLiteral("Default"));
}
BENCHMARK(BM_SwitchDemoFormTheme)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) { return RunBenchmarksInApplication(argc, argv); }
