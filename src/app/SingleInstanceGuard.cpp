#include "app/SingleInstanceGuard.h"

#include "core/CommandLineMessage.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace SingleInstance {

std::optional<FileFacts> Lstat(const QString& path) {
    struct stat facts {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &facts) != 0)
        return std::nullopt;
    return FileFacts{uint(facts.st_uid), uint(facts.st_mode), S_ISLNK(facts.st_mode)};
}

bool IsPrivateFolder(const FileFacts& folder, uint user) {
    return !folder.isLink && S_ISDIR(folder.mode) && folder.owner == user &&
           (folder.mode & (S_IRWXG | S_IRWXO)) == 0;
}

bool IsUsersListener(const std::optional<FileFacts>& socketFile, std::optional<uint> peerUid,
                     uint user) {
    return socketFile && !socketFile->isLink && S_ISSOCK(socketFile->mode) &&
           socketFile->owner == user && peerUid && *peerUid == user;
}

std::optional<uint> PeerUid(qintptr socketDescriptor) {
    if (socketDescriptor < 0)
        return std::nullopt;
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
        size != sizeof peer)
        return std::nullopt;
    return uint(peer.uid);
}

QString PrivateRuntimeFolder(const QString& xdgRuntimeDir, const QString& tempFolder, uint user) {
    if (QDir::isAbsolutePath(xdgRuntimeDir)) {
        const QString folder = QDir::cleanPath(xdgRuntimeDir);
        if (const auto facts = Lstat(folder); facts && IsPrivateFolder(*facts, user))
            return folder;
    }
    if (!QDir::isAbsolutePath(tempFolder))
        return {};
    const QString own =
        QDir::cleanPath(tempFolder) + QStringLiteral("/oscilloscope-") + QString::number(user);
    // Made if missing; whatever is there afterwards, made now or planted before, is checked
    // as found: never changed, only used or left alone.
    ::mkdir(QFile::encodeName(own).constData(), S_IRWXU);
    if (const auto facts = Lstat(own); facts && IsPrivateFolder(*facts, user))
        return own;
    return {};
}

} // namespace SingleInstance

SingleInstanceGuard::SingleInstanceGuard(const QString& runtimeFolder,
                                         const QString& programFileName, QObject* parent)
    : QObject(parent),
      serverPath(runtimeFolder.isEmpty()
                     ? QString()
                     : QDir(runtimeFolder).filePath(QStringLiteral("RunOne") + programFileName)),
      lockPath(runtimeFolder.isEmpty() ? QString() : serverPath + QStringLiteral(".lock")),
      user(uint(::geteuid())) {}

SingleInstanceGuard::~SingleInstanceGuard() {
    if (server)
        server->close();
}

QString SingleInstanceGuard::UserRuntimeFolder() {
    return SingleInstance::PrivateRuntimeFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"),
                                                QDir::tempPath(), uint(::geteuid()));
}

bool SingleInstanceGuard::Listening() const {
    return server && server->isListening();
}

SingleInstanceGuard::Outcome SingleInstanceGuard::Claim(const QStringList& arguments) {
    commandLine = arguments;
    if (serverPath.isEmpty())
        return Outcome::Unguarded; // no folder of the user's alone to meet in
    QLockFile lock(lockPath);
    const bool locked = lock.tryLock(LockTimeoutMs);

    QLocalSocket socket;
    socket.connectToServer(serverPath);
    if (socket.waitForConnected(ConnectTimeoutMs)) {
        if (locked)
            lock.unlock();
        // Only a copy run by this user is told anything.
        if (!SingleInstance::IsUsersListener(SingleInstance::Lstat(serverPath),
                                             SingleInstance::PeerUid(socket.socketDescriptor()),
                                             user)) {
            socket.abort();
            return Outcome::Unguarded;
        }
        return HandOver(socket, arguments);
    }
    const QLocalSocket::LocalSocketError error = socket.error();
    if (!locked)
        return Outcome::Unguarded; // another start holds the lock and never let it go
    if (error == QLocalSocket::SocketAccessError)
        return Outcome::Unguarded; // a socket that refuses this user is not its copy's
    if (error != QLocalSocket::ServerNotFoundError && error != QLocalSocket::ConnectionRefusedError)
        return Outcome::NoAnswer; // someone is there, busy: do not take its place
    // Nobody listens: a socket file left there belongs to a copy that ended without
    // closing it, as long as it is the user's own.
    if (const auto stale = SingleInstance::Lstat(serverPath);
        stale && (stale->isLink || stale->owner != user))
        return Outcome::Unguarded;
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
        if (connections >= MaxConnections ||
            SingleInstance::PeerUid(socket->socketDescriptor()) != std::optional<uint>(user)) {
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
