#include "UiServices.h"

#include "Types.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QSpacerItem>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <algorithm>

namespace {

class QtDialogs final : public IDialogs
{
public:
    MsgResult MessageBox(QWidget *parent, const QString &text, const QString &caption, MsgIcon icon,
                         MsgButtons buttons) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        // Texts carry user data (names, file names); rich text in them must stay text.
        box.setTextFormat(Qt::PlainText);
        box.setText(text);
        switch (icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Stop: box.setIcon(QMessageBox::Critical); break;
        }
        auto add = [&box](QMessageBox::StandardButton button, const char *text) {
            box.addButton(button)->setText(QString::fromUtf8(text));
        };
        switch (buttons) {
        case MsgButtons::OK: add(QMessageBox::Ok, "确定"); break;
        case MsgButtons::OKCancel: add(QMessageBox::Ok, "确定"); add(QMessageBox::Cancel, "取消"); break;
        case MsgButtons::YesNo: add(QMessageBox::Yes, "是"); add(QMessageBox::No, "否"); break;
        case MsgButtons::YesNoCancel:
            add(QMessageBox::Yes, "是"); add(QMessageBox::No, "否"); add(QMessageBox::Cancel, "取消");
            break;
        }
        FitMessageBoxToCaption(box);
        switch (box.exec()) {
        case QMessageBox::Yes: return MsgResult::Yes;
        case QMessageBox::No: return MsgResult::No;
        case QMessageBox::Ok: return MsgResult::OK;
        default: break;
        }
        // The window's close box answers like the most cautious button on offer.
        return buttons == MsgButtons::YesNo ? MsgResult::No
               : buttons == MsgButtons::OK  ? MsgResult::OK
                                            : MsgResult::Cancel;
    }

    QString OpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    }

    QStringList OpenFileNames(QWidget *parent, const QString &caption, const QString &dir,
                              const QString &filter) override
    {
        return QFileDialog::getOpenFileNames(parent, caption, dir, filter);
    }

    QString SaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, dir, filter);
    }

    QString SaveFileNameWithoutPrompt(QWidget *parent, const QString &caption, const QString &dir,
                                      const QString &filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, dir, filter, nullptr, QFileDialog::DontConfirmOverwrite);
    }

    QString FolderName(QWidget *parent, const QString &caption, const QString &dir) override
    {
        return QFileDialog::getExistingDirectory(parent, caption, dir);
    }
};

class SystemClock final : public IClock
{
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

class DesktopShell final : public IShell
{
public:
    bool Open(const QString &target) override
    {
        const QString trimmed = target.trimmed();
        if (trimmed.isEmpty())
            return false;
        if (QFileInfo::exists(trimmed))
            return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(trimmed).absoluteFilePath()));
        QUrl url = QUrl::fromUserInput(trimmed);
        return url.isValid() && QDesktopServices::openUrl(url);
    }
};

} // namespace

bool IShell::Open(const QString &target, const QString &parameters)
{
    const QFileInfo file(target.trimmed());
    if (parameters.trimmed().isEmpty() || !file.isFile() || !file.isExecutable())
        return Open(target);
    return QProcess::startDetached(file.absoluteFilePath(), QProcess::splitCommand(parameters));
}

namespace {

QtDialogs defaultDialogs;
SystemClock defaultClock;
DesktopShell defaultShell;
IDialogs *currentDialogs = &defaultDialogs;
IClock *currentClock = &defaultClock;
IShell *currentShell = &defaultShell;

} // namespace

IDialogs &Dialogs() { return *currentDialogs; }
void SetDialogs(IDialogs *dialogs) { currentDialogs = dialogs ? dialogs : &defaultDialogs; }
IClock &Clock() { return *currentClock; }
void SetClock(IClock *clock) { currentClock = clock ? clock : &defaultClock; }
IShell &Shell() { return *currentShell; }
void SetShell(IShell *shell) { currentShell = shell ? shell : &defaultShell; }

MsgResult ShowMessage(const QString &text, const QString &caption, MsgIcon icon, MsgButtons buttons,
                      QWidget *parent)
{
    return Dialogs().MessageBox(parent, text, caption, icon, buttons);
}

void FitMessageBoxToCaption(QMessageBox &box)
{
    // The title bar's own icon and buttons take about this much beside the caption.
    constexpr int TitleBarExtras = 140;
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + TitleBarExtras;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

void CenterOnOwner(QWidget *window, const QWidget *owner)
{
    const QWidget *ownerWindow = owner ? owner->window() : nullptr;
    QScreen *screen = ownerWindow ? ownerWindow->screen() : QGuiApplication::primaryScreen();
    if (!window || !screen)
        return;
    // A window not yet shown has not taken its final size: lay it out first.
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    const QSize size = window->size();
    const TRect area = TRect::FromQRect(screen->availableGeometry());
    const TRect around = ownerWindow && ownerWindow->isVisible() ? TRect::FromQRect(ownerWindow->frameGeometry()) : area;
    window->move(CenteredWithin(around, size.width(), size.height(), area).ToQPoint());
}
