#include "contacts/transfer/ContactTransfer.h"
#include "contacts/transfer/inputcsv.h"
#include "contacts/transfer/selectfield.h"
#include "themed/SpTBXDkPanels.h"

#include "main/MainTestSupport.h"
#include "transfer/TransferTestSupport.h"
#include "platform/TextCodec.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>

using namespace transfer_test;

namespace {

// A click on one of the wizard's buttons, as the mouse gives it.
void Press(TSpTBXButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() / 2, button->height() / 2));
}

class CsvImportWizard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FieldCaptions = DefaultCaptions();
        folder = MakeTempDir("csv-wizard");
        wizard = std::make_unique<Tfrminputcsv>(&account.connection);
        wizard->OnImported = [this] { ++imports; };
    }

    void TearDown() override
    {
        wizard.reset();
        FieldCaptions.clear();
    }

    QString WriteCsv(const QByteArray &bytes)
    {
        const QString path = folder + QStringLiteral("/file%1.csv").arg(++files);
        WriteBytes(path, bytes);
        return path;
    }

    // Opens a file and moves to the field page.
    void Open(const QByteArray &bytes)
    {
        wizard->Edit1->setText(WriteCsv(bytes));
        Press(wizard->SpTBXButton2);
        ASSERT_EQ(wizard->PageControl1->currentWidget(), wizard->TabSheet2);
    }

    QWidget *Page() const { return wizard->PageControl1->currentWidget(); }
    // The field picker's current choice, then the given field checked and the dialog closed.
    ModalResponder::Step Pick(QString &preselected, const char *field = nullptr)
    {
        return [&preselected, field](QDialog *dialog) {
            auto *picker = qobject_cast<Tfrmselectfield *>(dialog);
            ASSERT_NE(picker, nullptr);
            preselected = picker->CheckedField() ? picker->CheckedField()->objectName() : QString();
            if (field)
                picker->FieldButton(field)->setChecked(true);
            (field ? picker->Button1 : picker->Button2)->click();
        };
    }

    struct TRow {
        QString item;
        bool checked;
        QString caption, column;
        friend bool operator==(const TRow &, const TRow &) = default;
        friend void PrintTo(const TRow &row, std::ostream *out)
        {
            *out << row.item.toStdString() << (row.checked ? " [x] " : " [ ] ") << row.caption.toStdString() << " "
                 << row.column.toStdString();
        }
    };
    std::vector<TRow> Rows() const
    {
        std::vector<TRow> rows;
        for (int i = 0; i < wizard->ListView1->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *row = wizard->ListView1->topLevelItem(i);
            rows.push_back({row->text(0), row->checkState(0) == Qt::Checked, row->text(1), row->text(2)});
        }
        return rows;
    }

    TAccount account{"csv-wizard"};
    QString folder;
    int files = 0;
    int imports = 0;
    std::unique_ptr<Tfrminputcsv> wizard;
};

TEST_F(CsvImportWizard, HeaderCaptionsArePreMappedAndAShortLineIsImported)
{
    Open("姓名,移动电话,Unknown\r\nJohn Smith,138,x\r\n李四\r\n\r\n王五, 139 \r\n,,\r\n");
    EXPECT_FALSE(wizard->SpTBXButton1->isHidden());
    const std::vector<TRow> mapped = {
        {"姓名", true, "姓名", "uname"}, {"移动电话", true, "移动电话", "umtel"}, {"Unknown", false, "", ""}};
    EXPECT_EQ(Rows(), mapped);
    Press(wizard->SpTBXButton2);
    EXPECT_EQ(Page(), wizard->TabSheet3);
    EXPECT_EQ(wizard->Label9->text(), QStringLiteral("共导入 3 条人脉记录"));
    EXPECT_EQ(imports, 1);
    EXPECT_TRUE(wizard->SpTBXButton1->isHidden());
    EXPECT_FALSE(wizard->SpTBXButton3->isEnabled());
    EXPECT_EQ(account.Values("uname||'|'||kzfield1").value(1), QStringLiteral("李四|LS"));
    EXPECT_EQ(account.Values("uname"), (QStringList{"John Smith", "李四", "王五"}));
    EXPECT_EQ(account.Values("umtel"), (QStringList{"138", "NULL", " 139 "}));
    EXPECT_EQ(account.Values("nodeparentkey||nodetype"), QStringList(3, "02"));
    Press(wizard->SpTBXButton2);
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
}

// The picker opens on the row's own field, and only 确定 changes the row; checking an unmapped row
// asks for its field, and cancelled, it is unchecked again.
TEST_F(CsvImportWizard, MappingThroughThePicker)
{
    Open("姓名,移动电话,Unknown,Other\r\n张三,138,x@y.z,o\r\n");
    ModalResponder responder;
    QString preselected;
    responder.Then(Pick(preselected, "uemail"));
    wizard->ListView1->setCurrentItem(wizard->ListView1->topLevelItem(2));
    Press(wizard->SpTBXButton5);
    EXPECT_EQ(preselected, QString());
    EXPECT_EQ(Rows()[2], (TRow{"Unknown", true, "电子邮件", "uemail"}));
    responder.Then(Pick(preselected));
    emit wizard->ListView1->itemDoubleClicked(wizard->ListView1->topLevelItem(1), 0);
    EXPECT_EQ(preselected, QStringLiteral("umtel"));
    EXPECT_EQ(Rows()[1], (TRow{"移动电话", true, "移动电话", "umtel"}));
    responder.Then(Pick(preselected));
    responder.Then(Pick(preselected, "ufz"));
    for (const TRow &after : {TRow{"Other", false, "", ""}, TRow{"Other", true, "备注", "ufz"}}) {
        wizard->ListView1->topLevelItem(3)->setCheckState(0, Qt::Checked);
        QCoreApplication::processEvents();
        EXPECT_EQ(Rows()[3], after);
    }
    EXPECT_EQ(std::pair(responder.Pending(), responder.Unexpected()), std::pair(0, 0));
    Press(wizard->SpTBXButton2);
    EXPECT_EQ(account.Values("uemail||ufz"), QStringList{"x@y.zo"});
}

// Every row of the field list is as tall as a row with a caption, and its check box lies whole
// inside it: also the rows of empty or blank header items.
TEST_F(CsvImportWizard, EveryRowHoldsItsWholeCheckBox)
{
    wizard->resize(520, 400);
    // The desktop's usual font, whose captions are not as tall as the rows of its check boxes.
    wizard->setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    wizard->show();
    Open("姓名,,手机, ,备注,Email,\"\",没有对应的字段\r\n张三,,138,,x,a@b.cn,,z\r\n");
    QCoreApplication::processEvents();
    QTreeWidget *list = wizard->ListView1;
    ASSERT_EQ(list->topLevelItemCount(), 8);
    const int height = list->visualItemRect(list->topLevelItem(0)).height();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        SCOPED_TRACE(i);
        const QRect row = list->visualItemRect(list->topLevelItem(i));
        EXPECT_EQ(row.height(), height);
        QStyleOptionViewItem option;
        option.initFrom(list);
        option.rect = QRect(row.left(), row.top(), list->columnWidth(0), row.height());
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        option.text = list->topLevelItem(i)->text(0);
        const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
        EXPECT_TRUE(row.contains(box)) << row.top() << "+" << row.height() << " box " << box.top() << "+" << box.height();
    }
}

TEST_F(CsvImportWizard, ClearUnchecksAndSelectAllChecksMappedRows)
{
    Open("姓名,Unknown,移动电话\r\n张三,x,138\r\n");
    ModalResponder responder;
    Press(wizard->SpTBXButton7);
    std::vector<TRow> expected = {
        {"姓名", false, "姓名", "uname"}, {"Unknown", false, "", ""}, {"移动电话", false, "移动电话", "umtel"}};
    EXPECT_EQ(Rows(), expected);
    Press(wizard->SpTBXButton6);
    expected[0].checked = expected[2].checked = true;
    EXPECT_EQ(Rows(), expected);
    QCoreApplication::processEvents();
    EXPECT_EQ(responder.Shown(), QStringList());
    // Nothing checked: nothing is imported.
    Press(wizard->SpTBXButton7);
    Press(wizard->SpTBXButton2);
    EXPECT_EQ(wizard->Label9->text(), QStringLiteral("共导入 0 条人脉记录"));
    EXPECT_EQ(imports, 0);
    EXPECT_EQ(account.Count(), 0);
}

// A file that is not there, or whose first line has more than a thousand items, keeps the first page.
TEST_F(CsvImportWizard, UnusableFilesAreReported)
{
    const QByteArray header = "x" + QByteArray(",x").repeated(999);
    const std::pair<QString, QString> cases[] = {
        {"/no/such/file.csv", "文件不存在！"}, {"  ", "文件不存在！"}, {folder, "文件不存在！"},
        {WriteCsv(header + ",\"a,b\",x\n1\n"), "文件的第一行超过 1000 项，不是可以导入的 CSV 文件。"},
    };
    for (const auto &[path, message] : cases) {
        SCOPED_TRACE(path.toStdString());
        TestDialogs().Reset();
        wizard->Edit1->setText(path);
        Press(wizard->SpTBXButton2);
        EXPECT_EQ(Page(), wizard->TabSheet1);
        EXPECT_FALSE(wizard->SpTBXButton1->isHidden());
        ASSERT_NE(TestDialogs().Last(), nullptr);
        EXPECT_EQ(TestDialogs().Last()->text, message);
        EXPECT_EQ(TestDialogs().Last()->icon, MsgIcon::Warning);
    }
    Open(header + "\n1\n");
    EXPECT_EQ(Rows().size(), 1000u);
}

// A file chosen by 浏览 opens at once; 上一步 then 下一步 read the file again.
TEST_F(CsvImportWizard, BrowsingAdvancesAtOnceAndBackReadsTheFileAgain)
{
    const QString path = WriteCsv("姓名\r\n");
    TestDialogs().AnswerText(path);
    Press(wizard->SpTBXButton4);
    EXPECT_EQ(wizard->Edit1->text(), path);
    EXPECT_EQ(Page(), wizard->TabSheet2);
    EXPECT_EQ(Rows().size(), 1u);
    Press(wizard->SpTBXButton1);
    EXPECT_EQ(Page(), wizard->TabSheet1);
    EXPECT_TRUE(wizard->SpTBXButton1->isHidden());
    WriteBytes(path, "移动电话,备注\r\n");
    Press(wizard->SpTBXButton2);
    EXPECT_EQ(Rows().size(), 2u);
}

// Enter is the default button's unless a button has the focus; Alt and a caption's letter
// press that button; Escape is 取消.
TEST_F(CsvImportWizard, KeysReachTheButtons)
{
    wizard->show();
    QApplication::setActiveWindow(wizard.get());
    wizard->Edit1->setText(WriteCsv("姓名\r\n张三\r\n"));
    wizard->Edit1->setFocus();
    QTest::keyClick(wizard->Edit1, Qt::Key_Return);
    EXPECT_EQ(Page(), wizard->TabSheet2) << "Enter in the file name is 下一步";
    EXPECT_EQ(wizard->SpTBXButton1->ClientWidth(), wizard->SpTBXButton1->width()) << "上一步 paints all of itself";
    QTest::keyClick(wizard->ListView1, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(Page(), wizard->TabSheet1) << "Alt+P is 上一步";
    TestDialogs().AnswerCancel();
    wizard->SpTBXButton4->SetFocus();
    QTest::keyClick(wizard->SpTBXButton4, Qt::Key_Return);
    ASSERT_NE(TestDialogs().Last(), nullptr);
    EXPECT_EQ(TestDialogs().Last()->caption, QStringLiteral("选择文件...")) << "the focused 浏览 takes Enter";
    EXPECT_EQ(Page(), wizard->TabSheet1);
    QTest::keyClick(wizard->SpTBXButton4, Qt::Key_Escape);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->result(), QDialog::Rejected);
}

// GBK without a byte-order mark, as a Chinese spreadsheet saves it; UTF-8 with and without one;
// UTF-16 in both byte orders.
TEST_F(CsvImportWizard, SpreadsheetEncodings)
{
    const std::pair<const char *, QByteArray> cases[] = {
        {"gbk", EncodeGB18030(QStringLiteral("姓名,移动电话\r\n张三,138\r\n"))},
        {"utf-8 bom", "\xEF\xBB\xBF" "姓名,移动电话\n张三,138\n"}, {"utf-8", "姓名,移动电话\n张三,138"},
        {"utf-16le", Utf16("姓名,移动电话\r\n张三,138", QStringConverter::Utf16LE)},
        {"utf-16be", Utf16("姓名,移动电话\n张三,138\n", QStringConverter::Utf16BE)},
    };
    for (const auto &[name, file] : cases) {
        SCOPED_TRACE(name);
        wizard = std::make_unique<Tfrminputcsv>(&account.connection);
        Open(file);
        ASSERT_EQ(Rows().size(), 2u);
        EXPECT_EQ(Rows()[0], (TRow{"姓名", true, "姓名", "uname"}));
        Press(wizard->SpTBXButton2);
        EXPECT_EQ(wizard->Label9->text(), QStringLiteral("共导入 1 条人脉记录"));
    }
    EXPECT_EQ(account.Values("uname||umtel||kzfield1"), QStringList(5, QStringLiteral("张三138ZS")));
}

// A UTF-8 file with a few bad bytes stays UTF-8 and says how many lines had them; birthdays the
// program cannot read are counted.
TEST_F(CsvImportWizard, WhatCouldNotBeReadIsReported)
{
    Open("姓名,生日\n" + QByteArray("张三,1980-03-15\n").repeated(150) + "李\xFF,20/01/1991\n李,1980-02-30\n");
    Press(wizard->SpTBXButton2);
    EXPECT_EQ(wizard->Label9->text(), QStringLiteral("共导入 152 条人脉记录，另有 2 个生日的写法无法识别，未导入。\n"
                                                     "文件中有 1 行含有无法识别的字符，已用“\uFFFD”代替。"));
    const QStringList rows = account.Values("uname||'|'||ifnull(uhsr, 'NULL')");
    ASSERT_EQ(rows.size(), 152);
    EXPECT_EQ(rows[0], QStringLiteral("张三|1980-03-15"));
    EXPECT_EQ(rows[150], QStringLiteral("李\uFFFD|NULL"));
}

TEST_F(CsvImportWizard, ADatabaseFailureRollsBackAndSaysSo)
{
    account.connection.Db().Exec(
        "CREATE TRIGGER refuse BEFORE INSERT ON userinfo WHEN NEW.uname = 'bad' BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Open("姓名\r\ngood\r\nbad\r\n");
    Press(wizard->SpTBXButton2);
    EXPECT_EQ(Page(), wizard->TabSheet2);
    ASSERT_NE(TestDialogs().Last(), nullptr);
    EXPECT_TRUE(TestDialogs().Last()->text.startsWith(QStringLiteral("导入失败"))) << TestDialogs().Last()->text.toStdString();
    EXPECT_EQ(TestDialogs().Last()->icon, MsgIcon::Warning);
    EXPECT_EQ(account.Count(), 0);
    EXPECT_EQ(imports, 0);
    EXPECT_TRUE(wizard->SpTBXButton3->isEnabled());
}

TEST_F(CsvImportWizard, BadFilesNeverCrashOrHalfImport)
{
    QByteArray binary;
    for (int i = 0; i < 200000; ++i)
        binary += char((i * 2654435761u) >> 24);
    const std::pair<const char *, QByteArray> cases[] = {
        {"empty", QByteArray()}, {"binary", binary},
        {"ten megabyte line", QByteArray(10 * 1024 * 1024, 'x') + "\r\n" + QByteArray(10, ',')},
        {"open quote", "姓名\r\n\"never closed, 138\r\nmore"},
    };
    for (const auto &[name, file] : cases) {
        SCOPED_TRACE(name);
        wizard = std::make_unique<Tfrminputcsv>(&account.connection);
        const int before = account.Count();
        Open(file);
        for (const TRow &row : Rows())
            EXPECT_LE(row.item.size(), 200);
        Press(wizard->SpTBXButton2);
        EXPECT_EQ(Page(), wizard->TabSheet3);
        EXPECT_EQ(wizard->Label9->text(), QStringLiteral("共导入 %1 条人脉记录").arg(account.Count() - before));
    }
    // Only the open quote's file had a mapped column; its one field runs to the end.
    EXPECT_EQ(account.Values("uname"), QStringList{"never closed, 138\r\nmore"});
}

// The records are read from the file when they are imported, not held from the field page on: a
// file gone by then is reported and nothing is imported.
TEST_F(CsvImportWizard, RecordsAreReadWhenImported)
{
    QByteArray many = "姓名,移动电话\r\n";
    for (int i = 0; i < 3000; ++i)
        many += "张" + QByteArray::number(i) + ",\"13" + QByteArray::number(i) + "\"\r\n";
    Open(many);
    QFile::remove(wizard->Edit1->text());
    Press(wizard->SpTBXButton2);
    EXPECT_EQ(Page(), wizard->TabSheet2);
    ASSERT_NE(TestDialogs().Last(), nullptr);
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("文件不存在！"));
    EXPECT_EQ(account.Count(), 0);
    WriteBytes(wizard->Edit1->text(), many);
    Press(wizard->SpTBXButton2);
    EXPECT_EQ(wizard->Label9->text(), QStringLiteral("共导入 3000 条人脉记录"));
    const QStringList phones = account.Values("uname||umtel");
    ASSERT_EQ(phones.size(), 3000);
    EXPECT_EQ(phones[2999], QStringLiteral("张2999132999"));
}

// The field picker selects by column, then by caption, and scrolls to its choice.
TEST_F(CsvImportWizard, PickerSelectsByColumnThenCaptionAndScrollsToTheChoice)
{
    Tfrmselectfield picker;
    EXPECT_TRUE(picker.SelectField("UEMAIL", "姓名"));
    EXPECT_EQ(picker.CheckedField()->objectName(), QStringLiteral("uemail"));
    EXPECT_TRUE(picker.SelectField("nosuch", "备注"));
    EXPECT_EQ(picker.CheckedField()->objectName(), QStringLiteral("ufz"));
    EXPECT_FALSE(picker.SelectField("", "无此字段"));
    EXPECT_EQ(picker.CheckedField()->objectName(), QStringLiteral("ufz"));
    QRadioButton *last = picker.FieldButtons().last();
    picker.SelectField(last->objectName(), QString());
    picker.show();
    QCoreApplication::processEvents();
    const int scrolled = picker.ScrollBox1->verticalScrollBar()->value();
    EXPECT_GT(scrolled, 0);
    EXPECT_LE(last->y() + last->height() - scrolled, picker.ScrollBox1->viewport()->height());
}

} // namespace
