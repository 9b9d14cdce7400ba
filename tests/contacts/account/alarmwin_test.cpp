#include "contacts/main/EditorRegistry.h"
#include "contacts/account/alarmwin.h"

#include "account/RecordingMediaPlayer.h"
#include "TestSupport.h"
#include "platform/AppPaths.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

void Touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("RIFF");
}

QString SoundFolder()
{
    return AppDir() + "res/sound/";
}

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
    explicit FieldEditor(bool deleteOnClose)
    {
        if (deleteOnClose)
            setAttribute(Qt::WA_DeleteOnClose);
        field = new QLineEdit(QStringLiteral("left over"), this);
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
    const struct {
        int position;
        int minutes;
    } cases[] = {{-1, 5}, {0, 5}, {1, 10}, {2, 15}, {3, 30}, {4, 45}, {5, 60}, {6, 120}, {7, 180}, {8, 240}, {9, 5}};
    for (const auto &c : cases)
        EXPECT_EQ(Tfrmalarmwin::SnoozeMinutes(c.position), c.minutes) << c.position;

    Tfrmalarmwin window;
    EXPECT_EQ(window.ComboBox1->count(), 9);
    EXPECT_EQ(window.ComboBox1->currentText(), QStringLiteral("5分钟"));
    for (const auto &c : cases) {
        if (c.position >= window.ComboBox1->count())
            continue;
        window.ComboBox1->setCurrentIndex(c.position);
        window.show();
        window.Button1->click();
        EXPECT_EQ(window.SnoozeSeconds(), c.minutes * 60) << c.position;
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(window.Timer1->isActive());
        EXPECT_EQ(window.ElapsedSeconds(), 0);
    }
}

TEST_F(AlarmWindow, SnoozeOfAnHourHidesForThreeThousandSixHundredTicks)
{
    const QString sound = SoundFolder() + "ding.wav";
    Touch(sound);
    Tfrmalarmwin window;
    window.SetSoundFile("ding.wav");
    window.show();
    ASSERT_EQ(players.Count("play"), 1);

    window.ComboBox1->setCurrentIndex(window.ComboBox1->findText("1小时"));
    window.Button1->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.Timer1->interval(), 1000);
    EXPECT_GE(players.Count("close"), 1);

    for (int tick = 1; tick < 3600; ++tick)
        window.Timer1Timer();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.ElapsedSeconds(), 3599);
    EXPECT_TRUE(window.Timer1->isActive());

    window.Timer1Timer();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.Timer1->isActive());
    EXPECT_EQ(window.ElapsedSeconds(), 0);
    EXPECT_EQ(players.Count("play"), 2);
    // The name was looked up once; showing again plays the same file, not res/sound/res/sound/…
    EXPECT_EQ(players.Opened(), (QStringList{sound, sound}));
}

TEST_F(AlarmWindow, NoMoreRemindersStopsTheTimerAndCloses)
{
    auto *window = new Tfrmalarmwin;
    window->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<Tfrmalarmwin> guard(window);
    window->show();
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
    Touch(absolute);
    Touch(SoundFolder() + "chime.wav");
    QDir().mkpath(SoundFolder() + "folder.wav");
    const struct {
        QString name;
        QString expected;
    } cases[] = {
        {absolute, absolute},
        {"chime.wav", SoundFolder() + "chime.wav"},
        {"", ""},
        {"   ", ""},
        {"missing.wav", ""},
        {"folder.wav", ""},
        {SoundFolder() + "folder.wav", ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Tfrmalarmwin::ResolveSoundFile(c.name), c.expected) << c.name.toStdString();
        Tfrmalarmwin window;
        window.SetSoundFile(c.name);
        EXPECT_EQ(window.SoundFile(), c.name);
        EXPECT_EQ(window.ResolvedSoundFile(), c.expected);
    }
}

TEST_F(AlarmWindow, PlaysPlayableKindsAndHandsOthersToTheShell)
{
    const QString folder = MakeTempDir("kinds");
    const struct {
        const char *file;
        bool player;
    } cases[] = {{"a.wav", true}, {"b.MID", true}, {"c.avi", true}, {"d.mp3", false}, {"e", false}};
    for (const auto &c : cases) {
        const QString path = folder + '/' + c.file;
        Touch(path);
        players.log.clear();
        TestShell().opened.clear();
        Tfrmalarmwin window;
        window.SetSoundFile(path);
        window.show();
        if (c.player) {
            EXPECT_EQ(players.log, (QStringList{"open " + path, "play"})) << c.file;
            EXPECT_TRUE(TestShell().opened.isEmpty()) << c.file;
        } else {
            EXPECT_TRUE(players.Opened().isEmpty()) << c.file;
            EXPECT_EQ(TestShell().opened, QStringList{path}) << c.file;
        }
    }
}

// A file removed after the reminder was made is not played.
TEST_F(AlarmWindow, NothingPlaysWithoutASoundFile)
{
    const QString path = MakeTempDir("removed") + "/x.wav";
    Touch(path);
    Tfrmalarmwin window;
    window.SetSoundFile(path);
    QFile::remove(path);
    window.show();
    EXPECT_EQ(players.Count("play"), 0);
    EXPECT_TRUE(TestShell().opened.isEmpty());
}

TEST_F(AlarmWindow, DetailsOpensAFreshModalEditorEachTime)
{
    for (bool deleteOnClose : {true, false}) {
        std::vector<QPointer<FieldEditor>> made;
        ContactEditorFactory = [&] {
            auto *editor = new FieldEditor(deleteOnClose);
            made.emplace_back(editor);
            return editor;
        };
        Tfrmalarmwin window;
        window.SetContactKey(-7);
        window.show();

        struct Seen {
            bool visible = false;
            bool modal = false;
            bool onTop = false;
            QString loaded;
            QString fieldWhenLoaded;
        };
        std::vector<Seen> seen;
        for (int click = 0; click < 2; ++click) {
            QTimer::singleShot(0, [&] {
                FieldEditor *editor = made.back();
                seen.push_back({editor->isVisible(), editor->windowModality() == Qt::ApplicationModal,
                                editor->windowFlags().testFlag(Qt::WindowStaysOnTopHint), editor->loaded,
                                editor->fieldWhenLoaded});
                editor->close();
            });
            window.Button3->click();
        }

        ASSERT_EQ(made.size(), 2u);
        ASSERT_EQ(seen.size(), 2u);
        for (const Seen &s : seen) {
            EXPECT_TRUE(s.visible);
            EXPECT_TRUE(s.modal);
            EXPECT_TRUE(s.onTop);
            EXPECT_EQ(s.loaded, QStringLiteral("-7"));
            EXPECT_EQ(s.fieldWhenLoaded, QString());  // emptied before the contact is loaded
        }
        // Each window is gone once closed, whether or not it frees itself.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<FieldEditor> &editor : made)
            EXPECT_TRUE(editor.isNull()) << deleteOnClose;
    }
}

TEST_F(AlarmWindow, DetailsWithoutAnEditorDoesNothing)
{
    ContactEditorFactory = nullptr;
    Tfrmalarmwin window;
    window.show();
    window.Button3->click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
