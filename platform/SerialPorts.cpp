#include "platform/SerialPorts.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace korvi {

std::vector<SerialPortEntry> QtPortEnumerator::availablePorts() const {
    // The stable names the system keeps for USB adapters, by the device they point at.
    QHash<QString, QString> stable;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files)) {
        stable.insert(link.canonicalFilePath(), link.absoluteFilePath());
    }
    std::vector<SerialPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortEntry entry;
#ifdef Q_OS_WIN
        entry.device = info.portName();
#else
        entry.device = stable.value(info.systemLocation(), info.systemLocation());
        if (entry.device != info.systemLocation()) {
            entry.systemDevice = info.systemLocation();
        }
#endif
        entry.description = info.description();
        entry.manufacturer = info.manufacturer();
        entry.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier()) {
            entry.vendorId = info.vendorIdentifier();
        }
        if (info.hasProductIdentifier()) {
            entry.productId = info.productIdentifier();
        }
        ports.push_back(entry);
    }
    return ports;
}

PortIdentity IdentityOfPort(const std::vector<SerialPortEntry>& ports, const QString& device) {
    const QString canonical = QFileInfo(device).canonicalFilePath();
    for (const SerialPortEntry& port : ports) {
        if (port.device == device ||
            (!port.systemDevice.isEmpty() && port.systemDevice == device) ||
            (!canonical.isEmpty() &&
             (port.device == canonical || port.systemDevice == canonical))) {
            return port.Identity();
        }
    }
    return {};
}

QString LocatePort(const PortEnumerator& ports, const QString& device,
                   const PortIdentity& identity) {
    const std::vector<SerialPortEntry> listed = ports.availablePorts();
    if (identity.IsKnown()) {
        for (const SerialPortEntry& port : listed) {
            if (port.Identity() == identity) {
                return port.device;
            }
        }
        // Another adapter under the old name is not the one chosen.
        if (IdentityOfPort(listed, device).IsKnown()) {
            return {};
        }
    }
#ifdef Q_OS_WIN
    return device;  // "COM3" is no file; opening it tells whether it is there
#else
    return QFileInfo::exists(device) ? device : QString();
#endif
}

}  // namespace korvi
