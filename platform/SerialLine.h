// The serial line to the controller. The program opens it with the configured settings, writes
// commands, and reads whatever has arrived when told that characters are waiting. Notifications
// arrive on the user-interface thread.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace korvi {

struct SerialConfig {
    QString portName;  // "COM3" as the settings give it, or a device path
    QString device;    // optional device path that overrides the name's mapping (not on Windows)
    QString speed;     // "19200"
    QString parity;    // "E", "N", "O", "M", "S"
    QString dataBits;  // "8"
    QString stopBits;  // "1", "1.5", "2"
};

class SerialLine : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    ~SerialLine() override = default;

    virtual bool open(const SerialConfig& config) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    virtual bool write(const QByteArray& bytes) = 0;
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesWaiting() const = 0;
    // Takes in what the device already holds, without waiting; readyRead follows at once when
    // anything came. An exchange that has emptied its queue asks for this instead of going back
    // to wait for the next notification. Does nothing where the line cannot tell.
    virtual void takeWaiting() {}
    // Why the last open failed, in the user's words (for the status bar and the monitor).
    virtual QString lastError() const = 0;

  signals:
    // Characters are waiting to be read.
    void readyRead();
    // The line was lost (device unplugged, the other end hung up). Emitted once; the line is
    // closed by then.
    void lineLost(const QString& reason);
    // A line condition other than data (framing, parity, overrun, break ...), with the serial
    // control's event code.
    void lineEvent(int code);
};

}  // namespace korvi
