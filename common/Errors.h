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
class DatabaseError : public AppError {
public:
    using AppError::AppError;
};

// A change the user typed into an entry that the engine would not store (changed by another
// program, a read-only file, a name that is empty or taken). The change is still pending, so
// the window can offer ways to keep it instead of only reporting the refusal.
class StoreRefusedError final : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};
