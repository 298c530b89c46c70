#include "tests/support/FakeSerialLine.h"

#include <QMetaObject>

namespace korvi::test {

bool FakeSerialLine::open(const SerialConfig& config) {
    ++openCount;
    lastConfig = config;
    if (!openSucceeds) {
        open_ = false;
        lastError_ = openError;
        return false;
    }
    lastError_.clear();
    incoming_.clear();  // a real open discards pending input
    open_ = true;
    return true;
}

void FakeSerialLine::close() {
    if (open_) {
        ++closeCount;
    }
    open_ = false;
}

bool FakeSerialLine::write(const QByteArray& bytes) {
    if (!open_ || !writeSucceeds) {
        return false;
    }
    written += bytes;
    writes << bytes;
    return true;
}

QByteArray FakeSerialLine::readAll() {
    QByteArray bytes;
    bytes.swap(incoming_);
    return bytes;
}

void FakeSerialLine::pushIncoming(const QByteArray& bytes) {
    if (!open_) {
        return;
    }
    incoming_ += bytes;
    if (notifyQueued_) {
        return;
    }
    notifyQueued_ = true;
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

void FakeSerialLine::loseLine(const QString& reason) {
    if (!open_) {
        return;
    }
    close();
    emit lineLost(reason);
}

}  // namespace korvi::test
