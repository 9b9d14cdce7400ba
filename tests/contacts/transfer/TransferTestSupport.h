#pragma once
// Shared pieces of the import and export tests: account files, rows read back, raw files.
#include "contacts/shared/AppGlobals.h"
#include "contacts/shared/UtilityDb.h"
#include "contacts/transfer/VCardFormat.h"

#include "TestSupport.h"
#include "shared/FileTestSupport.h"
#include "platform/ADODB.h"
#include "platform/IniFiles.h"
#include "platform/SqliteDb.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>

namespace transfer_test {

using filetest::ReadBytes;
using filetest::WriteBytes;

// The built-in field captions, without any user label.
inline QStringList DefaultCaptions()
{
    const QString path = MakeTempDir(QStringLiteral("captions")) + QStringLiteral("/none.ini");
    return BuildFieldCaptions(TIniFile(path));
}

// A fresh account file opened on its own connection.
class TAccount
{
public:
    explicit TAccount(const QString &name)
    {
        path = MakeTempDir(name) + QStringLiteral("/account.txl");
        EXPECT_TRUE(SaveResourceToFile(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE"), path));
        connection.Open(path);
    }
    qint64 AddGroup(const QString &name, qint64 parent) { return Add(name, 1, parent); }
    qint64 AddContact(const QString &name, qint64 parent = 0) { return Add(name, 2, parent); }
    qint64 Add(const QString &name, int type, qint64 parent)
    {
        SQLite::Statement insert(connection.Db(), "insert into userinfo(uname, nodetype, nodeparentkey, nodelevel) "
                                                  "values(?, ?, ?, 1)");
        insert.BindAll({name, type, parent});
        insert.Exec();
        return connection.Db().LastInsertRowId();
    }
    // Every row in keyid order, each column by name; a NULL stays a null QVariant.
    QList<QVariantMap> Rows()
    {
        QList<QVariantMap> rows;
        SQLite::Statement select(connection.Db(), QStringLiteral("select * from userinfo order by keyid"));
        while (select.ExecuteStep()) {
            QVariantMap row;
            for (int i = 0; i < select.ColumnCount(); ++i)
                row.insert(select.ColumnName(i), select.Column(i));
            rows << row;
        }
        return rows;
    }
    // One column or expression of every row in keyid order; a NULL reads "NULL".
    QStringList Values(const QString &column)
    {
        QStringList values;
        SQLite::Statement select(connection.Db(), "select " + column + " from userinfo order by keyid");
        while (select.ExecuteStep())
            values << (select.Column(0).isNull() ? QStringLiteral("NULL") : select.Column(0).toString());
        return values;
    }
    int Count() { return int(Rows().size()); }
    QString path;
    TADOConnection connection;
};

// An account holding 组 with its subgroup 子组, 甲 in 组, 乙 in 子组 and 丙 outside both; and
// a folder to export into.
class ExportTreeTest : public ::testing::Test
{
protected:
    explicit ExportTreeTest(const QString &name = QStringLiteral("export-tree")) : account(name) {}
    void SetUp() override
    {
        folder = MakeTempDir(QStringLiteral("export-folder"));
        group = account.AddGroup(QStringLiteral("组"), 0);
        subgroup = account.AddGroup(QStringLiteral("子组"), group);
        a = account.AddContact(QStringLiteral("甲"), group);
        b = account.AddContact(QStringLiteral("乙"), subgroup);
        c = account.AddContact(QStringLiteral("丙"), 0);
    }
    QStringList Files() const { return QDir(folder).entryList(QDir::Files, QDir::Name); }
    TAccount account;
    QString folder;
    qint64 group = 0, subgroup = 0, a = 0, b = 0, c = 0;
};

// A contact record from column and value pairs.
inline TContactRecord Record(std::initializer_list<std::pair<const char *, QString>> values)
{
    TContactRecord record;
    for (const auto &[column, value] : values)
        record.insert(QString::fromLatin1(column), value);
    return record;
}

inline QByteArray Utf16(const char *utf8, QStringConverter::Encoding encoding, bool mark = true)
{
    QStringEncoder encoder(encoding, mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(QString::fromUtf8(utf8));
}

} // namespace transfer_test
