#pragma once
#include "platform/SystemPower.h"
#include "platform/Types.h"
#include "platform/UiServices.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>
#include <csignal>
#include <deque>
#include <optional>
#include <ostream>
#include <sys/resource.h>
#include <vector>

// Failed checks show texts as text.
inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

// The dialog responder every test runs with: each question is recorded, and answered from a
// script queued by the test. With the script empty it answers like a cancel, so nothing blocks.
class ScriptedDialogs final : public IDialogs
{
public:
    struct Question {
        QString kind;  // "message", "open", "save", "folder"
        QString text;
        QString caption;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::OK;
    };

    void AnswerMessage(MsgResult result) { messageAnswers_.push_back(result); }
    void AnswerText(const QString &text) { textAnswers_.push_back(text); }  // files, folders
    void AnswerCancel() { textAnswers_.push_back(std::nullopt); }
    void Reset() { questions_.clear(), messageAnswers_.clear(), textAnswers_.clear(); }

    const std::vector<Question> &Questions() const { return questions_; }
    const Question *Last() const { return questions_.empty() ? nullptr : &questions_.back(); }
    QStringList Texts() const;

    MsgResult MessageBox(QWidget *parent, const QString &text, const QString &caption, MsgIcon icon,
                         MsgButtons buttons) override;
    QString OpenFileName(QWidget *, const QString &c, const QString &, const QString &) override
    {
        return Path("open", c);
    }
    QString SaveFileName(QWidget *, const QString &c, const QString &, const QString &) override
    {
        return Path("save", c);
    }
    QString FolderName(QWidget *, const QString &c, const QString &) override { return Path("folder", c); }

private:
    // Records the question and takes the next scripted text answer, if any.
    std::optional<QString> NextText(const char *kind, const QString &text, const QString &caption);
    QString Path(const char *kind, const QString &caption) { return NextText(kind, {}, caption).value_or(""); }

    std::vector<Question> questions_;
    std::deque<MsgResult> messageAnswers_;
    std::deque<std::optional<QString>> textAnswers_;
};

class FakeClock final : public IClock
{
public:
    QDateTime now = QDateTime(QDate(2024, 5, 1), QTime(8, 30, 0));
    QDateTime Now() const override { return now; }
};

class RecordingShell final : public IShell
{
public:
    QStringList opened;
    bool result = true;
    bool Open(const QString &target) override { return opened << target, result; }
};

// Records what would have ended the machine or the session; nothing reaches the real system.
class RecordingPower final : public ISystemPower
{
public:
    std::vector<TPowerAction> actions;
    bool Exit(TPowerAction action) override { return actions.push_back(action), true; }
};

// The responders the test main installed; reset between tests by the test main.
ScriptedDialogs &TestDialogs();
RecordingShell &TestShell();
RecordingPower &TestPower();

// A file of the test data kept in the source tree, by its path below tests/.
QString TestDataPath(const QString &relative);

// A fresh empty folder under the test's temporary home, removed at the end of the run.
QString MakeTempDir(const QString &name);

// A full disk for the files written while it lives: no file may grow past `bytes` (the
// process's file-size limit, so every write path meets it as a real disk would). Writes over the
// limit fail with EFBIG instead of ending the process; so does the test's own output while the
// limit lives, when it goes to a file rather than a pipe.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved_{};
    struct sigaction savedAction_{};
};

// Overwrites the headers of the last pages of a database file with garbage, as flipped bytes on a
// disk would; the first page, which holds the start of the schema, stays as it was.
void DamageDatabasePages(const QString &path);

// Pixel checks: an image filled with one colour, a pixel of it as 0x00BBGGRR, and whether every
// pixel outside a rectangle still has the fill colour.
QImage BlankImage(int w, int h, TColor fill = clWhite);
TColor PixelAt(const QImage &image, int x, int y);
bool UnchangedOutside(const QImage &image, const TRect &inside, TColor fill = clWhite);

// One expected pixel of an image: where, and in which colour. ExpectPixels checks each; a
// failure names the pixel and `what`.
struct TPixel { int x, y; TColor want; };
void ExpectPixels(const QImage &image, const std::vector<TPixel> &pixels, const char *what = "");
