#include "common/Handled.h"

#include "common/Errors.h"
#include "common/MessageBoxes.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcErrors, "pastewise.errors")

std::function<void(const QString&)>& refusalHandler()
{
    static std::function<void(const QString&)> instance;
    return instance;
}

QString MessageOf(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const AppError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

// True when the refusal handler took the error.
bool OfferRefusal(const std::exception_ptr& error)
{
    if (!refusalHandler())
        return false;
    try {
        std::rethrow_exception(error);
    } catch (const StoreRefusedError& e) {
        refusalHandler()(e.message());
        return true;
    } catch (...) {
        return false;
    }
}
} // namespace

void ReportException(const std::exception_ptr& error) noexcept
{
    try {
        if (!OfferRefusal(error))
            ShowErrorBox(MessageOf(error));
    } catch (...) {
        // Reporting met an error of its own (the refusal offer could not store either, say):
        // that one is shown instead, and if even that fails it is logged.
        try {
            ShowErrorBox(MessageOf(std::current_exception()));
        } catch (...) {
            qCCritical(lcErrors).noquote() << "an error could not be shown:" << MessageOf(error);
        }
    }
}

void SetStoreRefusalHandler(std::function<void(const QString& message)> handler)
{
    refusalHandler() = std::move(handler);
}
