// A disk of a few kilobytes (a tmpfs mounted on a temporary folder) that a test can fill up, to
// see what the program does when a write finds no room. Mounting needs the right to do so (root,
// as in CI); a test skips when the disk could not be made.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace korvi::test {

class SmallDisk {
  public:
    explicit SmallDisk(int kibibytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    // Takes every byte that is left with a filler file; false when the disk still had room.
    bool Fill() const;

  private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

}  // namespace korvi::test
