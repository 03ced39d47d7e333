#include "link/PortHolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

QByteArray ReadSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(1 << 20);
}

// Another process that has the device open, among the descriptors this user may see.
std::optional<qint64> ProcessWithOpenFile(const QString& devicePath) {
    const QString wanted = QFileInfo(devicePath).canonicalFilePath();
    if (wanted.isEmpty())
        return std::nullopt;
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& name : processes) {
        bool number = false;
        const qint64 pid = name.toLongLong(&number);
        if (!number || pid == qint64(::getpid()))
            continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        const QStringList entries =
            fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& fd : entries)
            if (QFileInfo(fds.filePath(fd)).symLinkTarget() == wanted)
                return pid;
    }
    return std::nullopt;
}

} // namespace

std::optional<qint64> LockHolder(QByteArrayView procLocks, unsigned major, unsigned minor,
                                 quint64 inode) {
    const QByteArray file = QByteArray::number(major, 16).rightJustified(2, '0') + ':' +
                            QByteArray::number(minor, 16).rightJustified(2, '0') + ':' +
                            QByteArray::number(inode);
    // "1: FLOCK  ADVISORY  WRITE 1234 00:1a:3 0 EOF"
    const QList<QByteArray> lines = procLocks.toByteArray().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() < 6 || words[1] == "->")
            continue;
        if (words[5] != file)
            continue;
        bool number = false;
        const qint64 pid = words[4].toLongLong(&number);
        if (number && pid > 0)
            return pid;
    }
    return std::nullopt;
}

QString ProgramOfProcess(qint64 pid) {
    const QString folder = QStringLiteral("/proc/%1/").arg(pid);
    const QString exe = QFileInfo(folder + QStringLiteral("exe")).symLinkTarget();
    if (!exe.isEmpty())
        return QFileInfo(exe.section(QStringLiteral(" (deleted)"), 0, 0)).fileName();
    const QByteArray commandLine = ReadSmallFile(folder + QStringLiteral("cmdline"));
    const QByteArray first = commandLine.left(commandLine.indexOf('\0'));
    if (!first.isEmpty())
        return QFileInfo(QString::fromLocal8Bit(first)).fileName();
    return QString::fromLocal8Bit(ReadSmallFile(folder + QStringLiteral("comm"))).trimmed();
}

std::optional<PortHolder> FindPortHolder(const QString& devicePath) {
    struct stat node {};
    std::optional<qint64> pid;
    if (::stat(QFile::encodeName(devicePath).constData(), &node) == 0)
        pid = LockHolder(ReadSmallFile(QStringLiteral("/proc/locks")), major(node.st_dev),
                         minor(node.st_dev), node.st_ino);
    if (!pid)
        pid = ProcessWithOpenFile(devicePath);
    if (!pid)
        return std::nullopt;
    return PortHolder{*pid, ProgramOfProcess(*pid)};
}
