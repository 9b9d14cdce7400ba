// Starts the program's main window on a generated account and, for every theme, chooses it as
// 皮肤 does, opens the 文件 menu and saves the screen to a PNG, then shows the calendar page and
// saves that too (programshot-calendar-<theme>.png); last 工具 > 皮肤 open (programshot-skins.png).
// To look at by eye:
//   programshot [output-folder] [contacts]
// Needs a real X server (xvfb-run -a -s "-screen 0 1280x1024x24"). Everything it writes but the
// pictures goes to a temporary data root that is removed at the end.
#include "AccountGenerator.h"

#include "account/dataModule.h"
#include "browser/userfrm.h"
#include "calendar/tasktable.h"
#include "editor/useredit.h"
#include "main/EditorRegistry.h"
#include "main/Main.h"
#include "shared/AppGlobals.h"
#include "shared/Utility.h"

#include "themed/SpTBXItem.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2Toolbar.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

// The bar's first menu, open as a click leaves it, its first item selected.
void OpenFirstMenu(TSpTBXToolbar *bar)
{
    TTBView *view = bar->View();
    if (TTBItemViewer *viewer = bar->Items()->Count() ? view->Find(bar->Items()->Items(0)) : nullptr) {
        view->Select(viewer, false);
        view->OpenChildPopup(true);
    }
}

// Opens the bar's menu with this caption and, in it, the sub-menu with that caption.
void OpenSubmenu(TSpTBXToolbar *bar, const QString &menu, const QString &submenu)
{
    TTBView *view = bar->View();
    for (int i = 0; i < view->ViewerCount(); ++i) {
        if (view->Viewers(i)->Item->Caption() != menu)
            continue;
        view->Select(view->Viewers(i), false);
        view->OpenChildPopup(true);
        TTBView *open = view->OpenViewerView();
        for (int j = 0; open && j < open->ViewerCount(); ++j) {
            if (open->Viewers(j)->Item->Caption() == submenu) {
                open->Select(open->Viewers(j), false);
                open->OpenChildPopup(false);
            }
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    // The data root and the registry store must be in place before anything reads them.
    qputenv("ORVANTA_HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());

    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QApplication::setQuitOnLastWindowClosed(false);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);

    AccountShape shape;
    shape.contacts = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 300;
    shape.groups = 24;
    QDir().mkpath(home.path() + QStringLiteral("/data"));
    const QString account = home.path() + QStringLiteral("/data/示例账户.txl");
    GenerateAccount(account, shape);
    RegWriteString(2, OrvRegistryKey, QStringLiteral("txlfile"), account);

    InstallCalendarPage();
    BrowserPageFactory = [](QWidget *parent) { return new Tfuserfrm(CustomerData->dbConnection, parent); };
    InstallContactEditor();
    int code = 0;
    {
        // Made and destroyed in the order the program's entry uses.
        auto mainPtr = std::make_unique<Tfrmmain>();
        Tfrmmain &mainForm = *mainPtr;
        auto form1 = std::make_unique<TForm1>();
        Form1 = form1.get();
        auto customerData = std::make_unique<TCustomerData>();
        mainForm.OpenLastAccount();
        mainForm.SetBounds(0, 0, 900, 620);

        const QStringList names = mainForm.SpTBXThemeGroupItem1->ThemeNames();
        int index = 0;
        const auto save = [&](const QString &file) {
            const QRect r = mainForm.frameGeometry();
            const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
            if (!shot.save(file)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                code = 1;
            }
        };
        std::function<void()> next = [&] {
            mainForm.SpTBXToolbar1->View()->CloseChildPopups();
            if (index >= names.size()) {
                // Last, 皮肤 open under the last theme chosen.
                mainForm.ShowBrowserPage();
                OpenSubmenu(mainForm.SpTBXToolbar1, QStringLiteral("工具(&T)"), QStringLiteral("皮肤"));
                QTimer::singleShot(500, [&] {
                    save(dir + QStringLiteral("/programshot-skins.png"));
                    mainForm.SpTBXToolbar1->View()->CloseChildPopups();
                    app.quit();
                });
                return;
            }
            mainForm.ShowBrowserPage();
            mainForm.SelectSkin(names[index]);
            OpenFirstMenu(mainForm.SpTBXToolbar1);
            QTimer::singleShot(500, [&] {
                save(dir + QStringLiteral("/programshot-%1.png").arg(names[index]));
                mainForm.SpTBXToolbar1->View()->CloseChildPopups();
                mainForm.ShowCalendarPage();
                QTimer::singleShot(500, [&] {
                    save(dir + QStringLiteral("/programshot-calendar-%1.png").arg(names[index]));
                    ++index;
                    next();
                });
            });
        };
        QTimer::singleShot(800, next);
        app.exec();
        form1.reset();
        Form1 = nullptr;
        mainPtr.reset();
        customerData.reset();
    }
    return code;
}
