#include "tests/support/SmallDisk.h"

#include <QFile>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

namespace korvi::test {

SmallDisk::SmallDisk(int kibibytes) {
#ifdef Q_OS_LINUX
    if (dir_.isValid()) {
        const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k,mode=0700";
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs",
                           MS_NOSUID | MS_NODEV | MS_NOEXEC, options.constData()) == 0;
    }
#else
    (void)kibibytes;
#endif
}

SmallDisk::~SmallDisk() {
#ifdef Q_OS_LINUX
    if (mounted_) {
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
#endif
}

bool SmallDisk::Fill() const {
    QFile filler(filePath(QStringLiteral("filler")));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        return false;
    }
    const QByteArray block(512, 'f');
    for (int n = 0; n < 1 << 20; ++n) {
        if (filler.write(block) != block.size()) {
            // Whatever part of the last block went in, the disk is now full to the byte.
            return filler.write("f", 1) != 1;
        }
    }
    return false;
}

}  // namespace korvi::test
