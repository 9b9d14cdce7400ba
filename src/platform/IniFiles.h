#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// An INI file with the semantics of the Windows profile routines: section and key names
// compare without case, values are kept exactly as written (no escaping, no quoting), flags are
// "1"/"0", and a missing key gives the caller's default. Every write goes to disk at once;
// a write that cannot reach the disk reports false.
class TIniFile
{
public:
    explicit TIniFile(const QString &fileName);

    const QString &FileName() const { return fileName_; }

    QString ReadString(const QString &section, const QString &ident, const QString &def) const;
    int ReadInteger(const QString &section, const QString &ident, int def) const;
    bool ReadBool(const QString &section, const QString &ident, bool def) const;

    bool WriteString(const QString &section, const QString &ident, const QString &value);
    bool WriteInteger(const QString &section, const QString &ident, int value);
    bool WriteBool(const QString &section, const QString &ident, bool value);

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &ident) const;
    QStringList ReadSection(const QString &section) const;  // the keys, in file order
    QStringList ReadSections() const;
    bool EraseSection(const QString &section);
    bool DeleteKey(const QString &section, const QString &ident);

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };

    void Load();
    bool Save() const;
    const Section *FindSection(const QString &name) const;
    Section *FindSection(const QString &name);
    static const Entry *FindEntry(const Section &section, const QString &key);

    QString fileName_;
    std::vector<Section> sections_;
};
