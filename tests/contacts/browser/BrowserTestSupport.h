#pragma once
// An account file with a few groups and contacts written row by row, and the browser page on it.
#include "contacts/shared/AppGlobals.h"
#include "contacts/shared/Utility.h"
#include "contacts/shared/UtilityDb.h"
#include "contacts/browser/userfrm.h"
#include "contacts/browser/userfrmListView.h"

#include "TestSupport.h"
#include "platform/ADODB.h"
#include "platform/AppPaths.h"
#include "platform/IniFiles.h"

#include <QFile>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>
#include <memory>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

class BrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureDir(AppDir());
        QFile::remove(ConfigIniPath());
        FieldCaptions = BuildFieldCaptions(TIniFile(ConfigIniPath()));
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = MakeTempDir(QString::fromLatin1(info->test_suite_name()) + '_' + QString::fromLatin1(info->name())) +
               QStringLiteral("/account.txl");
        ASSERT_TRUE(SaveResourceToFile(QStringLiteral("MYDB"), QStringLiteral("TEMPLATE"), path));
        connection.Open(path);
    }

    void TearDown() override
    {
        page.reset();
        connection.Close();
    }

    // The page, made on first use with the tree loaded from what the test wrote so far.
    Tfuserfrm &Page()
    {
        if (!page) {
            page = std::make_unique<Tfuserfrm>(&connection);
            page->resize(900, 600);
            page->LoadGroupTree();
        }
        return *page;
    }

    void Exec(const QString &sql, const QVariantList &params = {})
    {
        SQLite::Statement statement(connection.Db(), sql);
        statement.BindAll(params);
        statement.Exec();
    }

    QVariant Value(const QString &sql, const QVariantList &params = {})
    {
        SQLite::Statement statement(connection.Db(), sql);
        statement.BindAll(params);
        return statement.ExecuteStep() ? statement.Column(0) : QVariant();
    }

    qint64 Group(const QString &name, qint64 parent = 0, int level = 1, int index = 0)
    {
        Exec(QStringLiteral("insert into userinfo (uname,nodetype,nodeparentkey,nodelevel,nodeindex,kzfield2) "
                            "values (?,1,?,?,?,'2')"),
             {name, parent, level, index});
        return connection.Db().LastInsertRowId();
    }

    // Extra columns as name/value pairs.
    qint64 Contact(const QString &name, qint64 parent = 0, int level = 1, const QVariantMap &extra = {})
    {
        QStringList columns = {QStringLiteral("uname"), QStringLiteral("nodetype"), QStringLiteral("nodeparentkey"),
                               QStringLiteral("nodelevel"), QStringLiteral("nodeindex"), QStringLiteral("kzfield1"),
                               QStringLiteral("kzfield2")};
        QVariantList values = {name, 2, parent, level, 0, PinyinInitials(name), QStringLiteral("2")};
        for (auto it = extra.constBegin(); it != extra.constEnd(); ++it) {
            const int at = int(columns.indexOf(it.key()));
            if (at >= 0) {
                values[at] = it.value();
            } else {
                columns << it.key();
                values << it.value();
            }
        }
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        Exec(QStringLiteral("insert into userinfo (") + columns.join(',') + QStringLiteral(") values (") +
                 marks.join(',') + ')',
             values);
        return connection.Db().LastInsertRowId();
    }

    QTreeWidgetItem *Node(qint64 key) { return Page().FindTreeNodeByKey(QString::number(key)); }

    // The tree as text: "人脉(A(a1,a2),B)".
    static QString Shape(const QTreeWidgetItem *node)
    {
        QString text = node->text(0);
        if (node->childCount() == 0)
            return text;
        QStringList children;
        for (int i = 0; i < node->childCount(); ++i)
            children << Shape(node->child(i));
        return text + '(' + children.join(',') + ')';
    }
    QString Shape() { return Shape(Page().Root()); }

    // Every node's parent key and depth must agree with its stored row.
    void ExpectRowsMatchTree()
    {
        for (QTreeWidgetItemIterator it(Page().DyTreeView1); *it; ++it) {
            const TIQ *record = RecordOf(*it);
            if (!record || *it == Page().Root())
                continue;
            SCOPED_TRACE(record->uname.toStdString());
            EXPECT_EQ(Value("select nodelevel from userinfo where keyid=?", {record->Key()}).toInt(), NodeLevel(*it));
            EXPECT_EQ(Value("select nodeparentkey from userinfo where keyid=?", {record->Key()}).toLongLong(),
                      RecordOf((*it)->parent())->Key());
        }
    }

    // The captions of the contact list, top to bottom.
    QStringList ListCaptions()
    {
        QStringList captions;
        for (int i = 0; i < Page().ListView1->Count(); ++i)
            captions << Page().ListView1->Model()->Row(i).caption;
        return captions;
    }

    QString path;
    TADOConnection connection;
    std::unique_ptr<Tfuserfrm> page;
};
