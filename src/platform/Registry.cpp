#include "Registry.h"

#include "AppPaths.h"
#include "IniFiles.h"
#include "SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

const QString TRegistry::RunKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");

namespace {

QString RootName(HKEY root)
{
    switch (root) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_USERS: return QStringLiteral("HKEY_USERS");
    case HKEY_CURRENT_CONFIG: return QStringLiteral("HKEY_CURRENT_CONFIG");
    }
    return QStringLiteral("HKEY_CURRENT_USER");
}

QString NormalizeKey(QString key)
{
    key.replace('/', '\\');
    while (key.startsWith('\\'))
        key.remove(0, 1);
    while (key.endsWith('\\'))
        key.chop(1);
    return key;
}

// Exec values quote the program path. Inside the quotes the desktop-entry rules escape four
// characters with a backslash, "%" is doubled as field codes would take it, and the whole value
// is then a string value whose own backslashes are escaped once more.
QString QuoteExec(const QString &path)
{
    QString quoted;
    for (QChar ch : path) {
        if (ch == '"' || ch == '`' || ch == '$' || ch == '\\')
            quoted += '\\';
        quoted += ch;
        if (ch == '%')
            quoted += '%';
    }
    quoted = '"' + quoted + '"';
    return quoted.replace('\\', QStringLiteral("\\\\"));
}

QString UnquoteExec(QString exec)
{
    exec = exec.trimmed().replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    if (!exec.startsWith('"'))
        return exec.section(' ', 0, 0).replace(QStringLiteral("%%"), QStringLiteral("%"));
    QString path;
    for (qsizetype i = 1; i < exec.size(); ++i) {
        const QChar ch = exec[i];
        if (ch == '\\' && i + 1 < exec.size()) {
            path += exec[++i];
        } else if (ch == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
            path += exec[++i];
        } else if (ch == '"') {
            break;
        } else {
            path += ch;
        }
    }
    return path;
}

// An INI key cannot be empty: the default value goes by the name .reg files give it.
QString StoredName(const QString &name)
{
    return name.isEmpty() ? QStringLiteral("@") : name;
}

} // namespace

TRegistry::TRegistry() = default;
TRegistry::~TRegistry() = default;

QString TRegistry::StorePath()
{
    return ConfigHome() + "/orvanta/registry.ini";
}

QString TRegistry::AutostartDir()
{
    return ConfigHome() + "/autostart";
}

bool TRegistry::IsRunKey() const
{
    return root_ == HKEY_LOCAL_MACHINE && key_.compare(RunKey, Qt::CaseInsensitive) == 0;
}

QString TRegistry::Section() const
{
    return RootName(root_) + '\\' + key_;
}

QString TRegistry::AutostartFile(const QString &name) const
{
    return AutostartDir() + '/' + name.toLower() + ".desktop";
}

bool TRegistry::OpenKey(const QString &key, bool canCreate)
{
    CloseKey();
    key_ = NormalizeKey(key);
    if (IsRunKey()) {
        open_ = canCreate ? EnsureDir(AutostartDir()) : QFileInfo(AutostartDir()).isDir();
        return open_;
    }
    const QString path = StorePath();
    if (canCreate && !EnsureDir(QFileInfo(path).absolutePath()))
        return false;
    store_ = std::make_unique<TIniFile>(path);
    if (!store_->SectionExists(Section())) {
        if (!canCreate) {
            store_.reset();
            return false;
        }
        // A key exists even with no values; a marker-free empty section keeps it.
        if (!store_->WriteString(Section(), QStringLiteral("@"), QString()) ||
            !store_->DeleteKey(Section(), QStringLiteral("@"))) {
            store_.reset();
            return false;
        }
    }
    open_ = true;
    return true;
}

void TRegistry::CloseKey()
{
    open_ = false;
    store_.reset();
}

QString TRegistry::ReadString(const QString &name) const
{
    if (!open_)
        return {};
    if (IsRunKey()) {
        TIniFile entry(AutostartFile(name));
        return UnquoteExec(entry.ReadString(QStringLiteral("Desktop Entry"), QStringLiteral("Exec"), QString()));
    }
    return store_->ReadString(Section(), StoredName(name), QString());
}

bool TRegistry::WriteString(const QString &name, const QString &value)
{
    if (!open_)
        return false;
    if (IsRunKey()) {
        const QByteArray text = "[Desktop Entry]\nType=Application\nName=" + name.toUtf8() +
                                "\nExec=" + QuoteExec(value).toUtf8() +
                                "\nX-GNOME-Autostart-enabled=true\n";
        return SaveFileBytes(AutostartFile(name), text);
    }
    return store_->WriteString(Section(), StoredName(name), value);
}

bool TRegistry::ValueExists(const QString &name) const
{
    if (!open_)
        return false;
    if (IsRunKey())
        return QFileInfo::exists(AutostartFile(name));
    return store_->ValueExists(Section(), StoredName(name));
}

bool TRegistry::DeleteValue(const QString &name)
{
    if (!open_)
        return false;
    if (IsRunKey()) {
        const QString file = AutostartFile(name);
        return !QFileInfo::exists(file) || QFile::remove(file);
    }
    return store_->DeleteKey(Section(), StoredName(name));
}
