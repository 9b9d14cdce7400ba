#pragma once
#include <QString>
#include <QVariantList>

// Ending the session or the machine. The desktop's login manager decides whether the user may;
// the program asks once and does not retry.

enum class TPowerAction { PowerOff, Reboot, LogOff };

class ISystemPower
{
public:
    virtual ~ISystemPower() = default;
    // True when the request was accepted; the machine or session may then go away at any moment.
    virtual bool Exit(TPowerAction action) = 0;
};

// systemd-logind over D-Bus: PowerOff and Reboot of the manager without interactive
// authorisation, and Terminate of the caller's own session. The bus is the system bus, or the
// open D-Bus connection of the given name.
class TLogindPower final : public ISystemPower
{
public:
    explicit TLogindPower(const QString &connectionName = {});
    bool Exit(TPowerAction action) override;

    // The last refusal or bus error, for logs and tests.
    const QString &LastError() const { return lastError_; }

private:
    bool Call(const QString &path, const QString &interface, const QString &method, const QVariantList &args,
              QVariant *result = nullptr);

    QString connectionName_;
    QString lastError_;
};

// The installed service; nullptr restores logind. Tests always install a recording fake.
ISystemPower &SystemPower();
void SetSystemPower(ISystemPower *power);
