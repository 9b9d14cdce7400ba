#pragma once
// Shared pieces of the contact editor tests: an open account, a fixed clock, a recording browser
// and small helpers to read and write rows.
// The account, main window and Qt pieces come with the main window's test support.
#include "contacts/editor/useredit.h"
#include "contacts/shared/Utility.h"
#include "contacts/editor/usereditControls.h"
#include "contacts/editor/usereditdlg.h"

#include "PictureTestData.h"
#include "main/MainTestSupport.h"
#include "shared/FileTestSupport.h"
#include "platform/IniFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <optional>

using filetest::ReadBytes;
using filetest::WriteBytes;

inline QStringList ItemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

class RecordingBrowser final : public IBrowserPage
{
public:
    TNodePlace place;
    QStringList shownNew, updated;
    int tagTreeLoads = 0;
    QWidget *PageWidget() override { return nullptr; }
    void LoadGroupTree() override {}
    int ViewStyle() const override { return 0; }
    QList<int> ColumnWidths() const override { return {}; }
    TNodePlace NewContactPlace() const override { return place; }
    void ShowNewContact(const QString &keyid) override { shownNew << keyid; }
    void UpdateContactNode(const QString &keyid) override { updated << keyid; }
    void LoadTagTree() override { ++tagTreeLoads; }
};

// The editor windows shown modally are answered as dialogs are; one without a step is closed.
inline void Dismiss(TUserEditForm *form) { form->Close(); }
using ModalEditorResponder = TModalResponderOf<TUserEditForm>;

class EditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureDir(AppDir());
        QFile::remove(AppDir() + "config.ini");
        accountPath = MakeTempDir("editor") + "/account.txl";
        ASSERT_TRUE(SaveResourceToFile("MYDB", "TEMPLATE", accountPath));
        data = std::make_unique<TCustomerData>();
        data->dbConnection->Open(accountPath);
        query = std::make_unique<TADOQuery>(data->dbConnection);
        SetClock(&clock);
        savedLookup = ContactBrowserLookup;
        ContactBrowserLookup = [this]() -> IBrowserPage * { return withBrowser ? &browser : nullptr; };
    }
    void TearDown() override
    {
        while (!editors.empty())
            editors.pop_back();
        ContactBrowserLookup = savedLookup;
        SetClock(nullptr);
        query.reset();
        data.reset();
    }
    // Runs a statement with bound values; fails the test when the engine refuses it.
    void Exec(const QString &sql, const QVariantList &params = {})
    {
        ASSERT_TRUE(RunQuery(query.get(), sql, params)) << sql.toStdString();
    }
    // The first column of the first row, or an invalid QVariant when there is none.
    QVariant Value(const QString &sql, const QVariantList &params = {})
    {
        if (!RunQuery(query.get(), sql, params) || query->IsEmpty())
            return {};
        query->First();
        return query->Fields(0).Value();
    }
    QString Text(const QString &sql, const QVariantList &params = {}) { return Value(sql, params).toString(); }
    // One column of the contact row with the given key.
    QString Field(const QString &key, const QString &column)
    {
        return Text("select " + column + " from userinfo where keyid=?", {key.toLongLong()});
    }
    // The first column of every row.
    QStringList Column(const QString &sql, const QVariantList &params = {})
    {
        QStringList values;
        if (RunQuery(query.get(), sql, params))
            for (query->First(); !query->Eof(); query->Next())
                values << query->Fields(0).AsString();
        return values;
    }
    int Count(const QString &table, const QString &where = "1=1", const QVariantList &params = {})
    {
        return Value("select count(*) from " + table + " where " + where, params).toInt();
    }
    // An editor showing the contact with the given key; it lives until the test ends.
    Tfrmuseredit &Open(const QString &key)
    {
        editors.push_back(std::make_unique<Tfrmuseredit>());
        editors.back()->LoadContact(key);
        return *editors.back();
    }
    // Inserts a contact row with the given columns; returns its key.
    QString InsertContact(const std::map<QString, QVariant> &columns)
    {
        std::map<QString, QVariant> row = columns;  // the given columns win over these
        row.insert({{"nodetype", 2}, {"nodeparentkey", 0}, {"nodelevel", 1}, {"nodeindex", 0}, {"kzfield2", "2"}});
        QStringList names, marks;
        QVariantList values;
        for (const auto &[name, value] : row) {
            names << name;
            marks << "?";
            values << value;
        }
        if (!RunQuery(query.get(), "insert into userinfo (" + names.join(',') + ") values (" + marks.join(',') + ")",
                      values))
            return {};
        return QString::number(data->dbConnection->Db().LastInsertRowId());
    }
    QString accountPath;
    std::unique_ptr<TCustomerData> data;
    std::unique_ptr<TADOQuery> query;
    FakeClock clock;
    RecordingBrowser browser;
    bool withBrowser = false;
    std::function<IBrowserPage *()> savedLookup;
    std::vector<std::unique_ptr<Tfrmuseredit>> editors;
};
