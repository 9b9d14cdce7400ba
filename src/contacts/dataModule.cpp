#include "dataModule.h"

#include "platform/ADODB.h"

TCustomerData *CustomerData = nullptr;

TCustomerData::TCustomerData(QObject *parent)
    : QObject(parent), connection_(std::make_unique<TADOConnection>())
{
    setObjectName(QStringLiteral("CustomerData"));
    dbConnection = connection_.get();
    CustomerData = this;
}

TCustomerData::~TCustomerData()
{
    if (CustomerData == this)
        CustomerData = nullptr;
}
