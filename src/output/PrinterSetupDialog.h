#pragma once

class QPrinter;
class QPushButton;
class QString;
class QWidget;

// "Configuration de l'impression": Qt's print dialog over the shared printer, used to set it
// up rather than to print. It chooses the printer (or a PDF file, the one choice of a
// machine without printers) and, through its properties, the paper and the orientation;
// its confirming button reads "OK". True when the user confirmed.
bool RunPrinterSetup(QPrinter& printer, QWidget* parent);

// A button of the print windows: its hint as tooltip and status tip, never the default.
QPushButton* PrintWindowButton(const QString& caption, const QString& hint, QWidget* parent);
