#include "output/SaveFileDialog.h"

#include "core/ErrorGuard.h"
#include "core/Messages.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

std::optional<QString> RunSaveFileDialog(QWidget* parent, const SaveRequest& request) {
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.folder.isEmpty() && QDir(request.folder).exists())
        dialog.setDirectory(request.folder);
    dialog.selectFile(request.proposedName);
    // Recording the folder saves the settings file, which may fail: the error is reported
    // and the dialog stays open, so the picture can still be saved.
    if (request.folderChanged)
        QObject::connect(
            &dialog, &QFileDialog::directoryEntered, &dialog,
            GuardedSlot([&](const QString& folder) { request.folderChanged(folder); }));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

bool AskOverwrite(QWidget* parent) {
    return AskYesNo(OverwriteQuestion, parent);
}

bool AskYesNo(const QString& text, QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, Messages::Title(Messages::Kind::Warning), text,
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

OutputPrompts DialogPrompts(QWidget* parent) {
    OutputPrompts prompts;
    prompts.chooseFile = [parent](const SaveRequest& request) {
        return RunSaveFileDialog(parent, request);
    };
    prompts.confirmOverwrite = [parent] { return AskOverwrite(parent); };
    return prompts;
}
