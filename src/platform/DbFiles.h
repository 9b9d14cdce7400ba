#pragma once
#include <QString>
#include <functional>

namespace SQLite {
class Database;
}

// Whole-file operations on database files. A file that replaces another is always written
// beside it under a temporary name and moved over it in one step, so a crash or a full disk
// leaves either the old file or the new one, never a mixture.

// Creates a new, empty file with a unique name "<prefix>XXXXXX.tmp" in the folder of `target`
// (of the file a symbolic link points to, when `target` is one) and returns its path; empty when
// the folder cannot take it.
QString CreateTempFileBeside(const QString &target, const QString &prefix);

// Flushes the file's contents to the disk.
bool SyncFile(const QString &path);

// Moves `from` over `to` in one step and makes the move itself durable. An existing `to` is
// followed through symbolic links and keeps its permissions; journal files a crash left beside it
// are removed first. `to` must not be open in any connection. False on failure, and then `to`
// holds what it held.
bool ReplaceFile(const QString &from, const QString &to);

// Removes the journal, WAL and shared-memory files SQLite keeps beside a database file; true when
// none is left.
bool RemoveDatabaseSidecars(const QString &path);

// Deletes a database file that no connection has open, with its journal files.
bool DeleteDatabaseFile(const QString &path);

// Tests put a failing mover in place to see that an interrupted replacement harms nothing;
// an empty function restores the real one.
using ReplaceFileFn = std::function<bool(const QString &from, const QString &to)>;
void SetReplaceFileHook(ReplaceFileFn hook);

// Writes a consistent copy of a live database, as committed now, to `target` through the
// engine's backup API. False on any failure; `target` is then untouched.
bool BackupDatabase(SQLite::Database &source, const QString &target);
