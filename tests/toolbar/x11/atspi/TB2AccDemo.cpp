// A form with a menu bar and a toolbar for the accessibility check: an AT-SPI client reads it
// through the bus and drives its menus. Says "ready" on its standard output once shown, and
// names each item it runs ("clicked Save").
#include "../../TB2TestSupport.h"

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tb2acc_demo"));
    ClickLog log;
    log.heard = [](const QString &caption) {
        std::printf("clicked %s\n", qPrintable(caption));
        std::fflush(stdout);
    };
    TForm form(nullptr);
    form.SetCaption(QStringLiteral("演示"));
    form.SetBounds(100, 100, 400, 200);
    auto *dock = new TTBDock(&form);
    dock->SetParent(&form);
    auto *menuBar = new TTBToolbar(&form);
    menuBar->SetCaption(QStringLiteral("菜单"));
    menuBar->SetMenuBar(true);
    TTBCustomItem *file = log.Add(menuBar->Items(), QStringLiteral("&File"), new TSubmenuItem(nullptr));
    log.Add(file, QStringLiteral("&Open\tCtrl+O"));
    log.Add(file, QStringLiteral("&Save"))->SetEnabled(false);
    log.Add(menuBar->Items(), QStringLiteral("&Help"));
    menuBar->SetCurrentDock(dock);
    auto *toolBar = new TTBToolbar(&form);
    toolBar->SetCaption(QStringLiteral("工具"));
    log.Add(toolBar->Items(), QStringLiteral("New"));
    toolBar->Items()->Add(new TTBSeparatorItem(nullptr));
    log.Add(toolBar->Items(), QStringLiteral("Print"))->SetChecked(true);
    toolBar->SetCurrentDock(dock);
    form.Show();
    form.activateWindow();
    // Items are available to a client only while their form is the active window.
    QTimer ready;
    QObject::connect(&ready, &QTimer::timeout, [&] {
        if (QApplication::activeWindow() != &form)
            return;
        ready.stop();
        std::printf("ready\n");
        std::fflush(stdout);
    });
    ready.start(20);
    return app.exec();
}
