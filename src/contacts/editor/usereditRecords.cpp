// The contact records page: activities, tasks and attachments (useraction rows).
#include "editor/useredit.h"
#include "shared/FormParts.h"

#include "shared/Utility.h"
#include "shared/UtilityDb.h"
#include "account/dataModule.h"
#include "editor/setfile.h"
#include "editor/useractmsg.h"

#include "shared/FrameworkCommandBuilder.h"
#include "toolbar/TB2ItemWindow.h"
#include "platform//ADODB.h"
#include "platform/JetFormat.h"
#include "platform/SaveFile.h"
#include "platform/SqliteDb.h"
#include "platform/UiServices.h"

#include <QDateTimeEdit>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString Orvanta = QStringLiteral("Orvanta");
const QString RecordDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

enum { RecordTask = 1, RecordActivity = 2, RecordAttachment = 3 };

// A list item owns its row.
class RecordItem final : public QTreeWidgetItem
{
public:
    explicit RecordItem(std::unique_ptr<RecordRow> row) : row_(std::move(row)) {}
    RecordRow *Row() const { return row_.get(); }

private:
    std::unique_ptr<RecordRow> row_;
};

QVariant KeyValue(const QString &key)
{
    bool ok = false;
    const qint64 value = key.trimmed().toLongLong(&ok);
    return ok ? QVariant(value) : QVariant(key.trimmed());
}

QString TypeColumnText(const RecordRow &row)
{
    if (row.kind == RecordAttachment)
        return row.stored ? QStringLiteral("附件") : QStringLiteral("附件链接");
    return row.typeText;
}

QString CaptionOf(const RecordRow &row)
{
    return row.kind == RecordAttachment ? TrimmedFileName(row.title) : row.title;
}

bool ReadFileBytes(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

} // namespace

void TUserEditForm::BuildRecordPage()
{
    BitBtn1 = FormButton(QStringLiteral("新活动"), "BitBtn1", TabSheet7);
    BitBtn3 = FormButton(QStringLiteral("新附件"), "BitBtn3", TabSheet7);
    BitBtn4 = FormButton(QStringLiteral("删除"), "BitBtn4", TabSheet7);
    ListView2 = new QTreeWidget(TabSheet7);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    ListView2->setHeaderLabels({QStringLiteral("内容"), QStringLiteral("活动类型"), QStringLiteral("日期")});
    ListView2->setRootIsDecorated(false);
    ListView2->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView2->setAllColumnsShowFocus(true);
    ListView2->setColumnWidth(0, 440);
    ListView2->setColumnWidth(1, 70);
    ListView2->setColumnWidth(2, 140);
    ListView2->setContextMenuPolicy(Qt::CustomContextMenu);

    const auto item = [this](const char *name, const char *caption, void (TUserEditForm::*click)()) {
        return CommandRow(name, caption, "", click ? std::function<void()>([this, click] { (this->*click)(); }) : nullptr);
    };
    TCommand &menu = commands_.Define(QStringLiteral("PopupMenu4"), {
                                                                       item("N73", "新活动", &TUserEditForm::N73Click),
                                                                       item("N12", "新任务", nullptr),
                                                                       item("N74", "新附件", &TUserEditForm::N74Click),
                                                                       SeparatorRow(),
                                                                       item("userm01", "打开", &TUserEditForm::ListView2DblClick),
                                                                       item("userm02", "另存为...", &TUserEditForm::userm02Click),
                                                                       item("userm03", "删除", &TUserEditForm::userm03Click),
                                                                   });
    const std::pair<TCommand **, const char *> fields[] = {{&N73, "N73"},         {&N12, "N12"},         {&N74, "N74"},
                                                           {&userm01, "userm01"}, {&userm02, "userm02"}, {&userm03, "userm03"}};
    for (const auto &[field, name] : fields)
        *field = Command(QString::fromLatin1(name));
    // Only an attachment is a file that can be saved elsewhere.
    menu.OnPopup = [this] {
        const RecordRow *row = RecordOf(ListView2->indexOfTopLevelItem(ListView2->currentItem()));
        userm02->SetVisible(row && row->kind == RecordAttachment);
    };
    PopupMenu4 = frameworkBuilder_->Popup(menu);
    PopupMenu4->SetName(QStringLiteral("PopupMenu4"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn3);
    buttons->addWidget(BitBtn4);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(TabSheet7);
    layout->addLayout(buttons);
    layout->addWidget(ListView2, 1);

    connect(BitBtn1, &QPushButton::clicked, this, &TUserEditForm::N73Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TUserEditForm::N74Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TUserEditForm::userm03Click);
    connect(ListView2, &QTreeWidget::itemDoubleClicked, this, [this] { ListView2DblClick(); });
    connect(ListView2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { RunPopupMenu(*PopupMenu4, ListView2->viewport()->mapToGlobal(pos)); });
}

void TUserEditForm::ResizeRecordColumns()
{
    if (!ListView2)
        return;
    ListView2->setColumnWidth(1, 70);
    ListView2->setColumnWidth(2, 140);
    ListView2->setColumnWidth(0, std::max(ListView2->width() - 70 - 140 - 5, 40));
}

RecordRow *TUserEditForm::RecordOf(int index) const
{
    auto *item = dynamic_cast<RecordItem *>(ListView2->topLevelItem(index));
    return item ? item->Row() : nullptr;
}

void TUserEditForm::FreeRecordItems()
{
    ListView2->clear();
}

void TUserEditForm::ShowRecordItem(QTreeWidgetItem *item)
{
    const RecordRow &row = *static_cast<RecordItem *>(item)->Row();
    item->setText(0, CaptionOf(row));
    item->setText(1, TypeColumnText(row));
    item->setText(2, row.date);
}

void TUserEditForm::AddRecordItem(std::unique_ptr<RecordRow> row)
{
    auto *item = new RecordItem(std::move(row));
    ShowRecordItem(item);
    ListView2->addTopLevelItem(item);
}

void TUserEditForm::LoadRecords()
{
    FreeRecordItems();
    TADOQuery query(query_->Connection());
    // The attachments' bytes stay in the account until one is opened or saved.
    if (!RunQuery(&query,
                  QStringLiteral("select id,typestr,titlemsg,createdate,linkid,typeint from useraction "
                                 "where typestr<>? and useruid=?"),
                  {QStringLiteral("人脉"), KeyValue(usrkeyid->text())}))
        return;
    for (query.First(); !query.Eof(); query.Next()) {
        auto row = std::make_unique<RecordRow>();
        row->id = query.FieldByName(QStringLiteral("id")).AsString();
        row->typeText = query.FieldByName(QStringLiteral("typestr")).AsString();
        const QString type = row->typeText.trimmed();
        row->kind = type == QStringLiteral("活动") ? RecordActivity
                    : type == QStringLiteral("任务") ? RecordTask
                                                    : RecordAttachment;
        row->title = query.FieldByName(QStringLiteral("titlemsg")).AsString();
        row->date = query.FieldByName(QStringLiteral("createdate")).AsString();
        row->linkId = query.FieldByName(QStringLiteral("linkid")).AsString();
        row->stored = query.FieldByName(QStringLiteral("typeint")).AsInteger() != 10;
        AddRecordItem(std::move(row));
    }
}

void TUserEditForm::N73Click()
{
    QPointer<Tfrmuseractmsg> dialog = new Tfrmuseractmsg(this);
    frmuseractmsg = dialog;
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (ok) {
        auto row = std::make_unique<RecordRow>();
        row->kind = RecordActivity;
        row->title = dialog->Memo1->toPlainText().trimmed();
        row->typeText = QStringLiteral("活动");
        row->date = dialog->DateTimePicker1->dateTime().toString(RecordDateFormat);
        row->changed = true;
        row->file = QStringLiteral("0");
        AddRecordItem(std::move(row));
    }
    frmuseractmsg = nullptr;
    delete dialog.data();
    if (ok) {
        activeNewTime_ = Clock().Now();
        Modified = true;
    }
}

void TUserEditForm::N74Click()
{
    const QString path = Dialogs().OpenFileName(this, QString(), QString(), QString());
    if (path.isEmpty())
        return;
    QPointer<Tfrmsetfile> dialog = new Tfrmsetfile(this);
    frmsetfile = dialog;
    const bool ok = dialog->exec() == QDialog::Accepted;
    const bool stored = dialog && dialog->RadioButton1->isChecked();
    frmsetfile = nullptr;
    delete dialog.data();
    if (!ok)
        return;
    auto row = std::make_unique<RecordRow>();
    row->kind = RecordAttachment;
    row->title = path;
    row->date = Clock().Now().toString(RecordDateFormat);
    row->stored = stored;
    row->typeText = QStringLiteral("附件");
    AddRecordItem(std::move(row));
    activeNewTime_ = Clock().Now();
    Modified = true;
}

void TUserEditForm::ListView2DblClick()
{
    QTreeWidgetItem *item = ListView2->currentItem();
    RecordRow *row = item ? static_cast<RecordItem *>(item)->Row() : nullptr;
    if (!row)
        return;
    if (row->kind == RecordTask)
        return;
    if (row->kind == RecordAttachment) {
        OpenAttachment(*row);
        return;
    }
    QPointer<Tfrmuseractmsg> dialog = new Tfrmuseractmsg(this);
    frmuseractmsg = dialog;
    dialog->SetActivity(row->title, ReadLooseDateTime(row->date));
    if (dialog->exec() == QDialog::Accepted && dialog) {
        row->title = dialog->Memo1->toPlainText().trimmed();
        row->typeText = QStringLiteral("活动");
        row->date = dialog->DateTimePicker1->dateTime().toString(RecordDateFormat);
        row->changed = true;
        ShowRecordItem(item);
        Modified = true;
    }
    frmuseractmsg = nullptr;
    delete dialog.data();
}

void TUserEditForm::OpenAttachment(const RecordRow &row)
{
    QString file = row.title;
    if (row.id != QLatin1String("0") && row.stored) {
        TADOQuery query(query_->Connection());
        if (RunQuery(&query, QStringLiteral("select fjfile from useraction where id=?"), {KeyValue(row.id)}) &&
            !query.IsEmpty()) {
            const QString folder = TempFolder();
            const QString copy = folder + TrimmedFileName(row.title);
            if (!folder.isEmpty() && !TrimmedFileName(row.title).isEmpty() &&
                SaveFileBytes(copy, query.FieldByName(QStringLiteral("fjfile")).AsBlob()))
                file = copy;
            else
                file.clear();
        }
    }
    if (file.trimmed().isEmpty() || !QFileInfo(file).isFile()) {
        ShowMessage(QStringLiteral("打开失败!文件不存在。"), Orvanta, MsgIcon::None, MsgButtons::OK, this);
        return;
    }
    OpenFileIfExists(file);
}

void TUserEditForm::userm02Click()
{
    QTreeWidgetItem *item = ListView2->currentItem();
    const RecordRow *row = item ? static_cast<RecordItem *>(item)->Row() : nullptr;
    if (!row || row->kind != RecordAttachment)
        return;
    QString target = Dialogs().SaveFileNameWithoutPrompt(this, QString(), row->title, QString());
    if (target.isEmpty())
        return;
    const QString extension = FileExtLower(item->text(0));
    if (FileExtLower(target).isEmpty() && !extension.isEmpty())
        target += '.' + extension;
    if (QFileInfo::exists(target) &&
        ShowMessage(QStringLiteral("文件已经存在，覆盖吗？"), Orvanta, MsgIcon::Question, MsgButtons::YesNo, this) !=
            MsgResult::Yes)
        return;

    QByteArray bytes;
    bool read = false;
    if (row->stored && row->id != QLatin1String("0")) {
        TADOQuery query(query_->Connection());
        read = RunQuery(&query, QStringLiteral("select fjfile from useraction where id=?"), {KeyValue(row->id)}) &&
               !query.IsEmpty();
        if (read)
            bytes = query.FieldByName(QStringLiteral("fjfile")).AsBlob();
    } else {
        // A link, or a file not written yet: the source itself is what gets saved.
        read = QFileInfo(row->title).isFile() && ReadFileBytes(row->title, bytes);
    }
    if (!read || !SaveFileBytes(target, bytes))
        ShowMessage(QStringLiteral("保存失败!"), Orvanta, MsgIcon::None, MsgButtons::OK, this);
}

void TUserEditForm::userm03Click()
{
    QTreeWidgetItem *item = ListView2->currentItem();
    const RecordRow *row = item ? static_cast<RecordItem *>(item)->Row() : nullptr;
    if (!row)
        return;
    // A row that was written goes from the account first; if that fails it stays listed.
    if (row->id != QLatin1String("0") &&
        !RunQuery(query_.get(), QStringLiteral("delete from useraction where id=?"), {KeyValue(row->id)}))
        return;
    delete item;
}

bool TUserEditForm::SaveRecords(std::vector<std::pair<RecordRow *, QString>> &written)
{
    TADOConnection *connection = query_->Connection();
    const QVariant key = KeyValue(usrkeyid->text());
    std::vector<std::pair<RecordRow *, QString>> newIds;
    try {
        SQLite::Transaction transaction(connection->Db());
        TADOQuery query(connection);
        for (int i = 0; i < ListView2->topLevelItemCount(); ++i) {
            RecordRow *row = RecordOf(i);
            if (!row)
                continue;
            if (row->id == QLatin1String("0")) {
                if (row->kind == RecordTask) {
                    query.SetSQL(QStringLiteral(
                        "insert into useraction (useruid,titlemsg,typestr,createdate,linkid) values (?,?,?,?,?)"));
                    query.SetParams({key, row->title, QStringLiteral("任务"), row->date,
                                     row->linkId.isEmpty() ? QVariant() : KeyValue(row->linkId)});
                } else if (row->kind == RecordAttachment) {
                    QByteArray bytes;
                    if (row->stored && !ReadFileBytes(row->title, bytes)) {
                        saveProblem_ = QStringLiteral("无法读取附件：") + row->title;
                        throw Exception(QStringLiteral("cannot read %1").arg(row->title));
                    }
                    query.SetSQL(QStringLiteral("insert into useraction (useruid,titlemsg,typeint,fjfile,typestr,"
                                                "createdate) values (?,?,?,?,?,?)"));
                    query.SetParams({key, row->title, row->stored ? 11 : 10,
                                     row->stored ? QVariant(bytes) : QVariant(), QStringLiteral("附件"), row->date});
                } else {
                    query.SetSQL(QStringLiteral(
                        "insert into useraction (useruid,titlemsg,typestr,createdate) values (?,?,?,?)"));
                    query.SetParams({key, row->title, QStringLiteral("活动"), row->date});
                }
                query.ExecSQL();
                newIds.emplace_back(row, QString::number(connection->Db().LastInsertRowId()));
            } else if (row->changed) {
                query.SetSQL(QStringLiteral("update useraction set titlemsg=?,createdate=? where id=?"));
                query.SetParams({row->title, row->date, KeyValue(row->id)});
                query.ExecSQL();
                newIds.emplace_back(row, row->id);
            }
        }
        transaction.Commit();
    } catch (const Exception &e) {
        qWarning().noquote() << "records not written:" << e.Message();
        return false;
    }
    written.insert(written.end(), newIds.begin(), newIds.end());
    return true;
}
