#pragma once
#include <QIcon>
#include <QObject>
#include <functional>

class QSystemTrayIcon;

// The notification-area icon. Clicks reach the callback as the mouse-message numbers the
// program's tray handler expects: 513 for the left button, 517 for the right button.
class TrayService : public QObject
{
    Q_OBJECT
public:
    static constexpr int LeftButton = 513;
    static constexpr int RightButton = 517;

    explicit TrayService(QObject *parent = nullptr);
    ~TrayService() override;

    // Whether the desktop has a notification area at all; without one the main window must
    // never hide itself, or it could not be reached again.
    static bool Available();

    bool Add(const QIcon &icon, const QString &tip, std::function<void(int)> callback);
    bool Delete();
    bool IsShown() const;

private:
    QSystemTrayIcon *icon_ = nullptr;
    std::function<void(int)> callback_;
};
