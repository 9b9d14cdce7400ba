#include "contacts/transfer/export.h"

#include "transfer/TransferTestSupport.h"

#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeView>

using namespace transfer_test;

namespace {

class ExportWizard : public ExportTreeTest
{
protected:
    ExportWizard() : ExportTreeTest(QStringLiteral("export-wizard")) {}
    void SetUp() override
    {
        ExportTreeTest::SetUp();
        wizard = std::make_unique<Tfrmexport>(&account.connection);
    }

    QWidget *Page() const { return wizard->Notebook1->currentWidget(); }
    // From the first page to the export page, exporting all contacts or the selection.
    void ToExportPage(bool selectionOnly)
    {
        wizard->Edit1->setText(folder);
        wizard->BitBtn2->click();
        ASSERT_EQ(Page(), wizard->page4);
        wizard->RadioButton2->setChecked(selectionOnly);
        wizard->RadioButton1->setChecked(!selectionOnly);
        wizard->BitBtn2->click();
        ASSERT_EQ(Page(), wizard->page3);
    }

    std::unique_ptr<Tfrmexport> wizard;
};

TEST_F(ExportWizard, StartsOnAnEmptyFolderPageAndTheFolderMustBeThere)
{
    EXPECT_EQ(Page(), wizard->page1);
    EXPECT_FALSE(wizard->BitBtn1->isEnabled());
    EXPECT_TRUE(wizard->RadioButton1->isChecked());
    wizard->Edit1->setText("left over");
    wizard->show();
    EXPECT_EQ(wizard->Edit1->text(), QString());
    // The folder must be there.
    for (const QString &text : {QString(), QStringLiteral("   ")}) {
        wizard->Edit1->setText(text);
        wizard->BitBtn2->click();
        EXPECT_EQ(Page(), wizard->page1);
    }
    EXPECT_TRUE(TestDialogs().Questions().empty());
    wizard->Edit1->setText(folder + "/missing");
    wizard->BitBtn2->click();
    EXPECT_EQ(Page(), wizard->page1);
    ASSERT_NE(TestDialogs().Last(), nullptr);
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("文件夹不存在！"));
    EXPECT_EQ(TestDialogs().Last()->icon, MsgIcon::Warning);
    // Choosing a folder in the tree fills the text.
    auto *folders = qobject_cast<QFileSystemModel *>(wizard->ShellTreeView1->model());
    ASSERT_NE(folders, nullptr);
    wizard->ShellTreeView1->setCurrentIndex(folders->index(folder));
    EXPECT_EQ(wizard->Edit1->text(), folder);
}

TEST_F(ExportWizard, AllContactsOrNoneAndTheirFolder)
{
    ToExportPage(false);
    wizard->BitBtn2->click();
    EXPECT_EQ(Files(), (QStringList{"丙.vcf", "乙.vcf", "甲.vcf"}));
    EXPECT_EQ(wizard->Label3->text(), QStringLiteral("共导出 3 个名片文件。"));
    EXPECT_EQ(std::pair(wizard->ProgressBar1->value(), wizard->ProgressBar1->maximum()), std::pair(3, 3));
    EXPECT_EQ(wizard->BitBtn2->text(), QStringLiteral("完成"));
    EXPECT_EQ(QList<bool>({wizard->BitBtn1->isEnabled(), wizard->BitBtn2->isEnabled(), wizard->BitBtn3->isEnabled()}),
              QList<bool>({false, false, true}));
    // The result opens the folder, never a file typed in afterwards.
    wizard->Button1->click();
    EXPECT_EQ(TestShell().opened, QStringList{folder});
    TestShell().opened.clear();
    wizard->Edit1->setText(folder + "/甲.vcf");
    wizard->Button1->click();
    EXPECT_TRUE(TestShell().opened.isEmpty());
    // Without contacts the export still finishes.
    account.connection.Db().Exec("delete from userinfo where nodetype=2");
    wizard = std::make_unique<Tfrmexport>(&account.connection);
    ToExportPage(false);
    wizard->BitBtn2->click();
    EXPECT_EQ(wizard->Label3->text(), QStringLiteral("共导出 0 个名片文件。"));
    EXPECT_EQ(wizard->ProgressBar1->value(), wizard->ProgressBar1->maximum());
}

TEST_F(ExportWizard, TheSelectedNodeDecides)
{
    const struct { const char *name; QString keyid; int nodeType; QStringList files; } cases[] = {
        {"group", QString::number(group), 1, {"甲.vcf"}},
        {"contact", QString::number(b), 2, {"乙.vcf"}},
        {"root 0", "0", 1, {"丙.vcf", "乙.vcf", "甲.vcf"}},
        {"root -1", "-1", 1, {"丙.vcf", "乙.vcf", "甲.vcf"}},
    };
    for (const auto &test : cases) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        wizard = std::make_unique<Tfrmexport>(&account.connection);
        const TGroupTreeNode node{test.keyid, test.nodeType};
        wizard->SelectedNode = [node] { return std::optional<TGroupTreeNode>(node); };
        ToExportPage(true);
        wizard->BitBtn2->click();
        EXPECT_EQ(Files(), test.files) << test.name;
    }
}

// Once 导出 was pressed on the last page the wizard is left with 退出 alone, also when nothing is
// selected in the browser.
TEST_F(ExportWizard, NoSelectionLeavesOnlyExit)
{
    for (bool provider : {false, true}) {
        wizard = std::make_unique<Tfrmexport>(&account.connection);
        if (provider)
            wizard->SelectedNode = [] { return std::optional<TGroupTreeNode>(); };
        TestDialogs().Reset();
        ToExportPage(true);
        EXPECT_TRUE(wizard->BitBtn1->isEnabled()) << "before the export the choice can still be changed";
        wizard->BitBtn2->click();
        ASSERT_NE(TestDialogs().Last(), nullptr);
        EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("请在人脉窗口选择用户！"));
        EXPECT_EQ(TestDialogs().Last()->caption, QStringLiteral("Orvanta"));
        EXPECT_TRUE(Files().isEmpty());
        EXPECT_EQ(QList<bool>({wizard->BitBtn1->isEnabled(), wizard->BitBtn2->isEnabled(), wizard->BitBtn3->isEnabled()}),
                  QList<bool>({false, false, true}));
    }
}

// Every 下一步 lists the account's group names afresh, each name once, the first one chosen; the
// list only informs, so it cannot be used to choose.
TEST_F(ExportWizard, EveryNextListsTheGroupNames)
{
    const auto names = [this] {
        QStringList items;
        for (int i = 0; i < wizard->ComboBox1->count(); ++i)
            items << wizard->ComboBox1->itemText(i);
        return items;
    };
    EXPECT_EQ(wizard->ComboBox1->count(), 0);
    EXPECT_FALSE(wizard->ComboBox1->isEnabled());
    wizard->BitBtn2->click();  // no folder yet: the page stays, the names are read all the same
    EXPECT_EQ(Page(), wizard->page1);
    EXPECT_EQ(names().size(), 2);
    EXPECT_TRUE(names().contains("组") && names().contains("子组"));
    account.AddGroup(QStringLiteral("组"), subgroup);
    account.AddGroup(QStringLiteral("新组"), 0);
    wizard->Edit1->setText(folder);
    wizard->BitBtn2->click();
    EXPECT_EQ(Page(), wizard->page4);
    QStringList sorted = names();
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{"子组", "新组", "组"}));
    EXPECT_EQ(wizard->ComboBox1->currentIndex(), 0);
    account.connection.Db().Exec("delete from userinfo where nodetype=1");
    wizard->BitBtn2->click();
    EXPECT_EQ(Page(), wizard->page3);
    EXPECT_EQ(wizard->ComboBox1->count(), 0);
}

TEST_F(ExportWizard, FailuresAreCountedAndAVanishedFolderStopsTheExport)
{
    ASSERT_TRUE(QDir(folder).mkdir("甲.vcf"));
    account.AddContact("<img src=\"x\">" + QString(300, 'x'));
    ToExportPage(false);
    wizard->BitBtn2->click();
    EXPECT_EQ(wizard->Label3->text(), QStringLiteral("共导出 2 个名片文件。有 2 个文件无法写入：甲、<img src=\"x\">") +
                                          QString(300, 'x') + QStringLiteral("。"));
    EXPECT_EQ(wizard->Label3->textFormat(), Qt::PlainText);
    wizard = std::make_unique<Tfrmexport>(&account.connection);
    ToExportPage(false);
    QDir(folder).removeRecursively();
    TestDialogs().Reset();
    wizard->BitBtn2->click();
    ASSERT_NE(TestDialogs().Last(), nullptr);
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("文件夹不存在！"));
    EXPECT_FALSE(wizard->BitBtn1->isEnabled() || wizard->BitBtn2->isEnabled());
    EXPECT_FALSE(QFileInfo::exists(folder));
}

} // namespace

