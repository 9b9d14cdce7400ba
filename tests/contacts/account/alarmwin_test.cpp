#include "contacts/main/EditorRegistry.h"
#include "contacts/account/alarmwin.h"

#include "account/AccountTestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace accounttest;

namespace {

QString SoundFolder() { return AppDir() + "res/sound/"; }

class AlarmWindow : public ::testing::Test
{
protected:
    void TearDown() override
    {
        ContactEditorFactory = nullptr;
        QDir(SoundFolder()).removeRecursively();
    }

    RecordingPlayers players;
};

// An editor with one field, so the test can see it was emptied before the contact was loaded.
class FieldEditor final : public QWidget, public IContactEditor
{
public:
    explicit FieldEditor(bool deleteOnClose) : field(new QLineEdit(QStringLiteral("left over"), this))
    {
        setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
    }
    QWidget *EditorWindow() override { return this; }
    void LoadContact(const QString &keyid) override
    {
        loaded = keyid;
        fieldWhenLoaded = field->text();
    }

    QLineEdit *field;
    QString loaded;
    QString fieldWhenLoaded;
};

} // namespace

TEST_F(AlarmWindow, SnoozeListPositionsGiveTheirMinutes)
{
    const struct { int position, minutes; } cases[] = {
        {-1, 5}, {0, 5}, {1, 10}, {2, 15}, {3, 30}, {4, 45}, {5, 60}, {6, 120}, {7, 180}, {8, 240}, {9, 5}};
    Tfrmalarmwin window;
    EXPECT_EQ(window.ComboBox1->count(), 9);
    EXPECT_EQ(window.ComboBox1->currentText(), QStringLiteral("5分钟"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(Tfrmalarmwin::SnoozeMinutes(c.position), c.minutes);
        if (c.position >= window.ComboBox1->count())
            continue;
        window.ComboBox1->setCurrentIndex(c.position);
        window.show();
        window.Button1->click();
        EXPECT_EQ(window.SnoozeSeconds(), c.minutes * 60);
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(window.Timer1->isActive());
        EXPECT_EQ(window.ElapsedSeconds(), 0);
    }
}

// An hour's snooze hides the window for 3600 ticks; 不再提醒 then stops the timer and the sound
// and closes it for good.
TEST_F(AlarmWindow, SnoozeOfAnHourThenNoMoreReminders)
{
    const QString sound = SoundFolder() + "ding.wav";
    WriteBytes(sound, "RIFF");
    auto *window = new Tfrmalarmwin;
    window->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<Tfrmalarmwin> guard(window);
    window->SetSoundFile("ding.wav");
    window->show();
    ASSERT_EQ(players.Count("play"), 1);

    window->ComboBox1->setCurrentIndex(window->ComboBox1->findText("1小时"));
    window->Button1->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->Timer1->interval(), 1000);
    EXPECT_GE(players.Count("close"), 1);
    for (int tick = 1; tick < 3600; ++tick)
        window->Timer1Timer();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->ElapsedSeconds(), 3599);
    EXPECT_TRUE(window->Timer1->isActive());

    window->Timer1Timer();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_EQ(window->ElapsedSeconds(), 0);
    EXPECT_EQ(players.Count("play"), 2);
    // The name was looked up once; showing again plays the same file, not res/sound/res/sound/…
    EXPECT_EQ(players.Opened(), (QStringList{sound, sound}));

    window->Button1->click();
    ASSERT_TRUE(window->Timer1->isActive());
    window->show();
    players.log.clear();
    window->Button2->click();
    EXPECT_EQ(players.Count("close"), 1);
    ASSERT_FALSE(guard.isNull());
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

TEST_F(AlarmWindow, SoundNamesResolveToRegularFilesOnly)
{
    const QString absolute = MakeTempDir("sound") + "/bell.wav";
    WriteBytes(absolute, "RIFF");
    WriteBytes(SoundFolder() + "chime.wav", "RIFF");
    QDir().mkpath(SoundFolder() + "folder.wav");
    const struct { QString name, expected; } cases[] = {
        {absolute, absolute}, {"chime.wav", SoundFolder() + "chime.wav"}, {"", ""}, {"   ", ""},
        {"missing.wav", ""},  {"folder.wav", ""},                          {SoundFolder() + "folder.wav", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(Tfrmalarmwin::ResolveSoundFile(c.name), c.expected);
        Tfrmalarmwin window;
        window.SetSoundFile(c.name);
        EXPECT_EQ(window.SoundFile(), c.name);
        EXPECT_EQ(window.ResolvedSoundFile(), c.expected);
    }
}

// Kinds the player takes are played; others go to the shell; a file removed after the reminder
// was made goes nowhere.
TEST_F(AlarmWindow, PlaysPlayableKindsAndHandsOthersToTheShell)
{
    const QString folder = MakeTempDir("kinds");
    enum Where { Player, Shell, Nowhere };
    const struct { const char *file; Where where; } cases[] = {
        {"a.wav", Player}, {"b.MID", Player}, {"c.avi", Player}, {"d.mp3", Shell}, {"e", Shell}, {"removed.wav", Nowhere}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = folder + '/' + c.file;
        WriteBytes(path, "RIFF");
        players.log.clear();
        TestShell().opened.clear();
        Tfrmalarmwin window;
        window.SetSoundFile(path);
        if (c.where == Nowhere)
            QFile::remove(path);
        window.show();
        EXPECT_EQ(players.log, c.where == Player ? (QStringList{"open " + path, "play"}) : QStringList());
        EXPECT_EQ(TestShell().opened, c.where == Shell ? QStringList{path} : QStringList());
    }
}

TEST_F(AlarmWindow, DetailsOpensAFreshModalEditorEachTime)
{
    for (bool deleteOnClose : {true, false}) {
        SCOPED_TRACE(deleteOnClose);
        std::vector<QPointer<FieldEditor>> made;
        ContactEditorFactory = [&] { return made.emplace_back(new FieldEditor(deleteOnClose)).data(); };
        Tfrmalarmwin window;
        window.SetContactKey(-7);
        window.show();
        QStringList seen;
        for (int click = 0; click < 2; ++click) {
            QTimer::singleShot(0, [&] {
                FieldEditor *editor = made.back();
                // Shown, modal, on top, and emptied before the contact is loaded.
                seen << QStringLiteral("%1 %2 %3 %4 [%5]")
                            .arg(int(editor->isVisible()))
                            .arg(int(editor->windowModality() == Qt::ApplicationModal))
                            .arg(int(editor->windowFlags().testFlag(Qt::WindowStaysOnTopHint)))
                            .arg(editor->loaded, editor->fieldWhenLoaded);
                editor->close();
            });
            window.Button3->click();
        }
        EXPECT_EQ(seen, QStringList(2, "1 1 1 -7 []"));
        ASSERT_EQ(made.size(), 2u);
        // Each window is gone once closed, whether or not it frees itself.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<FieldEditor> &editor : made)
            EXPECT_TRUE(editor.isNull());
    }

    // Without an editor, nothing opens.
    ContactEditorFactory = nullptr;
    Tfrmalarmwin window;
    window.show();
    window.Button3->click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
