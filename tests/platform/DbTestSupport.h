#pragma once
#include "platform/SqliteDb.h"

#include <QFile>
#include <QString>

// An account file built straight from the compiled-in schema, for tests below the routines
// that normally create one.
inline QString AccountSchema()
{
    QFile resource(QStringLiteral(":/TEMPLATE/MYDB"));
    if (!resource.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(resource.readAll());
}

inline void CreateAccountFile(const QString &path)
{
    SQLite::Database db(path, SQLite::OpenReadWrite | SQLite::OpenCreate);
    db.Exec(AccountSchema());
}

inline qint64 CountRows(SQLite::Database &db, const QString &sql, const QVariantList &params = {})
{
    SQLite::Statement query(db, sql);
    query.BindAll(params);
    return query.ExecuteStep() ? query.Column(0).toLongLong() : -1;
}
