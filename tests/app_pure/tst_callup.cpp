// The local socket that carries --show: taking over a place left behind, leaving one that a
// running copy answers at, and the request answered.

#include "app/CallUp.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr int WaitMs = 10000;

// The caller blocks, so it runs beside the event loop that answers it.
CallUpAnswer askWhileServing(const QString& path)
{
    auto answer = std::async(std::launch::async, [path] { return AskRunningCopyToShow(path, WaitMs); });
    (void)QTest::qWaitFor(
        [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, WaitMs);
    return answer.get();
}

// What a copy killed while it listened leaves: the socket file with nobody behind it.
bool leaveDeadSocket(const QString& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound && QFile::exists(path);
}
} // namespace

class TestCallUp final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placeLeftBehindIsTakenOverAndAnswers();
    void secondCopyLeavesThePlaceToTheFirst();
};

void TestCallUp::placeLeftBehindIsTakenOverAndAnswers()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("callup"));
    QCOMPARE(AskRunningCopyToShow(path, WaitMs), CallUpAnswer::NoCopy);
    QVERIFY(leaveDeadSocket(path));
    QCOMPARE(AskRunningCopyToShow(path, WaitMs), CallUpAnswer::NoCopy);

    CallUpServer server;
    QSignalSpy shown(&server, &CallUpServer::showRequested);
    QVERIFY(server.listen(path));
    QCOMPARE(askWhileServing(path), CallUpAnswer::Shown);
    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, WaitMs);
}

void TestCallUp::secondCopyLeavesThePlaceToTheFirst()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("callup"));
    CallUpServer first;
    QSignalSpy shown(&first, &CallUpServer::showRequested);
    QVERIFY(first.listen(path));
    {
        CallUpServer second;
        QVERIFY(!second.listen(path));
    }
    QCOMPARE(askWhileServing(path), CallUpAnswer::Shown);
    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, WaitMs);
}

QTEST_GUILESS_MAIN(TestCallUp)
#include "tst_callup.moc"
