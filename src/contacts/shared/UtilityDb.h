#pragma once
#include <QString>
#include <QVariant>

class EDatabaseError;
class TADOQuery;
namespace SQLite {
class Statement;
}

// Runs a statement on a query: one that begins with "select" is opened, any other is executed.
// Values go in `params`, bound to the statement's "?" or ":name" parameters, never into the text.
// An empty `sql` reruns the query's present statement (with `params` when given). False, with
// nothing shown, when the query has no open connection, when there is nothing to run or when
// the engine refuses the statement.
bool RunQuery(TADOQuery *query, const QString &sql, const QVariantList &params = {});

// What a failed database step means to the user, in a line of the program's messages. The
// engine's own text (which may quote the statement) only goes to the log.
QString DatabaseErrorText(const EDatabaseError &error);

// Writes the program's resource `name` of `type` to `path`, replacing the file in one step.
// ("MYDB", "TEMPLATE") gives a new, empty account file. False when nothing was written.
bool SaveResourceToFile(const QString &name, const QString &type, const QString &path);

// Rewrites a database file without its free space and replaces the file in one step. The file
// must not be open elsewhere at the time. False when the file is missing or anything fails, and
// the file is then as it was.
bool CompactDatabase(const QString &path);

// Removes the temporary files that a compaction, backup, restore or new account leaves beside
// its target while it runs ("~CP", "~BK", "~hf", "~RS" and six characters, ".tmp"), with the
// journal files the engine keeps beside them, when a killed run left them in `folder`.
void RemoveLeftoverTempFiles(const QString &folder);

// Whether `column` is a column of `table` in the account schema, so a column name read from
// the settings may be put into SQL text.
bool IsKnownColumn(const QString &table, const QString &column);

// A column of the current row as text, the same text as Column(index).toString() gives, without
// the detour through a variant. Small numbers, texts of one ASCII character and the sexes share
// one copy each.
QString ColumnText(const SQLite::Statement &statement, int index);
