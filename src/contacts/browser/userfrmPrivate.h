#pragma once
// Pieces the browser's source files share and nobody else needs.
#include "browser/userfrm.h"

#include "shared/UtilityDb.h"

#include "platform/SqliteDb.h"

#include <QHash>
#include <string>
#include <vector>

// Reads the current row of a statement by column name; the names are looked up once. Rows
// written elsewhere (kzfield2 not "2") hold texts this program cannot read; their texts read
// as empty.
struct Tfuserfrm::TRowReader {
    explicit TRowReader(SQLite::Statement &statement);

    int Index(const QString &name) const { return columns.value(name.toLower(), -1); }
    QString Raw(int index) const { return index < 0 ? QString() : ColumnText(statement, index); }
    QString Raw(const QString &name) const { return Raw(Index(name)); }
    bool Foreign() const { return Raw(kzfield2) != QLatin1String("2"); }

    SQLite::Statement &statement;
    QHash<QString, int> columns;  // lower-case name → index
    int kzfield2 = -1;
};

// The values of `count` columns of the current row from `first` on in one buffer, and back: the
// texts ColumnText gives for them.
std::string PackRowValues(const SQLite::Statement &statement, int first, int count);
std::vector<QString> UnpackRowValues(const std::string &values);
// The UTF-8 of the text of one value of a buffer made by PackRowValues.
QByteArray PackedUtf8(const std::string &values, int index);

// Image index of a tree node, kept beside its icon so it can be asked for.
inline constexpr int NodeImageRole = Qt::UserRole + 1;
// The stored tag name of a tag node (the node shows it trimmed).
inline constexpr int TagNameRole = Qt::UserRole + 2;

// Every failed change of the group tree says this; the database and the tree are as before.
inline const QString ChangeFailedText = QStringLiteral("操作失败，数据没有任何改变！");

// ASCII case folded, then the UTF-8 bytes: the order SQLite's NOCASE gives kzfield1.
int CompareNoCase(const QString &a, const QString &b);

// Where a contact sorts among its siblings, first: kzfield1 as the engine orders it (nulls
// first, ASCII letters without case, then the bytes).
struct TContactOrder {
    int rank = 0;  // the engine's order of storage classes: null, text, blob
    quint64 head = 0;  // the first eight bytes of the folded initials, big-endian, zero-padded
    qsizetype size = 0;  // bytes of the initials
    QByteArray initials;  // all of them folded, only when there are more than eight
    qint64 key = 0;
    size_t index = 0;  // where the row was read

    bool operator<(const TContactOrder &other) const
    {
        if (rank != other.rank)
            return rank < other.rank;
        if (head != other.head)
            return head < other.head;
        if (size > 8 && other.size > 8) {
            if (const int order = initials.compare(other.initials))
                return order < 0;
        } else if (size != other.size) {
            // Equal heads: the shorter is where the longer begins.
            return size < other.size;
        }
        return key < other.key;
    }
};

// The order of the current row of a statement whose column `initialsColumn` is kzfield1; the key
// and the index are the caller's to fill.
TContactOrder ContactOrderOf(const SQLite::Statement &row, int initialsColumn);
