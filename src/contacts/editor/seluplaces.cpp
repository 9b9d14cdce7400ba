#include "editor/seluplaces.h"
#include "shared/FormParts.h"

#include "shared/UtilityDb.h"
#include "account/dataModule.h"

#include "platform/ADODB.h"
#include "platform/SqliteDb.h"
#include "platform/UiServices.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QVBoxLayout>

Tfrmseluplaces *frmseluplaces = nullptr;

QStringList SplitTags(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.trimmed().split(blanks, Qt::SkipEmptyParts);
}

Tfrmseluplaces::Tfrmseluplaces(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmseluplaces"));
    setWindowTitle(QStringLiteral("选择标签"));
    setWindowFlag(Qt::WindowStaysOnTopHint);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setHeaderLabels({QStringLiteral("标签")});
    ListView1->setColumnWidth(0, 200);
    ListView1->setRootIsDecorated(false);
    BitBtn1 = FormButton(QStringLiteral("确定"), "BitBtn1", this, TEnterPress::Default);
    BitBtn2 = FormButton(QStringLiteral("取消"), "BitBtn2", this, TEnterPress::Focused);
    Button1 = FormButton(QStringLiteral("删除选择标签"), "Button1", this);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ListView1);
    layout->addLayout(buttons);
    resize(300, 360);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button1, &QPushButton::clicked, this, &Tfrmseluplaces::Button1Click);

    TADOQuery query(CustomerData ? CustomerData->dbConnection : nullptr);
    if (RunQuery(&query, QStringLiteral("select placename from userplaces group by placename"))) {
        for (query.First(); !query.Eof(); query.Next()) {
            auto *item = new QTreeWidgetItem(ListView1, {query.FieldByName(QStringLiteral("placename")).AsString()});
            item->setCheckState(0, Qt::Unchecked);
        }
    }
}

void Tfrmseluplaces::SetCheckedTags(const QString &text)
{
    const QStringList names = SplitTags(text);
    if (names.isEmpty())
        return;
    int checked = 0;
    for (int i = 0; i < ListView1->topLevelItemCount() && checked < names.size(); ++i) {
        QTreeWidgetItem *item = ListView1->topLevelItem(i);
        if (names.contains(item->text(0))) {
            item->setCheckState(0, Qt::Checked);
            ++checked;
        }
    }
}

QString Tfrmseluplaces::GetCheckedTags() const
{
    QString tags;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = ListView1->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            tags += item->text(0) + ' ';
    }
    return tags;
}

void Tfrmseluplaces::Button1Click()
{
    if (ShowMessage(QStringLiteral("确定删除选中的标签吗？"), QStringLiteral("Orvanta"), MsgIcon::Question,
                    MsgButtons::YesNo, this) != MsgResult::Yes)
        return;
    TADOConnection *connection = CustomerData ? CustomerData->dbConnection : nullptr;
    if (!connection || !connection->Connected())
        return;
    for (int i = ListView1->topLevelItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem *item = ListView1->topLevelItem(i);
        if (item->checkState(0) != Qt::Checked)
            continue;
        const QString tag = item->text(0);
        try {
            // A tag goes with all its links or not at all.
            SQLite::Transaction transaction(connection->Db());
            TADOQuery query(connection);
            query.SetSQL(QStringLiteral("delete from userlinkplace where placename=?"));
            query.SetParams({tag});
            query.ExecSQL();
            query.SetSQL(QStringLiteral("delete from userplaces where placename=?"));
            query.SetParams({tag});
            query.ExecSQL();
            transaction.Commit();
            delete item;
        } catch (const Exception &e) {
            qWarning().noquote() << "tag not deleted:" << e.Message();
        }
    }
}
