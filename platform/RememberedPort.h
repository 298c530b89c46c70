// The serial device the user picked from the port list, kept in the user's own settings store
// (the toolkit's per-user settings), one choice per application folder, so that a demo folder or a
// second setup is not pointed at the adapter chosen for another. Setting.ini is never written.
#pragma once

#include <QString>

namespace korvi {

class RememberedPort {
  public:
    explicit RememberedPort(QString appFolder);

    // The remembered device path; empty when the user has chosen none.
    QString device() const;
    // Remembers `device`; an empty text forgets the choice (Setting.ini decides again).
    void remember(const QString& device) const;

  private:
    QString key_;
};

}  // namespace korvi
