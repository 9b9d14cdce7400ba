#pragma once
#include <QDialog>
#include <memory>

class IMediaPlayer;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

// The window that announces one due reminder row: it plays the reminder sound, can be snoozed
// for a chosen time, dismissed, or asked to show the contact.
class Tfrmalarmwin : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmalarmwin(QWidget *parent = nullptr);
    ~Tfrmalarmwin() override;

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label4;  // the plan's text
    QLabel *Label3;
    QLabel *Image1;
    QComboBox *ComboBox1;  // snooze length
    QPushButton *Button1;  // 再次提醒
    QPushButton *Button2;  // 不再提醒
    QPushButton *Button3;  // 详情
    QTimer *Timer1;        // one tick a second while snoozed

    // The file played on every showing: an existing path is kept, a bare name is looked up in
    // the program's sound folder. Read once here, so re-showing never looks it up again.
    void SetSoundFile(const QString &name);
    const QString &SoundFile() const { return soundFile_; }
    const QString &ResolvedSoundFile() const { return resolvedSound_; }
    void SetContactKey(qint32 key) { contactKey_ = key; }
    qint32 ContactKey() const { return contactKey_; }
    int SnoozeSeconds() const { return snoozeSeconds_; }
    int ElapsedSeconds() const { return elapsedSeconds_; }

    // Minutes of a snooze list position; any position not in the list means 5.
    static int SnoozeMinutes(int position);
    // Where a sound name points: itself when it is an existing file, else the file of that name
    // in the sound folder when there is one, else nothing.
    static QString ResolveSoundFile(const QString &name);

    void Button1Click();  // 再次提醒
    void Button2Click();  // 不再提醒
    void Button3Click();  // 详情
    void Timer1Timer();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void PlaySound();
    void ClosePlayer();

    std::unique_ptr<IMediaPlayer> MediaPlayer1;
    int snoozeSeconds_ = 0;
    int elapsedSeconds_ = 0;
    QString soundFile_;
    QString resolvedSound_;
    qint32 contactKey_ = 0;
};

// Shows the contact in a fresh editor window of its own and waits until it is closed. Does
// nothing while no editor unit has installed its factory.
void ShowContactModal(const QString &keyid);
