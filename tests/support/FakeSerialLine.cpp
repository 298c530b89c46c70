#include "tests/support/FakeSerialLine.h"

#include <QMetaObject>

namespace korvi::test {

void FakeSerialLine::pushIncoming(const QByteArray& bytes) {
    if (!open_) {
        return;
    }
    incoming_ += bytes;
    if (!std::exchange(notifyQueued_, true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                notifyQueued_ = false;
                if (open_ && !incoming_.isEmpty()) {
                    emit readyRead();
                }
            },
            Qt::QueuedConnection);
    }
}

}  // namespace korvi::test
