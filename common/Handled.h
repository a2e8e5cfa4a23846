#pragma once
// Every command and event handler of the program's windows runs through RunHandled: an error
// it raises (a database or platform error, any std::exception) is shown in the standard error
// box and the program carries on. Nothing is thrown into Qt's event dispatch or signal
// delivery: Qt's own frames are built without exception support, release nothing they hold
// when an exception passes through them, and Qt does not promise to survive it.

#include <QString>

#include <exception>
#include <functional>
#include <utility>

// Shows the error in the standard error box; a change the engine refused to store goes to the
// refusal handler instead, when there is one. Never throws.
void ReportException(const std::exception_ptr& error) noexcept;

// Who offers ways to keep a change the engine refused to store (StoreRefusedError) instead
// of only reporting it; without one the refusal is shown like any other error.
void SetStoreRefusalHandler(std::function<void(const QString& message)> handler);

// Runs `handler`; true when it finished, false when it raised an error, which is reported.
template <class Handler> bool RunHandled(Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        ReportException(std::current_exception());
        return false;
    }
}
