#pragma once
#include <QObject>
#include <memory>

class TADOConnection;

// The data module: owner of the one connection to the open account, which the queries of every
// form share.
class TCustomerData : public QObject
{
    Q_OBJECT
public:
    explicit TCustomerData(QObject *parent = nullptr);
    ~TCustomerData() override;

    TADOConnection *dbConnection;

private:
    std::unique_ptr<TADOConnection> connection_;
};

extern TCustomerData *CustomerData;
