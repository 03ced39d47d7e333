#include "app/SingleInstanceGuard.h"

#include "core/CommandLineMessage.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

namespace {

// The answer of the first copy once a message has been handled.
constexpr char Handled = '\x01';
// Wait for a connection to a socket file that exists.
constexpr int ConnectTimeoutMs = 2000;
// The message being received on a connection.
const char* const BufferProperty = "osc.message";
// Set while a connection counts among those kept.
const char* const CountedProperty = "osc.counted";

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& runtimeFolder,
                                         const QString& programFileName, QObject* parent)
    : QObject(parent),
      serverPath(QDir(runtimeFolder).filePath(QStringLiteral("RunOne") + programFileName)),
      lockPath(serverPath + QStringLiteral(".lock")) {}

SingleInstanceGuard::~SingleInstanceGuard() {
    if (server)
        server->close();
}

QString SingleInstanceGuard::UserRuntimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
}

bool SingleInstanceGuard::Listening() const {
    return server && server->isListening();
}

SingleInstanceGuard::Outcome SingleInstanceGuard::Claim(const QStringList& arguments) {
    commandLine = arguments;
    QLockFile lock(lockPath);
    const bool locked = lock.tryLock(LockTimeoutMs);

    QLocalSocket socket;
    socket.connectToServer(serverPath);
    if (socket.waitForConnected(ConnectTimeoutMs)) {
        if (locked)
            lock.unlock();
        return HandOver(socket, arguments);
    }
    const QLocalSocket::LocalSocketError error = socket.error();
    if (!locked)
        return Outcome::Unguarded; // another start holds the lock and never let it go
    if (error != QLocalSocket::ServerNotFoundError && error != QLocalSocket::ConnectionRefusedError)
        return Outcome::NoAnswer; // someone is there, busy: do not take its place
    // Nobody listens: a socket file left there belongs to a copy that ended without
    // closing it.
    QLocalServer::removeServer(serverPath);
    return Listen() ? Outcome::First : Outcome::Unguarded;
}

SingleInstanceGuard::Outcome SingleInstanceGuard::HandOver(QLocalSocket& socket,
                                                           const QStringList& arguments) {
    const QDeadlineTimer deadline(HandOverTimeoutMs);
    const QByteArray message = CommandLineMessage::Encode(arguments);
    socket.write(message);
    while (socket.bytesToWrite() > 0)
        if (deadline.hasExpired() || !socket.waitForBytesWritten(int(deadline.remainingTime())))
            return Outcome::NoAnswer;
    while (socket.bytesAvailable() == 0)
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return Outcome::NoAnswer;
    char answer = 0;
    socket.getChar(&answer);
    socket.abort();
    return answer == Handled ? Outcome::HandedOver : Outcome::NoAnswer;
}

bool SingleInstanceGuard::Listen() {
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    server->setMaxPendingConnections(MaxConnections);
    if (!server->listen(serverPath))
        return false;
    connect(server, &QLocalServer::newConnection, this, &SingleInstanceGuard::Accept);
    return true;
}

void SingleInstanceGuard::Accept() {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        if (connections >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++connections;
        socket->setProperty(CountedProperty, true);
        // Never more than one message and one byte in memory, whatever is sent.
        socket->setReadBufferSize(CommandLineMessage::Size + 1);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { Drop(socket); });
        auto* timeout = new QTimer(socket);
        timeout->setSingleShot(true);
        connect(timeout, &QTimer::timeout, this, [this, socket] { Drop(socket); });
        timeout->start(connectionTimeoutMs);
        if (socket->bytesAvailable() > 0)
            Read(socket);
    }
}

void SingleInstanceGuard::Drop(QLocalSocket* socket) {
    if (socket->property(CountedProperty).toBool()) {
        socket->setProperty(CountedProperty, false);
        --connections;
    }
    socket->abort();
    socket->deleteLater();
}

void SingleInstanceGuard::Read(QLocalSocket* socket) {
    QByteArray buffer = socket->property(BufferProperty).toByteArray();
    if (buffer.size() >= CommandLineMessage::Size) {
        socket->read(socket->bytesAvailable()); // after the message: nothing more is read
        return;
    }
    buffer += socket->read(CommandLineMessage::Size + 1 - buffer.size());
    socket->setProperty(BufferProperty, buffer);
    if (buffer.size() < CommandLineMessage::Size)
        return;
    const auto texts = buffer.size() == CommandLineMessage::Size && socket->bytesAvailable() == 0
                           ? CommandLineMessage::Decode(buffer)
                           : std::nullopt;
    if (!texts) {
        Drop(socket);
        return;
    }
    commandLine = *texts;
    emit commandLineReceived(commandLine);
    socket->write(&Handled, 1);
    socket->flush();
    socket->disconnectFromServer();
}
