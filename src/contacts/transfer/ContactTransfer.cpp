#include "transfer/ContactTransfer.h"

#include "shared/AppGlobals.h"
#include "transfer/CsvFormat.h"
#include "shared/Utility.h"
#include "shared/UtilityDb.h"

#include "platform/ADODB.h"
#include "platform/JetFormat.h"
#include "platform/SaveFile.h"
#include "platform/SqliteDb.h"

#include <QDebug>
#include <QMap>
#include <QSet>
#include <QStringEncoder>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace {

const QString UserInfo = QStringLiteral("userinfo");

// Columns an import never takes from a file: the tree place and bookkeeping the program keeps
// itself, and the pictures.
bool IsReservedColumn(const QString &lowerName)
{
    static const QSet<QString> reserved = {
        QStringLiteral("keyid"),    QStringLiteral("nodelevel"), QStringLiteral("nodeparentkey"),
        QStringLiteral("nodetype"), QStringLiteral("nodeindex"), QStringLiteral("kzfield1"),
        QStringLiteral("kzfield2"), QStringLiteral("readcount"), QStringLiteral("inserttime"),
        QStringLiteral("updatetime"), QStringLiteral("upot"),
    };
    return reserved.contains(lowerName);
}

// The table's own spelling of each column, by lower-case name.
QHash<QString, QString> TableColumns(SQLite::Database &db)
{
    QHash<QString, QString> columns;
    for (const QString &column : db.ColumnNames(UserInfo))
        columns.insert(column.toLower(), column);
    return columns;
}

bool IsBlank(const QString &value)
{
    return QStringView(value).trimmed().isEmpty();
}

QVariant Level(const QString &value)
{
    bool ok = false;
    const int level = QStringView(value).trimmed().toInt(&ok);
    return ok && level >= 0 && level <= 4 ? level : 0;
}

QVariant Birthday(const QString &value)
{
    if (IsBlank(value))
        return {};
    // A birthday is a day of the calendar: whether the local clock ever showed its midnight does
    // not matter.
    QDate date;
    QTime time;
    return ReadLooseDateTime(value, date, time) ? QVariant(IsoDateText(date)) : QVariant();
}

} // namespace

namespace {

enum class TRule { Text, Level, Birthday, Picture };

TRule RuleOf(const QString &lower)
{
    return lower == QLatin1String("ulevel")  ? TRule::Level
           : lower == QLatin1String("uhsr")  ? TRule::Birthday
           : lower == QLatin1String("mypic") ? TRule::Picture
                                             : TRule::Text;
}

const QStringList &BookkeepingColumns()
{
    static const QStringList columns = {
        QStringLiteral("nodelevel"), QStringLiteral("nodeparentkey"), QStringLiteral("nodetype"),
        QStringLiteral("nodeindex"), QStringLiteral("kzfield1"),      QStringLiteral("kzfield2"),
        QStringLiteral("readcount"), QStringLiteral("inserttime"),    QStringLiteral("updatetime")};
    return columns;
}
constexpr int InitialsParameter = 5;  // kzfield1, the only bookkeeping value that changes per row
constexpr int RowsPerInsert = 32;

// A column an import may fill.
struct TImportColumn {
    QString Name;  // the table's spelling
    TRule Rule = TRule::Text;
    // Left out of an insert it would not be null: it has a default or refuses null.
    bool OwnDefault = false;
    // The default of a column that refuses null, as the schema writes it: a contact with no
    // value there takes it rather than failing the whole import.
    QString NotNullDefault;
};

} // namespace

// A value as the insert binds it.
struct TBound {
    enum TType { Null, Integer, Text, Blob };
    TType Type = Null;
    qint64 Number = 0;
    QByteArray Bytes;
};

// Records of an import on their way to the thread that writes them: the value that counts of
// each column a record names.
struct TRecordBatch {
    std::vector<std::pair<int, QString>> Values;  // column (index in Columns), value
    std::vector<size_t> Ends;                     // where each record's values end
    std::vector<QString> Names;                   // per record, its name
    // Filled by whichever thread has the time: per value as bound, per record its initials.
    bool Converted = false;
    std::vector<TBound> Bound;
    std::vector<QByteArray> Initials;
    int Unkept = 0;
};

// The columns of the insert grow with the keys the records bring; every contact of the import is
// stored as if the insert had named, from the start, every column any of the records has.
// Records are read on the caller's thread and converted and written on another, so reading the
// next ones overlaps writing these; only the writer touches the connection until Finish.
struct TContactImport::TState {
    SQLite::Database *Db = nullptr;
    std::optional<SQLite::Transaction> Transaction;
    QVariant Now;  // as stored
    std::vector<TImportColumn> Columns;     // the importable columns of the table, in table order
    QHash<QString, int> ColumnOfLower;      // lower-case name → index in Columns
    int NameColumn = -1;

    // The caller's side.
    QHash<QString, int> ColumnOfKey;        // record key → index in Columns, -1 when ignored
    std::vector<std::pair<QString, int>> ColumnOfText;
    std::vector<std::pair<int, const QString *>> Keyed;  // the record being added: column, value
    std::vector<const QString *> Latest;    // per column, the record's value that counts
    TRecordBatch Filling;                   // the records not yet handed on

    // The writer's side.
    std::unique_ptr<SQLite::Statement> InsertRow, InsertRows;
    std::vector<const TBound *> Pending;    // values of the rows not inserted yet, Plan.size() each
    std::vector<const QByteArray *> PendingInitials;
    std::vector<int> Plan;                  // the value columns of the insert (indexes in Columns)
    std::vector<int> SlotOfColumn;          // index in Columns → place in Plan, -1 when not yet there
    qint64 FirstKey = -1;                   // the first contact this import added
    TImportResult Result;
    std::exception_ptr Unexpected;          // anything else the writer met, for the caller

    std::atomic<bool> Failed = false;
    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<TRecordBatch> Queue;
    std::vector<TRecordBatch> Written;      // let go of by the reading thread, sparing the writer
    bool Closed = false;
    std::thread Writer;

    int ColumnOf(const QString &key);
    void AddRecord(const std::vector<std::pair<int, const QString *>> &keyed);
    TBound Bound(int column, const QString &value, int &unkept) const;
    void Convert(TRecordBatch &batch) const;
    int SlotOf(int column);
    std::unique_ptr<SQLite::Statement> Prepare(int rows);
    void Write(const std::vector<const TBound *> &values, const QByteArray &initials);
    // The pending row `row` bound to the insert's parameters that follow `base`.
    void BindRow(SQLite::Statement &insert, int base, int row) const;
    void Flush();
    void WriteBatch(TRecordBatch &batch);
    void HandOn();
    void WriterLoop();
    void StopWriter();
};

int TContactImport::TState::ColumnOf(const QString &key)
{
    // Records made by one reader mostly share their key texts; the same text is found by its
    // address without hashing it. Holding the text keeps the address from going to another.
    for (const auto &[text, column] : ColumnOfText) {
        if (text.constData() == key.constData() && text.size() == key.size())
            return column;
    }
    auto known = ColumnOfKey.constFind(key);
    if (known == ColumnOfKey.constEnd())
        known = ColumnOfKey.insert(key, ColumnOfLower.value(key.toLower(), -1));
    if (ColumnOfText.size() < 64)
        ColumnOfText.emplace_back(key, *known);
    return *known;
}

TBound TContactImport::TState::Bound(int column, const QString &value, int &unkept) const
{
    TBound bound;
    switch (Columns[size_t(column)].Rule) {
    case TRule::Level:
        bound.Type = TBound::Integer;
        bound.Number = Level(value).toLongLong();
        break;
    case TRule::Birthday: {
        const QVariant birthday = Birthday(value);
        unkept += birthday.isNull() && !IsBlank(value);
        if (!birthday.isNull()) {
            bound.Type = TBound::Text;
            bound.Bytes = birthday.toString().toUtf8();
        }
        break;
    }
    case TRule::Picture:
        if (!IsBlank(value)) {
            bound.Type = TBound::Blob;
            bound.Bytes = QByteArray::fromBase64(value.toLatin1());
        }
        break;
    case TRule::Text:
        if (!IsBlank(value)) {
            bound.Type = TBound::Text;
            bound.Bytes = value.toUtf8();
        }
        break;
    }
    return bound;
}

void TContactImport::TState::Convert(TRecordBatch &batch) const
{
    batch.Bound.reserve(batch.Values.size());
    for (const auto &[column, value] : batch.Values)
        batch.Bound.push_back(Bound(column, value, batch.Unkept));
    batch.Initials.reserve(batch.Names.size());
    for (const QString &name : batch.Names)
        batch.Initials.push_back(PinyinInitials(name.trimmed()).toUtf8());
    batch.Converted = true;
}

// One record's (column, value) pairs: a record without any value is left out; of a column given
// twice the last value counts.
void TContactImport::TState::AddRecord(const std::vector<std::pair<int, const QString *>> &keyed)
{
    if (std::all_of(keyed.begin(), keyed.end(), [](const auto &pair) { return IsBlank(*pair.second); }))
        return;
    Latest.assign(Columns.size(), nullptr);
    for (const auto &[column, value] : keyed) {
        if (column >= 0)
            Latest[size_t(column)] = value;
    }
    const QString *name = NameColumn >= 0 ? Latest[size_t(NameColumn)] : nullptr;
    Filling.Names.push_back(name ? *name : QString());
    for (const auto &[column, value] : keyed) {
        if (column >= 0 && Latest[size_t(column)] == value) {
            Filling.Values.emplace_back(column, *value);
            Latest[size_t(column)] = nullptr;
        }
    }
    Filling.Ends.push_back(Filling.Values.size());
    HandOn();
}

int TContactImport::TState::SlotOf(int column)
{
    int &slot = SlotOfColumn[size_t(column)];
    if (slot >= 0)
        return slot;
    slot = int(Plan.size());
    Plan.push_back(column);
    // Contacts added before this column was named must hold null in it, as they would had the
    // insert named it from the start.
    const TImportColumn &named = Columns[size_t(column)];
    if (FirstKey >= 0 && named.OwnDefault) {
        const QString value = named.NotNullDefault.isEmpty() ? QStringLiteral("null") : named.NotNullDefault;
        SQLite::Statement clear(*Db, QStringLiteral("update userinfo set %1=%2 where keyid>=?").arg(named.Name, value));
        clear.Bind(1, FirstKey);
        clear.Exec();
    }
    InsertRow.reset();
    InsertRows.reset();
    return slot;
}

std::unique_ptr<SQLite::Statement> TContactImport::TState::Prepare(int rows)
{
    QStringList names = BookkeepingColumns();
    for (const int column : Plan)
        names << Columns[size_t(column)].Name;
    QStringList marks;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const qsizetype planIndex = i - (names.size() - qsizetype(Plan.size()));
        const QString &fallback = planIndex >= 0 ? Columns[size_t(Plan[size_t(planIndex)])].NotNullDefault : QString();
        marks << (fallback.isEmpty() ? QStringLiteral("?") : QStringLiteral("coalesce(?,%1)").arg(fallback));
    }
    const QString row = QStringLiteral("(%1)").arg(marks.join(u','));
    QStringList values;
    for (int r = 0; r < rows; ++r)
        values << row;
    auto insert = std::make_unique<SQLite::Statement>(
        *Db, QStringLiteral("insert into userinfo(%1) values%2").arg(names.join(u','), values.join(u',')));
    // The bookkeeping every contact shares is bound once; the engine keeps bindings between rows.
    const QVariantList shared = {1, 0, 2, 0, QString(), QStringLiteral("2"), 0, Now, Now};
    for (int r = 0; r < rows; ++r) {
        for (int i = 0; i < shared.size(); ++i) {
            if (i + 1 != InitialsParameter)
                insert->Bind(r * int(names.size()) + i + 1, shared[i]);
        }
    }
    return insert;
}

void TContactImport::TState::Write(const std::vector<const TBound *> &values, const QByteArray &initials)
{
    Pending.insert(Pending.end(), values.begin(), values.end());
    PendingInitials.push_back(&initials);
    if (PendingInitials.size() == size_t(RowsPerInsert))
        Flush();
}

void TContactImport::TState::BindRow(SQLite::Statement &insert, int base, int row) const
{
    insert.BindUtf8(base + InitialsParameter, *PendingInitials[size_t(row)]);
    int index = base + int(BookkeepingColumns().size());
    for (size_t i = 0; i < Plan.size(); ++i) {
        ++index;
        const TBound *value = Pending[size_t(row) * Plan.size() + i];
        // A column this contact has no value for: the level is 0, anything else null.
        if (!value) {
            if (Columns[size_t(Plan[i])].Rule == TRule::Level)
                insert.BindInt64(index, 0);
            else
                insert.BindNull(index);
            continue;
        }
        switch (value->Type) {
        case TBound::Null:
            insert.BindNull(index);
            break;
        case TBound::Integer:
            insert.BindInt64(index, value->Number);
            break;
        case TBound::Text:
            insert.BindUtf8(index, value->Bytes);
            break;
        case TBound::Blob:
            insert.BindBlob(index, value->Bytes);
            break;
        }
    }
}

void TContactImport::TState::Flush()
{
    const int rows = int(PendingInitials.size());
    if (rows == 0)
        return;
    // Whole groups go in one statement, which spares the engine its work per statement; the rest
    // of a batch one by one.
    if (rows == RowsPerInsert) {
        if (!InsertRows)
            InsertRows = Prepare(RowsPerInsert);
        const int perRow = int(BookkeepingColumns().size() + Plan.size());
        for (int r = 0; r < rows; ++r)
            BindRow(*InsertRows, r * perRow, r);
        InsertRows->Exec();
        InsertRows->Reset();
        // The rows of one statement take keys one after another.
        if (FirstKey < 0)
            FirstKey = Db->LastInsertRowId() - rows + 1;
    } else {
        if (!InsertRow)
            InsertRow = Prepare(1);
        for (int r = 0; r < rows; ++r) {
            BindRow(*InsertRow, 0, r);
            InsertRow->Exec();
            if (FirstKey < 0)
                FirstKey = Db->LastInsertRowId();
            InsertRow->Reset();
        }
    }
    Pending.clear();
    PendingInitials.clear();
}

TContactImport::TContactImport(TADOConnection *connection, const QDateTime &now) : state_(std::make_unique<TState>())
{
    TState &state = *state_;
    try {
        SQLite::Database &db = connection->Db();
        state.Db = &db;
        state.Now = SQLite::StorageValue(now);
        SQLite::Statement info(db, QStringLiteral("select name,\"notnull\",dflt_value from pragma_table_info(?)"));
        info.Bind(1, UserInfo);
        while (info.ExecuteStep()) {
            const QString name = info.Column(0).toString();
            const QString lower = name.toLower();
            if (IsReservedColumn(lower))
                continue;
            if (lower == QLatin1String("uname"))
                state.NameColumn = int(state.Columns.size());
            state.ColumnOfLower.insert(lower, int(state.Columns.size()));
            const bool notNull = info.Column(1).toInt() != 0;
            const QVariant dflt = info.Column(2);
            state.Columns.push_back({name, RuleOf(lower), notNull || !dflt.isNull(),
                                     notNull && !dflt.isNull() ? dflt.toString() : QString()});
        }
        state.SlotOfColumn.assign(state.Columns.size(), -1);
        // The level is always written: a contact without one gets 0.
        const int level = state.ColumnOfLower.value(QStringLiteral("ulevel"), -1);
        if (level >= 0)
            state.SlotOf(level);
        state.Transaction.emplace(db);
    } catch (const EDatabaseError &e) {
        state.Failed = true;
        state.Result.Error = DatabaseErrorText(e);
    }
}

TContactImport::~TContactImport()
{
    // An import never finished is abandoned: the writer stops, the transaction rolls back.
    state_->Failed = true;
    state_->StopWriter();
}

void TContactImport::Add(const TContactRecord &record)
{
    TState &state = *state_;
    if (state.Failed)
        return;
    state.Keyed.clear();
    for (auto it = record.cbegin(); it != record.cend(); ++it)
        state.Keyed.emplace_back(state.ColumnOf(it.key()), &it.value());
    state.AddRecord(state.Keyed);
}

void TContactImport::Add(const QStringList &items, const QList<TCsvMapping> &mappings)
{
    // What CsvContacts would make of the record, without making it.
    TState &state = *state_;
    if (state.Failed)
        return;
    state.Keyed.clear();
    for (const TCsvMapping &mapping : mappings) {
        if (mapping.Item >= 0 && mapping.Item < items.size() && !IsBlank(items[mapping.Item]))
            state.Keyed.emplace_back(state.ColumnOf(mapping.Column), &items[mapping.Item]);
    }
    state.AddRecord(state.Keyed);
}

namespace {

constexpr size_t BatchRecords = 256;
// Batches waiting for the writer; a reader far ahead of it waits rather than holding the file's
// records in memory.
constexpr size_t QueuedBatches = 8;

} // namespace

void TContactImport::TState::HandOn()
{
    if (Filling.Ends.size() < BatchRecords)
        return;
    bool writerBusy = false;
    std::vector<TRecordBatch> written;
    {
        std::lock_guard lock(Lock);
        if (!Writer.joinable())
            Writer = std::thread([this] { WriterLoop(); });
        writerBusy = Queue.size() >= QueuedBatches / 2;
        written.swap(Written);
    }
    written.clear();
    // With the writer behind, this thread converts the next batch itself instead of waiting idle;
    // otherwise the writer does, and this thread reads on.
    if (writerBusy)
        Convert(Filling);
    std::unique_lock lock(Lock);
    Changed.wait(lock, [&] { return Queue.size() < QueuedBatches || Failed; });
    if (!Failed)
        Queue.push_back(std::move(Filling));
    Filling = {};
    Changed.notify_all();
}

void TContactImport::TState::WriterLoop()
{
    for (;;) {
        TRecordBatch batch;
        {
            std::unique_lock lock(Lock);
            Changed.wait(lock, [&] { return !Queue.empty() || Closed; });
            if (Queue.empty())
                return;
            batch = std::move(Queue.front());
            Queue.pop_front();
            Changed.notify_all();
        }
        WriteBatch(batch);
        std::lock_guard lock(Lock);
        Written.push_back(std::move(batch));
    }
}

void TContactImport::TState::StopWriter()
{
    {
        std::lock_guard lock(Lock);
        Closed = true;
        Changed.notify_all();
    }
    if (Writer.joinable())
        Writer.join();
}

void TContactImport::TState::WriteBatch(TRecordBatch &batch)
{
    if (Failed)
        return;
    try {
        if (!batch.Converted)
            Convert(batch);
        Result.Unkept += batch.Unkept;
        std::vector<const TBound *> values;
        size_t begin = 0;
        for (size_t record = 0; record < batch.Ends.size(); ++record) {
            const size_t end = batch.Ends[record];
            for (size_t i = begin; i < end; ++i) {
                const int column = batch.Values[i].first;
                // The rows waiting for an insert must go in before the insert changes its columns.
                if (SlotOfColumn[size_t(column)] < 0)
                    Flush();
                SlotOf(column);
            }
            values.assign(Plan.size(), nullptr);
            for (size_t i = begin; i < end; ++i)
                values[size_t(SlotOfColumn[size_t(batch.Values[i].first)])] = &batch.Bound[i];
            Write(values, batch.Initials[record]);
            ++Result.Imported;
            begin = end;
        }
        // The values live only as long as the batch.
        Flush();
    } catch (const EDatabaseError &e) {
        Result.Error = DatabaseErrorText(e);
        Failed = true;
    } catch (...) {
        Unexpected = std::current_exception();
        Failed = true;
    }
    if (Failed) {
        std::lock_guard lock(Lock);
        Changed.notify_all();
    }
}

TImportResult TContactImport::Finish()
{
    TState &state = *state_;
    state.StopWriter();
    if (state.Unexpected)
        std::rethrow_exception(std::exchange(state.Unexpected, nullptr));
    TRecordBatch last = std::exchange(state.Filling, {});
    state.WriteBatch(last);
    if (state.Unexpected)
        std::rethrow_exception(std::exchange(state.Unexpected, nullptr));
    if (!state.Failed) {
        try {
            state.InsertRow.reset();
            state.InsertRows.reset();
            state.Transaction->Commit();
            state.Result.Ok = true;
        } catch (const EDatabaseError &e) {
            state.Failed = true;
            state.Result.Error = DatabaseErrorText(e);
        }
    }
    state.InsertRow.reset();
    state.InsertRows.reset();
    state.Transaction.reset();
    if (!state.Result.Ok)
        state.Result.Imported = 0;
    return state.Result;
}

QString VCardImportMessage(int imported, const TVCardLeftOut &leftOut)
{
    QString message = QStringLiteral("共导入 %1 条人脉记录").arg(imported);
    QStringList notImported;
    if (leftOut.Unkept > 0)
        notImported << QStringLiteral("%1 项内容没有对应的字段").arg(leftOut.Unkept);
    if (leftOut.LargePhotos > 0)
        notImported << QStringLiteral("%1 张照片太大（超过 %2 MB）").arg(leftOut.LargePhotos).arg(MaxVCardPhotoMiB);
    if (!notImported.isEmpty())
        message += QStringLiteral("，另有 ") + notImported.join(QStringLiteral("，")) + QStringLiteral("，未导入。");
    return message;
}

TImportResult ImportContacts(TADOConnection *connection, const QList<TContactRecord> &records, const QDateTime &now)
{
    TContactImport import(connection, now);
    for (const TContactRecord &record : records)
        import.Add(record);
    return import.Finish();
}

TImportResult ImportCsvRecords(TADOConnection *connection, TCsvFileReader &reader, const QList<TCsvMapping> &mappings,
                               const QDateTime &now)
{
    int kept = 0;
    for (const TCsvMapping &mapping : mappings)
        kept = std::max(kept, mapping.Item + 1);
    reader.SetKeptFields(kept);
    TContactImport import(connection, now);
    QStringList record;
    while (reader.Next(record))
        import.Add(record, mappings);
    if (reader.Failed()) {
        // Abandoned unfinished, the import rolls back.
        TImportResult failed;
        failed.Error = QStringLiteral("文件读取出错，没有读完。");
        return failed;
    }
    return import.Finish();
}

QList<TCsvMapping> CaptionMappings(const QStringList &header, const QStringList &fieldCaptions)
{
    QMap<int, TCsvMapping> byItem;
    for (const QString &pair : fieldCaptions) {
        const QString caption = PairValue(pair);
        for (int i = 0; i < header.size(); ++i) {
            if (header[i].trimmed().compare(caption, Qt::CaseInsensitive) == 0) {
                byItem.insert(i, {i, caption, PairName(pair)});
                break;
            }
        }
    }
    return byItem.values();
}

QList<TContactRecord> CsvContacts(const QList<QStringList> &records, const QList<TCsvMapping> &mappings)
{
    QList<TContactRecord> contacts;
    contacts.reserve(records.size());
    for (qsizetype r = 1; r < records.size(); ++r) {
        const QStringList &items = records[r];
        TContactRecord contact;
        for (const TCsvMapping &mapping : mappings) {
            if (mapping.Item >= 0 && mapping.Item < items.size() && !IsBlank(items[mapping.Item]))
                contact.insert(mapping.Column, items[mapping.Item]);
        }
        contacts << contact;
    }
    return contacts;
}

QList<TContactRecord> ReadExportContacts(TADOConnection *connection, const TExportScope &scope)
{
    SQLite::Database &db = connection->Db();
    const QHash<QString, QString> known = TableColumns(db);
    QStringList columns;
    for (const QString &column : VCardColumns()) {
        if (known.contains(column))
            columns << column;
    }
    // All contacts are read in storage order, which is key order: through the nodetype index
    // the engine would sort every whole row again.
    QString sql = QStringLiteral("select %1 from userinfo where %2nodetype=2")
                      .arg(columns.join(u','), scope.Kind == TExportScope::AllContacts ? QStringLiteral("+") : QString());
    if (scope.Kind == TExportScope::OneContact)
        sql += QStringLiteral(" and keyid=?");
    else if (scope.Kind == TExportScope::GroupContacts)
        sql += QStringLiteral(" and nodeparentkey=?");
    sql += QStringLiteral(" order by keyid");

    SQLite::Statement select(db, sql);
    if (scope.Kind != TExportScope::AllContacts)
        select.Bind(1, scope.KeyId);
    QList<TContactRecord> contacts;
    while (select.ExecuteStep()) {
        TContactRecord contact;
        for (int i = 0; i < columns.size(); ++i) {
            if (!select.IsNull(i))
                contact.insert(columns[i], select.Column(i).toString());
        }
        contacts << contact;
    }
    return contacts;
}

TExportResult WriteVCardFiles(TADOConnection *connection, const QString &folder, const TExportScope &scope,
                              const std::function<void(int, int)> &progress)
{
    TExportResult result;
    QList<TContactRecord> contacts;
    try {
        contacts = ReadExportContacts(connection, scope);
    } catch (const EDatabaseError &e) {
        result.Error = DatabaseErrorText(e);
        return result;
    }
    result.Ok = true;
    QString dir = folder;
    if (!dir.endsWith(u'/'))
        dir += u'/';
    TVCardFileNames names;
    int done = 0;
    for (const TContactRecord &contact : contacts) {
        const QString name = contact.value(QStringLiteral("uname"));
        if (SaveFileBytes(dir + names.Next(name), VCardBytes(contact))) {
            ++result.Written;
        } else {
            ++result.Failed;
            result.FailedNames << name;
        }
        if (progress)
            progress(++done, int(contacts.size()));
    }
    return result;
}

QString ExportVCard(TADOConnection *connection, const QString &path, qint64 keyid)
{
    QList<TContactRecord> contacts;
    try {
        contacts = ReadExportContacts(connection, {TExportScope::OneContact, keyid});
    } catch (const EDatabaseError &) {
        return {};
    }
    if (contacts.isEmpty())
        return {};
    QString target = path;
    if (FileExtLower(path) != QLatin1String("vcf"))
        target += SafeFileBaseName(contacts[0].value(QStringLiteral("uname"))) + QLatin1String(".vcf");
    return SaveFileBytes(target, VCardBytes(contacts[0])) ? target : QString();
}

namespace {

// The log keeps the system's reason; the user hears what it means for the file.
const QString NotWrittenText = QStringLiteral("文件没有完整写入（磁盘可能已满），原有的文件保持不变。");

// `text` in GB18030 into `bytes`, as `encoder` gives it. ASCII is its own encoding there and
// makes up most of the file; only the runs of other characters go through the encoder, a run
// that ends in a high surrogate together with the character after it.
void EncodeGb18030(QStringEncoder &encoder, const QString &text, QByteArray &bytes)
{
    const auto *chars = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype size = text.size();
    // Four bytes are the most GB18030 takes for one UTF-16 unit, whatever runs the text is cut in.
    bytes.resize(qMax(encoder.requiredSpace(size), size * 4));
    char *out = bytes.data();
    qsizetype i = 0;
    while (i < size) {
        for (; i < size && chars[i] < 0x80; ++i)
            *out++ = char(chars[i]);
        const qsizetype from = i;
        for (; i < size && chars[i] >= 0x80; ++i) {
        }
        if (i > from && i < size && QChar::isHighSurrogate(chars[i - 1]))
            ++i;
        if (i > from)
            out = encoder.appendToBuffer(out, QStringView(chars + from, i - from));
    }
    bytes.truncate(out - bytes.constData());
}

// One field of the current row as AppendCsvField writes ColumnText of it. Most fields of a
// contact are empty and most texts are ASCII: those are written without a text of their own.
void AppendCsvColumn(QString &chunk, const SQLite::Statement &row, int column)
{
    const SQLite::ValueView value = row.ColumnView(column);
    if (value.Type == SQLite::ValueType::Null) {
        chunk.append(QLatin1String("\"\","));
        return;
    }
    if (value.Type == SQLite::ValueType::Text) {
        const char *bytes = value.Bytes.data();
        const qsizetype size = value.Bytes.size();
        bool ascii = true;
        for (qsizetype i = 0; i < size && ascii; ++i)
            ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
        if (ascii) {
            chunk += u'"';
            qsizetype from = 0;
            for (qsizetype i = 0; i < size; ++i) {
                if (bytes[i] == '"') {
                    chunk.append(QLatin1String(bytes + from, i - from + 1));
                    chunk += u'"';
                    from = i + 1;
                }
            }
            chunk.append(QLatin1String(bytes + from, size - from));
            chunk.append(QLatin1String("\","));
            return;
        }
    }
    AppendCsvField(chunk, ColumnText(row, column));
}

} // namespace

TExportResult ExportContactsCsv(TADOConnection *connection, const QString &path, const QStringList &fieldCaptions)
{
    TExportResult result;
    TSaveFile file(path);
    try {
        SQLite::Database &db = connection->Db();
        const QHash<QString, QString> known = TableColumns(db);

        // Columns the table has are read; the others keep their place in the file, empty.
        QStringList captions;
        QStringList selected;
        QList<int> fieldColumn;  // per pair: its index in the select, or -1
        for (const QString &pair : fieldCaptions) {
            captions << PairValue(pair);
            const QString column = known.value(PairName(pair).trimmed().toLower());
            fieldColumn << (column.isEmpty() ? -1 : int(selected.size()));
            if (!column.isEmpty())
                selected << column;
        }
        if (selected.isEmpty())
            selected << QStringLiteral("keyid");
        SQLite::Statement select(
            db, QStringLiteral("select %1 from userinfo where +nodetype=2 order by keyid").arg(selected.join(u',')));

        if (!file.Open())
            throw Exception(QStringLiteral("无法创建文件。"));
        QStringEncoder encoder("GB18030");
        QString chunk = CsvHeaderLine(captions);
        chunk.reserve((1 << 20) + 64 * 1024);
        QByteArray bytes;
        const auto flush = [&] {
            EncodeGb18030(encoder, chunk, bytes);
            if (!file.Write(bytes))
                throw Exception(NotWrittenText);
            chunk.truncate(0);  // keeps the buffer for the next lines
        };
        while (select.ExecuteStep()) {
            for (int column : fieldColumn) {
                if (column < 0)
                    AppendCsvEmptyField(chunk);
                else
                    AppendCsvColumn(chunk, select, column);
            }
            chunk += QLatin1String("\r\n");
            ++result.Written;
            if (chunk.size() > 1 << 20)
                flush();
        }
        flush();
        if (!file.Commit())
            throw Exception(NotWrittenText);
        result.Ok = true;
    } catch (const EDatabaseError &e) {
        file.Cancel();
        result.Ok = false;
        result.Error = DatabaseErrorText(e);
    } catch (const Exception &e) {
        qWarning().noquote() << "CSV export to" << path << "failed:" << file.ErrorString();
        file.Cancel();
        result.Ok = false;
        result.Error = e.Message();
    }
    return result;
}
