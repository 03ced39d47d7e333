#include "output/PrinterSetupDialog.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

bool RunPrinterSetup(QPrinter& printer, QWidget* parent) {
    // The name the dialog proposes for a PDF file, in the user's folder.
    if (printer.docName().isEmpty())
        printer.setDocName(QStringLiteral("oscillogramme"));
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Configuration de l'impression"));
    // One page, printed later from the print windows: no page range, no collation.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        for (QAbstractButton* b : buttons->buttons())
            if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole)
                b->setText(QStringLiteral("OK"));
    return dialog.exec() == QDialog::Accepted;
}

QPushButton* PrintWindowButton(const QString& caption, const QString& hint, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setAutoDefault(false);
    return b;
}
