#include "themed/SpTBXItem.h"
#include "contacts/shared/WNDES.h"
#include "contacts/account/inputpsd.h"

#include "main/MainTestSupport.h"
#include "platform/IniFiles.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

class MainWindow : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        EnsureDir(AppDir());
        QFile::remove(ConfigIniPath());
        QFile::remove(TRegistry::StorePath());
        QDir(AppDir() + "temp").removeRecursively();
        ContactEditorFactory = [this] { return editors.emplace_back(new TestEditor).data(); };
        BrowserPageFactory = [this](QWidget *parent) {
            browser = new FakeBrowserPage(parent);
            browser->widths = browserWidths;
            ++browsersMade;
            return browser;
        };
        customerData = std::make_unique<TCustomerData>();
        form1 = std::make_unique<TForm1>();
        Form1 = form1.get();
    }

    void TearDown() override
    {
        MainWindowFixture::TearDown();
        ContactEditorFactory = nullptr;
    }

    void Make()
    {
        main = std::make_unique<Tfrmmain>(std::make_unique<RecordingHotKeys>(&hotKeys));
        main->OnClosed = [this] { ++closedCalls; };
    }

    void WriteConfig(const char *section, const char *key, const QString &value)
    {
        TIniFile ini(ConfigIniPath());
        ASSERT_TRUE(ini.WriteString(section, key, value));
    }

    void Protect(const QString &password)
    {
        CurrentAccount().SetPassword(DesEncryptString(password, DesKey).Text);
    }

    std::vector<QPointer<TestEditor>> editors;
    QList<int> browserWidths;
    int browsersMade = 0;
    int closedCalls = 0;
    BlankPages blankPages;
};

ModalResponder::Step Type(const QString &password)
{
    return [password](QDialog *dialog) {
        auto *prompt = qobject_cast<Tfrminputpsd *>(dialog);
        ASSERT_NE(prompt, nullptr);
        prompt->Edit1->setText(password);
        prompt->Edit1->returnPressed();
    };
}

} // namespace

TEST_F(MainWindow, AccountCommandsWaitForAnAccount)
{
    Make();
    const auto state = [&] {
        QString on = main->SpTBXToolbar2->Visible() ? "T" : "-";
        on += main->Command("SpTBXSubmenuItem9")->Visible() ? "V" : "-";
        for (const char *name :
             {"SpTBXItem1", "SpTBXSubmenuItem2", "SpTBXSubmenuItem3", "SpTBXItem33", "SpTBXItem32"})
            on += main->Command(name)->Enabled() ? "E" : "-";
        return on;
    };
    EXPECT_EQ(state(), "-------");
    main->EnableAccountCommands();
    // A command without an action (the last) stays disabled when the account commands come on.
    EXPECT_EQ(state(), "TVEEEE-");
    main->DisableAccountCommands();
    EXPECT_EQ(state().left(3), "---");
}

TEST_F(MainWindow, NewContactNeedsAnEditor)
{
    ContactEditorFactory = nullptr;
    Make();
    EXPECT_FALSE(main->Command("SpTBXItem15")->Enabled() || main->Command("SpTBXItem12")->Enabled());
    main->NewContact();
    EXPECT_TRUE(Form1->Editors().empty());
}

TEST_F(MainWindow, ShowHideHotKeyFromSettings)
{
    constexpr unsigned Alt = THotKey::MOD_ALT;
    constexpr unsigned Ctrl = THotKey::MOD_CONTROL;
    const struct {
        const char *key, *sysmin;  // nullptr: absent
        bool registered;
        THotKey expected;
    } cases[] = {
        {nullptr, nullptr, true, {Alt, 'Z'}}, {"Ctrl + W", "1", true, {Ctrl, 'W'}},
        {"Alt + 5", nullptr, false, {}}, {"Alt + Q", "0", false, {}},
    };
    for (const auto &c : cases) {
        QFile::remove(ConfigIniPath());
        if (c.key)
            WriteConfig("HotKey", "key", c.key);
        if (c.sysmin)
            WriteConfig("HotKey", "sysmin", c.sysmin);
        Make();
        SCOPED_TRACE(std::string(c.key ? c.key : "(default)") + " sysmin=" + (c.sysmin ? c.sysmin : "-"));
        // Select-all is never grabbed for the whole desktop.
        ASSERT_EQ(hotKeys.size(), c.registered ? 1u : 0u);
        EXPECT_TRUE(!c.registered || (hotKeys.begin()->first == main->ShowHideHotKeyId &&
                                      hotKeys.begin()->second == c.expected));
        main.reset();
        EXPECT_TRUE(hotKeys.empty()) << "still grabbed after the window went";
    }
}

TEST_F(MainWindow, HotKeyTogglesTheWindowAndTrayRightClickPopsTheMenu)
{
    Make();
    main->show();
    ASSERT_NE(main->ShowHideHotKeyId, 0);
    main->WMHotKey(main->ShowHideHotKeyId + 7);
    EXPECT_TRUE(main->isVisible() && !main->isMinimized());

    main->WMHotKey(main->ShowHideHotKeyId);
    // No notification area here: the window goes to the task bar, never out of reach.
    EXPECT_TRUE(main->isMinimized() && main->isVisible());

    main->WMHotKey(main->ShowHideHotKeyId);
    EXPECT_TRUE(main->isVisible() && !main->isMinimized());

    QStringList shown;
    QTimer::singleShot(0, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *popup = dynamic_cast<TTBXPopupWindow *>(w);
            for (int i = 0; popup && popup->isVisible() && i < popup->View()->ViewerCount(); ++i)
                if (!popup->View()->Viewers(i)->Item->Caption().isEmpty())
                    shown << popup->View()->Viewers(i)->Item->Caption();
        }
        QTest::keyClick(main.get(), Qt::Key_Escape);
    });
    main->WMTrayIcon(517);  // right click: the menu runs until Escape closes it
    EXPECT_EQ(shown, (QStringList{"皮肤", "选项", "退出"})) << "the themed tray menu";

    main->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(main->isVisible()) << "minimised with no tray, the window stays in reach";
}

TEST_F(MainWindow, ReentryAsksForThePassword)
{
    Make();
    main->hide();
    ModalResponder responder;
    main->WMTrayIcon(513);  // no password: shown without a question
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(responder.Shown().isEmpty());

    main->hide();
    Protect(QStringLiteral("Abc"));

    responder.Then(Type(QStringLiteral("abc")));
    main->WMTrayIcon(513);
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(TestDialogs().Texts(), QStringList{QStringLiteral("密码错误!")});

    responder.Then([](QDialog *dialog) { dialog->reject(); });
    main->WMHotKey(main->ShowHideHotKeyId);
    EXPECT_FALSE(main->isVisible());

    responder.Then(Type(QStringLiteral("Abc")));
    main->WMTrayIcon(513);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(responder.Unexpected(), 0);
    EXPECT_EQ(responder.Shown().size(), 3);

    // Shown already: a click only brings it forward, no question.
    main->WMTrayIcon(513);
    EXPECT_EQ(responder.Shown().size(), 3);
}

TEST_F(MainWindow, TrayIgnoredWhileAModalDialogIsOpen)
{
    Make();
    main->hide();
    Protect(QStringLiteral("pw"));
    ModalResponder responder;
    bool stayedHidden = false;
    responder.Then([&](QDialog *dialog) {
        main->WMTrayIcon(513);
        stayedHidden = !main->isVisible();
        dialog->reject();
    });
    QDialog other(main.get());
    other.setObjectName(QStringLiteral("other"));
    other.exec();
    EXPECT_TRUE(stayedHidden);
    EXPECT_EQ(responder.Shown(), QStringList{QStringLiteral("other")});
}

TEST_F(MainWindow, ThemeFromSettingsAndBackOnCloseWithTheListViewSettings)
{
    WriteConfig("SYS", "SkinName", " Nexos3 ");
    browserWidths = {100, 80};
    Make();
    main->ShowBrowserPage();
    EXPECT_EQ(main->CurrentSkinName(), QStringLiteral("Nexos3"));
    for (const TCommand *item : main->SpTBXThemeGroupItem1->Items())
        EXPECT_EQ(item->Checked(), item->Caption() == QStringLiteral("Nexos3")) << item->Caption().toStdString();

    main->SpTBXThemeGroupItem1->Items().back()->Click();
    EXPECT_EQ(main->CurrentSkinName(), QStringLiteral("SentimoX"));
    main->SpTBXItem3Click();
    const TIniFile ini(ConfigIniPath());
    EXPECT_EQ(ini.ReadString("SYS", "SkinName", ""), QStringLiteral("SentimoX"));
    EXPECT_EQ(ini.ReadString("SYS", "VIEWFW", ""), QStringLiteral("100,80,"));
    EXPECT_EQ(ini.ReadInteger("SYS", "ViewType", -1), 3);
}

TEST_F(MainWindow, CloseBoxWithoutTrayOrBrowserEndsTheProgramWritingOnlyTheTheme)
{
    WriteConfig("SYS", "ExitSoft", "0");
    Make();
    ASSERT_FALSE(AppSettings().ExitOnClose);
    main->show();
    QFile::remove(ConfigIniPath());
    ASSERT_TRUE(QDir().mkpath(AppDir() + "temp/sub"));
    ASSERT_TRUE(QFile(AppDir() + "temp/sub/x.tmp").open(QIODevice::WriteOnly));

    // Hiding to a tray that is not there would leave the program unreachable.
    main->close();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(closedCalls, 1);
    EXPECT_EQ(TIniFile(ConfigIniPath()).ReadSection("SYS"), QStringList{QStringLiteral("SkinName")});
    EXPECT_FALSE(QFileInfo::exists(AppDir() + "temp"));
    EXPECT_TRUE(hotKeys.empty());

    // The close steps run once, whatever closes the window again.
    main->close();
    EXPECT_EQ(closedCalls, 1);
}

TEST_F(MainWindow, EditorsCloseFirstAndOneThatStaysOpenStopsTheClose)
{
    Make();
    main->show();
    main->NewContact();
    ASSERT_EQ(editors.size(), 1u);
    editors[0]->refuseClose = true;
    QFile::remove(ConfigIniPath());

    main->SpTBXItem3Click();
    EXPECT_EQ(closedCalls, 0);
    EXPECT_TRUE(main->isVisible() && !QFileInfo::exists(ConfigIniPath()) && !hotKeys.empty()) << "nothing closed";

    editors[0]->refuseClose = false;
    bool closeStepsNotYetRun = false;
    editors[0]->onClose = [&] { closeStepsNotYetRun = closedCalls == 0 && QFileInfo::exists(AppDir() + "temp"); };
    main->SpTBXItem3Click();
    EXPECT_TRUE(closeStepsNotYetRun) << "editors close before the window's own close steps";
    EXPECT_EQ(closedCalls, 1);
}

TEST_F(MainWindow, EditorRegistryKeepsOneWindowPerContact)
{
    Make();
    main->OpenContact("5", "张三");
    main->OpenContact("5", "张三");
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0]->loaded, QStringList{"5"});
    EXPECT_EQ(editors[0]->windowTitle(), QStringLiteral("张三-人脉"));
    EXPECT_TRUE(editors[0]->isVisible());

    main->NewContact();
    main->OpenContact("", "ignored");
    main->Command("SpTBXItem15")->Click();
    ASSERT_EQ(editors.size(), 2u);
    EXPECT_EQ(editors[1]->windowTitle(), QStringLiteral("未命名-人脉"));
    EXPECT_TRUE(editors[1]->loaded.isEmpty());
    ASSERT_EQ(Form1->ComboBox1->count(), 2);
    EXPECT_EQ(Form1->ComboBox1->itemText(0) + ' ' + Form1->ComboBox1->itemText(1), "useredit5 add_userform");
    EXPECT_EQ(editors[0]->objectName() + ' ' + editors[1]->objectName(), "useredit5 add_userform");

    main->OpenContact("6", "王五");
    EXPECT_EQ(editors.size(), 3u);
    EXPECT_EQ(Form1->Editors().size(), 3u);

    // A closed editor is not reused once the account changes.
    ASSERT_TRUE(Form1->CloseEditors());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editors[0].isNull());
    EXPECT_EQ(Form1->ComboBox1->count(), 0);
    main->OpenContact("5", "张三");
    ASSERT_EQ(editors.size(), 4u);
    EXPECT_EQ(editors[3]->loaded, QStringList{"5"});
}

TEST_F(MainWindow, PagesAreMadeOnceAndSwitched)
{
    Make();
    main->show();
    EXPECT_EQ(main->BrowserPage(), nullptr);
    main->Command("SpTBXItem29")->Click();
    ASSERT_NE(main->BrowserPage(), nullptr);
    EXPECT_TRUE(main->BrowserPageVisible());
    EXPECT_EQ(browser->treeLoads, 1);
    EXPECT_TRUE(main->findEdit1->isEnabled());

    main->Command("SpTBXItem8")->Click();
    ASSERT_NE(main->CalendarPage(), nullptr);
    EXPECT_TRUE(main->CalendarPageVisible() && !main->BrowserPageVisible() && !main->findEdit1->isEnabled());
    main->ShowBrowserPage();
    EXPECT_TRUE(main->BrowserPageVisible() && !main->CalendarPageVisible());
    EXPECT_EQ(browsersMade, 1);
    EXPECT_EQ(browser->treeLoads, 1);
}
