// Loading a contact row into the editor and saving it back, with what a save writes besides the
// row: the reminder rows, tags, the browser's tree node, records and album.
#include "editor/useredit.h"

#include "main/Main.h"
#include "shared/Utility.h"
#include "shared/UtilityDb.h"
#include "editor/selectuser.h"
#include "editor/setuseralarm.h"
#include "editor/usereditControls.h"

#include "platform/ADODB.h"
#include "platform/JetFormat.h"
#include "platform/SqliteDb.h"
#include "platform/UiServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDebug>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <tuple>

namespace {

const QString Orvanta = QStringLiteral("Orvanta");

QVariant KeyValue(const QString &key)
{
    bool ok = false;
    const qint64 value = key.trimmed().toLongLong(&ok);
    return ok ? QVariant(value) : QVariant(key.trimmed());
}

// Reads a stored date ("1980-01-05", or the looser forms imports bring); invalid when it is none.
QDate StoredDate(const QString &text)
{
    const QDateTime value = ReadLooseDateTime(text.trimmed());
    return value.isValid() ? value.date() : QDate();
}

// Runs one load step; a bad value in one step must not keep the later ones from running.
template <typename Step>
void Guarded(const char *what, Step step)
{
    try {
        step();
    } catch (const Exception &e) {
        qWarning().noquote() << "contact load," << what << ":" << e.Message();
    }
}

QVariant DateTimeValue(const QDateTime &value)
{
    return value.isValid() ? QVariant(value) : QVariant();
}

} // namespace

void TUserEditForm::LoadContact(const QString &key)
{
    Modified = false;
    FreeRecordItems();
    ClearPhotoList();
    ListView1->clear();
    RelationList.clear();
    ContactMissing = true;
    const QDate today = Clock().Now().date();
    for (TCheckDatePicker *picker : {DateTimePicker1, seldate2}) {
        picker->SetDate(today);
        picker->SetChecked(false);
    }
    birthdayText_.clear();
    anniversaryText_.clear();
    birthdayAtLoad_ = anniversaryAtLoad_ = false;
    birthdayDateAtLoad_ = anniversaryDateAtLoad_ = today;
    ulevel->setCurrentIndex(2);
    // Nothing of a contact shown before may stay in a reused window.
    ClearPhoto();
    ReminderRule = ExpandedRule = TReminderRule{};

    const QString trimmed = key.trimmed();
    const bool found = !trimmed.isEmpty() &&
                       RunQuery(query_.get(), QStringLiteral("select * from userinfo where keyid=?"), {KeyValue(trimmed)}) &&
                       !query_->IsEmpty();
    if (found) {
        LoadRow(*query_, trimmed);
        LoadRecords();
        LoadAlbum();
    }
    query_->Close();
    userPageControl->setCurrentIndex(0);
    Modified = false;
}

void TUserEditForm::LoadRow(TADOQuery &row, const QString &key)
{
    ContactMissing = false;
    usrkeyid->setText(key);
    Guarded("readcount", [&] {
        row.Edit();
        row.FieldByName(QStringLiteral("readcount")).SetAsInteger(row.FieldByName(QStringLiteral("readcount")).AsInteger() + 1);
        row.Post();
    });
    Guarded("status", [&] {
        StatusPanel->setText(QStringLiteral("  添加时间：") + row.FieldByName(QStringLiteral("inserttime")).AsString() +
                             QStringLiteral(" 最后修改时间：") + row.FieldByName(QStringLiteral("updatetime")).AsString());
    });
    Guarded("reminder", [&] {
        activeNewTime_ = row.FieldByName(QStringLiteral("activenewtime")).AsDateTime();
        ReminderRule.Start = row.FieldByName(QStringLiteral("txstarttime")).AsDateTime();
        ReminderRule.End = row.FieldByName(QStringLiteral("txendtime")).AsDateTime();
        ReminderRule.Alarm = row.FieldByName(QStringLiteral("alarmtime")).AsDateTime();
        ReminderRule.Count = row.FieldByName(QStringLiteral("txxhcs")).AsInteger();
        ReminderRule.Kind = row.FieldByName(QStringLiteral("txlevel")).AsInteger();
        ReminderRule.Text = row.FieldByName(QStringLiteral("txdaystr")).AsString();
        ExpandedRule = ReminderRule;
    });
    Guarded("tags", [&] {
        Edit1->clear();
        TADOQuery tags(row.Connection());
        if (RunQuery(&tags, QStringLiteral("select placename from userlinkplace where keyid=? group by placename"),
                     {KeyValue(key)})) {
            QString text;
            for (tags.First(); !tags.Eof(); tags.Next())
                text += tags.FieldByName(QStringLiteral("placename")).AsString() + ' ';
            Edit1->setText(text);
        }
    });
    Guarded("relations", [&] {
        const QString linkuser = row.FieldByName(QStringLiteral("linkuser")).AsString();
        if (!linkuser.trimmed().isEmpty())
            LoadRelations(linkuser);
    });
    Guarded("fields", [&] {
        for (int i = 0; i < row.FieldCount(); ++i) {
            const TField &field = row.Fields(i);
            if (field.FieldName().compare(QLatin1String("udtfmt"), Qt::CaseInsensitive) == 0) {
                (field.AsString() == QStringLiteral("阴历") ? RadioButton2 : RadioButton1)->setChecked(true);
                continue;
            }
            if (FieldControl(field.FieldName()))
                SetFieldText(field.FieldName(), field.AsString());
        }
    });
    Guarded("level", [&] {
        bool ok = false;
        const int level = row.FieldByName(QStringLiteral("ulevel")).AsString().trimmed().toInt(&ok);
        if (ok && level >= 0 && level < ulevel->count())
            ulevel->setCurrentIndex(level);
    });
    Guarded("dates", [&] {
        // An unreadable stored date shows unchecked and is written back as it was (see the save).
        birthdayText_ = row.FieldByName(QStringLiteral("uhsr")).AsString();
        const QDate birthday = StoredDate(birthdayText_);
        DateTimePicker1->SetChecked(birthday.isValid());
        if (birthday.isValid())
            DateTimePicker1->SetDate(birthday);
        anniversaryText_ = row.FieldByName(QStringLiteral("ujhjnr")).AsString();
        const QDate anniversary = StoredDate(anniversaryText_);
        seldate2->SetChecked(anniversary.isValid());
        if (anniversary.isValid())
            seldate2->SetDate(anniversary);
        birthdayAtLoad_ = DateTimePicker1->Checked();
        birthdayDateAtLoad_ = DateTimePicker1->Date();
        anniversaryAtLoad_ = seldate2->Checked();
        anniversaryDateAtLoad_ = seldate2->Date();
    });
    Guarded("flags", [&] {
        CheckBox1->setChecked(row.FieldByName(QStringLiteral("uisalart")).AsBoolean());
        CheckBox2->setChecked(row.FieldByName(QStringLiteral("jnrtx")).AsBoolean());
    });
    Guarded("photo", [&] {
        const QString type = row.FieldByName(QStringLiteral("pictype")).AsString().trimmed();
        const QByteArray bytes = row.FieldByName(QStringLiteral("mypic")).AsBlob();
        if (!type.isEmpty() && !bytes.isEmpty())
            SetPhoto(bytes, type, QStringLiteral("up.") + type);
    });
    Guarded("names", [&] {
        auto *uname = static_cast<QComboBox *>(FieldControl(QStringLiteral("uname")));
        const QString name = uname->currentText();
        uname->clear();
        const QStringList variants =
            NameVariants(FieldText(QStringLiteral("text30")), FieldText(QStringLiteral("text44")));
        uname->addItems(variants);
        uname->setCurrentIndex(-1);
        uname->setEditText(name);
    });
}

void TUserEditForm::ResetAsNew()
{
    ClearPhotoList();
    FreeRecordItems();
    ListView1->clear();
    RelationList.clear();
    ClearPhoto();
    ReminderRule = ExpandedRule = TReminderRule{};
    userPageControl->setCurrentIndex(0);
    ClearInputControls(userPageControl);
    const QDate today = Clock().Now().date();
    for (TCheckDatePicker *picker : {DateTimePicker1, seldate2}) {
        picker->SetDate(today);
        picker->SetChecked(false);
    }
    birthdayText_.clear();
    anniversaryText_.clear();
    birthdayAtLoad_ = anniversaryAtLoad_ = false;
    RadioButton1->setChecked(true);
    ulevel->setCurrentIndex(2);
    activeNewTime_ = Clock().Now();
    StatusPanel->clear();
    usrkeyid->clear();
    ContactMissing = true;
    FieldControl(QStringLiteral("uname"))->setEnabled(true);
    Modified = false;
}

bool TUserEditForm::SaveContact()
{
    saveProblem_.clear();
    if (FieldText(QStringLiteral("uname")).trimmed().isEmpty()) {
        ShowMessage(QStringLiteral("请输入姓名！"), Orvanta, MsgIcon::None, MsgButtons::OK, this);
        userPageControl->setCurrentIndex(0);
        FieldControl(QStringLiteral("uname"))->setFocus();
        return false;
    }
    // Every question is answered before the first write, so the save is one change: the row,
    // its reminder rows, tags, records and album reach the account together or not at all.
    const TTagPlan tags = AskForTags(Edit1->text().trimmed());
    const QString keyBefore = usrkeyid->text();
    const auto datesBefore = std::tuple(birthdayText_, anniversaryText_, birthdayAtLoad_, anniversaryAtLoad_,
                                        birthdayDateAtLoad_, anniversaryDateAtLoad_);
    const TReminderRule expandedBefore = ExpandedRule;
    if (usrkeyid->text().trimmed().isEmpty())
        usrkeyid->setText(QStringLiteral("-1"));

    bool isNew = false;
    bool ok = false;
    std::vector<std::pair<RecordRow *, QString>> recordIds;
    std::vector<std::pair<PhotoRow *, QString>> photoIds;
    TADOConnection *connection = query_->Connection();
    if (connection && connection->Connected()) {
        try {
            SQLite::Transaction transaction(connection->Db());
            ok = WriteContactRow(isNew);
            if (ok) {
                // Reminder rows that cannot be written are tried again by the next save.
                ExpandReminderRule();
                ok = WriteContactTags(tags, usrkeyid->text().trimmed()) && SaveRecords(recordIds) &&
                     SaveAlbum(photoIds);
            }
            if (ok)
                transaction.Commit();
        } catch (const Exception &e) {
            qWarning().noquote() << "contact save rolled back:" << e.Message();
            ok = false;
        }
    }

    if (ok) {
        // Written rows take their ids, so the next save does not write them again.
        for (auto &[row, id] : recordIds) {
            row->id = id;
            row->changed = false;
        }
        for (auto &[row, id] : photoIds)
            row->id = id;
        if (!tags.NewTags.isEmpty()) {
            if (IBrowserPage *browser = CurrentContactBrowser())
                browser->LoadTagTree();
        }
        if (frmmain && frmmain->CalendarPage())
            frmmain->CalendarPage()->LoadMonth(true);
        UpdateBrowserNode(isNew);
        if (frmmain && frmmain->CalendarPageVisible())
            frmmain->CalendarPage()->LoadTodayTree();
    } else {
        // Nothing was kept: the window goes back to what the account still holds.
        usrkeyid->setText(keyBefore);
        std::tie(birthdayText_, anniversaryText_, birthdayAtLoad_, anniversaryAtLoad_, birthdayDateAtLoad_,
                 anniversaryDateAtLoad_) = datesBefore;
        // The month may have been read while the undone reminder rows were still there.
        if (ExpandedRule != expandedBefore && frmmain && frmmain->CalendarPage())
            frmmain->CalendarPage()->LoadMonth(true);
        ExpandedRule = expandedBefore;
    }
    Modified = !ok;
    if (!ok) {
        // An attachment whose file has gone blocks every save until its row is removed; say which.
        ShowMessage(saveProblem_.isEmpty() ? QStringLiteral("保存失败！") : QStringLiteral("保存失败！\n") + saveProblem_,
                    Orvanta, MsgIcon::None, MsgButtons::OK, this);
    }
    return ok;
}

bool TUserEditForm::WriteContactRow(bool &isNew)
{
    TADOQuery &row = *query_;
    if (!RunQuery(&row, QStringLiteral("select * from userinfo where keyid=?"), {KeyValue(usrkeyid->text())}))
        return false;
    const QDateTime now = Clock().Now();
    try {
        isNew = row.IsEmpty();
        if (isNew) {
            row.Append();
            row.FieldByName(QStringLiteral("nodetype")).SetAsInteger(2);
            row.FieldByName(QStringLiteral("readcount")).SetAsInteger(1);
            row.FieldByName(QStringLiteral("inserttime")).SetAsDateTime(now);
            // Without a browser the contact goes to the top level.
            TNodePlace place;
            if (IBrowserPage *browser = CurrentContactBrowser())
                place = browser->NewContactPlace();
            row.FieldByName(QStringLiteral("nodeparentkey")).SetAsInteger(place.ParentKey);
            row.FieldByName(QStringLiteral("nodelevel")).SetAsInteger(place.Level);
            row.FieldByName(QStringLiteral("nodeindex")).SetAsInteger(place.Index);
        } else {
            row.Edit();
        }

        row.FieldByName(QStringLiteral("pictype")).SetAsString(QString());
        if (HasPhoto() && !photoBytes_.isEmpty()) {
            row.FieldByName(QStringLiteral("mypic")).SetAsBlob(photoBytes_);
            row.FieldByName(QStringLiteral("pictype")).SetAsString(photoType_);
        }

        // A stored date that could not be read goes back unchanged unless the picker was touched.
        const auto dateText = [](const TCheckDatePicker *picker, const QString &loaded, bool checkedAtLoad,
                                 const QDate &dateAtLoad) {
            const bool untouched = picker->Checked() == checkedAtLoad && picker->Date() == dateAtLoad;
            if (untouched && !checkedAtLoad && !loaded.trimmed().isEmpty())
                return loaded;
            return picker->Checked() ? picker->Date().toString(QStringLiteral("yyyy-MM-dd")) : QString();
        };
        row.FieldByName(QStringLiteral("ujhjnr"))
            .SetAsString(dateText(seldate2, anniversaryText_, anniversaryAtLoad_, anniversaryDateAtLoad_));
        row.FieldByName(QStringLiteral("updatetime")).SetAsDateTime(now);
        row.FieldByName(QStringLiteral("activenewtime")).SetValue(DateTimeValue(activeNewTime_));
        row.FieldByName(QStringLiteral("kzfield2")).SetAsString(QStringLiteral("2"));

        row.FieldByName(QStringLiteral("txstarttime")).SetValue(DateTimeValue(ReminderRule.Start));
        row.FieldByName(QStringLiteral("txendtime")).SetValue(DateTimeValue(ReminderRule.End));
        row.FieldByName(QStringLiteral("txxhcs")).SetAsInteger(ReminderRule.Count);
        row.FieldByName(QStringLiteral("txlevel")).SetAsInteger(ReminderRule.Kind);
        row.FieldByName(QStringLiteral("txdaystr")).SetAsString(ReminderRule.Text);
        row.FieldByName(QStringLiteral("alarmtime")).SetValue(DateTimeValue(ReminderRule.Alarm));

        row.FieldByName(QStringLiteral("uhsr"))
            .SetAsString(dateText(DateTimePicker1, birthdayText_, birthdayAtLoad_, birthdayDateAtLoad_));
        row.FieldByName(QStringLiteral("udtfmt"))
            .SetAsString(RadioButton1->isChecked() ? QStringLiteral("阳历") : QStringLiteral("阴历"));
        row.FieldByName(QStringLiteral("linkuser")).SetAsString(JoinRelations(RelationList));

        for (int i = 0; i < row.FieldCount(); ++i) {
            TField &field = row.Fields(i);
            if (FieldControl(field.FieldName()))
                field.SetAsString(FieldText(field.FieldName()));
        }

        row.FieldByName(QStringLiteral("uisalart")).SetAsBoolean(CheckBox1->isChecked());
        row.FieldByName(QStringLiteral("jnrtx")).SetAsBoolean(CheckBox2->isChecked());
        // A form emptied for a new contact has no level chosen; it starts at the middle one.
        row.FieldByName(QStringLiteral("ulevel")).SetAsInteger(ulevel->currentIndex() < 0 ? 2 : ulevel->currentIndex());
        row.FieldByName(QStringLiteral("kzfield1")).SetAsString(PinyinInitials(FieldText(QStringLiteral("uname")).trimmed()));
        row.Post();
        usrkeyid->setText(row.FieldByName(QStringLiteral("keyid")).AsString());
        // The written dates are now what the row holds.
        birthdayText_ = row.FieldByName(QStringLiteral("uhsr")).AsString();
        anniversaryText_ = row.FieldByName(QStringLiteral("ujhjnr")).AsString();
        birthdayAtLoad_ = DateTimePicker1->Checked();
        birthdayDateAtLoad_ = DateTimePicker1->Date();
        anniversaryAtLoad_ = seldate2->Checked();
        anniversaryDateAtLoad_ = seldate2->Date();
        row.Close();
        return true;
    } catch (const Exception &e) {
        qWarning().noquote() << "contact not written:" << e.Message();
        row.Cancel();
        row.Close();
        return false;
    }
}

void TUserEditForm::ExpandReminderRule()
{
    if (!ReminderDialog)
        return;
    Tfrmsetuseralarm *dialog = ReminderDialog;
    if (!ReminderRuleChanged(ReminderRule, ExpandedRule, ReminderRule.End.isValid()))
        return;
    dialog->LoadReminderSettings(ReminderRule.Count, ReminderRule.Kind, ReminderRule.Text, ReminderRule.End,
                                 ReminderRule.Start);
    if (ReminderRule.Alarm.isValid())
        dialog->DateTimePicker1->setDateTime(ReminderRule.Alarm);
    const QString uxy = FieldText(QStringLiteral("uxy"));
    dialog->Edit1->setText(uxy.trimmed().isEmpty() ? QStringLiteral("请联系:") + FieldText(QStringLiteral("uname")) : uxy);
    // Rows that could not be written are tried again by the next save.
    if (dialog->GenerateOccurrences(usrkeyid->text().trimmed()))
        ExpandedRule = ReminderRule;
}

void TUserEditForm::UpdateBrowserNode(bool isNew)
{
    IBrowserPage *browser = CurrentContactBrowser();
    if (!browser)
        return;
    const QString key = usrkeyid->text().trimmed();
    if (isNew)
        browser->ShowNewContact(key);
    else
        browser->UpdateContactNode(key);
}
