// An in-memory serial line for unit tests: the test pushes bytes in (readyRead follows from the
// event loop, as from a real port), reads back what the program wrote, and can raise a line event.
#pragma once

#include <QByteArray>
#include <utility>

#include "platform/SerialLine.h"

namespace korvi::test {

class FakeSerialLine : public SerialLine {
    Q_OBJECT
  public:
    using SerialLine::SerialLine;

    bool open(const SerialConfig& config) override {
        opened = config;
        incoming_.clear();  // a real open discards pending input
        return open_ = true;
    }
    bool isOpen() const override { return open_; }
    void close() override { open_ = false; }
    bool write(const QByteArray& bytes) override {
        written += open_ ? bytes : QByteArray();
        return open_;
    }
    QByteArray readAll() override { return std::exchange(incoming_, {}); }
    qint64 bytesWaiting() const override { return incoming_.size(); }
    QString lastError() const override { return {}; }

    // Bytes from the controller; readyRead is queued (once for bytes arriving together).
    void pushIncoming(const QByteArray& bytes);
    void raiseLineEvent(int code) { emit lineEvent(code); }

    QByteArray written;   // everything written, in order
    SerialConfig opened;  // the settings of the last open

  private:
    bool open_ = false;
    bool notifyQueued_ = false;
    QByteArray incoming_;
};

}  // namespace korvi::test
