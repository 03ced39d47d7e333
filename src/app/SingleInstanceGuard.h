#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

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
// The first copy reads what arrives defensively: a connection brings at most one message
// of exactly 2820 bytes within a few seconds, or it is dropped; anything else a local
// process sends neither stops nor blocks the program.
class SingleInstanceGuard : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First,      // this copy serves the user and listens for later ones
        HandedOver, // another copy runs and took the command line: end
        NoAnswer,   // another copy runs but did not answer in time: end all the same
        Unguarded,  // the socket could not be set up: serve the user without the guard
    };

    // Bound on a later copy's wait for the first one, from connection to answer.
    static constexpr int HandOverTimeoutMs = 5000;
    // Bound on the wait for the lock file held by another starting copy.
    static constexpr int LockTimeoutMs = 10000;
    // Simultaneous connections the first copy keeps; more are dropped at once.
    static constexpr int MaxConnections = 8;

    // `runtimeFolder` holds the socket and the lock file (the user's own runtime folder);
    // `programFileName` is the executable's file name without its folder.
    SingleInstanceGuard(const QString& runtimeFolder, const QString& programFileName,
                        QObject* parent = nullptr);
    // Stops listening: the socket file goes, and the next start is a first copy.
    ~SingleInstanceGuard() override;

    // The user's runtime folder ($XDG_RUNTIME_DIR, or Qt's private fallback).
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
    int connections = 0;
    int connectionTimeoutMs = 3000;
};
