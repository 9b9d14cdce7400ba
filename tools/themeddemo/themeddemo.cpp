// Shows the demonstration form in every registered theme, with a menu open, and saves
// one PNG per theme, to look at by eye:
//   themeddemo [output-folder]
// With --live the form stays up to be used, its themes switched from the "皮肤" menu.
// Needs a real X server (run under xvfb-run -s "-screen 0 1024x768x24"); in a sanitizer build
// ASAN_OPTIONS=detect_leaks=0 quiets a leak report from inside libdbus.
#include "DemoForm.h"

#include "themed/TBXNexus.h"
#include "themes/Themes.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    RegisterThemes();
    if (dir == QStringLiteral("--live")) {
        TDemoForm demo;
        demo.Form->Show();
        QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
        return app.exec();
    }
    QDir().mkpath(dir);
    QStringList names;
    ListThemeNames(&names);

    int code = 0;
    {
        TDemoForm demo;
        demo.Form->Show();
        demo.FloatThirdToolbar();
        int index = 0;
        std::function<void()> next = [&] {
            if (index >= names.size()) {
                app.quit();
                return;
            }
            demo.CloseMenus();
            SetCurrentTheme(names[index]);
            demo.OpenFileMenu();
            QTimer::singleShot(400, [&] {
                const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, 700, 460);
                const QString file = dir + QStringLiteral("/themeddemo-%1.png").arg(names[index]);
                if (!shot.save(file)) {
                    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                    code = 1;
                }
                ++index;
                next();
            });
        };
        QTimer::singleShot(300, next);
        app.exec();
    }
    return code;
}
