#pragma once
// One call to a desktop portal method that answers through a Request object: the answer comes
// later as the Request's Response signal, which is listened for before the call is made (the
// object's path is known from the handle token). Nothing here blocks: the result arrives as a
// callback, once, also when the call itself fails.

#include <QDBusConnection>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

class QObject;

namespace Portal {
inline constexpr QLatin1String Service("org.freedesktop.portal.Desktop");
inline constexpr QLatin1String Path("/org/freedesktop/portal/desktop");
inline constexpr QLatin1String SessionInterface("org.freedesktop.portal.Session");
} // namespace Portal

// `response` 0 is success, 1 the user cancelled, 2 anything else; `error` says what went
// wrong in words for the log (empty on success).
struct PortalAnswer {
    uint response = 2;
    QVariantMap results;
    QString error;
    bool succeeded() const { return response == 0; }
};

using PortalAnswerHandler = std::function<void(const PortalAnswer&)>;

// Calls `method` of `interface` on the portal with `arguments` followed by an options map,
// into which a fresh handle_token is put. The handler runs in `context`'s thread and not at all
// once `context` is gone.
void CallPortal(const QDBusConnection& bus, const QString& interface, const QString& method,
    const QVariantList& arguments, QVariantMap options, QObject* context, PortalAnswerHandler handler);

// The session_handle of a CreateSession answer: a string in older portals, an object path in
// newer ones.
QString PortalSessionHandle(const QVariantMap& results);

// A token for a handle or session path, unique within this process.
QString PortalToken();

// Ends a session the portal created for us; nothing is waited for.
void ClosePortalSession(const QDBusConnection& bus, const QString& sessionPath);
