#include "shared/Utility.h"

#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "platform/SaveFile.h"
#include "platform/TextCodec.h"
#include "platform/TrayService.h"
#include "platform/UiServices.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextEdit>
#include <QUrl>

#include <array>
#include <atomic>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// Leading and trailing blanks and control characters, as the 8-bit string routines trim.
QString TrimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= ' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= ' ')
        --last;
    return text.mid(first, last - first);
}

// The first-level hanzi (zones 16..55) are ordered by reading, so each initial covers one
// range of codes; listed by the last code of each range.
struct InitialRange {
    int lastCode;
    char letter;
};
constexpr InitialRange FirstLevelRanges[] = {
    {1636, 'A'}, {1832, 'B'}, {2077, 'C'}, {2273, 'D'}, {2301, 'E'}, {2432, 'F'}, {2593, 'G'}, {2786, 'H'},
    {3105, 'J'}, {3211, 'K'}, {3471, 'L'}, {3634, 'M'}, {3721, 'N'}, {3729, 'O'}, {3857, 'P'}, {4026, 'Q'},
    {4085, 'R'}, {4389, 'S'}, {4557, 'T'}, {4683, 'W'}, {4924, 'X'}, {5248, 'Y'}, {5589, 'Z'},
};
constexpr int FirstLevelFirstCode = 1601;

// Initial of a double-byte GBK character. Only the GB2312 hanzi block has a meaning here;
// GBK's extension characters share lead bytes with it but have trail bytes below 0xA1, and
// treating them as GB2312 would give wrong letters.
QString InitialOfGbkPair(unsigned char b1, unsigned char b2)
{
    const QString unknown = QStringLiteral("?");
    if (b1 < 0xB0 || b1 > 0xF7 || b2 < 0xA1 || b2 > 0xFE)
        return unknown;
    const int code = (b1 - 160) * 100 + (b2 - 160);
    if (code >= FirstLevelFirstCode) {
        for (const InitialRange &range : FirstLevelRanges) {
            if (code <= range.lastCode)
                return QString(QChar(range.letter));
        }
    }
    const int index = (b1 - 216) * 94 + (b2 - 160);
    if (index >= 1 && index <= PinyinSecondLevelCount)
        return QString(QChar(PinyinSecondLevelTable[index - 1]));
    return unknown;
}

QString InitialOfGbk(const QByteArray &bytes)
{
    if (bytes.size() != 2)
        return QStringLiteral("?");
    return InitialOfGbkPair(static_cast<unsigned char>(bytes[0]), static_cast<unsigned char>(bytes[1]));
}

// Empties the folder open as dirFd, then removes the entry name of parentFd. Links are unlinked
// like files: the walk never leaves the tree through one, and O_NOFOLLOW keeps a link that
// replaced a folder meanwhile from being entered.
void RemoveEntryAt(int parentFd, const char *name)
{
    if (unlinkat(parentFd, name, 0) == 0)
        return;
    const int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return;
    }
    // Names first: removing entries while reading a folder may skip or repeat others.
    std::vector<std::string> names;
    while (const dirent *entry = readdir(dir)) {
        const std::string child = entry->d_name;
        if (child != "." && child != "..")
            names.push_back(child);
    }
    for (const std::string &child : names)
        RemoveEntryAt(dirfd(dir), child.c_str());
    closedir(dir);
    unlinkat(parentFd, name, AT_REMOVEDIR);
}

// Index of the last separator of a path: "/" or "\" (stored data can hold Windows paths),
// or the colon of a leading drive letter; -1 when there is none.
qsizetype LastDelimiter(const QString &path)
{
    const qsizetype sep = qMax(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    if (sep < 1 && path.size() >= 2 && path[1] == ':' && path[0].unicode() < 0x80 && path[0].isLetter())
        return 1;
    return sep;
}

// Widgets whose inner parts are widgets too (a spin box's line edit, a combo box's editor);
// those parts belong to the outer widget and are never cleared on their own.
bool IsCompositeInput(const QWidget *widget)
{
    return qobject_cast<const QAbstractSpinBox *>(widget) || qobject_cast<const QComboBox *>(widget) ||
           qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QTextEdit *>(widget) ||
           qobject_cast<const QPlainTextEdit *>(widget) || qobject_cast<const QListWidget *>(widget);
}

void ClearInput(QWidget *widget)
{
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        edit->clear();
    } else if (auto *text = qobject_cast<QTextEdit *>(widget)) {
        text->clear();
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(widget)) {
        plain->clear();
    } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        combo->setCurrentIndex(-1);
        if (combo->isEditable())
            combo->clearEditText();
    } else if (auto *list = qobject_cast<QListWidget *>(widget)) {
        list->clearSelection();
        list->setCurrentRow(-1);
    } else if (auto *check = qobject_cast<QCheckBox *>(widget)) {
        check->setCheckState(Qt::Unchecked);
    }
}

const QString AppPathsKey = QStringLiteral("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths");

bool OpenRegistryKey(TRegistry &reg, int root, const QString &key)
{
    switch (root) {
    case 1: reg.SetRootKey(HKEY_CLASSES_ROOT); break;
    case 2: reg.SetRootKey(HKEY_CURRENT_USER); break;
    case 3: reg.SetRootKey(HKEY_LOCAL_MACHINE); break;
    case 4: reg.SetRootKey(HKEY_USERS); break;
    case 5: reg.SetRootKey(HKEY_CURRENT_CONFIG); break;
    default: break;
    }
    return reg.OpenKey(key.isEmpty() ? AppPathsKey : key, true);
}

} // namespace

QString PinyinInitial(const QString &ch)
{
    if (ch.size() == 1 && ch[0].unicode() < 0x80)
        return ch;
    if (ch.isEmpty() || ch[0].isSurrogate())
        return QStringLiteral("?");
    return InitialOfGbk(EncodeGbkChar(ch[0]));
}

namespace {

// What one character (not part of a surrogate pair) adds to the initials: its initial, or 0 when
// it is a single-byte character, which ends them. Asked once per character: the encoder behind
// it is slow, and an import asks for every name.
char16_t CharInitial(QChar ch)
{
    static std::array<std::atomic<char16_t>, 0x10000> known{};
    constexpr char16_t Unknown = 0xFFFF;  // no initial is a non-character
    std::atomic<char16_t> &slot = known[ch.unicode()];
    char16_t initial = slot.load(std::memory_order_relaxed);
    if (initial == 0) {
        const QByteArray bytes = ch.isSurrogate() ? QByteArray() : EncodeGbkChar(ch);
        initial = bytes.size() == 1 ? Unknown : InitialOfGbk(bytes).at(0).unicode();
        slot.store(initial, std::memory_order_relaxed);
    }
    return initial == Unknown ? 0 : initial;
}

} // namespace

QString PinyinInitials(const QString &text)
{
    const QString name = TrimBlanks(text);
    QString initials;
    initials.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar ch = name[i];
        if (ch.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            // Beyond GBK altogether: one unknown initial for the whole character.
            initials += '?';
            ++i;
            continue;
        }
        const char16_t initial = CharInitial(ch);
        if (initial == 0)
            break;
        initials += QChar(initial);
    }
    return initials;
}

QString ZodiacSign(const QDate &date)
{
    if (!date.isValid())
        return {};
    struct SignStart {
        int monthDay;
        const char *name;
    };
    static constexpr SignStart starts[] = {
        {120, "水瓶座"}, {219, "双鱼座"}, {321, "白羊座"}, {420, "金牛座"}, {521, "双子座"}, {622, "巨蟹座"},
        {723, "狮子座"}, {823, "处女座"}, {923, "天秤座"}, {1024, "天蝎座"}, {1122, "射手座"}, {1222, "摩羯座"},
    };
    const int monthDay = date.month() * 100 + date.day();
    const char *sign = "摩羯座";  // up to 19 January
    for (const SignStart &start : starts) {
        if (monthDay >= start.monthDay)
            sign = start.name;
    }
    return QString::fromUtf8(sign);
}

QString WeekdayName(const QDate &date)
{
    if (!date.isValid())
        return {};
    static const char *const names[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    return QString::fromUtf8(names[date.dayOfWeek() % 7]);
}

QString ReplaceString(const QString &text, const QString &oldText, const QString &newText, bool caseSensitive)
{
    if (oldText.isEmpty())
        return text;
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    QString result;
    qsizetype from = 0;
    qsizetype pos = text.indexOf(oldText, from, cs);
    while (pos >= 0) {
        result += QStringView(text).mid(from, pos - from);
        result += newText;
        from = pos + oldText.size();
        pos = text.indexOf(oldText, from, cs);
    }
    result += QStringView(text).mid(from);
    return result;
}

void DeleteDirectoryTree(const QString &path)
{
    if (TrimBlanks(path).isEmpty())
        return;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (absolute == QLatin1String("/"))
        return;
    const QByteArray native = QFile::encodeName(absolute);
    struct stat info;
    if (lstat(native.constData(), &info) != 0)
        return;
    // A folder that is a link loses only the link; a plain file is not a folder to delete.
    if (S_ISLNK(info.st_mode))
        unlink(native.constData());
    else if (S_ISDIR(info.st_mode))
        RemoveEntryAt(AT_FDCWD, native.constData());
}

QString GetWindowsDir()
{
    return {};
}

QString GetFilePath(const QString &path)
{
    const QString file = path == QLatin1String("program") ? ProgramPath() : path;
    return file.left(LastDelimiter(file) + 1);
}

QString TrimmedFileName(const QString &path)
{
    const QString trimmed = TrimBlanks(path);
    return trimmed.mid(LastDelimiter(trimmed) + 1);
}

QString FileExtLower(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf('.');
    if (dot < 0 || dot < LastDelimiter(fileName))
        return {};
    return fileName.mid(dot + 1).toLower();
}

bool OpenFileIfExists(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    return Shell().Open(path);
}

bool ShellOpen(const QString &target)
{
    return Shell().Open(target);
}

QString MailtoAddress(const QString &email)
{
    return QStringLiteral("mailto:") + QString::fromLatin1(QUrl::toPercentEncoding(email, "@"));
}

void OpenUrl(const QString &address)
{
    const QString trimmed = address.trimmed();
    if (!trimmed.isEmpty())
        Shell().Open(trimmed);
}

bool WriteTextFile(const QString &path, const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    return SaveFileBytes(path, bytes);
}

int AverageCharWidth(const QFontMetrics &metrics)
{
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return metrics.horizontalAdvance(letters) / 52;
}

int AverageCharWidth(const QFont &font)
{
    return AverageCharWidth(QFontMetrics(font));
}

void ClearInputControls(QWidget *control)
{
    if (!control)
        return;
    ClearInput(control);
    if (IsCompositeInput(control))
        return;
    for (QObject *child : control->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        // Separate windows (dialogs, popups) parented to the form are not part of it.
        if (widget && !widget->isWindow())
            ClearInputControls(widget);
    }
}

bool TrayIconAdd(TrayService &tray, std::function<void(int)> onNotify)
{
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    return tray.Add(icon, QStringLiteral("Orvanta"), std::move(onNotify));
}

bool TrayIconDelete(TrayService &tray)
{
    return tray.Delete();
}

QString RegReadString(int root, const QString &key, const QString &name)
{
    TRegistry reg;
    if (!OpenRegistryKey(reg, root, key))
        return {};
    if (reg.ValueExists(name))
        return reg.ReadString(name);
    reg.WriteString(name, QString());
    return {};
}

bool RegWriteString(int root, const QString &key, const QString &name, const QString &value)
{
    TRegistry reg;
    return OpenRegistryKey(reg, root, key) && reg.WriteString(name, value);
}

bool RegRemoveValue(int root, const QString &key, const QString &name)
{
    TRegistry reg;
    return OpenRegistryKey(reg, root, key) && reg.DeleteValue(name);
}
