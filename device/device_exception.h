#pragma once
#include "common/error.h"

// A meter error: the status byte of a reply (or 4 for a cancelled password
// prompt). Callers tell the errors apart by Code.
class TDeviceException : public TError {
public:
    explicit TDeviceException(int code);
    int Code;
};

// The text shown for a meter error code.
QString DeviceErrorMessage(int code);
