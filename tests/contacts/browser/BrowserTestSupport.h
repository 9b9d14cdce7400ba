#pragma once
// An account file with a few groups and contacts written row by row, and the browser page on it.
#include "contacts/shared/AppGlobals.h"
#include "contacts/shared/Utility.h"
#include "contacts/shared/UtilityDb.h"
#include "contacts/browser/userfrm.h"
#include "contacts/browser/userfrmListView.h"
#include "contacts/browser/selfields.h"
#include "contacts/shared/WNDES.h"

#include "TestSupport.h"
#include "main/MainTestSupport.h"
#include "platform/ADODB.h"
#include "platform/AppPaths.h"
#include "platform/IniFiles.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>
#include <memory>

// Answers the field chooser, checking exactly the given fields.
inline ModalResponder::Step CheckOnly(const QStringList &fields)
{
    return [fields](QDialog *dialog) {
        QListWidget *list = static_cast<Tfrmselfields *>(dialog)->CheckListBox1;
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setCheckState(fields.contains(list->item(i)->text().section('=', -1)) ? Qt::Checked
                                                                                                  : Qt::Unchecked);
        static_cast<Tfrmselfields *>(dialog)->BitBtn1->click();
    };
}

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
    qint64 Group(const QString &name, qint64 parent = 0, int level = 1, int index = 0)
    {
        return Contact(name, parent, level, {{"nodetype", 1}, {"nodeindex", index}, {"kzfield1", QVariant()}});
    }
    // Extra columns as name/value pairs.
    qint64 Contact(const QString &name, qint64 parent = 0, int level = 1, const QVariantMap &extra = {})
    {
        QVariantMap row = {{"uname", name},  {"nodetype", 2}, {"nodeparentkey", parent}, {"nodelevel", level},
                           {"nodeindex", 0}, {"kzfield1", PinyinInitials(name)}, {"kzfield2", QStringLiteral("2")}};
        row.insert(extra);
        const QString marks = QStringList(row.size(), "?").join(',');
        Exec("insert into userinfo (" + row.keys().join(',') + ") values (" + marks + ')', row.values());
        return connection.Db().LastInsertRowId();
    }
    // The first column of every row.
    QStringList Column(const QString &sql, const QVariantList &params = {})
    {
        QStringList values;
        SQLite::Statement statement(connection.Db(), sql);
        statement.BindAll(params);
        while (statement.ExecuteStep())
            values << statement.Column(0).toString();
        return values;
    }
    QString Value(const QString &sql, const QVariantList &params = {}) { return Column(sql, params).value(0); }
    QString Field(qint64 key, const QString &column)
    {
        return Value("select " + column + " from userinfo where keyid=?", {key});
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
            EXPECT_EQ(Field(record->Key(), "nodelevel||'|'||nodeparentkey"),
                      QString::number(NodeLevel(*it)) + '|' + QString::number(RecordOf((*it)->parent())->Key()))
                << record->uname.toStdString();
        }
    }
    // The captions of the contact list, top to bottom.
    static QStringList ListCaptions(Tfuserfrm &page)
    {
        QStringList captions;
        for (int i = 0; i < page.ListView1->Count(); ++i)
            captions << page.ListView1->Model()->Row(i).caption;
        return captions;
    }
    QStringList ListCaptions() { return ListCaptions(Page()); }
    QString path;
    TADOConnection connection;
    std::unique_ptr<Tfuserfrm> page;
};
