// The serial ports the system reports, for the port list, and finding a remembered adapter again
// after it came back under another name. The program lists them through the toolkit; tests give
// a fixed list.
#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace korvi {

// What tells one USB serial adapter from another wherever it is plugged in.
struct PortIdentity {
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
    QString serialNumber;
    // Only an adapter with its own serial number can be told from another of its kind.
    bool IsKnown() const { return vendorId && productId && !serialNumber.isEmpty(); }
    bool operator==(const PortIdentity&) const = default;
};

struct SerialPortEntry {
    QString device;  // what the program opens: /dev/serial/by-id/... or /dev/ttyUSB0 (COM3)
    QString description;
    QString manufacturer;
    std::optional<quint16> vendorId;  // USB ids, when the port sits on USB
    std::optional<quint16> productId;
    QString serialNumber;
    QString systemDevice;  // the kernel's name (/dev/ttyUSB0) when `device` is a stable link

    PortIdentity Identity() const { return {vendorId, productId, serialNumber}; }
};

class PortEnumerator {
  public:
    virtual ~PortEnumerator() = default;
    virtual std::vector<SerialPortEntry> availablePorts() const = 0;
};

// The system's ports; USB adapters under their /dev/serial/by-id name where the system gives one,
// which stays the same whichever socket the adapter is plugged into.
class QtPortEnumerator : public PortEnumerator {
  public:
    std::vector<SerialPortEntry> availablePorts() const override;
};

// The identity of the port listed as `device` (under its listed or its kernel name); unknown
// when it is not listed.
PortIdentity IdentityOfPort(const std::vector<SerialPortEntry>& ports, const QString& device);

// The device to open for a port chosen as `device` with `identity`: the listed port with that
// identity (under whatever name it has now), else `device` itself while it exists; empty when
// neither is there.
QString LocatePort(const PortEnumerator& ports, const QString& device,
                   const PortIdentity& identity);

}  // namespace korvi
