// An in-memory serial line for unit tests: the test pushes bytes in (readyRead follows from the
// event loop, as from a real port), reads back what the program wrote, and can make the line
// fail to open, lose the line or raise a line event.
//
//   FakeSerialLine line;
//   line.pushIncoming("r00\r\n");
//   QCoreApplication::processEvents();   // readyRead is delivered here
//   EXPECT_EQ(line.written, "r\r");
#pragma once

#include <QByteArray>
#include <QList>

#include "platform/SerialLine.h"

namespace korvi::test {

class FakeSerialLine : public SerialLine {
    Q_OBJECT
  public:
    using SerialLine::SerialLine;

    bool open(const SerialConfig& config) override;
    bool isOpen() const override { return open_; }
    void close() override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    qint64 bytesWaiting() const override { return incoming_.size(); }
    QString lastError() const override { return lastError_; }

    // Bytes from the controller; readyRead is queued (once for bytes arriving together).
    void pushIncoming(const QByteArray& bytes);
    // The other end hangs up: the line closes and lineLost is emitted once.
    void loseLine(const QString& reason = QStringLiteral("hung up"));
    void raiseLineEvent(int code) { emit lineEvent(code); }

    // Answers of the next open and of writes.
    bool openSucceeds = true;
    QString openError = QStringLiteral("cannot open");
    bool writeSucceeds = true;

    // What the program did.
    int openCount = 0;
    int closeCount = 0;
    SerialConfig lastConfig;
    QByteArray written;        // everything written, in order
    QList<QByteArray> writes;  // one entry per write call

  private:
    bool open_ = false;
    bool notifyQueued_ = false;
    QByteArray incoming_;
    QString lastError_;
};

}  // namespace korvi::test
