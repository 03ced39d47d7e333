#pragma once

#include "output/OutputFiles.h"

#include <QImage>
#include <QString>
#include <functional>
#include <optional>

class Instrument;

// What the save dialog is asked to show.
struct SaveRequest {
    QString filter;        // "BMP (*.bmp)"
    QString defaultSuffix; // "bmp", added to a name typed without extension
    QString folder;        // initial folder (SettingsLine::SaveFolder), empty: the current one
    QString proposedName;
    // Called each time the user moves to another folder while the dialog is open.
    std::function<void(const QString& folder)> folderChanged;
};

// The questions the output commands put to the user. The program installs its dialogs
// (SaveFileDialog); tests answer them.
struct OutputPrompts {
    // The chosen file's path, or nothing when the user cancels.
    std::function<std::optional<QString>(const SaveRequest& request)> chooseFile;
    // "Le nom du fichier existe déjà. Voulez-vous l'écraser ?": true for "&Oui".
    std::function<bool()> confirmOverwrite;
};

// What the output commands take from the windows, asked afresh at each command.
struct OutputSources {
    std::function<QImage()> screenImage; // the 640 x 320 screen raster
    std::function<QImage()> chartImage;  // the chart alone, at its size, on white
    std::function<ClockReading()> clock; // the clock values of the screen
    std::function<SpectrumExport()> spectrum;
};

inline const QString OverwriteQuestion =
    QStringLiteral("Le nom du fichier existe déjà. Voulez-vous l'écraser ?");
inline const QString ScreenCopiedNotice =
    QStringLiteral("Les traces observées ont été copiées dans le presse papier Windows...");
inline const QString SpectrumCopiedNotice =
    QStringLiteral("Le spectre observé a été copié dans le presse papier Windows...");

// Saving, copying and exporting what the main window shows. Failures throw (OutputError)
// and leave every file as it was.
class OutputCommands {
public:
    OutputCommands(Instrument& session, OutputSources sources, OutputPrompts prompts);

    // The screen image, or the chart in the spectrum view, as a BMP file.
    void SaveScreenImage();
    // The same picture on the clipboard; the first copy of the run says so.
    void CopyScreenImage();
    // The sweep shown (or the spectrum's bins) as a CSV file.
    void ExportSamples();

    // Asks for a file name the way the save does (same folder memory, same overwrite
    // question); nothing when the user gives up. The name proposed begins with `prefix`,
    // or with the save's "Trace_" or "Spectre_" when none is given.
    std::optional<QString> ChooseFile(const QString& filter, const QString& suffix,
                                      const QString& prefix = {});

    bool ClipboardNoticeShown() const { return noticeShown; }
    OutputPrompts& Prompts() { return prompts; }
    const OutputSources& Sources() const { return sources; }

private:
    // The spectrum view is on: the commands act on the chart and the spectrum's bins.
    bool SpectrumMode() const;
    QImage Picture() const;
    void NoteFolder(const QString& folder);

    Instrument& session;
    OutputSources sources;
    OutputPrompts prompts;
    bool noticeShown = false;
};
