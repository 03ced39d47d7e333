#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

// What the print windows take from the program; tests give their own.
struct PrintHooks {
    // The printer-setup dialog over the shared printer, on the window that asks; true when
    // accepted.
    std::function<bool(QPrinter& printer, QWidget* asking)> pageSetup;
    // Printers are installed; without one the page goes to a PDF file. Empty: ask Qt.
    std::function<bool()> printersAvailable;
    // The PDF file to write (the save dialog and its overwrite question), or nothing.
    std::function<std::optional<QString>()> choosePdf;
    // Help topic of the window, asked from the window.
    std::function<void(const QString& topic, QWidget* asking)> help;
};

inline const QString PrintHelpTopic = QStringLiteral("rub6");

// Where a job goes: the shared printer when a file was chosen for it in the printer
// set-up, or when a printer is installed (then on the printer's own output, also when the
// program started without one); otherwise a PDF file chosen by the user, written through a
// printer of its own with the shared printer's page, so that the shared printer never
// keeps the file for a later job.
struct PrintJob {
    QPrinter* device = nullptr; // null when the user gave up choosing the file
    std::unique_ptr<QPrinter> pdf;
};
PrintJob PrepareJob(QPrinter& printer, const PrintHooks& hooks);
