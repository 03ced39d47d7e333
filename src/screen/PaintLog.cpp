#include "screen/PaintLog.h"

#include <QByteArray>
#include <cstdio>
#include <ctime>

namespace {

std::FILE* LogFile() {
    static std::FILE* const file = [] {
        const QByteArray path = qgetenv("OSC_PAINT_LOG");
        return path.isEmpty() ? nullptr : std::fopen(path.constData(), "w");
    }();
    return file;
}

} // namespace

namespace PaintLog {

bool Enabled() {
    return LogFile() != nullptr;
}

qint64 Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

void Write(qint64 askedNs, qint64 paintedNs) {
    std::FILE* file = LogFile();
    if (!file)
        return;
    std::fprintf(file, "%lld %lld\n", static_cast<long long>(askedNs),
                 static_cast<long long>(paintedNs));
    std::fflush(file);
}

} // namespace PaintLog
