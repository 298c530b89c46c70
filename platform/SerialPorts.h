// The serial ports the system reports, for the port list. The program lists them through the
// toolkit; tests give a fixed list.
#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace korvi {

struct SerialPortEntry {
    QString device;  // what the program opens: /dev/ttyUSB0 (COM3 on Windows)
    QString description;
    QString manufacturer;
    std::optional<quint16> vendorId;  // USB ids, when the port sits on USB
    std::optional<quint16> productId;
};

class PortEnumerator {
  public:
    virtual ~PortEnumerator() = default;
    virtual std::vector<SerialPortEntry> availablePorts() const = 0;
};

class QtPortEnumerator : public PortEnumerator {
  public:
    std::vector<SerialPortEntry> availablePorts() const override;
};

}  // namespace korvi
