#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class QLocalServer;
class QLocalSocket;

// What the guard trusts. The socket and its lock live in a folder only the user can use; a
// listener is handed the command line only when it runs as the user. Anything else (a
// shared folder, a socket planted by someone else) leaves the program running without the
// guard rather than ending it or sending the command line to a stranger.
namespace SingleInstance {

// What lstat tells of a file: its owner, its mode (type and permission bits) and whether it
// is a symbolic link.
struct FileFacts {
    uint owner = 0;
    uint mode = 0;
    bool isLink = false;
};

// The facts of `path` itself (a link is not followed); empty when it does not exist.
std::optional<FileFacts> Lstat(const QString& path);

// A folder of the user's alone: a real folder (not a link to one), owned by `user`,
// with no permission for its group or for others.
bool IsPrivateFolder(const FileFacts& folder, uint user);

// A listener to hand the command line to: the socket file is a socket owned by `user` and
// not a link, and the process at the other end of the connection runs as `user`.
bool IsUsersListener(const std::optional<FileFacts>& socketFile, std::optional<uint> peerUid,
                     uint user);

// The user of the process at the other end of a connected local socket (SO_PEERCRED);
// empty when the system does not tell.
std::optional<uint> PeerUid(qintptr socketDescriptor);

// The folder for the socket and its lock: `xdgRuntimeDir` when it is absolute and a
// private folder of the user's; otherwise <tempFolder>/oscilloscope-<user>, created with
// mode 0700 when missing and used only when it then is a private folder of the user's (an
// existing one that is not is left as it is). Empty when neither will do.
QString PrivateRuntimeFolder(const QString& xdgRuntimeDir, const QString& tempFolder, uint user);

} // namespace SingleInstance

// One copy of the program serves the user: the serial port and the settings file have a
// single owner. The first copy listens on a local socket named after the executable's
// file name, in the user's runtime folder; a later copy finds it there, hands it its
// command line and ends before doing anything else.
//
// The socket is claimed under a lock file, so two copies started together cannot both
// become the first. A socket left behind by a copy that was killed is removed only when
// a connection to it has been refused, and only under that lock, so a live first copy is
// never unplugged.
//
// The first copy reads what arrives defensively: a connection from another user is dropped
// at once, and one of the user's brings at most one message of exactly 2820 bytes within a
// few seconds, or it is dropped; anything else a local process sends neither stops nor
// blocks the program. The socket itself can be used by the user alone.
class SingleInstanceGuard : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First,      // this copy serves the user and listens for later ones
        HandedOver, // another copy runs and took the command line: end
        NoAnswer,   // another copy runs but did not answer in time: end all the same
        Unguarded,  // no private folder, a socket or listener that is not the user's, or
                    // the socket could not be set up: serve the user without the guard
    };

    // Bound on a later copy's wait for the first one, from connection to answer.
    static constexpr int HandOverTimeoutMs = 5000;
    // Bound on the wait for the lock file held by another starting copy.
    static constexpr int LockTimeoutMs = 10000;
    // Simultaneous connections the first copy keeps; more are dropped at once.
    static constexpr int MaxConnections = 8;

    // `runtimeFolder` holds the socket and the lock file (a folder private to the user;
    // empty when there is none, and the guard then stays out of the way); `programFileName`
    // is the executable's file name without its folder.
    SingleInstanceGuard(const QString& runtimeFolder, const QString& programFileName,
                        QObject* parent = nullptr);
    // Stops listening: the socket file goes, and the next start is a first copy.
    ~SingleInstanceGuard() override;

    // The folder for this user's guard: PrivateRuntimeFolder of $XDG_RUNTIME_DIR, the
    // temporary folder and the effective user.
    static QString UserRuntimeFolder();

    // Records `arguments` (program path first) as the command line, then becomes the
    // first copy or hands the command line over to the running one.
    Outcome Claim(const QStringList& arguments);

    // The command line of this copy, replaced by each one a later copy hands over.
    QStringList CommandLine() const { return commandLine; }
    QString ServerPath() const { return serverPath; }
    QString LockPath() const { return lockPath; }
    bool Listening() const;

    // How long a connection may take to deliver its message (3 s; tests shorten it).
    void SetConnectionTimeout(int ms) { connectionTimeoutMs = ms; }
    // The user the guard acts for, the effective user unless set (tests pose as another
    // user to meet a socket and connections that are not theirs).
    void SetUser(uint uid) { user = uid; }

signals:
    // A later copy handed over its command line; the first copy comes to the front.
    void commandLineReceived(const QStringList& arguments);

private:
    Outcome HandOver(QLocalSocket& socket, const QStringList& arguments);
    bool Listen();
    void Accept();
    void Read(QLocalSocket* socket);
    // Ends a connection and lets its place go.
    void Drop(QLocalSocket* socket);

    QString serverPath;
    QString lockPath;
    QStringList commandLine;
    QLocalServer* server = nullptr;
    uint user;
    int connections = 0;
    int connectionTimeoutMs = 3000;
};
