// The serial device the user picked from the port list, with the adapter's USB identity, kept in
// the user's own settings store (the toolkit's per-user settings), one choice per application
// folder, so that a demo folder or a second setup is not pointed at the adapter chosen for
// another; and whether a lost line is reconnected, one choice per user. Setting.ini is never
// written.
#pragma once

#include <QString>

#include "platform/SerialPorts.h"

namespace korvi {

class RememberedPort {
  public:
    explicit RememberedPort(QString appFolder);

    // The remembered device path; empty when the user has chosen none.
    QString device() const;
    // The identity of the adapter chosen with it (unknown for a typed path).
    PortIdentity identity() const;
    // Remembers `device` and its adapter; an empty text forgets the choice (Setting.ini decides
    // again).
    void remember(const QString& device, const PortIdentity& identity = {}) const;

    // "接続が切れたら自動で再接続する"; off until the user turns it on.
    bool reconnect() const;
    void setReconnect(bool on) const;

  private:
    QString key_;
    QString identityKey_;
};

}  // namespace korvi
