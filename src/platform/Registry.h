#pragma once
#include <QString>
#include <cstdint>
#include <memory>

class TIniFile;

// Root keys of the registry, numbered as the Windows API numbers them.
enum HKEY : std::uint32_t {
    HKEY_CLASSES_ROOT = 0x80000000u,
    HKEY_CURRENT_USER = 0x80000001u,
    HKEY_LOCAL_MACHINE = 0x80000002u,
    HKEY_USERS = 0x80000003u,
    HKEY_CURRENT_CONFIG = 0x80000005u,
};

// The registry as this program uses it: string values under keys. Keys live as sections
// "<ROOT>\<key path>" of $XDG_CONFIG_HOME/orvanta/registry.ini. The start-up Run key of the local
// machine has no such section: each of its values is an XDG autostart entry
// $XDG_CONFIG_HOME/autostart/<value name in lower case>.desktop that starts the program the
// value names. A key's default value (the empty name) is stored under "@", as .reg files write it.
class TRegistry
{
public:
    TRegistry();
    ~TRegistry();

    HKEY RootKey() const { return root_; }
    void SetRootKey(HKEY root) { root_ = root; }

    bool OpenKey(const QString &key, bool canCreate);
    void CloseKey();
    bool KeyOpen() const { return open_; }

    QString ReadString(const QString &name) const;
    bool WriteString(const QString &name, const QString &value);
    bool ValueExists(const QString &name) const;
    bool DeleteValue(const QString &name);

    static QString StorePath();
    static QString AutostartDir();
    static const QString RunKey;

private:
    bool IsRunKey() const;
    QString Section() const;
    QString AutostartFile(const QString &name) const;

    HKEY root_ = HKEY_CURRENT_USER;
    QString key_;
    bool open_ = false;
    std::unique_ptr<TIniFile> store_;
};
