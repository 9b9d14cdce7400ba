// A contact's tags (userplaces, userlinkplace) and its relations (linkuser).
#include "editor/useredit.h"

#include "main/Main.h"
#include "shared/Utility.h"
#include "shared/UtilityDb.h"
#include "shared/WNDES.h"
#include "editor/selectuser.h"
#include "editor/seluplaces.h"
#include "editor/usereditdlg.h"

#include "platform/ADODB.h"
#include "platform/SqliteDb.h"
#include "platform/UiServices.h"

#include <QComboBox>
#include <QDebug>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPointer>

namespace {

const QString Orvanta = QStringLiteral("Orvanta");

QVariant KeyValue(const QString &key)
{
    bool ok = false;
    const qint64 value = key.trimmed().toLongLong(&ok);
    return ok ? QVariant(value) : QVariant(key.trimmed());
}

// The large relation icons: 0 a man, 1 a woman, 2 anyone else.
QIcon PersonIcon(int image)
{
    static const QColor colours[3] = {QColor(40, 100, 200), QColor(210, 70, 130), QColor(130, 130, 130)};
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours[image]);
    painter.drawEllipse(QRectF(10, 3, 12, 12));
    painter.drawRoundedRect(QRectF(5, 17, 22, 13), 6, 6);
    return QIcon(pixmap);
}

int SexImage(const QString &sex)
{
    return sex == QStringLiteral("男") ? 0 : sex == QStringLiteral("女") ? 1 : 2;
}

} // namespace

// Tags ------------------------------------------------------------------------------------------

TUserEditForm::TTagPlan TUserEditForm::AskForTags(const QString &text)
{
    TTagPlan plan;
    QStringList declined;
    // Cancel stops creating tags, this one and every later unknown one; known tags stay linked.
    bool creating = true;
    TADOQuery lookup(query_->Connection());
    for (const QString &tag : SplitTags(text)) {
        const bool known =
            plan.NewTags.contains(tag, Qt::CaseInsensitive) ||
            (RunQuery(&lookup, QStringLiteral("select placename from userplaces where placename=?"), {tag}) &&
             !lookup.IsEmpty());
        if (!known) {
            if (!creating || declined.contains(tag, Qt::CaseInsensitive))
                continue;
            const MsgResult answer =
                ShowMessage(QStringLiteral("标签 ") + tag + QStringLiteral(" 没有找到，添加新的标签吗？"), Orvanta,
                            MsgIcon::Question, MsgButtons::YesNoCancel, this);
            if (answer == MsgResult::Cancel) {
                creating = false;
                continue;
            }
            if (answer != MsgResult::Yes) {
                declined << tag;
                continue;
            }
            plan.NewTags << tag;
        }
        plan.Links << tag;
    }
    return plan;
}

bool TUserEditForm::WriteContactTags(const TTagPlan &plan, const QString &key)
{
    if (!RunQuery(query_.get(), QStringLiteral("delete from userlinkplace where keyid=?"), {KeyValue(key)}))
        return false;
    for (const QString &tag : plan.NewTags) {
        if (!RunQuery(query_.get(), QStringLiteral("insert into userplaces (placename) values (?)"), {tag}))
            return false;
    }
    for (const QString &tag : plan.Links) {
        if (!RunQuery(query_.get(), QStringLiteral("insert into userlinkplace (keyid,placename) values (?,?)"),
                      {KeyValue(key), tag}))
            return false;
    }
    return true;
}

bool TUserEditForm::SaveContactTags(const QString &text, const QString &key, bool *ok)
{
    const TTagPlan plan = AskForTags(text);
    bool written = false;
    TADOConnection *connection = query_->Connection();
    if (connection && connection->Connected()) {
        try {
            SQLite::Transaction transaction(connection->Db());
            written = WriteContactTags(plan, key);
            if (written)
                transaction.Commit();
        } catch (const Exception &e) {
            qWarning().noquote() << "tags not written:" << e.Message();
            written = false;
        }
    }
    const bool created = written && !plan.NewTags.isEmpty();
    if (created) {
        if (IBrowserPage *browser = CurrentContactBrowser())
            browser->LoadTagTree();
    }
    if (ok)
        *ok = written;
    return created;
}

void TUserEditForm::Button1Click()
{
    QPointer<Tfrmseluplaces> dialog = new Tfrmseluplaces(this);
    frmseluplaces = dialog;
    dialog->SetCheckedTags(Edit1->text());
    if (dialog->exec() == QDialog::Accepted && dialog)
        Edit1->setText(dialog->GetCheckedTags());
    frmseluplaces = nullptr;
    delete dialog.data();
}

// Relations -------------------------------------------------------------------------------------

QString TUserEditForm::RelationSexText(const QString &key)
{
    TADOQuery query(query_->Connection());
    if (!RunQuery(&query, QStringLiteral("select uxb,kzfield2 from userinfo where keyid=?"), {KeyValue(key)}) ||
        query.IsEmpty())
        return {};
    const QString sex = query.FieldByName(QStringLiteral("uxb")).AsString().trimmed();
    if (query.FieldByName(QStringLiteral("kzfield2")).AsString().trimmed() == QLatin1String("2"))
        return sex;
    return DesDecryptString(sex, DesKey);
}

namespace {

// The item keeps its image number beside the icon, as the image list index it stands for.
void SetRelationImage(QListWidgetItem *item, const QString &sex)
{
    item->setIcon(PersonIcon(SexImage(sex)));
    item->setData(Qt::UserRole, SexImage(sex));
}

} // namespace

void TUserEditForm::AddRelationItem(const QString &entry, const QString &sex)
{
    SetRelationImage(new QListWidgetItem(EntryText(entry), ListView1), sex);
}

void TUserEditForm::LoadRelations(const QString &linkuser)
{
    RelationList = SplitRelations(linkuser);
    for (const QString &entry : std::as_const(RelationList))
        AddRelationItem(entry, RelationSexText(EntryKey(entry).trimmed()));
}

void TUserEditForm::BitBtn5Click()
{
    QPointer<Tfrmselectuser> picker = new Tfrmselectuser(this);
    frmselectuser = picker;
    picker->SelectedContacts.clear();
    for (const QString &entry : std::as_const(RelationList))
        picker->AddSelected(entry);
    if (picker->exec() == QDialog::Accepted && picker) {
        const QStringList before = RelationList;
        RelationList.clear();
        ListView1->clear();
        const QString self = usrkeyid->text().trimmed();
        for (const QString &entry : std::as_const(picker->SelectedContacts)) {
            // A contact is never related to itself.
            if (EntryKey(entry).trimmed() == self)
                continue;
            RelationList << entry;
            AddRelationItem(entry, picker->SexTextOf(EntryKey(entry)));
        }
        if (RelationList != before)
            Modified = true;
    }
    frmselectuser = nullptr;
    delete picker.data();
}

void TUserEditForm::BitBtn6Click()
{
    const int index = ListView1->currentRow();
    if (index < 0 || !ListView1->currentItem())
        return;
    if (index < RelationList.size())
        RelationList.removeAt(index);
    Modified = true;
    delete ListView1->takeItem(index);
}

void TUserEditForm::ListView1DblClick()
{
    const int index = ListView1->currentRow();
    QListWidgetItem *item = ListView1->currentItem();
    if (index < 0 || !item)
        return;
    const QString key = index < RelationList.size() ? EntryKey(RelationList[index]) : QString();
    QPointer<Tfrmusereditdlg> dialog = new Tfrmusereditdlg(this);
    ClearInputControls(dialog);
    dialog->LoadContact(key);
    dialog->TBXItem2->SetVisible(false);
    dialog->TBXItem4->SetVisible(false);
    if (dialog->ShowModal() == mrOk && dialog) {
        const QString name = dialog->FieldText(QStringLiteral("uname"));
        SetRelationImage(item, dialog->FieldText(QStringLiteral("uxb")));
        item->setText(name);
        if (index < RelationList.size())
            RelationList[index] = EntryKey(RelationList[index]) + '=' + name;
        Modified = true;
    }
    delete dialog.data();
}

void TUserEditForm::BitBtn7Click()
{
    QPointer<Tfrmusereditdlg> dialog = new Tfrmusereditdlg(this);
    ClearInputControls(dialog);
    dialog->LoadContact(QString());
    dialog->TBXItem2->SetVisible(false);
    dialog->TBXItem4->SetVisible(false);
    if (dialog->ShowModal() == mrOk && dialog) {
        const QString entry = dialog->usrkeyid->text().trimmed() + '=' + dialog->FieldText(QStringLiteral("uname"));
        AddRelationItem(entry, dialog->FieldText(QStringLiteral("uxb")));
        RelationList << entry;
        Modified = true;
    }
    delete dialog.data();
}
