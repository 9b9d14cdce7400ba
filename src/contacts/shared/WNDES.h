#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

// A short text turned into lower-case hex and back under an eight-character key: DES in ECB
// mode over the text's bytes after XOR with a one-byte digest of the key, zero-padded.

// The program's one key, for account passwords and the stored field lists.
inline constexpr char DesKey[] = "tevoriks";

// A text whose last byte becomes 0 cannot be enciphered: deciphering strips trailing zero bytes,
// so it would not come back. Callers must handle this: a password is refused with a message,
// a comparison counts as a mismatch.
inline constexpr char DesNullCharError[] = "Error: the last char is NULL char.";

// The hex text, or the reason the text could not be enciphered.
struct [[nodiscard]] DesResult {
    QString Text;
    QString Error;
    bool Ok() const { return Error.isEmpty(); }
};

// The block layer: every 8-byte block enciphered on its own with the first 8 key bytes (missing
// ones are 0). Data is zero-padded to whole blocks; nullopt when its last byte is 0.
[[nodiscard]] std::optional<QByteArray> DesEncryptEcb(const QByteArray &data, const QByteArray &key);
// Deciphers the whole blocks (a shorter tail is dropped) and strips trailing zero bytes.
QByteArray DesDecryptEcb(const QByteArray &data, const QByteArray &key);

DesResult DesEncryptString(const QString &text, const QString &key);
// Never fails: damaged hex gives some text, fewer than 16 hex digits an empty one.
QString DesDecryptString(const QString &hex, const QString &key);
