#include "TrayService.h"

#include <QSystemTrayIcon>

TrayService::TrayService(QObject *parent) : QObject(parent) {}

TrayService::~TrayService()
{
    Delete();
}

bool TrayService::Available()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TrayService::Add(const QIcon &icon, const QString &tip, std::function<void(int)> callback)
{
    if (!Available())
        return false;
    callback_ = std::move(callback);
    if (!icon_) {
        icon_ = new QSystemTrayIcon(this);
        connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (!callback_)
                return;
            if (reason == QSystemTrayIcon::Context)
                callback_(RightButton);
            else if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                callback_(LeftButton);
        });
    }
    icon_->setIcon(icon);
    icon_->setToolTip(tip);
    icon_->show();
    return true;
}

bool TrayService::Delete()
{
    if (!icon_)
        return false;
    icon_->hide();
    delete icon_;
    icon_ = nullptr;
    return true;
}

bool TrayService::IsShown() const
{
    return icon_ && icon_->isVisible();
}
