#pragma once
#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

// A contact as the exchange formats carry it: userinfo column name → text. A column that is
// absent or empty has no value.
using TContactRecord = QHash<QString, QString>;

// The columns a written card is made from.
const QStringList &VCardColumns();

// The birthday a card carries, "yyyyMMdd": `uhsr` read as a date, and for a lunar birthday
// (`udtfmt` "阴历") the solar date of that lunar month and day. Empty when the text is not a
// date or the lunar year is beyond the calendar tables; the card then has no BDAY line.
QString VCardBirthday(const QString &uhsr, const QString &udtfmt);

// "yyyy-MM-dd" of a valid date of the years 1 to 9999, as contacts store birthdays.
QString IsoDateText(QDate date);

// One vCard 2.1 card: the fixed lines in their fixed order, CR LF after each, in GB18030. A value
// holding a line break is written quoted-printable so it cannot end the card early.
QByteArray VCardBytes(const TContactRecord &contact);

// A photo of more than this many MiB is no contact photo and is left out.
constexpr int MaxVCardPhotoMiB = 16;

// What cards held that was left out: values that have no column of their own or whose column was
// already taken (a third address, a second mobile number, a birthday without a year, a photo the
// picture loader cannot read), and photos larger than MaxVCardPhotoMiB.
struct TVCardLeftOut {
    int Unkept = 0;
    int LargePhotos = 0;

    TVCardLeftOut &operator+=(const TVCardLeftOut &other)
    {
        Unkept += other.Unkept;
        LargePhotos += other.LargePhotos;
        return *this;
    }
};

// What the cards of a file gave: one contact per card, in the file's order (a card that names no
// value at all comes back empty), and what was left out. The photo, checked by the picture
// loader, is the column "mypic" in base64.
//
// vCard 2.1, 3.0 and 4.0 are read; lines may end in CR LF, LF or CR, and a run of CRs before an LF
// is one line end (iOS 6 wrote CR CR LF); folded lines and quoted-printable soft line breaks are
// joined as bytes; property names and parameters are matched without case, in any order, behind
// any group prefix. The text encoding: a CHARSET parameter decides for its own value; a file in
// UTF-16 or with a UTF-8 byte-order mark is UTF-8 throughout; otherwise a 3.0 or 4.0 card is UTF-8
// when its bytes are valid UTF-8, and a 2.1 card too only when its UTF-8 reading looks more like
// text than its GB18030 one; all others are GB18030. A file that is valid UTF-8 throughout is one
// encoding: its 2.1 cards are weighed once, together; in any other file each card is weighed on
// its own. A card missing its END line ends at the next BEGIN or at the end of the file; a card
// nested in another (AGENT) is no contact of its own. A large file is read by several threads;
// `each` is called on the calling thread alone, in the file's order.
struct TVCardFile : TVCardLeftOut {
    QList<TContactRecord> Cards;
};
TVCardFile ReadVCards(const QByteArray &bytes);
// The same reading card by card: `each` gets every contact as soon as its card is read, so the
// contacts of a file need not all be held at once. Returns what was left out.
TVCardLeftOut ReadVCards(const QByteArray &bytes, const std::function<void(const TContactRecord &)> &each);

// The contacts of ReadVCards.
QList<TContactRecord> ParseVCards(const QByteArray &bytes);

// The file-name part a contact's name gives: blanks trimmed, "/" and control characters
// replaced by "_", "未命名" for a name that leaves nothing.
QString SafeFileBaseName(const QString &name);

// Names the files of one export run so that no two contacts share a file, even where the
// file system ignores case: "张三.vcf", then "张三 (2).vcf", "张三 (3).vcf".
class TVCardFileNames
{
public:
    QString Next(const QString &uname);

private:
    QSet<QString> used_;
};
