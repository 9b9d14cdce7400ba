#include "main/EditorRegistry.h"
#include "main/Main.h"
#include "main/MainIcons.h"
#include "main/MakerLinks.h"
#include "main/SingleInstance.h"
#include "main/UpdateCheck.h"
#include "calendar/tasktable.h"
#include "account/dataModule.h"
#include "editor/useredit.h"
#include "browser/userfrm.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvanta"));
    // The interface is Chinese whatever the desktop's language: day and month names that come
    // from the locale (the calendar's weekday header, date pickers) must match it.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    // Qt's own dialogs (file chooser, input box) follow in Chinese when the translations exist.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    QApplication::setApplicationDisplayName(QStringLiteral("Orvanta"));
    // The main window hides to the tray; only 退出 or a closing main window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(MainIcon(TMainIcon::Program));

    TSingleInstance instance;
    if (!StartAsOnlyInstance(instance, TSingleInstance::DefaultLockPath()))
        return 0;

    InstallCalendarPage();
    BrowserPageFactory = [](QWidget *parent) { return new Tfuserfrm(CustomerData->dbConnection, parent); };
    // The editor's factory must be there before the main window builds its commands.
    InstallContactEditor();
    auto mainForm = std::make_unique<Tfrmmain>();
    mainForm->OnClosed = [] { QCoreApplication::quit(); };
    auto form1 = std::make_unique<TForm1>();
    Form1 = form1.get();
    auto customerData = std::make_unique<TCustomerData>();

    mainForm->OpenLastAccount();
    UpdateCheckThread(QUrl(VersionFileUrl), mainForm.get());
    const int result = app.exec();

    // Editors first, then the forms whose queries use the connection, then the connection.
    form1.reset();
    Form1 = nullptr;
    mainForm.reset();
    customerData.reset();
    return result;
}
