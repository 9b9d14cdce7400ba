#include "account/AccountTestSupport.h"
#include "contacts/account/sysset.h"
#include "platform/IniFiles.h"

using namespace accounttest;

namespace {

class FakeCalendarPage final : public QWidget, public ICalendarPage
{
public:
    explicit FakeCalendarPage(QWidget *parent) : QWidget(parent) {}
    QWidget *PageWidget() override { return this; }
    void LoadMonth(bool force) override { monthLoads << force; }
    void LoadTodayTree() override { treeDays << AppSettings().TodayTreeDays; }
    void SetLunarCaptions(bool show) override { lunar << show; }
    QList<bool> monthLoads;
    QList<int> treeDays;  // the day count each reload saw
    QList<bool> lunar;
};

QString Config(const char *section, const char *key)
{
    return TIniFile(ConfigIniPath()).ReadString(section, key, "<none>");
}

QString Reg(const char *name) { return RegReadString(2, OrvRegistryKey, name); }
QString AutostartFile() { return TRegistry::AutostartDir() + "/orvanta.desktop"; }

// The dialog over the main window, which applies each change as the program does.
class Settings : public AccountWindow
{
protected:
    void SetUp() override
    {
        AccountWindow::SetUp();
        CalendarPageFactory = [this](QWidget *parent) { return calendar = new FakeCalendarPage(parent); };
        ResetStartValues(QDateTime::currentDateTime());
        Start();
    }
    void TearDown() override
    {
        dialog.reset();
        AccountWindow::TearDown();
        QDir(ConfigIniPath()).removeRecursively();
    }
    // A dialog as the program opens it: made, then shown, which reads the settings.
    Tfrmsysset &Open()
    {
        dialog = std::make_unique<Tfrmsysset>(CurrentAccount());
        dialog->OnChange = [this](const TSettingsChange &change) { main->ApplySettings(change); };
        dialog->show();
        return *dialog;
    }
    void Reopen()
    {
        dialog->hide();
        dialog->show();
    }
    std::unique_ptr<Tfrmsysset> dialog;
    FakeCalendarPage *calendar = nullptr;
};

} // namespace

TEST_F(Settings, BackupFolderChoice)
{
    const struct { bool useDefault; QString typed, stored; } cases[] = {
        {true, "/tmp/ignored", DefaultBackupDir()}, {false, "/tmp/x", "/tmp/x/"}, {false, "  /tmp/y/  ", "/tmp/y/"},
        {false, "   ", DefaultBackupDir()}, {false, DefaultBackupDir().chopped(1), DefaultBackupDir()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        Tfrmsysset &d = Open();
        (c.useDefault ? d.RadioButton1 : d.RadioButton3)->setChecked(true);
        d.Edit3->setText(c.typed);
        ASSERT_TRUE(d.Save());
        EXPECT_EQ(Reg("BakPath"), c.stored);
        EXPECT_EQ(AppSettings().BackupDir, c.stored);
        // The next opening shows the same choice.
        Tfrmsysset &again = Open();
        EXPECT_EQ(again.RadioButton3->isChecked(), c.stored != DefaultBackupDir());
        EXPECT_EQ(again.Edit3->text(), c.stored);
    }
    // The folder tree fills the field, and only while a folder of one's own is chosen.
    const QString folder = MakeTempDir("tree");
    Tfrmsysset &d = Open();
    d.RadioButton3->setChecked(true);
    EXPECT_TRUE(d.ShellTreeView1->isEnabled());
    auto *model = qobject_cast<QFileSystemModel *>(d.ShellTreeView1->model());
    ASSERT_NE(model, nullptr);
    d.ShellTreeView1->setCurrentIndex(model->index(folder));
    EXPECT_EQ(d.Edit3->text(), folder + '/');
    ASSERT_TRUE(d.Save());
    EXPECT_EQ(Reg("BakPath"), folder + '/');
    d.RadioButton1->setChecked(true);
    EXPECT_FALSE(d.ShellTreeView1->isEnabled());
}

TEST_F(Settings, StartWithTheSystemAtEachClick)
{
    Tfrmsysset &d = Open();
    d.CheckBox5->click();
    ASSERT_TRUE(QFileInfo::exists(AutostartFile()));
    EXPECT_TRUE(TIniFile(AutostartFile()).ReadString("Desktop Entry", "Exec", "").contains(ProgramPath()));
    EXPECT_EQ(RegReadString(3, TRegistry::RunKey, "Orvanta"), ProgramPath());
    d.CheckBox5->click();
    EXPECT_FALSE(QFileInfo::exists(AutostartFile()));
    // Only clicks do it; showing the stored state does not.
    d.CheckBox5->click();
    ASSERT_TRUE(d.Save());
    EXPECT_EQ(Config("SYS", "SysAutStart"), "1");
    QFile::remove(AutostartFile());
    Reopen();
    EXPECT_TRUE(d.CheckBox5->isChecked());
    EXPECT_FALSE(QFileInfo::exists(AutostartFile()));
}

TEST_F(Settings, HotKeyFieldShowsTheCombination)
{
    const struct { int key; Qt::KeyboardModifiers modifiers; const char *text, *shown; } cases[] = {
        {Qt::Key_W, Qt::ControlModifier, "\x17", "Ctrl + W"}, {Qt::Key_Q, Qt::AltModifier, "q", "Alt + Q"},
        {Qt::Key_X, Qt::NoModifier, "x", "Ctrl + Alt + X"}, {Qt::Key_K, Qt::ShiftModifier, "K", "Ctrl + Alt + K"},
        {Qt::Key_W, Qt::ControlModifier | Qt::AltModifier, "", "Ctrl + W"}, {Qt::Key_5, Qt::AltModifier, "5", "Alt + "},
        // Platforms report the state before the press; the event adds the key's own modifier.
        {Qt::Key_Control, Qt::NoModifier, "", "Ctrl + "},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", ""}, {Qt::Key_Delete, Qt::NoModifier, "\x7f", ""},
        // Keys that make no hot key are not the field's; it types nothing and keeps its text.
        {Qt::Key_5, Qt::NoModifier, "5", "Alt + Z"}, {Qt::Key_Space, Qt::NoModifier, " ", "Alt + Z"},
        {Qt::Key_F1, Qt::NoModifier, "", "Alt + Z"},
    };
    Tfrmsysset &d = Open();
    for (const auto &c : cases) {
        d.Edit1->setText("Alt + Z");
        Press(d.Edit1, c.key, c.modifiers, QString::fromLatin1(c.text));
        EXPECT_EQ(d.Edit1->text(), QString::fromLatin1(c.shown)) << c.shown;
    }
    // The field claims Alt+letter before any mnemonic or shortcut can take it.
    QKeyEvent shortcut(QEvent::ShortcutOverride, Qt::Key_S, Qt::AltModifier, "s");
    shortcut.ignore();
    QApplication::sendEvent(d.Edit1, &shortcut);
    EXPECT_TRUE(shortcut.isAccepted());
    // Tab and Backtab leave the field, Escape closes the dialog; none of them types.
    d.PageControl1->setCurrentWidget(d.Edit1->parentWidget());
    d.activateWindow();
    d.Edit1->setText("Alt + Q");
    for (bool back : {false, true}) {
        d.Edit1->setFocus();
        ASSERT_EQ(d.focusWidget(), d.Edit1);
        Press(d.Edit1, back ? Qt::Key_Backtab : Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier,
              back ? "" : "\t");
        EXPECT_NE(d.focusWidget(), d.Edit1) << back;
    }
    d.Edit1->setFocus();
    Press(d.Edit1, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(d.Edit1->text(), QStringLiteral("Alt + Q"));
}

TEST_F(Settings, SavingRegistersTheHotKeyOnce)
{
    ASSERT_NE(main->ShowHideHotKeyId, 0);
    ASSERT_EQ(hotKeys.size(), 1u);
    const struct { bool on; QString typed, stored; std::optional<THotKey> registered; } cases[] = {
        {true, "Ctrl + W", "Ctrl + W", THotKey{THotKey::MOD_CONTROL, 'W'}},
        {true, "Alt + Q", "Alt + Q", THotKey{THotKey::MOD_ALT, 'Q'}},
        {true, "Ctrl + Alt + X", "Ctrl + Alt + X", THotKey{THotKey::MOD_CONTROL | THotKey::MOD_ALT, 'X'}},
        {true, "", "", THotKey{THotKey::MOD_ALT, 'Z'}},
        {true, "  alt + p  ", "alt + p", THotKey{THotKey::MOD_ALT, 'P'}},
        {true, "Alt + ", "Alt +", std::nullopt}, {false, "Ctrl + W", "Ctrl + W", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        Tfrmsysset &d = Open();
        d.CheckBox9->setChecked(c.on);
        d.Edit1->setText(c.typed);
        ASSERT_TRUE(d.Save());
        EXPECT_EQ(Config("HotKey", "key"), c.stored);
        EXPECT_EQ(Config("HotKey", "sysmin"), c.on ? "1" : "0");
        EXPECT_EQ(hotKeys.size(), c.registered ? 1u : 0u);
        if (c.registered && !hotKeys.empty()) {
            EXPECT_EQ(hotKeys.begin()->second, *c.registered);
            EXPECT_EQ(hotKeys.begin()->first, main->ShowHideHotKeyId);
        }
    }
}

TEST_F(Settings, BackupSettingsAndTheBackupTimer)
{
    ASSERT_TRUE(data->dbbakTimer->isActive());
    Tfrmsysset &d = Open();
    d.SpinEdit3->setValue(6);
    d.SpinEdit4->setValue(4);
    d.CheckBox16->setChecked(false);
    ASSERT_TRUE(d.Save());
    EXPECT_EQ(Reg("BakTime"), "6");
    EXPECT_EQ(Reg("BakCount"), "4");
    EXPECT_EQ(Reg("AUTOBak"), "0");
    EXPECT_EQ(AppSettings().BackupIntervalHours, 6);
    EXPECT_EQ(AppSettings().BackupKeepCount, 4);
    EXPECT_FALSE(data->dbbakTimer->isActive());
    d.CheckBox16->setChecked(true);
    ASSERT_TRUE(d.Save());
    EXPECT_EQ(Reg("AUTOBak"), "1");
    EXPECT_TRUE(data->dbbakTimer->isActive());
    // Showing reads the registry back; texts there that are no numbers keep what the dialog shows.
    AppSettings().BackupIntervalHours = 1;
    Reopen();
    EXPECT_EQ(d.SpinEdit3->value(), 6);
    EXPECT_EQ(AppSettings().BackupIntervalHours, 6);
    RegWriteString(2, OrvRegistryKey, "BakTime", "abc");
    RegWriteString(2, OrvRegistryKey, "BakCount", "");
    Reopen();
    EXPECT_EQ(d.SpinEdit3->value(), 6);
    EXPECT_EQ(d.SpinEdit4->value(), 4);
}

TEST_F(Settings, CalendarFollowsTheChanges)
{
    main->show();
    main->ShowCalendarPage();
    ASSERT_NE(calendar, nullptr);
    calendar->monthLoads.clear();
    calendar->treeDays.clear();
    Tfrmsysset &d = Open();
    d.CheckBox15->click();
    EXPECT_EQ(calendar->lunar, QList<bool>{false});
    d.CheckBox14->click();
    EXPECT_EQ(calendar->monthLoads.size(), 1);
    // Close to tray is stored inverted, the day list as its index.
    calendar->monthLoads.clear();
    d.ComboBox5->setCurrentIndex(4);
    d.CheckBox11->setChecked(true);
    ASSERT_TRUE(d.Save());
    EXPECT_EQ(Config("SYS", "ExitSoft"), "0");
    EXPECT_FALSE(AppSettings().ExitOnClose);
    EXPECT_EQ(Config("USERSET", "daycount"), "4");
    EXPECT_EQ(Config("SYS", "ShowCh"), "0");
    EXPECT_EQ(Config("SYS", "show1"), "0");
    EXPECT_EQ(Config("SYS", "show2"), "1");
    EXPECT_FALSE(AppSettings().ShowFestivals);
    EXPECT_TRUE(AppSettings().ShowContactEvents);
    EXPECT_EQ(calendar->monthLoads, QList<bool>{true});
    // The tree is reloaded once, with the new number of days.
    EXPECT_EQ(calendar->treeDays, QList<int>{4});
    calendar->monthLoads.clear();
    calendar->treeDays.clear();
    ASSERT_TRUE(d.Save());
    EXPECT_TRUE(calendar->monthLoads.isEmpty());
    EXPECT_TRUE(calendar->treeDays.isEmpty());
    Reopen();
    EXPECT_TRUE(d.CheckBox11->isChecked());
    EXPECT_EQ(d.ComboBox5->currentIndex(), 4);
}

// 应用 saves and waits for a change, 确定 saves what changed, 取消 nothing; a sound only when it is there.
TEST_F(Settings, ApplyOKAndCancel)
{
    const QString sound = MakeTempDir("sound") + "/ring.wav";
    WriteBytes(sound);
    const QString before = AppSettings().AlarmSoundFile;
    Tfrmsysset &d = Open();
    EXPECT_FALSE(d.ApplyButton->isEnabled());
    d.SpinEdit1->setValue(12);
    d.SpinEdit2->setValue(7);
    d.Edit2->setText("  /no/such/file.wav ");
    EXPECT_TRUE(d.ApplyButton->isEnabled());
    d.ApplyButton->click();
    EXPECT_FALSE(d.ApplyButton->isEnabled());
    EXPECT_EQ(Config("USERSET", "showcount"), "12");
    EXPECT_EQ(Config("USERSET", "monthcount"), "7");
    EXPECT_EQ(AppSettings().FrequentViewCount, 12);
    EXPECT_EQ(AppSettings().RecentMonths, 7);
    EXPECT_EQ(Config("USERSET", "vidfilename"), "/no/such/file.wav");
    EXPECT_EQ(AppSettings().AlarmSoundFile, before);
    // 确定 with nothing changed writes nothing.
    QFile::remove(ConfigIniPath());
    d.OKButton->click();
    EXPECT_FALSE(QFileInfo::exists(ConfigIniPath()));
    EXPECT_EQ(d.result(), int(QDialog::Accepted));
    Reopen();
    d.SpinEdit2->setValue(11);
    d.Edit2->setText(sound);
    d.OKButton->click();
    EXPECT_EQ(Config("USERSET", "monthcount"), "11");
    EXPECT_EQ(AppSettings().AlarmSoundFile, sound);
    EXPECT_FALSE(d.isVisible());
    Reopen();
    d.SpinEdit2->setValue(12);
    d.CancelButton->click();
    EXPECT_EQ(Config("USERSET", "monthcount"), "11");
    // The sound chooser takes only a file that is there, at once.
    Reopen();
    TestDialogs().AnswerText("/no/such/other.wav");
    d.Button1->click();
    EXPECT_EQ(d.Edit2->text(), sound);
    const QString other = MakeTempDir("sound2") + "/bell.wav";
    QFile(sound).copy(other);
    TestDialogs().AnswerText(other);
    d.Button1->click();
    EXPECT_EQ(d.Edit2->text(), other);
    EXPECT_EQ(AppSettings().AlarmSoundFile, other);
    EXPECT_EQ(TestDialogs().Last()->kind, QStringLiteral("open"));
}

// A sound file's path too long for its field shows its start and its file name, an ellipsis
// between them, and fits; the whole path is what is edited and saved.
TEST_F(Settings, ALongSoundPathIsCutInTheMiddle)
{
    Tfrmsysset &d = Open();
    d.PageControl1->setCurrentIndex(2);
    QApplication::setActiveWindow(&d);
    const QString folder = "/home/user/.local/share/orvanta/res/sound/" + QString("a-folder-with-a-long-name/").repeated(4);
    const QString file = "DefaultAlarm.wav";
    const struct { QString path; bool cut; } cases[] = {
        {"/a/" + file, false},
        {folder + file, true},
        {folder + "闹钟的声音文件.wav", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        d.Edit2->setText(c.path);
        d.Edit2->clearFocus();
        const QString shown = d.Edit2->ShownText();
        EXPECT_EQ(shown.contains(QChar(0x2026)), c.cut);
        EXPECT_LE(d.Edit2->fontMetrics().horizontalAdvance(shown), d.Edit2->contentsRect().width());
        if (c.cut) {
            const QString head = shown.section(QChar(0x2026), 0, 0);
            const QString tail = shown.section(QChar(0x2026), 1);
            EXPECT_TRUE(c.path.startsWith(head) && c.path.endsWith(tail) && !head.isEmpty()) << shown.toStdString();
            EXPECT_TRUE(tail.endsWith(".wav") && tail.contains(c.path.section('/', -1)));
        } else {
            EXPECT_EQ(shown, c.path);
        }
        // Being edited it shows the whole path, which is the text.
        d.Edit2->setFocus();
        EXPECT_EQ(d.Edit2->ShownText(), c.path);
        EXPECT_EQ(d.Edit2->text(), c.path);
        d.Edit2->clearFocus();
    }
    d.ApplyButton->click();
    EXPECT_EQ(Config("USERSET", "vidfilename"), folder + "闹钟的声音文件.wav");
}

TEST_F(Settings, BackupNowCopiesTheAccount)
{
    CurrentAccount().Remember(MakeTempDir("acct") + "/mine.txl");
    MakeAccount(CurrentAccount().Path(), {"王五"});
    data->dbConnection->Open(CurrentAccount().Path());
    const QString folder = MakeTempDir("now");
    const QString copy = folder + "/copy.txl";
    Tfrmsysset &d = Open();
    TestDialogs().AnswerText(folder + "/copy");
    d.Button2->click();
    ASSERT_EQ(TestDialogs().Questions().size(), 1u);
    EXPECT_EQ(TestDialogs().Last()->caption, QStringLiteral("通讯录数据备份"));
    ASSERT_TRUE(TADOConnection::TestOpen(copy));
    EXPECT_EQ(ContactNames(copy), QStringList{"王五"});
    // An existing file is overwritten only on Yes; the account cannot be its own backup.
    TADOQuery query(data->dbConnection);
    ASSERT_TRUE(RunQuery(&query, "insert into userinfo(uname, nodetype) values(?, 2)", {"赵六"}));
    const struct { QString target; MsgResult answer; const char *message; QStringList copied; } cases[] = {
        {copy, MsgResult::No, "文件已经存在覆盖吗？", {"王五"}}, {copy, MsgResult::Yes, "文件已经存在覆盖吗？", {"王五", "赵六"}},
        {CurrentAccount().Path(), MsgResult::Yes, "保存错误！", {"王五", "赵六"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        TestDialogs().AnswerText(c.target);
        TestDialogs().AnswerMessage(c.answer);
        d.Button2->click();
        EXPECT_EQ(TestDialogs().Last()->text, QString::fromUtf8(c.message));
        EXPECT_EQ(ContactNames(copy), c.copied);
    }
    EXPECT_EQ(TestDialogs().Questions()[2].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(data->dbConnection->Connected());
    EXPECT_EQ(ContactNames(CurrentAccount().Path()), (QStringList{"王五", "赵六"}));
    // Cancelled: nothing asked further, nothing written.
    const size_t asked = TestDialogs().Questions().size();
    TestDialogs().AnswerCancel();
    d.Button2->click();
    EXPECT_EQ(TestDialogs().Questions().size(), asked + 1);
}

// On a full disk the save says so, the dialog stays open and config.ini keeps what it held.
TEST_F(Settings, AFailedSaveIsReportedAndTheSettingsFileKept)
{
    {
        TIniFile ini(ConfigIniPath());
        ASSERT_TRUE(ini.WriteString("SYS", "SkinName", "Office2003"));
        ASSERT_TRUE(ini.WriteString("HotKey", "key", "Ctrl + Q"));
    }
    const QByteArray before = ReadBytes(ConfigIniPath());
    Tfrmsysset &d = Open();
    d.CheckBox11->setChecked(!d.CheckBox11->isChecked());
    TestDialogs().Reset();
    bool saved = true;
    {
        FileSizeLimit full(8);
        saved = d.Save();
        d.OKButton->click();
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(TestDialogs().Texts(), (QStringList{"保存错误！", "保存错误！"}));
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.result(), 0);
    EXPECT_EQ(ReadBytes(ConfigIniPath()), before);
}
