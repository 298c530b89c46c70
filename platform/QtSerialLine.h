// The serial line on QSerialPort. On Windows "COMn" is opened as is; elsewhere the configured
// device path is used, or "COMn" maps to /dev/ttyS(n-1).
//
//   QtSerialLine line;
//   if (!line.open(config)) { show(line.lastError()); }
//   connect(&line, &SerialLine::readyRead, ...);   // then line.readAll()
//   connect(&line, &SerialLine::lineLost, ...);    // once; the port is closed by then
#pragma once

#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

#include "platform/SerialLine.h"

namespace korvi {

// The device to open for a configuration, or an empty text when the port name carries no usable
// port number ("COM", "COM-1", "COMx").
QString SerialDeviceName(const SerialConfig& config);

// The serial control's event code for a port error that leaves the line open (-1, an undefined
// event, for errors without a code of their own); 0 for errors that are no line event.
int LineEventCode(QSerialPort::SerialPortError error);

// Why a port did not open, in the user's words: no such device, busy, no permission, or the
// port's own reason. `accessible` tells a busy device (one this program may use) from one it may
// not use at all, which the port reports alike.
QString OpenFailureText(QSerialPort::SerialPortError error, const QString& device,
                        const QString& systemText, bool accessible);

// Why a line that was open is lost: the device was removed (it is gone, or the port says its
// resource went away), or reading it failed.
QString LostLineText(QSerialPort::SerialPortError error, const QString& device, bool present);

class QtSerialLine : public SerialLine {
    Q_OBJECT
  public:
    explicit QtSerialLine(QObject* parent = nullptr);
    ~QtSerialLine() override;

    bool open(const SerialConfig& config) override;
    bool isOpen() const override;
    void close() override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    qint64 bytesWaiting() const override;
    void takeWaiting() override;
    QString lastError() const override { return lastError_; }

    // After each notification the port is not watched for this long, so that characters
    // arriving meanwhile are read and handled together: a fast sender then wakes the program
    // about once per interval instead of once per line.
    static constexpr int kGatherMs = 2;
    // A notification bringing at least this much is read on without the interval.
    static constexpr int kBusyBytes = 2048;

  private:
    void onError(QSerialPort::SerialPortError error);
    void onPortReadyRead();
    void ClearModemLines();

    QSerialPort port_;
    QPointer<QSocketNotifier> readWatch_;  // the port's own read notifier, where it has one
    QTimer gather_;
    QString lastError_;
    QString device_;  // the device opened last
    bool lost_ = false;
};

}  // namespace korvi
