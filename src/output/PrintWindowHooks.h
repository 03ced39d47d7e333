#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <optional>

class QPrinter;

// What the print windows take from the program; tests give their own.
struct PrintHooks {
    // The printer-setup dialog over the shared printer; true when accepted.
    std::function<bool(QPrinter& printer)> pageSetup;
    // A printer is installed; without one the page goes to a PDF file.
    std::function<bool()> printerInstalled;
    // The PDF file to write (the save dialog and its overwrite question), or nothing.
    std::function<std::optional<QString>()> choosePdf;
    // Help topic of the window.
    std::function<void(const QString& topic)> help;
};

inline const QString PrintHelpTopic = QStringLiteral("rub6");

// Starts a job on the printer, or on a PDF file chosen by the user when no printer is
// installed. False when the user gave up; throws std::runtime_error with the printer's
// message when the job cannot start.
bool PrepareJob(QPrinter& printer, const PrintHooks& hooks);
