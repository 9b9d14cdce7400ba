// The contact card with one long unbroken token in a field: building the page and laying it
// out in the card's browser. The uncut page is measured once beside it for comparison.
#include "contacts/browser/userfrm.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <benchmark/benchmark.h>

namespace {

// Sets the page, lays it out at the card's width and paints it, as showing it does.
void ShowPage(QTextBrowser &browser, const QString &html)
{
    browser.setHtml(html);
    browser.document()->setTextWidth(browser.viewport()->width());
    benchmark::DoNotOptimize(browser.document()->documentLayout()->documentSize());
    benchmark::DoNotOptimize(browser.grab());
}

void BM_CardLongToken(benchmark::State &state)
{
    const QString token(qsizetype(state.range(0)), QChar('w'));
    QTextBrowser browser;
    browser.resize(760, 260);
    browser.show();
    for (auto _ : state)
        ShowPage(browser, ContactCardHtml({QStringLiteral("备注")}, {token}));
}
BENCHMARK(BM_CardLongToken)->Arg(200 * 1024)->Arg(5 * 1024 * 1024)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same token in the card's cell without the cut.
void BM_UncutLongToken(benchmark::State &state)
{
    const QString token(qsizetype(state.range(0)), QChar('w'));
    QTextBrowser browser;
    browser.resize(760, 260);
    browser.show();
    const QString html = QStringLiteral("<table width=\"96%\"><tr><td class=\"t1\" width=\"100\">备注:</td>"
                                        "<td valign=\"baseline\" nowrap class=\"t2\">") +
                         token + QStringLiteral("</td></tr></table>");
    for (auto _ : state)
        ShowPage(browser, html);
}
BENCHMARK(BM_UncutLongToken)->Arg(200 * 1024)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("ORVANTA_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
