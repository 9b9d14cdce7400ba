#include "account/alarmwin.h"
#include "shared/FormParts.h"

#include "main/EditorRegistry.h"
#include "shared/Utility.h"

#include "platform/AppPaths.h"
#include "platform/MediaPlayer.h"

#include <QComboBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {

struct TSnooze {
    const char *Text;
    int Minutes;
};

constexpr TSnooze SnoozeTable[] = {
    {"5分钟", 5},  {"10分钟", 10}, {"15分钟", 15}, {"30分钟", 30}, {"45分钟", 45},
    {"1小时", 60}, {"2小时", 120}, {"3小时", 180}, {"4小时", 240},
};
constexpr int DefaultSnoozeMinutes = 5;

// The kinds the player plays; any other existing file goes to the desktop's own handler.
bool PlayedByPlayer(const QString &path)
{
    const QString ext = FileExtLower(path);
    return ext == QLatin1String("avi") || ext == QLatin1String("wav") || ext == QLatin1String("mid");
}

QPixmap AlarmPicture()
{
    QPixmap picture(48, 48);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x80, 0x50, 0x00), 2));
    p.setBrush(QColor(0xF5, 0xC0, 0x30));
    QPainterPath bell;
    bell.moveTo(10, 36);
    bell.cubicTo(14, 32, 12, 12, 24, 10);
    bell.cubicTo(36, 12, 34, 32, 38, 36);
    bell.closeSubpath();
    p.drawPath(bell);
    p.drawEllipse(QPointF(24, 40), 4, 4);
    p.drawEllipse(QPointF(24, 8), 2.5, 2.5);
    return picture;
}

// Ends a local event loop when a window is hidden or destroyed, which is how a modal showing of
// a window that is not a dialog ends.
class THideWatcher : public QObject
{
public:
    THideWatcher(QWidget *window, QEventLoop *loop) : loop_(loop)
    {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, loop, &QEventLoop::quit);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide)
            loop_->quit();
        return false;
    }

private:
    QEventLoop *loop_;
};

} // namespace

Tfrmalarmwin::Tfrmalarmwin(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      MediaPlayer1(CreateMediaPlayer())
{
    setObjectName(QStringLiteral("frmalarmwin"));
    setWindowTitle(QStringLiteral("日程提醒"));

    Label1 = new QLabel(QStringLiteral("日程提醒："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("提醒时间："), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label4 = new QLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    Label4->setTextFormat(Qt::PlainText);
    Label4->setMinimumWidth(260);
    Label3 = new QLabel(QStringLiteral("即将开始，请您准备！"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(AlarmPicture());
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (const TSnooze &snooze : SnoozeTable)
        ComboBox1->addItem(QString::fromUtf8(snooze.Text));
    ComboBox1->setCurrentIndex(0);

    Button1 = FormButton(QStringLiteral("再次提醒"), "Button1", this);
    Button2 = FormButton(QStringLiteral("不再提醒"), "Button2", this);
    Button3 = FormButton(QStringLiteral("详情"), "Button3", this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    auto *text = new QVBoxLayout;
    text->addWidget(Label1);
    text->addWidget(Label2);
    text->addWidget(Label4, 1);
    text->addWidget(Label3);
    auto *top = new QHBoxLayout;
    top->addWidget(Image1);
    top->addLayout(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ComboBox1);
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

Tfrmalarmwin::~Tfrmalarmwin()
{
    ClosePlayer();
}

int Tfrmalarmwin::SnoozeMinutes(int position)
{
    if (position < 0 || position >= int(std::size(SnoozeTable)))
        return DefaultSnoozeMinutes;
    return SnoozeTable[position].Minutes;
}

QString Tfrmalarmwin::ResolveSoundFile(const QString &name)
{
    if (name.trimmed().isEmpty())
        return {};
    if (QFileInfo(name).isFile())
        return name;
    const QString relative = QStringLiteral("res/sound/") + name;
    for (const QString &candidate : {AppDir() + relative, ResourcePath(relative)}) {
        if (!candidate.isEmpty() && QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

void Tfrmalarmwin::SetSoundFile(const QString &name)
{
    soundFile_ = name;
    resolvedSound_ = ResolveSoundFile(name);
}

void Tfrmalarmwin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The window manager's own re-showing (after a minimise) is no new reminder.
    if (event->spontaneous())
        return;
    adjustSize();
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    PlaySound();
}

void Tfrmalarmwin::closeEvent(QCloseEvent *event)
{
    Timer1->stop();
    ClosePlayer();
    QDialog::closeEvent(event);
}

void Tfrmalarmwin::PlaySound()
{
    // The file may have gone since the reminder was set up.
    if (resolvedSound_.isEmpty() || !QFileInfo(resolvedSound_).isFile())
        return;
    if (PlayedByPlayer(resolvedSound_)) {
        if (MediaPlayer1->Open(resolvedSound_))
            MediaPlayer1->Play();
    } else {
        OpenFileIfExists(resolvedSound_);
    }
}

void Tfrmalarmwin::ClosePlayer()
{
    if (MediaPlayer1)
        MediaPlayer1->Close();
}

void Tfrmalarmwin::Button1Click()
{
    hide();
    ClosePlayer();
    snoozeSeconds_ = SnoozeMinutes(ComboBox1->currentIndex()) * 60;
    elapsedSeconds_ = 0;
    Timer1->start();
}

void Tfrmalarmwin::Timer1Timer()
{
    ++elapsedSeconds_;
    if (elapsedSeconds_ < snoozeSeconds_)
        return;
    elapsedSeconds_ = 0;
    Timer1->stop();
    show();
}

void Tfrmalarmwin::Button2Click()
{
    Timer1->stop();
    close();
}

void Tfrmalarmwin::Button3Click()
{
    ShowContactModal(QString::number(contactKey_));
}

void ShowContactModal(const QString &keyid)
{
    if (!ContactEditorFactory)
        return;
    // A window of its own per call: two pop-ups may show contacts at the same time.
    IContactEditor *editor = ContactEditorFactory();
    QPointer<QWidget> window = editor->EditorWindow();
    ClearInputControls(window);
    editor->LoadContact(keyid);
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (auto *dialog = qobject_cast<QDialog *>(window.data())) {
        dialog->exec();
    } else {
        window->setWindowModality(Qt::ApplicationModal);
        QEventLoop loop;
        THideWatcher watcher(window, &loop);
        window->show();
        loop.exec();
    }
    delete window.data();
}
