#include "link/SerialLink.h"

#include "link/HardwareSerialLink.h"
#include "link/SimulatedBox.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>
#include <cerrno>

SerialError::SerialError(const QString& text, int systemError)
    : std::runtime_error(text.toStdString()), error(systemError) {}

QString SerialErrorText(const QString& what, int systemError) {
    QString text = QStringLiteral("%1 (linux error code: %2 - %3)")
                       .arg(what)
                       .arg(systemError)
                       .arg(qt_error_string(systemError));
    if (systemError == EACCES || systemError == EPERM)
        text += QStringLiteral(
            "\nVotre compte n'a pas accès aux ports série : ajoutez-le au groupe dialout "
            "(sudo usermod -a -G dialout $USER), puis fermez la session et reconnectez-vous.");
    return text;
}

namespace {

QStringList SortedOnce(QStringList names) {
    names.removeDuplicates();
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

QStringList MachineSerialPorts() {
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& port : ports)
        names << port.portName();
    return SortedOnce(names);
}

QStringList ChoosablePorts(QStringList ports) {
    ports << SimulatedPortName;
    return SortedOnce(ports);
}

QStringList AvailablePorts() {
    return ChoosablePorts(MachineSerialPorts());
}

QString PortDevicePath(const QString& portName) {
    const QString path =
        portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

QString LossReason::PortError(int systemError) {
    return QStringLiteral("erreur du port (code %1)").arg(systemError);
}

bool PortGoneError(int systemError) {
    return systemError == EIO || systemError == ENXIO || systemError == ENODEV;
}

QString LossReasonOf(int systemError) {
    switch (systemError) {
    case EIO:
        return LossReason::HungUp;
    case ENXIO:
    case ENODEV:
        return LossReason::Vanished;
    default:
        return LossReason::PortError(systemError);
    }
}

QString PortAlias(const QString& portName, const QString& folder) {
    if (portName == SimulatedPortName || folder.isEmpty())
        return {};
    const QString device = PortDevicePath(portName);
    const auto entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries)
        if (entry.canonicalFilePath() == device)
            return entry.absoluteFilePath();
    return {};
}

std::unique_ptr<SerialLink> CreateSerialLink(const QString& portName, QObject* parent) {
    if (portName == SimulatedPortName)
        return std::make_unique<SimulatedBox>(parent);
    return std::make_unique<HardwareSerialLink>(parent);
}
