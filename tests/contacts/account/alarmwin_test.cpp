#include "account/AccountTestSupport.h"
#include "contacts/account/alarmwin.h"

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

// Entries snooze for the time they name (else 5 minutes); 不再提醒 stops timer and sound for good.
TEST_F(AlarmWindow, SnoozeOfAnHourThenNoMoreReminders)
{
    const QString sound = SoundFolder() + "ding.wav";
    WriteBytes(sound, "RIFF");
    auto *window = new Tfrmalarmwin;
    window->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<Tfrmalarmwin> guard(window);
    ASSERT_EQ(window->ComboBox1->count(), 9);
    EXPECT_EQ(window->ComboBox1->currentText(), QStringLiteral("5分钟"));
    for (int i = 0; i < 9; ++i) {
        const QString text = window->ComboBox1->itemText(i);
        const int count = text.chopped(2).toInt();
        EXPECT_EQ(Tfrmalarmwin::SnoozeMinutes(i), text.endsWith(QStringLiteral("小时")) ? 60 * count : count) << i;
    }
    for (int outside : {-1, 9})
        EXPECT_EQ(Tfrmalarmwin::SnoozeMinutes(outside), 5) << outside;
    window->SetSoundFile("ding.wav");
    window->show();
    ASSERT_EQ(players.Count("play"), 1);
    window->ComboBox1->setCurrentIndex(window->ComboBox1->findText("1小时"));
    window->Button1->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->SnoozeSeconds(), 3600);
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
    EXPECT_EQ(players.Count("open " + sound), 2);
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

// Sounds name regular files; the player's kinds are played, others go to the shell, a removed one nowhere.
TEST_F(AlarmWindow, SoundsResolveToRegularFilesAndPlayByKind)
{
    const QString dir = MakeTempDir("kinds") + '/';
    for (const char *file : {"a.wav", "b.MID", "c.avi", "d.mp3", "e", "removed.wav"})
        WriteBytes(dir + file, "RIFF");
    WriteBytes(SoundFolder() + "chime.wav", "RIFF");
    QDir().mkpath(SoundFolder() + "folder.wav");
    enum Where { Player, Shell, Nowhere };
    const struct { QString name, resolved; Where where; } cases[] = {
        {dir + "a.wav", dir + "a.wav", Player}, {dir + "b.MID", dir + "b.MID", Player},
        {dir + "c.avi", dir + "c.avi", Player}, {dir + "d.mp3", dir + "d.mp3", Shell}, {dir + "e", dir + "e", Shell},
        {dir + "removed.wav", dir + "removed.wav", Nowhere}, {"chime.wav", SoundFolder() + "chime.wav", Player},
        {"", "", Nowhere}, {"   ", "", Nowhere}, {"missing.wav", "", Nowhere}, {"folder.wav", "", Nowhere},
        {SoundFolder() + "folder.wav", "", Nowhere},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(Tfrmalarmwin::ResolveSoundFile(c.name), c.resolved);
        players.log.clear();
        TestShell().opened.clear();
        Tfrmalarmwin window;
        window.SetSoundFile(c.name);
        EXPECT_EQ(window.SoundFile(), c.name);
        EXPECT_EQ(window.ResolvedSoundFile(), c.resolved);
        if (c.name.endsWith("removed.wav"))
            QFile::remove(c.name);
        window.show();
        EXPECT_EQ(players.log, c.where == Player ? (QStringList{"open " + c.resolved, "play"}) : QStringList());
        EXPECT_EQ(TestShell().opened, c.where == Shell ? QStringList{c.resolved} : QStringList());
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
