// Ports that do not open say why: no such device, busy, no permission, no port number, settings
// the port cannot take.
#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QThread>
#include <cstdlib>

#include "platform/QtSerialLine.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace korvi {
namespace {

SerialConfig Config(const QString& port, const QString& device = {}) {
    return SerialConfig{port,
                        device,
                        QStringLiteral("19200"),
                        QStringLiteral("E"),
                        QStringLiteral("8"),
                        QStringLiteral("1")};
}

TEST(QtSerialLineOpen, AFailedOpenSaysWhy) {
    QtSerialLine line;
    struct Case {
        const char* name;
        SerialConfig config;
        QString why;
    } cases[] = {
        {"no such device", Config("COM1", "/nonexistent/ttyKORVI"),
         QStringLiteral(
             "デバイス /nonexistent/ttyKORVI がありません (No such file or directory)。")},
        {"no port number", Config("COMx"),
         QStringLiteral("ポート名 COMx にポート番号がありません。")},
        {"settings", SerialConfig{"COM1", "/dev/null", "fast", "E", "8", "1"},
         QStringLiteral("/dev/null: 通信設定 fast,E,8,1 は使えません。")},
        {"not a port", Config("COM1", "/dev/null"),
         QStringLiteral("デバイス /dev/null を開けません (Inappropriate ioctl for device)。")},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(line.open(c.config)) << c.name;
        EXPECT_EQ(line.lastError(), c.why) << c.name;
    }
    // What only a user without the rights meets (the tests run as root).
    EXPECT_EQ(
        OpenFailureText(QSerialPort::PermissionError, "/dev/ttyS0", "Permission denied", false),
        QStringLiteral("デバイス /dev/ttyS0 を使う権限がありません (Permission denied)。"));
}

#ifdef Q_OS_UNIX
// A pseudo-terminal: the controller's end held here, the device a line opens.
struct Pty {
    Pty() : controller(::posix_openpt(O_RDWR | O_NOCTTY)) {
        const bool ok =
            controller >= 0 && ::grantpt(controller) == 0 && ::unlockpt(controller) == 0;
        device = ok ? QFile::decodeName(::ptsname(controller)) : QString();
    }
    ~Pty() { ::close(controller); }
    int controller;
    QString device;
};

TEST(QtSerialLineOpen, APortAnotherLineHoldsIsBusy) {
    const Pty pty;
    ASSERT_FALSE(pty.device.isEmpty());
    const QString& device = pty.device;
    QtSerialLine first;
    QtSerialLine second;
    ASSERT_TRUE(first.open(Config("COM1", device))) << first.lastError().toStdString();
    EXPECT_FALSE(second.open(Config("COM1", device)));
    EXPECT_EQ(second.lastError(),
              QStringLiteral("デバイス %1 は他のプログラムが使用中です (Permission error while "
                             "locking the device)。")
                  .arg(device));
    first.close();
    EXPECT_TRUE(second.open(Config("COM1", device)));
    second.close();
}

// After each notification the line is not watched for a moment; what arrives then, and what
// arrives after the line is opened again, is still read.
TEST(QtSerialLineRead, CharactersAfterAPauseAreRead) {
    const Pty pty;
    ASSERT_FALSE(pty.device.isEmpty());
    const QString& device = pty.device;
    const int controller = pty.controller;
    QtSerialLine line;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(line.open(Config("COM1", device))) << line.lastError().toStdString();
        QSignalSpy ready(&line, &SerialLine::readyRead);
        QByteArray received;
        for (const char* chunk : {"d0\r", "d1\r", "d2\r"}) {
            ASSERT_EQ(::write(controller, chunk, 3), 3);
            while (!received.endsWith(chunk) && ready.wait(2000)) {
                received += line.readAll();
            }
        }
        EXPECT_EQ(received, QByteArray("d0\rd1\rd2\r")) << "round " << round;
        // Asked, the line takes in what the device holds at once, with its notification,
        // without a pass of the event loop; with nothing held it neither waits nor notifies.
        ASSERT_EQ(::write(controller, "d3\r", 3), 3);
        QSignalSpy notified(&line, &SerialLine::readyRead);
        QByteArray taken;
        for (int tries = 0; tries < 2000 && taken.isEmpty(); ++tries) {
            line.takeWaiting();
            taken = line.readAll();
            QThread::usleep(100);
        }
        EXPECT_EQ(taken, QByteArray("d3\r"));
        EXPECT_EQ(notified.count(), 1);
        line.takeWaiting();
        EXPECT_EQ(notified.count(), 1);
        line.close();
    }
}
#endif

}  // namespace
}  // namespace korvi
