#include "contacts/browser/selfields.h"

#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <gtest/gtest.h>

namespace {

QStringList Items(const Tfrmselfields &dialog)
{
    QStringList items;
    for (int i = 0; i < dialog.CheckListBox1->count(); ++i) {
        const QListWidgetItem *item = dialog.CheckListBox1->item(i);
        items << item->text() + (item->checkState() == Qt::Checked ? "+" : "-");
    }
    return items;
}

TEST(FieldChooser, MovesKeepCheckMarksAndStopAtTheEnds)
{
    Tfrmselfields dialog;
    dialog.AddField("姓名", "uname", true);
    dialog.AddField("手机", "umtel", false);
    dialog.AddField("a=b", "field1", true);  // a caption may hold "="
    dialog.CheckListBox1->setCurrentRow(0);
    dialog.BitBtn3->click();  // up on the first: nothing
    EXPECT_EQ(Items(dialog), QStringList({"姓名=uname+", "手机=umtel-", "a=b=field1+"}));
    dialog.BitBtn4->click();
    EXPECT_EQ(Items(dialog), QStringList({"手机=umtel-", "姓名=uname+", "a=b=field1+"}));
    dialog.BitBtn4->click();
    dialog.BitBtn4->click();  // down on the last: nothing
    EXPECT_EQ(Items(dialog), QStringList({"手机=umtel-", "a=b=field1+", "姓名=uname+"}));
    EXPECT_EQ(dialog.CheckListBox1->currentRow(), 2);
    dialog.BitBtn3->click();
    EXPECT_EQ(dialog.CheckListBox1->currentRow(), 1);
    EXPECT_EQ(dialog.CheckedNames(), QStringList({"uname", "field1"}));
    dialog.CheckListBox1->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(dialog.CheckedNames(), QStringList({"umtel", "uname", "field1"}));
    // The list shows only the caption, even one holding "=".
    const QModelIndex index = dialog.CheckListBox1->model()->index(2, 0);
    auto *delegate = static_cast<QStyledItemDelegate *>(dialog.CheckListBox1->itemDelegate());
    EXPECT_EQ(delegate->displayText(index.data(), QLocale()), "a=b");
    dialog.CheckListBox1->setCurrentRow(-1);  // nothing selected moves nothing
    dialog.BitBtn4->click();
    dialog.BitBtn3->click();
    EXPECT_EQ(dialog.CheckedNames(), QStringList({"umtel", "uname", "field1"}));
    dialog.Clear();
    EXPECT_TRUE(dialog.CheckedNames().isEmpty());
}

} // namespace
