#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

class QMessageBox;
class QWidget;

// Everything that asks the user, opens something outside the program or reads the wall clock
// goes through these interfaces, so tests can answer and observe without anything blocking.

enum class MsgIcon { None, Information, Question, Warning, Stop };
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgResult { OK, Cancel, Yes, No };

class IDialogs
{
public:
    virtual ~IDialogs() = default;
    virtual MsgResult MessageBox(QWidget *parent, const QString &text, const QString &caption,
                                 MsgIcon icon, MsgButtons buttons) = 0;
    // Each returns an empty text when the user cancels.
    virtual QString OpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter) = 0;
    virtual QString SaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter) = 0;
    // The same for a caller that asks its own question before it overwrites a file that exists:
    // the dialog does not ask first, so the user is asked once.
    virtual QString SaveFileNameWithoutPrompt(QWidget *parent, const QString &caption, const QString &dir,
                                              const QString &filter)
    {
        return SaveFileName(parent, caption, dir, filter);
    }
    // Several existing files at once; empty when the user cancels.
    virtual QStringList OpenFileNames(QWidget *parent, const QString &caption, const QString &dir,
                                      const QString &filter)
    {
        const QString file = OpenFileName(parent, caption, dir, filter);
        return file.isEmpty() ? QStringList() : QStringList{file};
    }
    virtual QString FolderName(QWidget *parent, const QString &caption, const QString &dir) = 0;
};

class IClock
{
public:
    virtual ~IClock() = default;
    virtual QDateTime Now() const = 0;
};

class IShell
{
public:
    virtual ~IShell() = default;
    // A file path, a web address or a "mailto:" text; true when the desktop took it.
    virtual bool Open(const QString &target) = 0;
    // The same with parameters, which only a program file takes (it is started with them);
    // anything else is opened without them.
    virtual bool Open(const QString &target, const QString &parameters);
};

// The installed services; each setter takes a non-owning pointer, nullptr restores the default.
IDialogs &Dialogs();
void SetDialogs(IDialogs *dialogs);
IClock &Clock();
void SetClock(IClock *clock);
IShell &Shell();
void SetShell(IShell *shell);

// Shorthand for the common message box call.
MsgResult ShowMessage(const QString &text, const QString &caption, MsgIcon icon = MsgIcon::Information,
                      MsgButtons buttons = MsgButtons::OK, QWidget *parent = nullptr);

// Makes a message box at least as wide as its caption needs, with room for the title bar's icon
// and buttons, so the caption is never cut short.
void FitMessageBoxToCaption(QMessageBox &box);

// Places a window that is about to be shown centred on the window of `owner` when that is
// visible, else centred on the owner's screen (the primary one without an owner), kept inside the
// screen's work area.
void CenterOnOwner(QWidget *window, const QWidget *owner);
