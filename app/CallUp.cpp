#include "app/CallUp.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QMetaObject>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(lcCallUp, "pastewise.callup")

constexpr char Request[] = "show\n";
constexpr char Reply[] = "ok\n";
// A request line is a word; anything longer is not from our own command.
constexpr qint64 MaxLine = 64;

// Letters, digits, dot, dash and underscore only: the key becomes part of a file name.
QString FileNamePart(const QString& text)
{
    QString part = text;
    for (QChar& c : part) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.')
            || c == QLatin1Char('-');
        if (!plain)
            c = QLatin1Char('_');
    }
    return part;
}

// ":0", ":0.0" and "unix:0" are one display; the screen after the dot is not another session.
QString XDisplayKey(const QString& display)
{
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    QString host = display.left(colon);
    const QString number = display.mid(colon + 1).section(QLatin1Char('.'), 0, 0);
    if (host == QLatin1String("unix"))
        host.clear();
    return FileNamePart(host.isEmpty() ? number : host + QLatin1Char('_') + number);
}

QString SessionKey()
{
    QStringList parts;
    const QString x = qEnvironmentVariable("DISPLAY");
    if (!x.isEmpty())
        parts << QStringLiteral("x") + XDisplayKey(x);
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty())
        parts << QStringLiteral("wl") + FileNamePart(wayland);
    if (parts.isEmpty())
        parts << QStringLiteral("console");
    return parts.join(QLatin1Char('-'));
}

// Only a folder of this user that nobody else may enter keeps other users from answering
// in our place.
bool IsPrivateFolder(const QString& path)
{
    struct stat info { };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

QString PrivateFolder()
{
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateFolder(runtime))
        return runtime;
    // Without a runtime folder (X started by hand, say), a folder of our own in the
    // temporary one.
    const QString folder = QDir::tempPath() + QStringLiteral("/pastewise-") + QString::number(::getuid());
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    return IsPrivateFolder(folder) ? folder : QString();
}

class Descriptor final {
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// A non-blocking connection, so a copy that is stuck (its queue of callers full) cannot hold
// the command up. -1 with errno set when nobody takes it.
int ConnectTo(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || std::size_t(name.size()) >= sizeof(address.sun_path)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool WaitFor(int fd, short events, int timeoutMs)
{
    pollfd entry {fd, events, 0};
    int result = 0;
    do {
        result = ::poll(&entry, 1, timeoutMs);
    } while (result < 0 && errno == EINTR);
    return result == 1 && (entry.revents & events) != 0;
}

} // namespace

QString CallUpSocketPath()
{
    const QString folder = PrivateFolder();
    if (folder.isEmpty())
        return {};
    QString path = folder + QStringLiteral("/pastewise-callup-") + SessionKey();
    if (QFile::encodeName(path).size() >= qsizetype(sizeof(sockaddr_un::sun_path)))
        return {};
    return path;
}

CallUpAnswer AskRunningCopyToShow(const QString& path, int timeoutMs)
{
    const Descriptor socket(ConnectTo(path));
    if (socket.get() < 0)
        return errno == EAGAIN ? CallUpAnswer::NoAnswer : CallUpAnswer::NoCopy;
    if (!WaitFor(socket.get(), POLLOUT, timeoutMs)
        || ::send(socket.get(), Request, sizeof(Request) - 1, MSG_NOSIGNAL) != qsizetype(sizeof(Request) - 1))
        return CallUpAnswer::NoAnswer;
    QByteArray reply;
    while (!reply.contains('\n') && reply.size() < MaxLine) {
        if (!WaitFor(socket.get(), POLLIN, timeoutMs))
            return CallUpAnswer::NoAnswer;
        char buffer[MaxLine];
        const ssize_t got = ::recv(socket.get(), buffer, sizeof(buffer), 0);
        if (got <= 0)
            break;
        reply.append(buffer, got);
    }
    return reply == Reply ? CallUpAnswer::Shown : CallUpAnswer::NoAnswer;
}

CallUpServer::CallUpServer(QObject* parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
{
    connect(m_server, &QLocalServer::newConnection, this, &CallUpServer::answer);
}

CallUpServer::~CallUpServer() = default;

bool CallUpServer::listen(const QString& path)
{
    if (path.isEmpty()) {
        qCInfo(lcCallUp) << "no private folder for the call-up socket; --show starts a copy";
        return false;
    }
    // Asked first: with the access option Qt makes the socket elsewhere and renames it into
    // place, which would silently take the place of a copy that still answers.
    const Descriptor other(ConnectTo(path));
    if (other.get() >= 0 || errno == EAGAIN) {
        qCInfo(lcCallUp) << "another copy answers --show";
        return false;
    }
    // A socket left behind by a copy that ended without removing it.
    QLocalServer::removeServer(path);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(path))
        return true;
    qCWarning(lcCallUp).noquote() << "cannot answer --show at" << path << ':' << m_server->errorString();
    return false;
}

void CallUpServer::answer()
{
    while (QLocalSocket* caller = m_server->nextPendingConnection()) {
        connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
        connect(caller, &QLocalSocket::readyRead, this, [this, caller] {
            if (!caller->canReadLine()) {
                if (caller->bytesAvailable() > MaxLine)
                    caller->abort();
                return;
            }
            const bool show = caller->readLine(MaxLine) == Request;
            if (show) {
                caller->write(Reply, sizeof(Reply) - 1);
                caller->flush();
            }
            caller->disconnectFromServer();
            // Run from the event loop, not from inside the socket's notification: showing the
            // window waits for the window manager while serving events.
            if (show)
                QMetaObject::invokeMethod(this, &CallUpServer::showRequested, Qt::QueuedConnection);
        });
    }
}
