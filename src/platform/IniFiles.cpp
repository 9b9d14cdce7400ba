#include "IniFiles.h"

#include "SaveFile.h"
#include "TextCodec.h"

#include <QFile>

TIniFile::TIniFile(const QString &fileName) : fileName_(fileName)
{
    Load();
}

void TIniFile::Load()
{
    sections_.clear();
    QFile file(fileName_);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // Files carried over from the Windows program are GBK; they are written back as UTF-8.
    const QStringList lines = DecodeText(file.readAll()).split('\n');
    Section *current = nullptr;
    for (QString line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(';'))
            continue;
        if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
            const QString name = trimmed.mid(1, trimmed.size() - 2).trimmed();
            current = FindSection(name);
            if (!current) {
                sections_.push_back({name, {}});
                current = &sections_.back();
            }
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key.isEmpty() || FindEntry(*current, key))
            continue;  // the first of duplicate keys wins, as the profile routines read it
        current->entries.push_back({key, value});
    }
}

bool TIniFile::Save() const
{
    QByteArray out;
    for (const Section &section : sections_) {
        out += '[' + section.name.toUtf8() + "]\n";
        for (const Entry &entry : section.entries)
            out += entry.key.toUtf8() + '=' + entry.value.toUtf8() + '\n';
        out += '\n';
    }
    return SaveFileBytes(fileName_, out);
}

const TIniFile::Section *TIniFile::FindSection(const QString &name) const
{
    for (const Section &section : sections_) {
        if (section.name.compare(name, Qt::CaseInsensitive) == 0)
            return &section;
    }
    return nullptr;
}

TIniFile::Section *TIniFile::FindSection(const QString &name)
{
    return const_cast<Section *>(std::as_const(*this).FindSection(name));
}

const TIniFile::Entry *TIniFile::FindEntry(const Section &section, const QString &key)
{
    for (const Entry &entry : section.entries) {
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

QString TIniFile::ReadString(const QString &section, const QString &ident, const QString &def) const
{
    const Section *s = FindSection(section);
    const Entry *e = s ? FindEntry(*s, ident) : nullptr;
    return e ? e->value : def;
}

int TIniFile::ReadInteger(const QString &section, const QString &ident, int def) const
{
    const QString text = ReadString(section, ident, QString()).trimmed();
    bool ok = false;
    const int value = text.startsWith("0x", Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                   : text.toInt(&ok);
    return ok ? value : def;
}

bool TIniFile::ReadBool(const QString &section, const QString &ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const QString &section, const QString &ident, const QString &value)
{
    // Line breaks would split the entry into a broken key on the next read.
    QString clean = value;
    clean.replace('\r', ' ').replace('\n', ' ');
    Section *s = FindSection(section);
    if (!s) {
        sections_.push_back({section, {}});
        s = &sections_.back();
    }
    auto *e = const_cast<Entry *>(FindEntry(*s, ident));
    if (e)
        e->value = clean;
    else
        s->entries.push_back({ident, clean});
    return Save();
}

bool TIniFile::WriteInteger(const QString &section, const QString &ident, int value)
{
    return WriteString(section, ident, QString::number(value));
}

bool TIniFile::WriteBool(const QString &section, const QString &ident, bool value)
{
    return WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::SectionExists(const QString &section) const
{
    return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const QString &section, const QString &ident) const
{
    const Section *s = FindSection(section);
    return s && FindEntry(*s, ident);
}

QStringList TIniFile::ReadSection(const QString &section) const
{
    QStringList keys;
    if (const Section *s = FindSection(section)) {
        for (const Entry &entry : s->entries)
            keys << entry.key;
    }
    return keys;
}

QStringList TIniFile::ReadSections() const
{
    QStringList names;
    for (const Section &section : sections_)
        names << section.name;
    return names;
}

bool TIniFile::EraseSection(const QString &section)
{
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        if (it->name.compare(section, Qt::CaseInsensitive) == 0) {
            sections_.erase(it);
            return Save();
        }
    }
    return true;
}

bool TIniFile::DeleteKey(const QString &section, const QString &ident)
{
    Section *s = FindSection(section);
    if (!s)
        return true;
    for (auto it = s->entries.begin(); it != s->entries.end(); ++it) {
        if (it->key.compare(ident, Qt::CaseInsensitive) == 0) {
            s->entries.erase(it);
            return Save();
        }
    }
    return true;
}
