// The measurement log of --measurements: the one place where the capture meets the log's
// writer. The writer itself (one line per sweep: the sweep's number, date and time, and the
// readings of each channel as the measurement engine gives them) belongs to analysis, where
// the window of the automatic measurements uses it too; it is plugged in here once it is
// there, as a SweepSink that measures each record (MeasureShownSweep over its codes) and
// appends the log's line through an AppendOnlyFile, as the other sinks do.
#include "capture/CaptureOptions.h"
#include "capture/SweepSinks.h"

std::unique_ptr<SweepSink> OpenMeasurementLog(const QString&, QIODevice&) {
    throw UsageError(QStringLiteral("--measurements : le journal des mesures n'est pas encore "
                                    "disponible dans cette version"));
}
