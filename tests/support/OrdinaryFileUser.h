#pragma once

#include <QByteArray>
#include <QFile>

#include <sys/fsuid.h>
#include <unistd.h>

// Makes the file-system accesses of the calling thread those of an ordinary user, for the
// tests of what permission bits refuse. Permission bits do not stop the superuser, so when
// the tests run as root the thread takes the file-system identity of "nobody" (65534), and
// gets its own back when the object goes; anyone else stays who they are. Files meant to
// belong to that user are given to it with Own().
class OrdinaryFileUser {
public:
    static constexpr uint Nobody = 65534;

    OrdinaryFileUser() {
        if (::geteuid() != 0)
            return;
        ::setfsgid(Nobody);
        ::setfsuid(Nobody);
        switched = true;
    }
    ~OrdinaryFileUser() {
        if (switched) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }
    OrdinaryFileUser(const OrdinaryFileUser&) = delete;
    OrdinaryFileUser& operator=(const OrdinaryFileUser&) = delete;

    // The thread now acts as an ordinary user (setfsuid answers the identity in force when
    // asked to change to an invalid one).
    bool Ordinary() const { return !switched || uint(::setfsuid(uid_t(-1))) == Nobody; }
    // The user the thread's file accesses are made as.
    uint Uid() const { return switched ? Nobody : uint(::geteuid()); }

    // Gives `path` to that user. Called before the switch (root can, nobody cannot), as
    // a static helper: true when there is nothing to do or it was done.
    static bool Own(const QString& path) {
        if (::geteuid() != 0)
            return true;
        return ::chown(QFile::encodeName(path).constData(), Nobody, Nobody) == 0;
    }

private:
    bool switched = false;
};
