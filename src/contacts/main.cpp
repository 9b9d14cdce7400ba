#include "EditorRegistry.h"
#include "Main.h"
#include "MainIcons.h"
#include "SingleInstance.h"
#include "dataModule.h"
#include "useredit.h"

#include <QApplication>
#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvanta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvanta"));
    // The main window hides to the tray; only 退出 or a closing main window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(MainIcon(TMainIcon::Program));

    TSingleInstance instance;
    if (!StartAsOnlyInstance(instance, TSingleInstance::DefaultLockPath()))
        return 0;

    // The editor's factory must be there before the main window builds its commands.
    InstallContactEditor();
    auto mainForm = std::make_unique<Tfrmmain>();
    mainForm->OnClosed = [] { QCoreApplication::quit(); };
    auto form1 = std::make_unique<TForm1>();
    Form1 = form1.get();
    auto customerData = std::make_unique<TCustomerData>();

    mainForm->OpenLastAccount();
    const int result = app.exec();

    // Editors first, then the forms whose queries use the connection, then the connection.
    form1.reset();
    Form1 = nullptr;
    mainForm.reset();
    customerData.reset();
    return result;
}
