#include "capture/CaptureCommand.h"

#include <QIODevice>

int RunCaptureCommand(const QStringList& arguments, CaptureStreams streams) {
    CaptureOptions options;
    try {
        options = ParseCaptureOptions(arguments);
    } catch (const UsageError& e) {
        streams.err->write(
            (QLatin1String(CaptureProgramName) + QStringLiteral(" : ") + e.Text() +
             QStringLiteral("\nEssayez « %1 --help ».\n").arg(QLatin1String(CaptureProgramName)))
                .toUtf8());
        return Capture::BadUsage;
    }
    if (options.help) {
        streams.out->write(CaptureHelpText().toUtf8());
        return Capture::Done;
    }
    if (options.version) {
        streams.out->write(CaptureVersionText().toUtf8());
        return Capture::Done;
    }
    Capture capture(options, streams);
    return capture.Run();
}
