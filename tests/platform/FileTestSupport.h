#pragma once
// Whole files, account files and the engine's errors, for the file and database tests.
#include "platform/SqliteDb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

// The file's bytes, or nothing when it cannot be read.
inline QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// An account file built straight from the compiled-in schema, for tests below the routines
// that normally create one.
inline void CreateAccountFile(const QString &path)
{
    SQLite::Database db(path, SQLite::OpenReadWrite | SQLite::OpenCreate);
    db.Exec(QString::fromUtf8(ReadAll(QStringLiteral(":/TEMPLATE/MYDB"))));
}

inline qint64 CountRows(SQLite::Database &db, const QString &sql, const QVariantList &params = {})
{
    SQLite::Statement query(db, sql);
    query.BindAll(params);
    return query.ExecuteStep() ? query.Column(0).toLongLong() : -1;
}

// The error `run` throws; throwing none fails the test.
template <class F> EDatabaseError ErrorOf(F run)
{
    try {
        run();
    } catch (const EDatabaseError &e) {
        return e;
    }
    ADD_FAILURE() << "no database error";
    return EDatabaseError(QString(), -1);
}
