#include "core/ProgramLocations.h"

#include "core/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryFile>

namespace ProgramLocations {

namespace {

// The file whose presence marks a folder of the program's data.
const QString MarkerFile = QStringLiteral("aide.hlp");

QString WithSeparator(QString folder) {
    folder = QDir::cleanPath(folder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

bool HoldsData(const QString& folder) {
    return QFileInfo::exists(QDir(folder).filePath(MarkerFile));
}

} // namespace

QString InstalledDataFolder() {
    return QStringLiteral(OSC_INSTALLED_DATA_FOLDER);
}

Folders Locate(const Inputs& inputs) {
    const QString name = QString::fromLatin1(ProgramName);
    const QString own = WithSeparator(inputs.executableFolder);
    QStringList candidates{own};
    if (!inputs.installedData.isEmpty())
        candidates << WithSeparator(QDir(own).filePath(inputs.installedData));
    for (const QString& folder : inputs.dataFolders)
        if (!folder.isEmpty())
            candidates << WithSeparator(folder + u'/' + name);

    Folders folders{own, own};
    for (const QString& candidate : candidates)
        if (HoldsData(candidate)) {
            folders.data = candidate;
            break;
        }
    if (folders.data != own || !inputs.executableFolderWritable)
        folders.settings = WithSeparator(inputs.configHome + u'/' + name);
    return folders;
}

Inputs ForThisProgram(const QString& executableFolder) {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    Inputs inputs;
    inputs.executableFolder = executableFolder;
    inputs.executableFolderWritable = IsWritable(executableFolder);
    inputs.configHome = env.value(QStringLiteral("XDG_CONFIG_HOME"));
    if (!QDir::isAbsolutePath(inputs.configHome))
        inputs.configHome = QDir::homePath() + QStringLiteral("/.config");
    const QString dataDirs =
        env.value(QStringLiteral("XDG_DATA_DIRS"), QStringLiteral("/usr/local/share:/usr/share"));
    for (const QString& folder : dataDirs.split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder))
            inputs.dataFolders << folder;
    return inputs;
}

bool IsWritable(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".ecriture-XXXXXX")));
    return probe.open();
}

void SeedSettingsFile(const Folders& folders) {
    if (folders.settings == folders.data)
        return;
    const QString fileName = QString::fromLatin1(SettingsFile::FileName);
    const QString target = folders.settings + fileName;
    if (QFileInfo::exists(target) || !QDir().mkpath(folders.settings))
        return;
    QFile factory(folders.data + fileName);
    if (!factory.open(QIODevice::ReadOnly))
        return;
    // Written afresh rather than copied: a copy would keep the installed file's read-only
    // permissions.
    const QByteArray content = factory.readAll();
    QFile seeded(target);
    if (!seeded.open(QIODevice::WriteOnly) || seeded.write(content) != content.size()) {
        seeded.close();
        seeded.remove();
    }
}

} // namespace ProgramLocations
