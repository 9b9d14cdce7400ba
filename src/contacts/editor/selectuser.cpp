#include "editor/selectuser.h"
#include "shared/FormParts.h"

#include "shared/Utility.h"
#include "shared/UtilityDb.h"
#include "shared/WNDES.h"
#include "account/dataModule.h"

#include "platform/ADODB.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

Tfrmselectuser *frmselectuser = nullptr;

QString EntryKey(const QString &entry)
{
    const qsizetype eq = entry.indexOf('=');
    return eq < 0 ? entry : entry.left(eq);
}

QString EntryText(const QString &entry)
{
    const qsizetype eq = entry.indexOf('=');
    return eq < 0 ? QString() : entry.mid(eq + 1);
}

namespace {

int IndexOfKey(const QStringList &entries, const QString &key)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (EntryKey(entries[i]) == key)
            return i;
    }
    return -1;
}

QListWidgetItem *CheckItem(QListWidget *list, const QString &text, bool checked)
{
    auto *item = new QListWidgetItem(text, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

} // namespace

Tfrmselectuser::Tfrmselectuser(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmselectuser"));
    setWindowTitle(QStringLiteral("选择"));
    setWindowFlag(Qt::WindowStaysOnTopHint);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    CheckListBox1 = new QListWidget(this);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox2 = new QListWidget(this);
    CheckListBox2->setObjectName(QStringLiteral("CheckListBox2"));
    Button1 = FormButton(QStringLiteral("全部人脉"), "Button1", this);
    BitBtn1 = FormButton(QStringLiteral("确定"), "BitBtn1", this);
    BitBtn2 = FormButton(QStringLiteral("取消"), "BitBtn2", this);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("检索"), this), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("拼音字母"), this), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("已选择的人脉："), this), 1, 2);
    grid->addWidget(CheckListBox1, 2, 0, 1, 2);
    grid->addWidget(CheckListBox2, 2, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    grid->addLayout(buttons, 3, 0, 1, 3);
    resize(480, 420);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button1, &QPushButton::clicked, this, &Tfrmselectuser::FillContactChecklists);
    connect(Edit1, &QLineEdit::textChanged, this, &Tfrmselectuser::Edit1Change);
    connect(Edit2, &QLineEdit::textChanged, this, &Tfrmselectuser::Edit2Change);
    // Initials are typed in capitals.
    connect(Edit2, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text != text.toUpper()) {
            const int cursor = Edit2->cursorPosition();
            Edit2->setText(text.toUpper());
            Edit2->setCursorPosition(cursor);
        }
    });
    connect(CheckListBox1, &QListWidget::itemChanged, this, &Tfrmselectuser::LeftItemChanged);
    connect(CheckListBox2, &QListWidget::itemChanged, this, &Tfrmselectuser::RightItemChanged);

    LoadContacts();
    FillContactChecklists();
}

void Tfrmselectuser::LoadContacts()
{
    TADOQuery query(CustomerData ? CustomerData->dbConnection : nullptr);
    if (!RunQuery(&query, QStringLiteral("select keyid,uname,uxb,kzfield2 from userinfo where nodetype=2 order by kzfield1")))
        return;
    for (query.First(); !query.Eof(); query.Next()) {
        const QString key = query.FieldByName(QStringLiteral("keyid")).AsString();
        QString name = query.FieldByName(QStringLiteral("uname")).AsString().trimmed();
        QString sex = query.FieldByName(QStringLiteral("uxb")).AsString().trimmed();
        // Rows written elsewhere keep their texts enciphered.
        if (query.FieldByName(QStringLiteral("kzfield2")).AsString().trimmed() != QLatin1String("2")) {
            name = DesDecryptString(name, DesKey);
            sex = DesDecryptString(sex, DesKey);
        }
        SexTexts << key + '=' + sex;
        AllContacts << key + '=' + name;
    }
    ShownContacts = AllContacts;
}

void Tfrmselectuser::FillContactChecklists()
{
    filling_ = true;
    CheckListBox1->clear();
    for (const QString &entry : AllContacts)
        CheckItem(CheckListBox1, EntryText(entry), false);
    ShownContacts = AllContacts;
    filling_ = false;
}

void Tfrmselectuser::AddSelected(const QString &entry)
{
    filling_ = true;
    SelectedContacts << entry;
    CheckItem(CheckListBox2, EntryText(entry), true);
    filling_ = false;
}

QString Tfrmselectuser::SexTextOf(const QString &key) const
{
    const int at = IndexOfKey(SexTexts, key);
    return at < 0 ? QString() : EntryText(SexTexts[at]);
}

void Tfrmselectuser::LeftItemChanged(QListWidgetItem *item)
{
    if (filling_)
        return;
    const int row = CheckListBox1->row(item);
    if (row < 0 || row >= ShownContacts.size())
        return;
    const QString key = EntryKey(ShownContacts[row]);
    const int selected = IndexOfKey(SelectedContacts, key);
    filling_ = true;
    if (item->checkState() == Qt::Checked) {
        if (selected < 0) {
            SelectedContacts << key + '=' + item->text();
            CheckItem(CheckListBox2, item->text(), true);
        }
    } else if (selected >= 0) {
        SelectedContacts.removeAt(selected);
        delete CheckListBox2->takeItem(selected);
    }
    filling_ = false;
}

void Tfrmselectuser::RightItemChanged(QListWidgetItem *item)
{
    if (filling_ || item->checkState() == Qt::Checked)
        return;
    const int row = CheckListBox2->row(item);
    if (row < 0)
        return;
    filling_ = true;
    if (row < SelectedContacts.size())
        SelectedContacts.removeAt(row);
    delete CheckListBox2->takeItem(row);
    filling_ = false;
}

void Tfrmselectuser::ShowMatching(bool byInitials, const QString &text)
{
    filling_ = true;
    CheckListBox1->clear();
    ShownContacts.clear();
    for (const QString &entry : AllContacts) {
        const QString name = EntryText(entry);
        const QString haystack = byInitials ? PinyinInitials(name) : name;
        if (haystack.contains(text, Qt::CaseSensitive)) {
            CheckItem(CheckListBox1, name, false);
            ShownContacts << entry;
        }
    }
    filling_ = false;
}

void Tfrmselectuser::Edit1Change()
{
    const QString text = Edit1->text().trimmed();
    if (text.isEmpty()) {
        FillContactChecklists();
        return;
    }
    {
        const QSignalBlocker block(Edit2);
        Edit2->setText(PinyinInitials(text));
    }
    ShowMatching(false, text);
}

void Tfrmselectuser::Edit2Change()
{
    const QString text = Edit2->text().trimmed();
    if (text.isEmpty()) {
        FillContactChecklists();
        return;
    }
    ShowMatching(true, text);
}
