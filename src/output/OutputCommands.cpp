#include "output/OutputCommands.h"

#include "core/Messages.h"
#include "core/SettingsLines.h"
#include "instrument/Instrument.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

OutputCommands::OutputCommands(Instrument& session, OutputSources sources, OutputPrompts prompts)
    : session(session), sources(std::move(sources)), prompts(std::move(prompts)) {}

bool OutputCommands::SpectrumMode() const {
    return session.Spectrum().on;
}

QImage OutputCommands::Picture() const {
    const auto& source = SpectrumMode() ? sources.chartImage : sources.screenImage;
    return source ? source() : QImage();
}

void OutputCommands::NoteFolder(const QString& folder) {
    // A folder name with a line break is not recorded: SettingsLine::SaveFolder keeps the last good
    // one.
    if (session.SetSaveFolder(QDir::toNativeSeparators(folder)))
        session.SaveSettings();
}

std::optional<QString> OutputCommands::ChooseFile(const QString& filter, const QString& suffix,
                                                  const QString& prefix) {
    if (!prompts.chooseFile)
        return std::nullopt;
    SaveRequest request;
    request.filter = filter;
    request.defaultSuffix = suffix;
    request.folder = session.Settings().Line(SettingsLine::SaveFolder);
    const ClockReading clock =
        sources.clock ? sources.clock() : ClockReading::From(QDateTime::currentDateTime());
    request.proposedName = prefix.isEmpty() ? ProposedFileName(SpectrumMode(), clock)
                                            : ProposedFileName(prefix, clock);
    request.folderChanged = [this](const QString& folder) { NoteFolder(folder); };
    std::optional<QString> path = prompts.chooseFile(request);
    if (!path || path->isEmpty())
        return std::nullopt;
    if (QFileInfo::exists(*path) && !(prompts.confirmOverwrite && prompts.confirmOverwrite()))
        return std::nullopt;
    return path;
}

void OutputCommands::SaveScreenImage() {
    const QImage picture = Picture();
    if (const auto path = ChooseFile(QStringLiteral("BMP (*.bmp)"), QStringLiteral("bmp")))
        WriteBmpFile(*path, picture);
}

void OutputCommands::ExportSamples() {
    const bool spectrum = SpectrumMode();
    QByteArray csv;
    if (spectrum) {
        csv = SpectrumCsv(sources.spectrum ? sources.spectrum() : SpectrumExport{});
    } else {
        SweepExport sweep;
        sweep.instrument = session.State();
        sweep.samples = &session.Samples();
        sweep.ramWindowStart = session.Ram().Start();
        sweep.magnification = session.Ram().Magnification();
        sweep.weighting =
            ShownWeighting(sweep.instrument, session.Weighting(), session.ShowWindowEffect());
        csv = SweepCsv(sweep);
    }
    if (const auto path = ChooseFile(QStringLiteral("CSV (*.csv)"), QStringLiteral("csv")))
        WriteFileAtomically(*path, csv);
}

void OutputCommands::CopyScreenImage() {
    const bool spectrum = SpectrumMode();
    const QImage picture = Picture();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || picture.isNull())
        throw OutputError("Le presse-papier n'a pas pu être ouvert.");
    clipboard->setImage(picture);
    if (!noticeShown) {
        Messages::Show(Messages::Kind::Information,
                       spectrum ? SpectrumCopiedNotice : ScreenCopiedNotice);
        noticeShown = true;
    }
}
