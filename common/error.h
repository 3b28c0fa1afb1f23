#pragma once
#include <QString>
#include <stdexcept>

// The plain error of the system: it carries only the text shown to the user.
class TError : public std::runtime_error {
public:
    explicit TError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};
