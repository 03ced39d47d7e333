#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

// Who holds a serial port that cannot be opened because it is busy: the process that took
// the port's exclusive lock (the program and the command-line capture both take one, as
// HardwareSerialLink opens a port), found in /proc/locks, or else a process of the user
// that has the port open.
struct PortHolder {
    qint64 pid = 0;
    QString program; // the name of its executable ("oscilloscope"); empty when unknown
};

// The holder of the port at this device path, if it can be found.
std::optional<PortHolder> FindPortHolder(const QString& devicePath);

// The process that holds the lock on the file of device `major`:`minor`, inode `inode`,
// in the text of /proc/locks; those waiting for a lock ("->") are not holders.
std::optional<qint64> LockHolder(QByteArrayView procLocks, unsigned major, unsigned minor,
                                 quint64 inode);

// The executable's name of a running process: that of /proc/<pid>/exe when it can be
// read, else the first word of its command line, else /proc/<pid>/comm.
QString ProgramOfProcess(qint64 pid);
