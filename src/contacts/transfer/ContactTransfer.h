#pragma once
#include "transfer/VCardFormat.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TADOConnection;
class TCsvFileReader;

struct TImportResult {
    bool Ok = false;
    int Imported = 0;
    int Unkept = 0;  // values that could not be stored: birthdays that are no date
    QString Error;  // what went wrong, for the user, when Ok is false
};

// Adds contacts at the top of the group tree of an open account in one transaction: every one
// of them or, on any failure, none. Each gets its tree place and bookkeeping (parent 0, level 1,
// index 0, pinyin initials of its name, insert and update time `now`). Columns that userinfo does
// not have, and the columns the program keeps itself, are ignored; empty values stay unset; a
// level outside 0..4 becomes 0; a birthday that is not a date stays empty, one that is is stored
// "yyyy-MM-dd" (the others are counted in Unkept). The column "mypic" holds the photo in base64.
// A record without any value is skipped and not counted.
TImportResult ImportContacts(TADOConnection *connection, const QList<TContactRecord> &records, const QDateTime &now);

// What the vCard import tells the user: the contacts imported, then what the cards held that was
// not imported: values without a field and photos too large to keep, each said for what it is.
QString VCardImportMessage(int imported, const TVCardLeftOut &leftOut);

// An item of a CSV record mapped to a contact column.
struct TCsvMapping {
    int Item = -1;
    QString Caption;  // the field's caption
    QString Column;
};

// The same import fed one record at a time, so that a file need not be read whole first: Add
// each record as it is read, then Finish, which commits. After a failure Add does nothing and
// Finish reports it; an import that is never finished is rolled back. The records are written on
// a thread of the import's own while the caller reads the next ones: until Finish returns, the
// connection is the import's alone.
class TContactImport
{
public:
    TContactImport(TADOConnection *connection, const QDateTime &now);
    ~TContactImport();
    TContactImport(const TContactImport &) = delete;
    TContactImport &operator=(const TContactImport &) = delete;

    void Add(const TContactRecord &record);
    // The contact CsvContacts makes of one CSV data record.
    void Add(const QStringList &items, const QList<TCsvMapping> &mappings);
    TImportResult Finish();

    struct TState;

private:
    std::unique_ptr<TState> state_;
};

// The records a CSV reader has left (its header already read), each added with `mappings` as the
// CSV import wizard adds them, in one transaction. Only the mapped items of each record are kept
// while it is read. A file that cannot be read to its end imports nothing.
TImportResult ImportCsvRecords(TADOConnection *connection, TCsvFileReader &reader, const QList<TCsvMapping> &mappings,
                               const QDateTime &now);

// The items of a CSV header that name a field: an item equal to a caption of `fieldCaptions`
// ("column=caption" pairs), ignoring case and the blanks around it, maps to that column; each
// caption maps the first such item, and a later pair wins over an earlier one on the same item.
// In item order.
QList<TCsvMapping> CaptionMappings(const QStringList &header, const QStringList &fieldCaptions);

// The contacts of a CSV file's data records (every record after the header): a mapped item that
// is not blank gives its column; a short record leaves the columns past its end without value.
QList<TContactRecord> CsvContacts(const QList<QStringList> &records, const QList<TCsvMapping> &mappings);

// Which contacts an export takes: all of them, one contact, or the contacts directly inside one
// group (not those of its subgroups).
struct TExportScope {
    enum TKind { AllContacts, OneContact, GroupContacts };
    TKind Kind = AllContacts;
    qint64 KeyId = 0;
};

struct TExportResult {
    bool Ok = false;     // the contacts could be read (and, for CSV, the file was written)
    int Written = 0;     // contacts or files written
    int Failed = 0;      // files that could not be written
    QStringList FailedNames;  // the contacts of those files
    QString Error;
};

// The contacts of a scope with the columns a card is made from, in keyid order.
QList<TContactRecord> ReadExportContacts(TADOConnection *connection, const TExportScope &scope);

// One vCard file per contact in `folder`, named by TVCardFileNames; existing files of those
// names are replaced. `progress` hears (done, total) after each file.
TExportResult WriteVCardFiles(TADOConnection *connection, const QString &folder, const TExportScope &scope,
                              const std::function<void(int, int)> &progress = {});

// One contact's card. When `path` does not end in ".vcf" it is taken as a folder prefix and the
// contact's name and ".vcf" are added. The file written, or empty when the contact is not there
// or the file could not be written.
QString ExportVCard(TADOConnection *connection, const QString &path, qint64 keyid);

// Every contact (groups are not contacts) as CSV in GB18030: the header of the captions of
// `fieldCaptions` ("column=caption" pairs) and one line per contact with those columns; a column
// the table does not have gives an empty field. The file is replaced only when it was written
// completely.
TExportResult ExportContactsCsv(TADOConnection *connection, const QString &path, const QStringList &fieldCaptions);
