#pragma once
// Errors that reach the user through the standard error box. Handlers let them
// propagate; the application's event dispatch catches them in one place.

#include <QByteArray>
#include <QString>
#include <exception>

class AppError : public std::exception {
public:
    explicit AppError(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    {
    }
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// Raised for every failure of the library database, carrying the engine's message.
class DatabaseError final : public AppError {
public:
    using AppError::AppError;
};
