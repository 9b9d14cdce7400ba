#include "ADODB.h"

#include "DbFiles.h"
#include "JetFormat.h"

#include <QFileInfo>
#include <algorithm>
#include <bit>
#include <cstring>
#include <sqlite3.h>

namespace {

QString Quoted(const QString &identifier)
{
    QString quoted = identifier;
    quoted.replace('"', QStringLiteral("\"\""));
    return '"' + quoted + '"';
}

QString ParamKey(QString name)
{
    if (name.startsWith(':') || name.startsWith('@') || name.startsWith('$'))
        name.remove(0, 1);
    return name.toLower();
}

// The table's counter: its single INTEGER PRIMARY KEY column, which is the row's own id.
QString CounterColumn(SQLite::Database &db, const QString &table)
{
    SQLite::Statement info(db, QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"));
    info.Bind(1, table);
    QString key;
    int keys = 0;
    while (info.ExecuteStep()) {
        if (info.Column(2).toLongLong() == 0)
            continue;
        ++keys;
        if (info.Column(1).toString().compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) == 0)
            key = info.Column(0).toString();
    }
    return keys == 1 ? key : QString();
}

// The tables every account file is made with. A file that has only some of them (a bare userinfo
// and usermsg, say) was not written as an account and is not read as one.
bool IsAccountSchema(SQLite::Database &db)
{
    static const char *const tables[] = {"userinfo", "useraction", "userpic", "usertable", "userplaces",
                                         "userlinkplace", "usermsg", "dbsxfile", "databaklist", "psdbox"};
    for (const char *table : tables) {
        if (!db.TableExists(QString::fromLatin1(table)))
            return false;
    }
    const QStringList columns = db.ColumnNames(QStringLiteral("userinfo"));
    for (const char *column : {"keyid", "nodelevel", "nodeparentkey", "nodetype", "uname", "kzfield1", "kzfield2"}) {
        if (!columns.contains(QString::fromLatin1(column), Qt::CaseInsensitive))
            return false;
    }
    return true;
}

bool QuickCheckPasses(SQLite::Database &db)
{
    SQLite::Statement check(db, QStringLiteral("PRAGMA quick_check"));
    return check.ExecuteStep() && check.Column(0).toString() == QLatin1String("ok");
}

// The owner's write bit counts as well as access(): a file the user made read-only stays
// unwritten even for a user the kernel would let write it.
bool MayWrite(const QString &path)
{
    const QFileInfo info(path);
    return info.isWritable() && (info.permissions() & QFileDevice::WriteOwner);
}

bool IsDamageCode(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_IOERR;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TADOConnection

TADOConnection::~TADOConnection()
{
    Close();
    for (TADOQuery *query : queries_)
        query->connection_ = nullptr;
}

void TADOConnection::SetFileName(const QString &path)
{
    if (path == fileName_)
        return;
    Close();
    fileName_ = path;
}

void TADOConnection::Open()
{
    if (db_)
        return;
    if (fileName_.isEmpty())
        throw EDatabaseError(QStringLiteral("No account file given"));
    if (!QFileInfo(fileName_).isFile())
        throw EDatabaseError(QStringLiteral("Could not find file '%1'.").arg(fileName_), SQLITE_CANTOPEN);
    auto db = std::make_unique<SQLite::Database>(fileName_,
                                                 MayWrite(fileName_) ? SQLite::OpenReadWrite : SQLite::OpenReadOnly);
    if (!IsAccountSchema(*db))
        throw EDatabaseError(QStringLiteral("'%1' is not an account file.").arg(fileName_));
    db_ = std::move(db);
}

void TADOConnection::Open(const QString &path)
{
    SetFileName(path);
    Open();
}

void TADOConnection::Close()
{
    if (!db_)
        return;
    for (TADOQuery *query : queries_) {
        query->Close();
        query->DropStatements();
    }
    db_.reset();
}

void TADOConnection::TakeOver(TADOConnection &other)
{
    if (&other == this)
        return;
    Close();
    // Its queries let go of their statements on the engine connection that moves.
    for (TADOQuery *query : other.queries_) {
        query->Close();
        query->DropStatements();
    }
    fileName_ = other.fileName_;
    db_ = std::move(other.db_);
}

void TADOConnection::SetConnected(bool value)
{
    if (value)
        Open();
    else
        Close();
}

SQLite::Database &TADOConnection::Db()
{
    if (!db_)
        throw EDatabaseError(QStringLiteral("Connection is closed"));
    return *db_;
}

bool TADOConnection::BackupTo(const QString &target)
{
    return db_ && BackupDatabase(*db_, target);
}

bool TADOConnection::ReadOnly() const
{
    return db_ && sqlite3_db_readonly(db_->Handle(), "main") == 1;
}

bool TADOConnection::PagesIntact()
{
    try {
        return QuickCheckPasses(Db());
    } catch (const EDatabaseError &) {
        return false;
    }
}

bool TADOConnection::TestOpen(const QString &path)
{
    return CheckFile(path) == TAccountFileState::Good;
}

TAccountFileState TADOConnection::CheckFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return TAccountFileState::Missing;
    try {
        // Opened for writing where allowed, so a transaction a crash left behind is rolled back
        // before the pages are judged.
        SQLite::Database db(path, MayWrite(path) ? SQLite::OpenReadWrite : SQLite::OpenReadOnly);
        if (!IsAccountSchema(db))
            return TAccountFileState::Foreign;
        // A damaged file often reads its schema fine and fails only deeper in; check the pages too.
        return QuickCheckPasses(db) ? TAccountFileState::Good : TAccountFileState::Damaged;
    } catch (const EDatabaseError &e) {
        return IsDamageCode(e.ErrorCode()) ? TAccountFileState::Damaged : TAccountFileState::Foreign;
    }
}

void TADOConnection::Attach(TADOQuery *query)
{
    queries_.push_back(query);
}

void TADOConnection::Detach(TADOQuery *query)
{
    queries_.erase(std::remove(queries_.begin(), queries_.end(), query), queries_.end());
}

// ---------------------------------------------------------------------------------------------
// TRecordStore

void TRecordStore::Reset(int width)
{
    width_ = width;
    runs_.clear();
    stored_ = 0;
    order_.clear();
    blocks_.clear();
    free_ = nullptr;
    left_ = 0;
}

TRecordStore::Cell *TRecordStore::NewRecord()
{
    const quint32 n = quint32(stored_) + kFirstRun;
    if (std::has_single_bit(n))
        runs_.emplace_back(new Cell[size_t(n) * size_t(width_)]);
    order_.push_back(stored_);
    return Slot(stored_++, 0);
}

TRecordStore::Cell TRecordStore::StoreBytes(Kind kind, const char *data, qsizetype size)
{
    constexpr size_t kBlock = 1 << 20;
    Cell cell;
    cell.kind = kind;
    cell.size = qint32(size);
    const size_t bytes = size_t(size);
    if (bytes == 0) {
        cell.data = "";
    } else if (bytes > kBlock / 4) {
        // A photo or an attachment gets a block of its own, so the shared block keeps filling.
        blocks_.emplace_back(new char[bytes]);
        std::memcpy(blocks_.back().get(), data, bytes);
        cell.data = blocks_.back().get();
    } else {
        if (bytes > left_) {
            blocks_.emplace_back(new char[kBlock]);
            free_ = blocks_.back().get();
            left_ = kBlock;
        }
        std::memcpy(free_, data, bytes);
        cell.data = free_;
        free_ += bytes;
        left_ -= bytes;
    }
    return cell;
}

TRecordStore::Cell TRecordStore::Store(const QVariant &value)
{
    Cell cell;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        break;
    case QMetaType::LongLong:
        cell.kind = Kind::Integer;
        cell.integer = value.toLongLong();
        break;
    case QMetaType::Double:
        cell.kind = Kind::Real;
        cell.real = value.toDouble();
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        cell = StoreBytes(Kind::Blob, bytes.constData(), bytes.size());
        break;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        cell = StoreBytes(Kind::Text, text.constData(), text.size());
        break;
    }
    }
    return cell;
}

void TRecordStore::AppendFromStatement(SQLite::Statement &statement)
{
    sqlite3_stmt *stmt = statement.Handle();
    Cell *cells = NewRecord();
    for (int i = 0; i < width_; ++i) {
        sqlite3_value *value = sqlite3_column_value(stmt, i);
        Cell cell;
        switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
            cell.kind = Kind::Integer;
            cell.integer = sqlite3_value_int64(value);
            break;
        case SQLITE_FLOAT:
            cell.kind = Kind::Real;
            cell.real = sqlite3_value_double(value);
            break;
        case SQLITE_TEXT: {
            const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
            cell = StoreBytes(Kind::Text, text, sqlite3_value_bytes(value));
            break;
        }
        case SQLITE_BLOB: {
            const auto *data = static_cast<const char *>(sqlite3_value_blob(value));
            cell = StoreBytes(Kind::Blob, data, sqlite3_value_bytes(value));
            break;
        }
        default:
            break;
        }
        cells[i] = cell;
    }
}

void TRecordStore::Append(const std::vector<QVariant> &values)
{
    Cell *cells = NewRecord();
    for (int i = 0; i < width_; ++i)
        cells[i] = Store(size_t(i) < values.size() ? values[size_t(i)] : QVariant());
}

void TRecordStore::Set(int record, int column, const QVariant &value)
{
    // The old bytes stay behind unused; a record is changed a few times at most.
    *Slot(order_[size_t(record)], column) = Store(value);
}

void TRecordStore::Remove(int record)
{
    order_.erase(order_.begin() + record);
}

QVariant TRecordStore::Value(const Cell &cell)
{
    switch (cell.kind) {
    case Kind::Integer:
        return cell.integer;
    case Kind::Real:
        return cell.real;
    case Kind::Text:
        return QString::fromUtf8(cell.data, cell.size);
    case Kind::Blob:
        return QByteArray(cell.data, cell.size);
    default:
        return {};
    }
}

std::vector<QVariant> TRecordStore::Values(int record) const
{
    std::vector<QVariant> values;
    values.reserve(size_t(width_));
    for (int i = 0; i < width_; ++i)
        values.push_back(Value(At(record, i)));
    return values;
}

// ---------------------------------------------------------------------------------------------
// TField

const TRecordStore::Cell *TField::Cell() const
{
    return query_->CurrentCell(index_);
}

QByteArray TField::Utf8() const
{
    const TRecordStore::Cell *cell = Cell();
    if (!cell || (cell->kind != TRecordStore::Kind::Text && cell->kind != TRecordStore::Kind::Blob))
        return {};
    return QByteArray::fromRawData(cell->data, cell->size);
}

QVariant TField::Value() const
{
    const TRecordStore::Cell *cell = Cell();
    return cell ? TRecordStore::Value(*cell) : QVariant();
}

bool TField::IsNull() const
{
    const TRecordStore::Cell *cell = Cell();
    return !cell || cell->kind == TRecordStore::Kind::Null;
}

QString TField::AsString() const
{
    const TRecordStore::Cell *cell = Cell();
    if (!cell)
        return {};
    switch (cell->kind) {
    case TRecordStore::Kind::Integer:
        return QString::number(cell->integer);
    case TRecordStore::Kind::Real:
        return QString::number(cell->real, 'g', 15);
    case TRecordStore::Kind::Text:
    case TRecordStore::Kind::Blob:
        return QString::fromUtf8(cell->data, cell->size);
    default:
        return {};
    }
}

qint64 TField::AsLargeInt() const
{
    const TRecordStore::Cell *cell = Cell();
    if (!cell)
        return 0;
    switch (cell->kind) {
    case TRecordStore::Kind::Integer:
        return cell->integer;
    case TRecordStore::Kind::Real:
        return qRound64(cell->real);
    case TRecordStore::Kind::Text:
        return Utf8().trimmed().toLongLong();
    default:
        return 0;
    }
}

int TField::AsInteger() const
{
    return int(AsLargeInt());
}

double TField::AsFloat() const
{
    const TRecordStore::Cell *cell = Cell();
    if (!cell)
        return 0;
    switch (cell->kind) {
    case TRecordStore::Kind::Integer:
        return double(cell->integer);
    case TRecordStore::Kind::Real:
        return cell->real;
    case TRecordStore::Kind::Text:
        return Utf8().trimmed().toDouble();
    default:
        return 0;
    }
}

bool TField::AsBoolean() const
{
    const TRecordStore::Cell *cell = Cell();
    if (!cell)
        return false;
    switch (cell->kind) {
    case TRecordStore::Kind::Integer:
        return cell->integer != 0;
    case TRecordStore::Kind::Real:
        return cell->real != 0;
    case TRecordStore::Kind::Text: {
        const QByteArray text = Utf8().trimmed().toLower();
        if (text == "true" || text == "yes")
            return true;
        return text.toLongLong() != 0;
    }
    default:
        return false;
    }
}

QDateTime TField::AsDateTime() const
{
    const TRecordStore::Cell *cell = Cell();
    if (!cell || cell->kind != TRecordStore::Kind::Text)
        return {};
    return ReadLooseDateTime(QString::fromUtf8(cell->data, cell->size));
}

QByteArray TField::AsBlob() const
{
    const QByteArray raw = Utf8();
    return QByteArray(raw.constData(), raw.size());
}

void TField::SetValue(const QVariant &value)
{
    query_->SetFieldValue(index_, value);
}

// ---------------------------------------------------------------------------------------------
// TADOQuery: state and statements

TADOQuery::TADOQuery(TADOConnection *connection)
{
    SetConnection(connection);
}

TADOQuery::~TADOQuery()
{
    Close();
    DropStatements();
    if (connection_)
        connection_->Detach(this);
}

void TADOQuery::SetConnection(TADOConnection *connection)
{
    if (connection == connection_)
        return;
    Close();
    DropStatements();
    if (connection_)
        connection_->Detach(this);
    connection_ = connection;
    if (connection_)
        connection_->Attach(this);
}

void TADOQuery::SetSQL(const QString &sql)
{
    Close();
    if (sql != sql_)
        statement_.reset();
    sql_ = sql;
    ClearParams();
}

void TADOQuery::SetParams(const QVariantList &values)
{
    positional_ = values;
}

void TADOQuery::SetParam(const QString &name, const QVariant &value)
{
    named_.insert(ParamKey(name), value);
}

void TADOQuery::ClearParams()
{
    positional_.clear();
    named_.clear();
}

void TADOQuery::CheckConnection() const
{
    if (!connection_)
        throw EDatabaseError(QStringLiteral("Query has no connection"));
    if (!connection_->Connected())
        throw EDatabaseError(QStringLiteral("Connection is closed"));
}

void TADOQuery::CheckActive() const
{
    if (!Active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TADOQuery::DropStatements()
{
    statement_.reset();
    writeStatement_.reset();
}

SQLite::Statement &TADOQuery::Prepared()
{
    CheckConnection();
    if (sql_.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("No SQL statement given"));
    if (!statement_)
        statement_ = std::make_unique<SQLite::Statement>(connection_->Db(), sql_);
    statement_->Reset();
    statement_->ClearBindings();
    BindParams(*statement_);
    return *statement_;
}

void TADOQuery::BindParams(SQLite::Statement &statement) const
{
    const int count = statement.ParameterCount();
    if (positional_.size() > count)
        throw EDatabaseError(QStringLiteral("%1 parameters given, the statement takes %2: %3")
                                 .arg(positional_.size()).arg(count).arg(sql_));
    for (int i = 1; i <= count; ++i) {
        const QString name = statement.ParameterName(i);
        const auto named = name.isEmpty() ? named_.constEnd() : named_.constFind(ParamKey(name));
        if (named != named_.constEnd())
            statement.Bind(i, *named);
        else if (i - 1 < positional_.size())
            statement.Bind(i, positional_[i - 1]);
        else
            throw EDatabaseError(QStringLiteral("No value given for parameter %1 of: %2")
                                     .arg(name.isEmpty() ? QString::number(i) : name, sql_));
    }
}

SQLite::Statement &TADOQuery::WriteStatement(const QString &sql)
{
    if (!writeStatement_ || writeStatement_->Sql() != sql)
        writeStatement_ = std::make_unique<SQLite::Statement>(connection_->Db(), sql);
    writeStatement_->Reset();
    writeStatement_->ClearBindings();
    return *writeStatement_;
}

void TADOQuery::ReadFieldInfo(SQLite::Statement &statement)
{
    const int count = statement.ColumnCount();
    QString table;
    bool single = true;
    origins_.assign(size_t(count), QString());
    for (int i = 0; i < count; ++i) {
        const QString columnTable = statement.ColumnTable(i);
        if (columnTable.isEmpty())
            continue;
        origins_[size_t(i)] = statement.ColumnOrigin(i);
        if (table.isEmpty())
            table = columnTable;
        else if (table.compare(columnTable, Qt::CaseInsensitive) != 0)
            single = false;
    }
    // Rows of a join have no one place to be written back to.
    baseTable_ = single ? table : QString();
    const QString counter = baseTable_.isEmpty() ? QString() : CounterColumn(connection_->Db(), baseTable_);
    keyField_ = -1;
    fields_.clear();
    fields_.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const QString &origin = origins_[size_t(i)];
        fields_.emplace_back(this, i, statement.ColumnName(i), baseTable_.isEmpty() || origin.isEmpty());
        if (keyField_ < 0 && !counter.isEmpty() && origin.compare(counter, Qt::CaseInsensitive) == 0)
            keyField_ = i;
    }
}

void TADOQuery::Open()
{
    if (Active())
        return;
    SQLite::Statement &statement = Prepared();
    try {
        if (statement.ColumnCount() == 0)
            throw EDatabaseError(QStringLiteral("The statement does not return rows: %1").arg(sql_));
        ReadFieldInfo(statement);
        records_.Reset(statement.ColumnCount());
        while (statement.ExecuteStep())
            records_.AppendFromStatement(statement);
        statement.Reset();  // lets go of the read lock
    } catch (...) {
        statement.Reset();
        records_.Reset(0);
        fields_.clear();
        origins_.clear();
        throw;
    }
    state_ = TDataSetState::dsBrowse;
    current_ = 0;
    bof_ = true;
    eof_ = records_.Count() == 0;
}

int TADOQuery::ExecSQL()
{
    Close();
    SQLite::Statement &statement = Prepared();
    try {
        rowsAffected_ = statement.Exec();
    } catch (...) {
        statement.Reset();
        throw;
    }
    statement.Reset();
    return rowsAffected_;
}

void TADOQuery::Close()
{
    state_ = TDataSetState::dsInactive;
    records_.Reset(0);
    fields_.clear();
    origins_.clear();
    editRecord_.Reset(0);
    modified_.clear();
    baseTable_.clear();
    keyField_ = -1;
    current_ = 0;
    bof_ = eof_ = true;
}

void TADOQuery::SetActive(bool value)
{
    if (value)
        Open();
    else
        Close();
}

// ---------------------------------------------------------------------------------------------
// TADOQuery: cursor and fields

void TADOQuery::CheckBrowseMode()
{
    CheckActive();
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
        Post();
}

void TADOQuery::First()
{
    CheckBrowseMode();
    current_ = 0;
    bof_ = true;
    eof_ = records_.Count() == 0;
}

void TADOQuery::Next()
{
    CheckBrowseMode();
    if (current_ + 1 < records_.Count()) {
        ++current_;
        bof_ = false;
        eof_ = false;
    } else {
        eof_ = true;
    }
}

void TADOQuery::Prior()
{
    CheckBrowseMode();
    if (current_ > 0) {
        --current_;
        bof_ = false;
        eof_ = false;
    } else {
        bof_ = true;
    }
}

void TADOQuery::Last()
{
    CheckBrowseMode();
    current_ = std::max(0, records_.Count() - 1);
    eof_ = true;
    bof_ = records_.Count() == 0;
}

bool TADOQuery::Eof() const
{
    if (state_ == TDataSetState::dsInsert)
        return false;
    return !Active() || eof_;
}

bool TADOQuery::Bof() const
{
    if (state_ == TDataSetState::dsInsert)
        return false;
    return !Active() || bof_;
}

int TADOQuery::RecNo() const
{
    if (!Active() || state_ == TDataSetState::dsInsert || records_.Count() == 0)
        return 0;
    return current_ + 1;
}

TField &TADOQuery::Fields(int index)
{
    if (index < 0 || index >= int(fields_.size()))
        throw EDatabaseError(QStringLiteral("Field index %1 out of range").arg(index));
    return fields_[size_t(index)];
}

TField *TADOQuery::FindField(const QString &name)
{
    for (TField &field : fields_) {
        if (field.FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return &field;
    }
    return nullptr;
}

TField &TADOQuery::FieldByName(const QString &name)
{
    if (TField *field = FindField(name))
        return *field;
    throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
}

QStringList TADOQuery::FieldNames() const
{
    QStringList names;
    for (const TField &field : fields_)
        names << field.FieldName();
    return names;
}

const TRecordStore::Cell *TADOQuery::CurrentCell(int index) const
{
    if (Editing())
        return &editRecord_.At(0, index);
    if (!Active() || records_.Count() == 0)
        return nullptr;
    return &records_.At(current_, index);
}

void TADOQuery::SetFieldValue(int index, const QVariant &value)
{
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    const TField &field = fields_[size_t(index)];
    if (field.ReadOnly())
        throw EDatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field.FieldName()));
    editRecord_.Set(0, index, SQLite::StorageValue(value));
    modified_[size_t(index)] = true;
}

// ---------------------------------------------------------------------------------------------
// TADOQuery: writing back

QString TADOQuery::RequireBaseTable() const
{
    CheckActive();
    if (baseTable_.isEmpty())
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset: %1").arg(sql_));
    return baseTable_;
}

void TADOQuery::Append()
{
    CheckBrowseMode();
    RequireBaseTable();
    editRecord_.Reset(FieldCount());
    editRecord_.Append({});
    modified_.assign(fields_.size(), false);
    state_ = TDataSetState::dsInsert;
}

void TADOQuery::Edit()
{
    CheckActive();
    if (state_ != TDataSetState::dsBrowse)
        return;
    if (records_.Count() == 0) {
        Append();
        return;
    }
    RequireBaseTable();
    editRecord_.Reset(FieldCount());
    editRecord_.Append(records_.Values(current_));
    modified_.assign(fields_.size(), false);
    state_ = TDataSetState::dsEdit;
}

void TADOQuery::Cancel()
{
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
        state_ = TDataSetState::dsBrowse;
    editRecord_.Reset(0);
    modified_.clear();
}

void TADOQuery::Post()
{
    CheckActive();
    if (state_ == TDataSetState::dsInsert)
        PostInsert();
    else if (state_ == TDataSetState::dsEdit)
        PostEdit();
}

// Without the counter in the query, a row is found by every value it was read with; a row that
// changed or went away since then is not found, and the change is refused rather than applied to
// another row.
QString TADOQuery::LocateClause(const std::vector<QVariant> &row, QVariantList &params) const
{
    if (keyField_ >= 0 && !row[size_t(keyField_)].isNull()) {
        params << row[size_t(keyField_)];
        return Quoted(origins_[size_t(keyField_)]) + QStringLiteral(" = ?");
    }
    QStringList terms;
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].ReadOnly())
            continue;
        terms << Quoted(origins_[i]) + QStringLiteral(" IS ? COLLATE BINARY");
        params << row[i];
    }
    return QStringLiteral("rowid = (SELECT rowid FROM %1 WHERE %2 LIMIT 1)")
        .arg(Quoted(baseTable_), terms.join(QStringLiteral(" AND ")));
}

void TADOQuery::PostInsert()
{
    SQLite::Database &db = connection_->Db();
    std::vector<QVariant> row = editRecord_.Values(0);
    QStringList columns;
    QVariantList values;
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (modified_[i]) {
            columns << Quoted(origins_[i]);
            values << row[i];
        }
    }
    const QString sql = columns.isEmpty()
        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(Quoted(baseTable_))
        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
              .arg(Quoted(baseTable_), columns.join(','),
                   QStringList(columns.size(), QStringLiteral("?")).join(','));
    SQLite::Statement &insert = WriteStatement(sql);
    insert.BindAll(values);
    insert.Exec();
    insert.Reset();
    const qint64 rowid = db.LastInsertRowId();

    // Read the stored row back, so the counter and the column defaults show as the table has them.
    QStringList readable;
    std::vector<size_t> readIndex;
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (!fields_[i].ReadOnly()) {
            readable << Quoted(origins_[i]);
            readIndex.push_back(i);
        }
    }
    SQLite::Statement reread(db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                     .arg(readable.join(','), Quoted(baseTable_)));
    reread.Bind(1, rowid);
    if (reread.ExecuteStep()) {
        for (size_t k = 0; k < readIndex.size(); ++k)
            row[readIndex[k]] = reread.Column(int(k));
    }
    records_.Append(row);
    current_ = records_.Count() - 1;
    bof_ = eof_ = false;
    Cancel();
}

void TADOQuery::PostEdit()
{
    const std::vector<QVariant> row = editRecord_.Values(0);
    QStringList assignments;
    QVariantList params;
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (modified_[i]) {
            assignments << Quoted(origins_[i]) + QStringLiteral(" = ?");
            params << row[i];
        }
    }
    if (assignments.isEmpty()) {
        Cancel();
        return;
    }
    const QString where = LocateClause(records_.Values(current_), params);
    SQLite::Statement &update = WriteStatement(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(Quoted(baseTable_), assignments.join(','), where));
    update.BindAll(params);
    update.Exec();
    update.Reset();
    if (connection_->Db().Changes() == 0)
        throw EDatabaseError(QStringLiteral("Row cannot be located for updating. "
                                            "Some values may have been changed since it was last read."));
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (modified_[i])
            records_.Set(current_, int(i), row[i]);
    }
    Cancel();
}

void TADOQuery::Delete()
{
    CheckActive();
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    Cancel();
    if (records_.Count() == 0)
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    RequireBaseTable();
    QVariantList params;
    const QString where = LocateClause(records_.Values(current_), params);
    SQLite::Statement &remove = WriteStatement(QStringLiteral("DELETE FROM %1 WHERE %2").arg(Quoted(baseTable_), where));
    remove.BindAll(params);
    remove.Exec();
    remove.Reset();
    if (connection_->Db().Changes() == 0)
        throw EDatabaseError(QStringLiteral("Row cannot be located for deleting. "
                                            "Some values may have been changed since it was last read."));
    records_.Remove(current_);
    if (current_ >= records_.Count()) {
        current_ = std::max(0, records_.Count() - 1);
        eof_ = true;
    } else {
        eof_ = false;
    }
    bof_ = records_.Count() == 0 || current_ == 0;
}
