#pragma once
#include <QDate>
#include <QString>
#include <functional>

class QFont;
class QFontMetrics;
class QWidget;
class TrayService;

// Free routines the forms share: pinyin initials, calendar names, file and folder helpers,
// shell opening, the tray icon and the registry.

// The upper-case pinyin initial of one Chinese character, taken from its GB2312 code. A one-byte
// (ASCII) character comes back as it is; any character that is not a GB2312 hanzi gives "?", and a
// second-level hanzi without a Latin reading gives "[".
QString PinyinInitial(const QString &ch);

// The initials of the leading Chinese characters of a name (张三Li → "ZS"); they end at the
// first one-byte character, so a name that starts with a letter or digit has none.
QString PinyinInitials(const QString &text);

// Western zodiac sign of a date, e.g. "水瓶座".
QString ZodiacSign(const QDate &date);

// "星期一" .. "星期日".
QString WeekdayName(const QDate &date);

// Replaces every occurrence of oldText, left to right, never rescanning inserted text.
QString ReplaceString(const QString &text, const QString &oldText, const QString &newText,
                      bool caseSensitive);

// Deletes a folder with everything in it, hidden files included. Symbolic links inside are removed
// as links, never followed, and a folder that is itself a link only loses the link. An empty or
// root path is refused. Failures are ignored.
void DeleteDirectoryTree(const QString &path);

// The program has no Windows folder on this system.
QString GetWindowsDir();

// The folder part of a path with its trailing separator; "program" stands for the program file.
QString GetFilePath(const QString &path);

// The file-name part of a trimmed path; empty for a blank path.
QString TrimmedFileName(const QString &path);

// The extension without its dot, in lower case; empty when there is none.
QString FileExtLower(const QString &fileName);

// Opens an existing file with the desktop's handler; false for a missing file or a refusal.
bool OpenFileIfExists(const QString &path);

// Opens a file, web address or "mailto:" text without testing that it exists.
bool ShellOpen(const QString &target);

// "mailto:" and the address percent-encoded, so nothing in it ("?attach=...", "&cc=") reaches
// the mail program as more than the address. Every mail command builds its text with this.
QString MailtoAddress(const QString &email);

// Shows a web address in the browser; a blank address does nothing.
void OpenUrl(const QString &address);

// Creates or overwrites a UTF-8 file holding the text and one line end; false when it could not
// be written completely.
[[nodiscard]] bool WriteTextFile(const QString &path, const QString &text);

// Mean width of the 52 letters A..Z, a..z (integer division).
int AverageCharWidth(const QFontMetrics &metrics);
int AverageCharWidth(const QFont &font);

// Empties the input widgets of a form: line and text edits lose their text, editable combo boxes
// their text, other combo boxes and list widgets their selection, check boxes are unchecked.
// Applied to the widget itself and then to its children, depth first, in creation order.
void ClearInputControls(QWidget *control);

// The tray icon of the main window: the program icon with the tip "Orvanta". Clicks reach the
// callback as 513 (left button) and 517 (right button). False when the desktop has no tray.
bool TrayIconAdd(TrayService &tray, std::function<void(int)> onNotify);
bool TrayIconDelete(TrayService &tray);

// Registry access by root number: 1 classes root, 2 current user, 3 local machine, 4 users,
// 5 current config; any other number keeps the default root (current user). An empty key means
// the application-paths key. The key is created when missing.
// A missing value reads as "" and is then stored empty; "" also when the key cannot be opened.
QString RegReadString(int root, const QString &key, const QString &name);
bool RegWriteString(int root, const QString &key, const QString &name, const QString &value);
bool RegRemoveValue(int root, const QString &key, const QString &name);

// Initials of the second-level GB2312 hanzi (zones 56..87, 94 each, in code order), generated
// by tools/pinyin/gen_pinyin_table.py.
inline constexpr int PinyinSecondLevelCount = 3008;
extern const char PinyinSecondLevelTable[PinyinSecondLevelCount + 1];
