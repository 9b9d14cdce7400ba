#include "browser/selfields.h"
#include "shared/FormParts.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

QPointer<Tfrmselfields> frmselfields;

// The list shows only the caption; the column name after the last "=" is for the caller (a
// user's caption may itself hold a "=").
class TCaptionDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant &value, const QLocale &) const override
    {
        const QString text = value.toString();
        return text.left(text.lastIndexOf('='));
    }
};

} // namespace

Tfrmselfields::Tfrmselfields(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmselfields"));
    setWindowTitle(QStringLiteral("自定义"));
    setFixedSize(342, 271);

    CheckListBox1 = new QListWidget(this);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setItemDelegate(new TCaptionDelegate(CheckListBox1));
    CheckListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

    BitBtn1 = FormButton(QStringLiteral("确定(&O)"), "BitBtn1", this, TEnterPress::Default);
    BitBtn2 = FormButton(QStringLiteral("取消(&C)"), "BitBtn2", this, TEnterPress::Focused);
    BitBtn3 = FormButton(QStringLiteral("上移(&U)"), "BitBtn3", this, TEnterPress::Focused);
    BitBtn4 = FormButton(QStringLiteral("下移(&D)"), "BitBtn4", this, TEnterPress::Focused);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, &Tfrmselfields::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &Tfrmselfields::BitBtn4Click);

    auto *side = new QVBoxLayout;
    for (QPushButton *b : {BitBtn1, BitBtn2, BitBtn3, BitBtn4})
        side->addWidget(b);
    side->insertStretch(2, 1);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(CheckListBox1, 1);
    layout->addLayout(side);
}

void Tfrmselfields::Clear()
{
    CheckListBox1->clear();
}

void Tfrmselfields::AddField(const QString &caption, const QString &name, bool checked)
{
    auto *item = new QListWidgetItem(caption + '=' + name, CheckListBox1);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

QStringList Tfrmselfields::CheckedNames() const
{
    QStringList names;
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        const QListWidgetItem *item = CheckListBox1->item(i);
        if (item->checkState() == Qt::Checked)
            names << item->text().mid(item->text().lastIndexOf('=') + 1);
    }
    return names;
}

void Tfrmselfields::Exchange(int row, int other)
{
    // The lower of the two is taken out and put back above the other; its check mark goes along.
    const int low = std::max(row, other);
    QListWidgetItem *item = CheckListBox1->takeItem(low);
    CheckListBox1->insertItem(low - 1, item);
    CheckListBox1->setCurrentRow(other);
}

void Tfrmselfields::BitBtn3Click()
{
    const int row = CheckListBox1->currentRow();
    if (row >= 1)
        Exchange(row, row - 1);
}

void Tfrmselfields::BitBtn4Click()
{
    const int row = CheckListBox1->currentRow();
    if (row >= 0 && row + 1 < CheckListBox1->count())
        Exchange(row, row + 1);
}

Tfrmselfields *FieldChooser(QWidget *parent)
{
    if (!frmselfields)
        frmselfields = new Tfrmselfields(parent);
    return frmselfields;
}
