#include "platform/SerialPorts.h"

#include <QSerialPortInfo>

namespace korvi {

std::vector<SerialPortEntry> QtPortEnumerator::availablePorts() const {
    std::vector<SerialPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortEntry entry;
#ifdef Q_OS_WIN
        entry.device = info.portName();
#else
        entry.device = info.systemLocation();
#endif
        entry.description = info.description();
        entry.manufacturer = info.manufacturer();
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

}  // namespace korvi
