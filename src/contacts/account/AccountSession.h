#pragma once
#include <QString>

class TADOConnection;

// The open account: its file, the shared connection to it and the password it was opened with.
// The program has one (CurrentAccount()). Its path changes only when the main window switches
// accounts, and at start to the file remembered from the last run.
class TAccountSession
{
public:
    const QString &Path() const { return path_; }
    bool Protected() const { return protected_; }
    // DesEncryptString text of the password; empty without one.
    const QString &PasswordCipher() const { return cipher_; }

    // The data module's connection, which the queries of every form share; nullptr without one.
    TADOConnection *Connection() const { return connection_; }
    void SetConnection(TADOConnection *connection) { connection_ = connection; }
    // A file is named and the shared connection is connected.
    bool IsOpen() const;
    // Whether a path names the account's file, however it is written (relative parts, doubled
    // separators, symbolic links).
    bool IsAccountFile(const QString &path) const;

    // Makes `path` the open account's file with the protection it was opened with, and
    // remembers a new path for the next start.
    void Switch(const QString &path, bool isProtected, const QString &cipher);
    // The file remembered from the last run; nothing is opened yet.
    void Remember(const QString &path);
    // No account, no password.
    void Forget();
    // A password set (its cipher) or taken off (empty) on the open account.
    void SetPassword(const QString &cipher);

private:
    QString path_;
    bool protected_ = false;
    QString cipher_;
    TADOConnection *connection_ = nullptr;
};

TAccountSession &CurrentAccount();
