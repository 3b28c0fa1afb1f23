#pragma once
#include "common/error.h"

// A meter error: the status byte of a reply (or 4 for a cancelled password
// prompt). Callers tell the errors apart by Code.
class TDeviceException : public TError {
public:
    explicit TDeviceException(int code);
    int Code;
};

// The meter error codes callers act on.
enum TMeterError {
    meParameterNotAvailable = 2,  // also: an optional parameter this meter lacks
    meArgumentRefused = 3,        // for command 31: a wrong password
    meAccessDenied = 4,           // also: a cancelled password prompt
    meExchangeError = 8,          // also: a reply to another command or parameter
};

// The text shown for a meter error code.
QString DeviceErrorMessage(int code);
