#include "platform/QtSerialLine.h"

#include <QFile>
#include <QFileInfo>
#include <limits>

#include "platform/FailureText.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace korvi {

namespace {

#ifdef Q_OS_UNIX
// The port puts back at close the terminal settings it found at open, and HUPCL among them hangs
// the line up at every close (DTR and RTS drop). It is cleared before the port opens the device.
// (Opening raises DTR and RTS here as the port's own open does; they stay up until cleared.)
void DropHangUpOnClose(const QString& device) {
    const int fd =
        ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return;  // the port's own open says why
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0 && (tio.c_cflag & HUPCL) != 0) {
        tio.c_cflag &= ~tcflag_t(HUPCL);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    ::close(fd);
}
#endif

bool PortNumber(const QString& portName, int& number) {
    const QString trimmed = portName.trimmed();
    if (!trimmed.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        return false;
    }
    bool ok = false;
    const int n = trimmed.mid(3).trimmed().toInt(&ok);
    if (!ok || n < 1 || n > std::numeric_limits<int16_t>::max()) {
        return false;
    }
    number = n;
    return true;
}

bool ParseParity(const QString& text, QSerialPort::Parity& parity) {
    const QString p = text.trimmed().toUpper();
    if (p == u"N") {
        parity = QSerialPort::NoParity;
    } else if (p == u"E") {
        parity = QSerialPort::EvenParity;
    } else if (p == u"O") {
        parity = QSerialPort::OddParity;
    } else if (p == u"M") {
        parity = QSerialPort::MarkParity;
    } else if (p == u"S") {
        parity = QSerialPort::SpaceParity;
    } else {
        return false;
    }
    return true;
}

bool ParseDataBits(const QString& text, QSerialPort::DataBits& bits) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 5 || n > 8) {
        return false;
    }
    bits = static_cast<QSerialPort::DataBits>(n);
    return true;
}

bool ParseStopBits(const QString& text, QSerialPort::StopBits& bits) {
    const QString s = text.trimmed();
    if (s == u"1") {
        bits = QSerialPort::OneStop;
    } else if (s == u"1.5") {
        bits = QSerialPort::OneAndHalfStop;
    } else if (s == u"2") {
        bits = QSerialPort::TwoStop;
    } else {
        return false;
    }
    return true;
}

}  // namespace

QString SerialDeviceName(const SerialConfig& config) {
    int number = 0;
#ifdef Q_OS_WIN
    if (!PortNumber(config.portName, number)) {
        return {};
    }
    return QStringLiteral("COM%1").arg(number);
#else
    if (!config.device.trimmed().isEmpty()) {
        return config.device.trimmed();
    }
    if (config.portName.trimmed().startsWith(u'/')) {
        return config.portName.trimmed();
    }
    if (!PortNumber(config.portName, number)) {
        return {};
    }
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

QString OpenFailureText(QSerialPort::SerialPortError error, const QString& device,
                        const QString& systemText, bool accessible) {
    FailureKind kind = FailureKind::Other;
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            kind = FailureKind::NotFound;
            break;
        case QSerialPort::PermissionError:
            kind = accessible ? FailureKind::Busy : FailureKind::NoPermission;
            break;
        default:
            kind = FailureKindOfSystemText(systemText);
            break;
    }
    return FailureText(QStringLiteral("デバイス %1").arg(device), kind, systemText);
}

QString LostLineText(QSerialPort::SerialPortError error, const QString& device, bool present) {
    // The port's own text at this point describes whatever call failed last ("Inappropriate
    // ioctl for device" for a pulled adapter), not the loss, so it is not shown.
    const FailureKind kind = !present || error == QSerialPort::ResourceError ? FailureKind::Removed
                                                                             : FailureKind::IoError;
    return FailureText(QStringLiteral("デバイス %1").arg(device), kind);
}

int LineEventCode(QSerialPort::SerialPortError error) {
    // Qt no longer reports parity, framing, break or overrun conditions; what is left that keeps
    // the line open is a failed write or an error Qt cannot classify, both shown as undefined.
    switch (error) {
        case QSerialPort::WriteError:
        case QSerialPort::UnknownError:
            return -1;
        default:
            return 0;
    }
}

QtSerialLine::QtSerialLine(QObject* parent) : SerialLine(parent) {
    // Read at most this much ahead of the program: what it has not taken yet waits in the
    // device, so a fast sender is slowed down rather than piling up in memory.
    port_.setReadBufferSize(16 * 1024);
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialLine::onPortReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialLine::onError);
    gather_.setSingleShot(true);
    gather_.setTimerType(Qt::PreciseTimer);
    gather_.setInterval(kGatherMs);
    connect(&gather_, &QTimer::timeout, this, [this] {
        if (readWatch_ && port_.isOpen()) {
            readWatch_->setEnabled(true);
        }
    });
}

void QtSerialLine::onPortReadyRead() {
    // A notification that brings a large block means the sender is ahead of the program: the
    // device is drained again at once instead of after the gathering interval.
    const bool busy = port_.bytesAvailable() >= kBusyBytes;
    emit readyRead();
    if (!port_.isOpen()) {
        return;
    }
    if (!readWatch_) {
        // The port may also own a write notifier: take the one that watches for characters.
        const auto notifiers = port_.findChildren<QSocketNotifier*>();
        for (QSocketNotifier* notifier : notifiers) {
            if (notifier->type() == QSocketNotifier::Read) {
                readWatch_ = notifier;
                break;
            }
        }
    }
    // The port keeps its notifier on while it has room; it is switched off here for the
    // gathering interval and on again when the interval ends (a read in between may switch it
    // on earlier, which only costs one early wake).
    if (!busy && readWatch_ && readWatch_->type() == QSocketNotifier::Read &&
        readWatch_->isEnabled()) {
        readWatch_->setEnabled(false);
        gather_.start();
    }
}

QtSerialLine::~QtSerialLine() {
    // Quietly: nobody listens for signals of a line that is going away.
    port_.disconnect(this);
    port_.close();
}

bool QtSerialLine::open(const SerialConfig& config) {
    if (port_.isOpen()) {
        port_.close();
    }
    lastError_.clear();
    lost_ = false;
    gather_.stop();
    readWatch_ = nullptr;

    const QString device = SerialDeviceName(config);
    if (device.isEmpty()) {
        lastError_ =
            QStringLiteral("ポート名 %1 にポート番号がありません。").arg(config.portName.trimmed());
        return false;
    }
    bool ok = false;
    const int speed = config.speed.trimmed().toInt(&ok);
    QSerialPort::Parity parity{};
    QSerialPort::DataBits dataBits{};
    QSerialPort::StopBits stopBits{};
    if (!ok || speed <= 0 || !ParseParity(config.parity, parity) ||
        !ParseDataBits(config.dataBits, dataBits) || !ParseStopBits(config.stopBits, stopBits)) {
        lastError_ =
            QStringLiteral("%1: 通信設定 %2,%3,%4,%5 は使えません。")
                .arg(device, config.speed, config.parity, config.dataBits, config.stopBits);
        return false;
    }

    // Everything that a pseudo-terminal might refuse once open is set before opening.
    port_.setPortName(device);
    port_.setBaudRate(speed);
    port_.setParity(parity);
    port_.setDataBits(dataBits);
    port_.setStopBits(stopBits);
    port_.setFlowControl(QSerialPort::NoFlowControl);
#ifdef Q_OS_UNIX
    DropHangUpOnClose(device);
#endif
    if (!port_.open(QIODevice::ReadWrite)) {
        bool accessible = true;
#ifdef Q_OS_UNIX
        // The port says "permission" both for a device locked by another program and for one
        // this user may not open; the file's access rights tell them apart.
        accessible = ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
#endif
        // (Elsewhere a port refuses access only while another program holds it.)
        lastError_ = OpenFailureText(port_.error(), device, port_.errorString(), accessible);
        port_.clearError();
        return false;
    }
    device_ = device;
    ClearModemLines();
    port_.clear(QSerialPort::Input);
    port_.clearError();
    return port_.isOpen();
}

void QtSerialLine::ClearModemLines() {
#ifdef Q_OS_UNIX
    // DTR and RTS go off the moment the port is open, in one call, before anything else touches
    // the line (the system raises them while opening; nothing earlier can keep them down). A
    // pseudo-terminal has no modem lines and refuses, which is harmless.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(port_.handle(), TIOCMBIC, &lines);
#else
    // A real port takes these; a port that cannot refuses them, which is harmless.
    port_.setDataTerminalReady(false);
    port_.setRequestToSend(false);
#endif
}

bool QtSerialLine::isOpen() const {
    return port_.isOpen();
}

void QtSerialLine::close() {
    gather_.stop();
    if (port_.isOpen()) {
        // Hand what is still buffered (the stop command) to the device before letting go of it.
        port_.flush();
        port_.close();
    }
}

bool QtSerialLine::write(const QByteArray& bytes) {
    if (!port_.isOpen()) {
        return false;
    }
    // Commands are short and must leave at once, not at the next pass of the event loop.
    const bool written = port_.write(bytes) == bytes.size();
    port_.flush();
    return written;
}

QByteArray QtSerialLine::readAll() {
    return port_.isOpen() ? port_.readAll() : QByteArray();
}

qint64 QtSerialLine::bytesWaiting() const {
    return port_.isOpen() ? port_.bytesAvailable() : 0;
}

void QtSerialLine::takeWaiting() {
#ifdef Q_OS_UNIX
    // The device says how much it holds; only then is it read (a read that finds nothing would
    // report a time-out).
    int waiting = 0;
    if (port_.isOpen() && ::ioctl(port_.handle(), FIONREAD, &waiting) == 0 && waiting > 0) {
        port_.waitForReadyRead(0);
    }
#endif
}

void QtSerialLine::onError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::NoError:
        case QSerialPort::UnsupportedOperationError:
        case QSerialPort::TimeoutError:
            return;
        case QSerialPort::ReadError:
        case QSerialPort::ResourceError: {
            // The port repeats this error in a tight loop until it is closed: close on the
            // first and report the loss once. What the port took in before is handed on first.
            if (port_.isOpen() && port_.bytesAvailable() > 0 && !lost_) {
                emit readyRead();
            }
            if (port_.isOpen()) {
                port_.close();
            }
            if (!lost_) {
                lost_ = true;
                emit lineLost(LostLineText(error, device_, QFileInfo::exists(device_)));
            }
            return;
        }
        default:
            break;
    }
    if (port_.isOpen()) {
        const int code = LineEventCode(error);
        if (code != 0) {
            emit lineEvent(code);
        }
    }
}

}  // namespace korvi
