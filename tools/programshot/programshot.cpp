// Starts the program's main window on a generated account and, for every theme, chooses it as
// 皮肤 does, opens the 文件 menu and its first submenu, then the contact list's and the group
// tree's context menus, then shows the calendar page (programshot-calendar-<theme>.png) and a new
// contact's editor (editorshot-<theme>.png), and saves the screen to a PNG each time; last
// 工具 > 皮肤 open (programshot-skins.png). To look at by eye:
//   programshot [output-folder] [contacts]
// With "layout" as the third argument it shoots instead the windows whose layout is easy to get
// wrong: the contact list in 小图标 view with long names and the card below it (wide and narrow),
// the birthday's calendar, the CSV wizard's field list and the settings dialog's sound file.
//   programshot [output-folder] [contacts] layout
// Needs a real X server (xvfb-run -a -s "-screen 0 1280x1024x24"). Everything it writes but the
// pictures goes to a temporary data root that is removed at the end.
#include "AccountGenerator.h"

#include "account/AccountSession.h"
#include "account/dataModule.h"
#include "account/sysset.h"
#include "browser/userfrm.h"
#include "browser/userfrmListView.h"
#include "calendar/tasktable.h"
#include "editor/useredit.h"
#include "main/EditorRegistry.h"
#include "main/Main.h"
#include "transfer/inputcsv.h"
#include "editor/usereditControls.h"
#include "shared/AppGlobals.h"
#include "shared/Utility.h"

#include "themed/SpTBXItem.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemView.h"
#include "toolbar/TB2ItemWindow.h"
#include "toolbar/TB2Toolbar.h"

#include "platform/SqliteDb.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

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

// Saves what the screen shows of a window; false when the file cannot be written.
bool SaveShot(const QWidget &window, const QString &file)
{
    const QRect r = window.frameGeometry();
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    if (shot.save(file))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
}

// Asks a view for its context menu at a point, as a right click there does, and saves the screen
// while the menu is open; the menu is closed again before this returns.
bool ShootContextMenu(QAbstractItemView *view, const QPoint &at, const QWidget &window, const QString &file)
{
    // The menu's loop runs inside the request; without a menu the shot still waits for its turn.
    auto done = std::make_shared<bool>(false);
    auto saved = std::make_shared<bool>(false);
    QTimer::singleShot(400, [done, saved, &window, file] {
        *saved = SaveShot(window, file);
        // Closing a menu frees its shadow windows: the menus are found first, then closed.
        std::vector<QPointer<TTBPopupWindow>> menus;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *popup = dynamic_cast<TTBPopupWindow *>(w); popup && popup->isVisible() && !popup->View()->ParentView())
                menus.emplace_back(popup);
        for (const QPointer<TTBPopupWindow> &popup : menus)
            if (popup)
                popup->View()->CancelMode();
        *done = true;
    });
    emit view->customContextMenuRequested(at);
    while (!*done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return *saved;
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

void Click(QWidget *widget, const QPoint &at)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

// Brings the tab pages that hold `widget` to the front.
void Reveal(QWidget *widget)
{
    for (QWidget *child = widget; child && child->parentWidget(); child = child->parentWidget()) {
        if (auto *stack = qobject_cast<QStackedWidget *>(child->parentWidget()))
            stack->setCurrentWidget(child);
    }
}

// Long names, addresses and notes, where a layout that does not cut them shows it.
void MakeLongValues(const QString &account)
{
    SQLite::Database db(account);
    db.Exec(QStringLiteral(
        "update userinfo set uname = '欧阳' || uname || '的名字很长很长很长', "
        "uemail = 'zhang.san.with.a.long.address@example-company.com.cn', "
        "uhtml = 'http://www.example-company-with-a-long-name.com.cn', "
        "ufz = '一段很长的备注，写满了这位联系人的各种情况，远远超过卡片上一格的宽度。', "
        "uwkaddress = '北京市海淀区中关村大街某某科技有限公司研发中心三号楼' "
        "where keyid in (select keyid from userinfo where nodetype = 2 order by keyid limit 40 offset 3)"));
}

// Runs each step, then waits for the windows to settle before the next.
void RunSteps(std::shared_ptr<std::vector<std::function<void()>>> steps, size_t index)
{
    if (index >= steps->size())
        return;
    (*steps)[index]();
    QTimer::singleShot(500, [steps, index] { RunSteps(steps, index + 1); });
}

// The windows of the layout checks, one after another, each saved to `dir`.
void ShootLayout(Tfrmmain &mainForm, const QString &dir, int &code, QApplication &app)
{
    auto steps = std::make_shared<std::vector<std::function<void()>>>();
    auto shoot = [&code, dir](QWidget *window, const QString &name) {
        if (!SaveShot(*window, dir + QStringLiteral("/layout-%1.png").arg(name)))
            code = 1;
    };
    auto *page = static_cast<Tfuserfrm *>(mainForm.BrowserPage());
    steps->push_back([&mainForm, page] {
        mainForm.ShowBrowserPage();
        page->SetViewStyle(1);
        page->TreeView1->setCurrentItem(page->TreeView1->topLevelItem(3));
        page->TreeView1Change(page->TreeView1->topLevelItem(3));
    });
    steps->push_back([page] {
        // A contact with the long values, so the card shows how it cuts them.
        TContactListModel *model = page->ListView1->Model();
        int row = 0;
        while (row + 1 < model->Count() && !model->Row(row).caption.startsWith(QStringLiteral("欧阳")))
            ++row;
        page->ListView1->SelectRow(row);
        page->ListView1Change();
    });
    steps->push_back([&mainForm, shoot] { shoot(&mainForm, QStringLiteral("list-card")); });
    // Narrower: the card is laid out again for its new width.
    steps->push_back([&mainForm] { mainForm.SetBounds(0, 0, 640, 620); });
    steps->push_back([&mainForm, shoot] {
        shoot(&mainForm, QStringLiteral("list-card-narrow"));
        mainForm.SetBounds(0, 0, 900, 620);
    });

    // The birthday's calendar in every theme, opened as a click on its arrow opens it.
    auto editor = std::make_shared<QPointer<Tfrmuseredit>>();
    for (const QString &theme : mainForm.SpTBXThemeGroupItem1->ThemeNames()) {
        steps->push_back([&mainForm, editor, theme] {
            mainForm.SelectSkin(theme);
            *editor = new Tfrmuseredit;
            (*editor)->setAttribute(Qt::WA_DeleteOnClose);
            (*editor)->move(40, 40);
            (*editor)->show();
            (*editor)->DateTimePicker1->SetChecked(true);
            (*editor)->DateTimePicker1->SetDate(QDate(2026, 8, 1));
        });
        steps->push_back([editor] {
            QDateEdit *edit = (*editor)->DateTimePicker1->DateEdit();
            Reveal(edit);
            Click(edit, QPoint(edit->width() - 6, edit->height() / 2));
        });
        steps->push_back([editor, shoot, theme] {
            shoot(*editor, QStringLiteral("birthday-") + theme);
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
            (*editor)->close();
        });
    }

    // The CSV wizard's field list: some captions mapped, some not, some empty.
    const QString csv = QDir::temp().filePath(QStringLiteral("programshot-layout.csv"));
    auto wizard = std::make_shared<QPointer<Tfrminputcsv>>();
    steps->push_back([&mainForm, wizard, csv] {
        QFile file(csv);
        if (file.open(QIODevice::WriteOnly))
            file.write("姓名,手机,,公司的全称和部门,备注, ,Email,另一个没有对应的字段\r\n张三,138,,x,y,,a@b.cn,z\r\n");
        file.close();
        *wizard = new Tfrminputcsv(CustomerData->dbConnection, &mainForm);
        (*wizard)->setAttribute(Qt::WA_DeleteOnClose);
        (*wizard)->Edit1->setText(csv);
        (*wizard)->show();
        (*wizard)->SpTBXButton2Click();
    });
    steps->push_back([wizard, shoot, csv] {
        shoot(*wizard, QStringLiteral("csv"));
        (*wizard)->close();
        QFile::remove(csv);
    });

    // The settings dialog's sound file, a long path.
    auto settings = std::make_shared<QPointer<Tfrmsysset>>();
    steps->push_back([&mainForm, settings] {
        static TAccountSession account;
        AppSettings().AlarmSoundFile = QStringLiteral(
            "/home/user/.local/share/orvanta/res/sound/reminders/a-folder-with-a-long-name/DefaultAlarm.wav");
        *settings = new Tfrmsysset(account, &mainForm);
        (*settings)->setAttribute(Qt::WA_DeleteOnClose);
        (*settings)->show();
        (*settings)->PageControl1->setCurrentIndex(2);
    });
    steps->push_back([settings, shoot] {
        shoot(*settings, QStringLiteral("settings"));
        (*settings)->close();
    });
    steps->push_back([&app] { app.quit(); });
    RunSteps(steps, 0);
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
    const bool layout = argc > 3 && QString::fromLocal8Bit(argv[3]) == QLatin1String("layout");
    if (layout)
        MakeLongValues(account);
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
        std::function<void()> next = [&] {
            mainForm.SpTBXToolbar1->View()->CloseChildPopups();
            if (index >= names.size()) {
                // Last, 皮肤 open under the last theme chosen.
                mainForm.ShowBrowserPage();
                OpenSubmenu(mainForm.SpTBXToolbar1, QStringLiteral("工具(&T)"), QStringLiteral("皮肤"));
                QTimer::singleShot(500, [&] {
                    if (!SaveShot(mainForm, dir + QStringLiteral("/programshot-skins.png")))
                        code = 1;
                    mainForm.SpTBXToolbar1->View()->CloseChildPopups();
                    app.quit();
                });
                return;
            }
            mainForm.ShowBrowserPage();
            mainForm.SelectSkin(names[index]);
            OpenFirstMenu(mainForm.SpTBXToolbar1);
            QTimer::singleShot(500, [&] {
                if (!SaveShot(mainForm, dir + QStringLiteral("/programshot-%1.png").arg(names[index])))
                    code = 1;
                mainForm.SpTBXToolbar1->View()->CloseChildPopups();
                if (auto *browser = mainForm.findChild<Tfuserfrm *>()) {
                    // A group's contacts listed and the first one chosen, as before a right click on it.
                    QTreeWidget *tree = browser->DyTreeView1;
                    if (tree->topLevelItemCount() && tree->topLevelItem(0)->childCount())
                        tree->setCurrentItem(tree->topLevelItem(0)->child(0));
                    QAbstractItemView *list = browser->ListView1->ActiveView();
                    if (browser->ListView1->Count())
                        browser->ListView1->SelectRow(0);
                    const QPoint onItem = list->visualRect(list->model()->index(0, 0)).center();
                    if (!ShootContextMenu(list, onItem, mainForm,
                                          dir + QStringLiteral("/programshot-list-%1.png").arg(names[index])))
                        code = 1;
                    const QPoint onNode = tree->visualItemRect(tree->currentItem()).center();
                    if (!ShootContextMenu(tree, onNode, mainForm,
                                          dir + QStringLiteral("/programshot-tree-%1.png").arg(names[index])))
                        code = 1;
                }
                mainForm.ShowCalendarPage();
                QTimer::singleShot(500, [&] {
                    if (!SaveShot(mainForm, dir + QStringLiteral("/programshot-calendar-%1.png").arg(names[index])))
                        code = 1;
                    // A new contact's editor in the same theme: its dock band beside the tool bar.
                    auto *editor = ContactEditorFactory();
                    QWidget *window = editor->EditorWindow();
                    window->setGeometry(0, 0, 760, 560);
                    window->show();
                    QTimer::singleShot(500, [&, window] {
                        if (!SaveShot(*window, dir + QStringLiteral("/editorshot-%1.png").arg(names[index])))
                            code = 1;
                        // The editor registry frees it at the end.
                        window->hide();
                        ++index;
                        next();
                    });
                });
            });
        };
        if (layout)
            QTimer::singleShot(800, [&] { ShootLayout(mainForm, dir, code, app); });
        else
            QTimer::singleShot(800, next);
        app.exec();
        form1.reset();
        Form1 = nullptr;
        mainPtr.reset();
        customerData.reset();
    }
    return code;
}
