// Starts the program's main window on a generated account and, for every theme, chooses it as
// 皮肤 does, opens the 文件 menu and its first submenu and saves the screen to a PNG, to look at
// by eye:
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
#include "toolbar/TB2ItemWindow.h"
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

// The bar's first menu, open as a click leaves it, with its first submenu open over it.
void OpenFirstMenu(TSpTBXToolbar *bar)
{
    TTBView *view = bar->View();
    TTBItemViewer *viewer = bar->Items()->Count() ? view->Find(bar->Items()->Items(0)) : nullptr;
    if (!viewer)
        return;
    view->Select(viewer, false);
    view->OpenChildPopup(true);
    TTBPopupWindow *menu = view->OpenViewerWindow();
    if (!menu)
        return;
    TTBView *menuView = menu->View();
    for (int i = 0; i < menuView->ViewerCount(); ++i) {
        TTBItemViewer *v = menuView->Viewers(i);
        if (v->Show && (v->Item->ItemStyle() & tbis::HasSubmenu)) {
            menuView->Select(v, false);
            menuView->OpenChildPopup(true);
            return;
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

        const QStringList names = KnownThemeNames();
        int index = 0;
        std::function<void()> next = [&] {
            mainForm.SpTBXToolbar1->View()->CloseChildPopups();
            if (index >= names.size()) {
                app.quit();
                return;
            }
            mainForm.SelectSkin(names[index]);
            OpenFirstMenu(mainForm.SpTBXToolbar1);
            QTimer::singleShot(500, [&] {
                const auto save = [&](QWidget &window, const QString &kind) {
                    const QRect r = window.frameGeometry();
                    const QPixmap shot =
                        QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
                    const QString file = dir + QStringLiteral("/%1-%2.png").arg(kind, names[index]);
                    if (!shot.save(file)) {
                        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                        code = 1;
                    }
                };
                save(mainForm, QStringLiteral("programshot"));
                mainForm.SpTBXToolbar1->View()->CloseChildPopups();
                // A new contact's editor in the same theme: its dock band beside the tool bar.
                auto *editor = ContactEditorFactory();
                QWidget *window = editor->EditorWindow();
                window->setGeometry(0, 0, 760, 560);
                window->show();
                QTimer::singleShot(500, [&, save, window] {
                    save(*window, QStringLiteral("editorshot"));
                    // The editor registry frees it at the end.
                    window->hide();
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
