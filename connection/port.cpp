#include "connection/port.h"

#include "common/error.h"

int TUnknownPort::Open()
{
    throw TError(QStringLiteral("Обращение к несуществующему порту"));
}
