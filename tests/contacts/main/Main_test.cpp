#include "themed/SpTBXItem.h"
#include "themed/TBXNexus.h"
#include "contacts/shared/WNDES.h"
#include "contacts/account/inputpsd.h"

#include "main/MainTestSupport.h"
#include "platform/IniFiles.h"
#include "platform/Menus.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemView.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

class MainWindow : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ResetAppData();
        QDir(AppDir() + "temp").removeRecursively();
        ContactEditorFactory = [this] { return editors.emplace_back(new TestEditor).data(); };
        BrowserPageFactory = [this](QWidget *parent) {
            (browser = new FakeBrowserPage(parent))->widths = browserWidths;
            return ++browsersMade, browser;
        };
        customerData = std::make_unique<TCustomerData>();
        Form1 = (form1 = std::make_unique<TForm1>()).get();
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
        ASSERT_TRUE(TIniFile(ConfigIniPath()).WriteString(section, key, value));
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

TTBCustomItem *ChildCaptioned(TTBCustomItem *parent, const QString &caption)
{
    for (int i = 0; parent && i < parent->Count(); ++i)
        if (parent->Items(i)->Caption() == caption)
            return parent->Items(i);
    return nullptr;
}

// What a sub-menu shows when it opens, as its view lays it out: "caption" with "*" for a check mark.
QStringList Shown(TTBCustomItem *submenu)
{
    TTBView view(nullptr, nullptr, submenu, nullptr, false, false, false);
    QStringList out;
    for (int i = 0; i < view.ViewerCount(); ++i) {
        const TTBCustomItem *item = view.Viewers(i)->Item;
        if (dynamic_cast<const TTBGroupItem *>(item))
            continue;  // its items are shown in its place
        out << item->Caption() + (item->Checked() ? "*" : "");
    }
    return out;
}

} // namespace

// 工具 > 皮肤 and the tray's 皮肤 show the same theme items: "Default", then the others
// alphabetically, the current theme checked. A click in either switches the theme at once and
// moves the check mark in both.
TEST_F(MainWindow, SkinMenusListTheThemesInOrderAndSwitchLive)
{
    WriteConfig("SYS", "SkinName", "Office2003");
    Make();
    const auto menuBarSkins = [this] {
        return ChildCaptioned(ChildCaptioned(main->SpTBXToolbar1->Items(), QStringLiteral("工具(&T)")),
                              QStringLiteral("皮肤"));
    };
    const auto traySkins = [this] { return ChildCaptioned(main->TBPopupMenu1->Items(), QStringLiteral("皮肤")); };
    const struct {
        const char *click;  // in the menu named first
        std::function<TTBCustomItem *()> clickedIn, other;
        QStringList shown;
    } cases[] = {
        {nullptr, menuBarSkins, traySkins, {"Default", "Aluminum", "Nexos3", "Nexos5", "Office2003*", "SentimoX"}},
        {"Nexos5", menuBarSkins, traySkins, {"Default", "Aluminum", "Nexos3", "Nexos5*", "Office2003", "SentimoX"}},
        {"Aluminum", traySkins, menuBarSkins, {"Default", "Aluminum*", "Nexos3", "Nexos5", "Office2003", "SentimoX"}},
        {"Default", traySkins, menuBarSkins, {"Default*", "Aluminum", "Nexos3", "Nexos5", "Office2003", "SentimoX"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.click ? c.click : "(start)");
        ASSERT_NE(c.clickedIn(), nullptr);
        ASSERT_NE(c.other(), nullptr);
        if (c.click) {
            TTBView view(nullptr, nullptr, c.clickedIn(), nullptr, false, false, false);
            TTBItemViewer *target = nullptr;
            for (int i = 0; i < view.ViewerCount(); ++i)
                if (view.Viewers(i)->Item->Caption() == QString::fromLatin1(c.click))
                    target = view.Viewers(i);
            ASSERT_NE(target, nullptr);
            target->Item->Click();
        }
        EXPECT_EQ(Shown(c.clickedIn()), c.shown);
        EXPECT_EQ(Shown(c.other()), c.shown);
        const QString checked = c.shown.filter("*").value(0).chopped(1);
        EXPECT_EQ(std::tuple(CurrentThemeName(), main->CurrentSkinName()), std::tuple(checked, checked));
    }
    main->SpTBXItem3Click();
    EXPECT_EQ(TIniFile(ConfigIniPath()).ReadString("SYS", "SkinName", ""), QStringLiteral("Default"));
}

// A saved skin that names no theme: the window takes "Aluminum" and checks that item, not the
// one that happened to be current before.
TEST_F(MainWindow, UnknownSkinNameChecksAluminum)
{
    WriteConfig("SYS", "SkinName", "Nexos5");
    Make();
    main.reset();
    WriteConfig("SYS", "SkinName", "Luna");
    Make();
    EXPECT_EQ(CurrentThemeName(), QStringLiteral("Aluminum"));
    EXPECT_EQ(Shown(ChildCaptioned(main->TBPopupMenu1->Items(), QStringLiteral("皮肤"))).filter("*"),
              QStringList{QStringLiteral("Aluminum*")});
}

TEST_F(MainWindow, AccountCommandsWaitForAnAccountAndNewContactForAnEditor)
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

TEST_F(MainWindow, HotKeyTogglesTheWindow)
{
    Make();
    main->show();
    ASSERT_NE(main->ShowHideHotKeyId, 0);
    main->WMHotKey(main->ShowHideHotKeyId + 7);
    EXPECT_TRUE(main->isVisible() && !main->isMinimized());
    // No notification area here: the window goes to the task bar, never out of reach.
    for (const bool minimized : {true, false}) {
        main->WMHotKey(main->ShowHideHotKeyId);
        EXPECT_TRUE(main->isVisible() && main->isMinimized() == minimized);
    }
    main->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(main->isVisible()) << "minimised with no tray, the window stays in reach";
}

TEST_F(MainWindow, ReentryAsksForThePasswordUnlessAModalDialogIsOpen)
{
    Make();
    main->hide();
    ModalResponder responder;
    main->WMTrayIcon(513);  // no password: shown without a question
    EXPECT_TRUE(main->isVisible() && responder.Shown().isEmpty());
    main->hide();
    CurrentAccount().SetPassword(DesEncryptString(QStringLiteral("Abc"), DesKey).Text);

    responder.Then(Type(QStringLiteral("abc")));
    main->WMTrayIcon(513);
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(TestDialogs().Texts(), QStringList{QStringLiteral("密码错误!")});

    responder.Then(Dismiss);
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

    // Hidden again, but a modal dialog is open: the click is ignored, no question.
    main->hide();
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
    EXPECT_EQ(responder.Shown().size(), 4);
    EXPECT_EQ(responder.Shown().back(), QStringLiteral("other"));
}

TEST_F(MainWindow, ThemeFromSettingsAndBackOnCloseWithTheListViewSettings)
{
    WriteConfig("SYS", "SkinName", " Nexos3 ");
    browserWidths = {100, 80};
    Make();
    main->ShowBrowserPage();
    EXPECT_EQ(main->CurrentSkinName(), QStringLiteral("Nexos3")) << "read without the spaces";
    TSpTBXThemeGroupItem *themes = main->SpTBXThemeGroupItem1;
    for (int i = 0; i < themes->Count(); ++i)
        EXPECT_EQ(themes->Items(i)->Checked(), themes->Items(i)->Caption() == QStringLiteral("Nexos3"))
            << themes->Items(i)->Caption().toStdString();

    themes->Items(themes->Count() - 1)->Click();
    EXPECT_EQ(main->CurrentSkinName(), QStringLiteral("SentimoX"));
    main->SpTBXItem3Click();
    const TIniFile ini(ConfigIniPath());
    EXPECT_EQ(ini.ReadString("SYS", "SkinName", ""), QStringLiteral("SentimoX"));
    EXPECT_EQ(ini.ReadString("SYS", "VIEWFW", ""), QStringLiteral("100,80,"));
    EXPECT_EQ(ini.ReadInteger("SYS", "ViewType", -1), 3);
}

TEST_F(MainWindow, EditorsCloseFirstAndTheCloseBoxWithoutTrayEndsTheProgramOnceWritingOnlyTheTheme)
{
    WriteConfig("SYS", "ExitSoft", "0");
    Make();
    ASSERT_FALSE(AppSettings().ExitOnClose);
    main->show();
    main->NewContact();
    ASSERT_EQ(editors.size(), 1u);
    editors[0]->refuseClose = true;
    QFile::remove(ConfigIniPath());
    ASSERT_TRUE(QDir().mkpath(AppDir() + "temp/sub"));
    ASSERT_TRUE(QFile(AppDir() + "temp/sub/x.tmp").open(QIODevice::WriteOnly));

    main->SpTBXItem3Click();  // an editor that stays open stops the close
    EXPECT_EQ(closedCalls, 0);
    EXPECT_TRUE(main->isVisible() && !QFileInfo::exists(ConfigIniPath()) && !hotKeys.empty()) << "nothing closed";

    editors[0]->refuseClose = false;
    bool closeStepsNotYetRun = false;
    editors[0]->onClose = [&] { closeStepsNotYetRun = closedCalls == 0 && QFileInfo::exists(AppDir() + "temp"); };
    // Hiding to a tray that is not there would leave the program unreachable.
    main->close();
    EXPECT_TRUE(closeStepsNotYetRun) << "editors close before the window's own close steps";
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(closedCalls, 1);
    EXPECT_EQ(TIniFile(ConfigIniPath()).ReadSection("SYS"), QStringList{QStringLiteral("SkinName")});
    EXPECT_FALSE(QFileInfo::exists(AppDir() + "temp"));
    EXPECT_TRUE(hotKeys.empty());

    // The close steps run once, whatever closes the window again.
    main->SpTBXItem3Click();
    EXPECT_EQ(closedCalls, 1);
}

TEST_F(MainWindow, EditorRegistryKeepsOneWindowPerContact)
{
    Make();
    for (int i = 0; i < 2; ++i)
        main->OpenContact("5", "张三");
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0]->loaded, QStringList{"5"});
    EXPECT_TRUE(editors[0]->windowTitle() == QStringLiteral("张三-人脉") && editors[0]->isVisible());

    main->NewContact();
    main->OpenContact("", "ignored");
    main->Command("SpTBXItem15")->Click();
    ASSERT_EQ(editors.size(), 2u);
    EXPECT_EQ(editors[1]->windowTitle(), QStringLiteral("未命名-人脉"));
    EXPECT_TRUE(editors[1]->loaded.isEmpty());
    ASSERT_EQ(Form1->ComboBox1->count(), 2);
    EXPECT_EQ(Form1->ComboBox1->itemText(0) + ' ' + Form1->ComboBox1->itemText(1), "useredit5 add_userform");

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
    EXPECT_TRUE(main->BrowserPageVisible() && main->findEdit1->isEnabled());
    EXPECT_EQ(browser->treeLoads, 1);

    main->Command("SpTBXItem8")->Click();
    ASSERT_NE(main->CalendarPage(), nullptr);
    EXPECT_TRUE(main->CalendarPageVisible() && !main->BrowserPageVisible() && !main->findEdit1->isEnabled());
    main->ShowBrowserPage();
    EXPECT_TRUE(main->BrowserPageVisible() && !main->CalendarPageVisible());
    EXPECT_EQ(browsersMade, 1);
    EXPECT_EQ(browser->treeLoads, 1);
}
