#pragma once

#include <QString>
#include <stdexcept>

// The one kind of error the program raises: its message is all the operator sees.
class EAppError : public std::runtime_error
{
public:
    explicit EAppError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};
