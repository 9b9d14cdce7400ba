#include "shared/UtilityDb.h"

#include "platform/ADODB.h"
#include "platform/DbFiles.h"
#include "platform/SqliteDb.h"

#include <QDebug>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QHash>
#include <array>
#include <cstring>

namespace {

// Resources are kept under ":/<TYPE>/<NAME>"; like the old resource names they ignore case.
QString ResourcePath(const QString &name, const QString &type)
{
    return QStringLiteral(":/%1/%2").arg(type.toUpper(), name.toUpper());
}

bool BuildDatabase(const QString &path, const QString &schema)
{
    try {
        SQLite::Database db(path, SQLite::OpenReadWrite | SQLite::OpenCreate);
        SQLite::Transaction transaction(db);
        db.Exec(schema);
        transaction.Commit();
        return true;
    } catch (const EDatabaseError &e) {
        qWarning().noquote() << "cannot build" << path << ":" << e.Message();
        return false;
    }
}

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

bool IsSound(SQLite::Database &db)
{
    SQLite::Statement check(db, QStringLiteral("PRAGMA quick_check"));
    return check.ExecuteStep() && check.Column(0).toString() == QLatin1String("ok");
}

bool IsReadableDatabase(const QString &path)
{
    try {
        SQLite::Database db(path, SQLite::OpenReadOnly);
        return IsSound(db);
    } catch (const EDatabaseError &) {
        return false;
    }
}

QHash<QString, QStringList> ReadSchemaColumns()
{
    QHash<QString, QStringList> columns;
    QFile resource(ResourcePath(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE")));
    if (!resource.open(QIODevice::ReadOnly))
        return columns;
    SQLite::Database db(QStringLiteral(":memory:"), SQLite::OpenReadWrite | SQLite::OpenCreate);
    db.Exec(QString::fromUtf8(resource.readAll()));
    SQLite::Statement tables(db, QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite%'"));
    while (tables.ExecuteStep()) {
        const QString table = tables.Column(0).toString();
        QStringList names;
        for (const QString &name : db.ColumnNames(table))
            names << name.toLower();
        columns.insert(table.toLower(), names);
    }
    return columns;
}

} // namespace

bool RunQuery(TADOQuery *query, const QString &sql, const QVariantList &params)
{
    if (!query || !query->Connection() || !query->Connection()->Connected())
        return false;
    query->Close();
    QString head;
    if (!sql.isEmpty()) {
        head = sql.trimmed().left(6);
        query->SetSQL(sql);
        query->SetParams(params);
    } else {
        if (query->SQL().trimmed().isEmpty())
            return false;
        head = query->SQL().trimmed().left(6);
        if (!params.isEmpty())
            query->SetParams(params);
    }
    try {
        if (head.toLower() == QLatin1String("select"))
            query->Open();
        else
            query->ExecSQL();
        return true;
    } catch (const Exception &e) {
        qWarning().noquote() << "query failed:" << e.Message();
        return false;
    }
}

QString DatabaseErrorText(const EDatabaseError &error)
{
    qWarning().noquote() << "database error:" << error.Message();
    switch (error.Kind()) {
    case TDbErrorKind::DiskFull: return QStringLiteral("磁盘空间不足。");
    case TDbErrorKind::ReadOnly: return QStringLiteral("账户文件是只读的，不能写入。");
    case TDbErrorKind::Damaged: return QStringLiteral("账户数据已损坏。");
    case TDbErrorKind::Busy: return QStringLiteral("账户数据正被其它程序使用。");
    case TDbErrorKind::DiskError: return QStringLiteral("读写磁盘时出错。");
    case TDbErrorKind::CannotOpen: return QStringLiteral("无法打开账户文件。");
    case TDbErrorKind::Other: break;
    }
    return QStringLiteral("数据库操作失败。");
}

bool SaveResourceToFile(const QString &name, const QString &type, const QString &path)
{
    QFile resource(ResourcePath(name, type));
    if (!resource.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = resource.readAll();
    const QString temp = CreateTempFileBeside(path, QStringLiteral("~RS"));
    if (temp.isEmpty())
        return false;
    // The template is kept as the schema script; the file it stands for is the database built from it.
    const bool written = type.compare(QLatin1String("TEMPLATE"), Qt::CaseInsensitive) == 0
        ? BuildDatabase(temp, QString::fromUtf8(content))
        : WriteBytes(temp, content);
    if (!written || !SyncFile(temp) || !ReplaceFile(temp, path)) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

bool CompactDatabase(const QString &path)
{
    const QFileInfo source(path);
    // A file the user made read-only is left as it is.
    if (!source.isFile() || !(source.permissions() & QFileDevice::WriteOwner))
        return false;
    const QString temp = CreateTempFileBeside(path, QStringLiteral("~CP"));
    if (temp.isEmpty())
        return false;
    bool ok = false;
    try {
        // Opened for writing so that a transaction a crash left behind is rolled back first.
        SQLite::Database db(path, SQLite::OpenReadWrite);
        // Rewriting damaged pages would drop what they still hold and leave a file that looks
        // sound; the damaged file stays for the next open to report.
        if (!IsSound(db))
            throw EDatabaseError(QStringLiteral("damaged pages"));
        SQLite::Statement vacuum(db, QStringLiteral("VACUUM INTO ?"));
        vacuum.Bind(1, temp);
        vacuum.Exec();
        ok = true;
    } catch (const EDatabaseError &e) {
        qWarning().noquote() << "cannot compact" << path << ":" << e.Message();
    }
    ok = ok && IsReadableDatabase(temp) && SyncFile(temp) && ReplaceFile(temp, path);
    if (!ok)
        QFile::remove(temp);
    return ok;
}

void RemoveLeftoverTempFiles(const QString &folder)
{
    if (folder.isEmpty())
        return;
    // The engine keeps a journal beside the copy while it writes it; an interrupted copy leaves
    // both, and a journal may outlive its copy when only the copy was removed before.
    static const QRegularExpression leftover(
        QStringLiteral("^~(CP|BK|hf|RS)[A-Za-z0-9]{6}\\.tmp(-journal|-wal|-shm)?$"));
    const QDir dir(folder);
    const QStringList patterns = {QStringLiteral("~*.tmp"), QStringLiteral("~*.tmp-journal"),
                                  QStringLiteral("~*.tmp-wal"), QStringLiteral("~*.tmp-shm")};
    for (const QString &name : dir.entryList(patterns, QDir::Files | QDir::Hidden | QDir::System)) {
        if (leftover.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

bool IsKnownColumn(const QString &table, const QString &column)
{
    static const QHash<QString, QStringList> columns = ReadSchemaColumns();
    return columns.value(table.toLower()).contains(column.toLower());
}

namespace {

const QString *SharedText(const char *bytes, int size)
{
    static const std::array<QString, 128> ascii = [] {
        std::array<QString, 128> texts;
        for (int i = 1; i < 128; ++i)
            texts[size_t(i)] = QString(QChar(i));
        return texts;
    }();
    static const QString male = QStringLiteral("男");
    static const QString female = QStringLiteral("女");
    if (size == 1 && bytes[0] > 0)
        return &ascii[size_t(bytes[0])];
    if (size == 3 && std::memcmp(bytes, "\xe7\x94\xb7", 3) == 0)
        return &male;
    if (size == 3 && std::memcmp(bytes, "\xe5\xa5\xb3", 3) == 0)
        return &female;
    return nullptr;
}

} // namespace

QString ColumnText(const SQLite::Statement &statement, int index)
{
    const SQLite::ValueView value = statement.ColumnView(index);
    switch (value.Type) {
    case SQLite::ValueType::Null:
        return {};
    case SQLite::ValueType::Integer: {
        static const std::array<QString, 100> small = [] {
            std::array<QString, 100> texts;
            for (int i = 0; i < 100; ++i)
                texts[size_t(i)] = QString::number(i);
            return texts;
        }();
        const qint64 number = value.Int64;
        return number >= 0 && number < 100 ? small[size_t(number)] : QString::number(number);
    }
    case SQLite::ValueType::Text: {
        const char *bytes = value.Bytes.data();
        const int size = int(value.Bytes.size());
        if (const QString *shared = SharedText(bytes, size))
            return *shared;
        return QString::fromUtf8(value.Bytes);
    }
    default:
        return statement.Column(index).toString();
    }
}
