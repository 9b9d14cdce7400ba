#include "transfer/ContactTransfer.h"

#include "shared/AppGlobals.h"
#include "transfer/CsvFormat.h"
#include "shared/Utility.h"
#include "shared/UtilityDb.h"

#include "platform/ADODB.h"
#include "platform/JetFormat.h"
#include "platform/SqliteDb.h"

#include <QMap>
#include <QSaveFile>
#include <QSet>
#include <QStringEncoder>

namespace {

const QString UserInfo = QStringLiteral("userinfo");

// Columns an import never takes from a file: the tree place and bookkeeping the program keeps
// itself, and the pictures.
bool IsReservedColumn(const QString &lowerName)
{
    static const QSet<QString> reserved = {
        QStringLiteral("keyid"),    QStringLiteral("nodelevel"), QStringLiteral("nodeparentkey"),
        QStringLiteral("nodetype"), QStringLiteral("nodeindex"), QStringLiteral("kzfield1"),
        QStringLiteral("kzfield2"), QStringLiteral("readcount"), QStringLiteral("inserttime"),
        QStringLiteral("updatetime"), QStringLiteral("upot"),
    };
    return reserved.contains(lowerName);
}

// The table's own spelling of each column, by lower-case name.
QHash<QString, QString> TableColumns(SQLite::Database &db)
{
    QHash<QString, QString> columns;
    for (const QString &column : db.ColumnNames(UserInfo))
        columns.insert(column.toLower(), column);
    return columns;
}

bool IsBlank(const QString &value)
{
    return QStringView(value).trimmed().isEmpty();
}

QVariant Text(const QString &value)
{
    return IsBlank(value) ? QVariant() : QVariant(value);
}

QVariant Level(const QString &value)
{
    bool ok = false;
    const int level = QStringView(value).trimmed().toInt(&ok);
    return ok && level >= 0 && level <= 4 ? level : 0;
}

QVariant Birthday(const QString &value)
{
    if (IsBlank(value))
        return {};
    const QDateTime date = ReadLooseDateTime(value.trimmed());
    return date.isValid() ? QVariant(date.date().toString(QStringLiteral("yyyy-MM-dd"))) : QVariant();
}

bool HasAnyValue(const TContactRecord &record)
{
    for (auto it = record.cbegin(); it != record.cend(); ++it) {
        if (!IsBlank(it.value()))
            return true;
    }
    return false;
}

QString Placeholders(qsizetype count)
{
    QStringList marks;
    for (qsizetype i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(u',');
}

} // namespace

namespace {

enum class TRule { Text, Level, Birthday, Picture };

// The one insert statement of an import and where each record value goes in it.
struct TInsertPlan {
    QStringList Columns;        // value columns, in table order, after the bookkeeping ones
    QList<TRule> Rules;         // per value column
    QHash<QString, int> SlotOf; // record key → index in Columns, -1 when ignored
    int NameSlot = -1;
    QString Sql;
};

const QStringList &BookkeepingColumns()
{
    static const QStringList columns = {
        QStringLiteral("nodelevel"), QStringLiteral("nodeparentkey"), QStringLiteral("nodetype"),
        QStringLiteral("nodeindex"), QStringLiteral("kzfield1"),      QStringLiteral("kzfield2"),
        QStringLiteral("readcount"), QStringLiteral("inserttime"),    QStringLiteral("updatetime")};
    return columns;
}

// Each distinct key of the records is looked up once; only names the table itself gave go into
// the statement text.
TInsertPlan PlanInsert(SQLite::Database &db, const QList<TContactRecord> &records)
{
    const QHash<QString, QString> known = TableColumns(db);
    TInsertPlan plan;
    QSet<QString> used = {QStringLiteral("ulevel")};
    for (const TContactRecord &record : records) {
        for (auto it = record.cbegin(); it != record.cend(); ++it) {
            if (plan.SlotOf.contains(it.key()))
                continue;
            plan.SlotOf.insert(it.key(), -1);
            const QString lower = it.key().toLower();
            if (known.contains(lower) && !IsReservedColumn(lower))
                used.insert(lower);
        }
    }
    for (const QString &column : db.ColumnNames(UserInfo)) {
        const QString lower = column.toLower();
        if (!used.contains(lower))
            continue;
        if (lower == QLatin1String("uname"))
            plan.NameSlot = int(plan.Columns.size());
        plan.Rules << (lower == QLatin1String("ulevel")  ? TRule::Level
                       : lower == QLatin1String("uhsr")  ? TRule::Birthday
                       : lower == QLatin1String("mypic") ? TRule::Picture
                                                         : TRule::Text);
        plan.Columns << column;
    }
    for (auto it = plan.SlotOf.begin(); it != plan.SlotOf.end(); ++it) {
        for (int i = 0; i < plan.Columns.size(); ++i) {
            if (plan.Columns[i].compare(it.key(), Qt::CaseInsensitive) == 0)
                it.value() = i;
        }
    }
    const QStringList all = BookkeepingColumns() + plan.Columns;
    plan.Sql = QStringLiteral("insert into userinfo(%1) values(%2)").arg(all.join(u','), Placeholders(all.size()));
    return plan;
}

// Returns how many values could not be stored (a birthday that is not a date).
int InsertContact(SQLite::Statement &insert, const TInsertPlan &plan, const std::vector<const QString *> &values,
                  const QDateTime &now)
{
    int unkept = 0;
    const QString name = plan.NameSlot < 0 ? QString() : values[size_t(plan.NameSlot)]->trimmed();
    int index = 1;
    insert.Reset();
    for (const QVariant &value : {QVariant(1), QVariant(0), QVariant(2), QVariant(0), QVariant(PinyinInitials(name)),
                                  QVariant(QStringLiteral("2")), QVariant(0), QVariant(now), QVariant(now)})
        insert.Bind(index++, value);
    for (size_t i = 0; i < values.size(); ++i) {
        switch (plan.Rules[qsizetype(i)]) {
        case TRule::Level: insert.Bind(index++, Level(*values[i])); break;
        case TRule::Birthday: {
            const QVariant birthday = Birthday(*values[i]);
            unkept += birthday.isNull() && !IsBlank(*values[i]);
            insert.Bind(index++, birthday);
            break;
        }
        case TRule::Picture:
            insert.Bind(index++, IsBlank(*values[i]) ? QVariant() : QVariant(QByteArray::fromBase64(values[i]->toLatin1())));
            break;
        case TRule::Text: insert.Bind(index++, Text(*values[i])); break;
        }
    }
    insert.Exec();
    return unkept;
}

} // namespace

TImportResult ImportContacts(TADOConnection *connection, const QList<TContactRecord> &records, const QDateTime &now)
{
    TImportResult result;
    try {
        SQLite::Database &db = connection->Db();
        const TInsertPlan plan = PlanInsert(db, records);
        SQLite::Transaction transaction(db);
        SQLite::Statement insert(db, plan.Sql);
        const QString empty;
        std::vector<const QString *> values(size_t(plan.Columns.size()));
        int imported = 0;
        for (const TContactRecord &record : records) {
            if (!HasAnyValue(record))
                continue;
            std::fill(values.begin(), values.end(), &empty);
            for (auto it = record.cbegin(); it != record.cend(); ++it) {
                const int slot = plan.SlotOf.value(it.key(), -1);
                if (slot >= 0)
                    values[size_t(slot)] = &it.value();
            }
            result.Unkept += InsertContact(insert, plan, values, now);
            ++imported;
        }
        insert.Reset();
        transaction.Commit();
        result.Ok = true;
        result.Imported = imported;
    } catch (const EDatabaseError &e) {
        result.Error = e.Message();
    }
    return result;
}

QList<TCsvMapping> CaptionMappings(const QStringList &header, const QStringList &fieldCaptions)
{
    QMap<int, TCsvMapping> byItem;
    for (const QString &pair : fieldCaptions) {
        const QString caption = PairValue(pair);
        for (int i = 0; i < header.size(); ++i) {
            if (header[i].trimmed().compare(caption, Qt::CaseInsensitive) == 0) {
                byItem.insert(i, {i, caption, PairName(pair)});
                break;
            }
        }
    }
    return byItem.values();
}

QList<TContactRecord> CsvContacts(const QList<QStringList> &records, const QList<TCsvMapping> &mappings)
{
    QList<TContactRecord> contacts;
    contacts.reserve(records.size());
    for (qsizetype r = 1; r < records.size(); ++r) {
        const QStringList &items = records[r];
        TContactRecord contact;
        for (const TCsvMapping &mapping : mappings) {
            if (mapping.Item >= 0 && mapping.Item < items.size() && !QStringView(items[mapping.Item]).trimmed().isEmpty())
                contact.insert(mapping.Column, items[mapping.Item]);
        }
        contacts << contact;
    }
    return contacts;
}

QList<TContactRecord> ReadExportContacts(TADOConnection *connection, const TExportScope &scope)
{
    SQLite::Database &db = connection->Db();
    const QHash<QString, QString> known = TableColumns(db);
    QStringList columns;
    for (const QString &column : VCardColumns()) {
        if (known.contains(column))
            columns << column;
    }
    // All contacts are read in storage order, which is key order: through the nodetype index
    // the engine would sort every whole row again.
    QString sql = QStringLiteral("select %1 from userinfo where %2nodetype=2")
                      .arg(columns.join(u','), scope.Kind == TExportScope::AllContacts ? QStringLiteral("+") : QString());
    if (scope.Kind == TExportScope::OneContact)
        sql += QStringLiteral(" and keyid=?");
    else if (scope.Kind == TExportScope::GroupContacts)
        sql += QStringLiteral(" and nodeparentkey=?");
    sql += QStringLiteral(" order by keyid");

    SQLite::Statement select(db, sql);
    if (scope.Kind != TExportScope::AllContacts)
        select.Bind(1, scope.KeyId);
    QList<TContactRecord> contacts;
    while (select.ExecuteStep()) {
        TContactRecord contact;
        for (int i = 0; i < columns.size(); ++i) {
            if (!select.IsNull(i))
                contact.insert(columns[i], select.Column(i).toString());
        }
        contacts << contact;
    }
    return contacts;
}

namespace {

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

TExportResult WriteVCardFiles(TADOConnection *connection, const QString &folder, const TExportScope &scope,
                              const std::function<void(int, int)> &progress)
{
    TExportResult result;
    QList<TContactRecord> contacts;
    try {
        contacts = ReadExportContacts(connection, scope);
    } catch (const EDatabaseError &e) {
        result.Error = e.Message();
        return result;
    }
    result.Ok = true;
    QString dir = folder;
    if (!dir.endsWith(u'/'))
        dir += u'/';
    TVCardFileNames names;
    int done = 0;
    for (const TContactRecord &contact : contacts) {
        const QString path = dir + names.Next(contact.value(QStringLiteral("uname")));
        if (WriteFile(path, VCardBytes(contact)))
            ++result.Written;
        else
            ++result.Failed;
        if (progress)
            progress(++done, int(contacts.size()));
    }
    return result;
}

QString ExportVCard(TADOConnection *connection, const QString &path, qint64 keyid)
{
    QList<TContactRecord> contacts;
    try {
        contacts = ReadExportContacts(connection, {TExportScope::OneContact, keyid});
    } catch (const EDatabaseError &) {
        return {};
    }
    if (contacts.isEmpty())
        return {};
    QString target = path;
    if (FileExtLower(path) != QLatin1String("vcf"))
        target += SafeFileBaseName(contacts[0].value(QStringLiteral("uname"))) + QLatin1String(".vcf");
    return WriteFile(target, VCardBytes(contacts[0])) ? target : QString();
}

TExportResult ExportContactsCsv(TADOConnection *connection, const QString &path, const QStringList &fieldCaptions)
{
    TExportResult result;
    QSaveFile file(path);
    try {
        SQLite::Database &db = connection->Db();
        const QHash<QString, QString> known = TableColumns(db);

        // Columns the table has are read; the others keep their place in the file, empty.
        QStringList captions;
        QStringList selected;
        QList<int> fieldColumn;  // per pair: its index in the select, or -1
        for (const QString &pair : fieldCaptions) {
            captions << PairValue(pair);
            const QString column = known.value(PairName(pair).trimmed().toLower());
            fieldColumn << (column.isEmpty() ? -1 : int(selected.size()));
            if (!column.isEmpty())
                selected << column;
        }
        if (selected.isEmpty())
            selected << QStringLiteral("keyid");
        SQLite::Statement select(
            db, QStringLiteral("select %1 from userinfo where +nodetype=2 order by keyid").arg(selected.join(u',')));

        if (!file.open(QIODevice::WriteOnly))
            throw Exception(file.errorString());
        QStringEncoder encoder("GB18030");
        QString chunk = CsvHeaderLine(captions);
        const auto flush = [&] {
            const QByteArray bytes = encoder.encode(chunk);
            if (file.write(bytes) != bytes.size())
                throw Exception(file.errorString());
            chunk.clear();
        };
        while (select.ExecuteStep()) {
            for (int column : fieldColumn) {
                if (column < 0)
                    AppendCsvEmptyField(chunk);
                else
                    AppendCsvField(chunk, ColumnText(select, column));
            }
            chunk += QLatin1String("\r\n");
            ++result.Written;
            if (chunk.size() > 1 << 20)
                flush();
        }
        flush();
        if (!file.commit())
            throw Exception(file.errorString());
        result.Ok = true;
    } catch (const Exception &e) {
        file.cancelWriting();
        result.Ok = false;
        result.Error = e.Message();
    }
    return result;
}
