#pragma once
#include "common/error.h"

#include <QString>
#include <functional>

// The message of the error an action raises, or an empty text when it succeeds.
inline QString ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const TError& e) {
        return e.Message;
    }
    return QString();
}
