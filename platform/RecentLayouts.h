// The layouts a user loaded or saved last, newest first, kept in the user's own settings store
// (the toolkit's per-user settings, as the chosen port is), for the file menu's "最近使った配置".
#pragma once

#include <QString>
#include <QStringList>

namespace korvi {

inline constexpr int kRecentLayoutCount = 5;

// The list after `path` was used: it comes first, an earlier entry for the same file goes, and
// no more than kRecentLayoutCount are kept.
QStringList WithRecentLayout(const QStringList& list, const QString& path);

class RecentLayouts {
  public:
    QStringList list() const;
    void add(const QString& path) const;
    // Forgets a file that is gone or no longer loads.
    void remove(const QString& path) const;
};

}  // namespace korvi
