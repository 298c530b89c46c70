// COM port names become devices. Ports that do not open say why: no such device, busy, no
// permission, no port number, settings the port cannot take; a lost line says why in Japanese;
// the modem lines are left alone at close.
#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <cstdlib>

#include "platform/FailureText.h"
#include "platform/QtSerialLine.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <termios.h>
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

TEST(SerialDeviceName, MapsComPortsAndHonoursTheDevicePath) {
    SerialConfig config;
    config.portName = QStringLiteral(" COM3 ");
    EXPECT_EQ(SerialDeviceName(config), "/dev/ttyS2");
    for (const char* bad : {"COM", "COM0", "COMx", "LPT1"}) {
        config.portName = QString::fromLatin1(bad);
        EXPECT_TRUE(SerialDeviceName(config).isEmpty()) << bad;
    }
    config.device = QStringLiteral("/dev/ttyUSB0");
    EXPECT_EQ(SerialDeviceName(config), "/dev/ttyUSB0");
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
             "デバイス /nonexistent/ttyKORVI: 見つかりません (No such file or directory)。")},
        {"no port number", Config("COMx"),
         QStringLiteral("ポート名 COMx にポート番号がありません。")},
        {"settings", SerialConfig{"COM1", "/dev/null", "fast", "E", "8", "1"},
         QStringLiteral("/dev/null: 通信設定 fast,E,8,1 は使えません。")},
        {"not a port", Config("COM1", "/dev/null"),
         QStringLiteral("デバイス /dev/null: シリアルポートではありません (Inappropriate ioctl for "
                        "device)。")},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(line.open(c.config)) << c.name;
        EXPECT_EQ(line.lastError(), c.why) << c.name;
    }
    // What only a user without the rights meets (the tests run as root).
    EXPECT_EQ(
        OpenFailureText(QSerialPort::PermissionError, "/dev/ttyS0", "Permission denied", false),
        QStringLiteral("デバイス /dev/ttyS0: 使う権限がありません (Permission denied)。"));
}

// The reasons from the system's error number that the opens and lost lines here do not meet.
TEST(FailureText, EachKindIsSaidInJapaneseWithTheSystemTextAtMostInParentheses) {
    const struct {
        int error;
        const char* text;
    } cases[] = {
        {ENODEV, "ファイル a: 取り外されました。"},
        {ENOSPC, "ファイル a: ディスクに空きがありません。"},
        {EROFS, "ファイル a: 書き込みできない場所です。"},
        {EIO, "ファイル a: 読み書きに失敗しました。"},
        {EINVAL, "ファイル a: 原因のわからないエラーです。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FailureText(QStringLiteral("ファイル a"), FailureKindOfErrno(c.error)),
                  QString::fromUtf8(c.text))
            << c.error;
    }
    EXPECT_EQ(FailureKindOfSystemText(QStringLiteral("Unknown error")), FailureKind::Other);
    // A lost line never shows the port's own text, which names whatever call failed last.
    EXPECT_EQ(LostLineText(QSerialPort::ResourceError, "/dev/ttyUSB0", true),
              QStringLiteral("デバイス /dev/ttyUSB0: 取り外されました。"));
    EXPECT_EQ(LostLineText(QSerialPort::ReadError, "/dev/pts/3", false),
              QStringLiteral("デバイス /dev/pts/3: 取り外されました。"));
    EXPECT_EQ(LostLineText(QSerialPort::ReadError, "/dev/ttyS0", true),
              QStringLiteral("デバイス /dev/ttyS0: 読み書きに失敗しました。"));
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
              QStringLiteral("デバイス %1: 他のプログラムが使用中です (Permission error while "
                             "locking the device)。")
                  .arg(device));
    first.close();
    EXPECT_TRUE(second.open(Config("COM1", device)));
    second.close();
}

// Closing must not hang up (HUPCL drops DTR and RTS): the line clears it when it opens and does
// not put the terminal's old settings, HUPCL among them, back when it closes.
TEST(QtSerialLineOpen, TheLineNeverHangsUpOnClose) {
    const Pty pty;
    ASSERT_FALSE(pty.device.isEmpty());
    const auto hangsUp = [&] {
        termios tio{};  // the controller's end reads the device's settings
        return ::tcgetattr(pty.controller, &tio) == 0 && (tio.c_cflag & HUPCL) != 0;
    };
    termios tio{};  // as a serial port comes: hanging up on close
    ASSERT_EQ(::tcgetattr(pty.controller, &tio), 0);
    tio.c_cflag |= HUPCL;
    ASSERT_EQ(::tcsetattr(pty.controller, TCSANOW, &tio), 0);
    ASSERT_TRUE(hangsUp());
    QtSerialLine line;
    ASSERT_TRUE(line.open(Config("COM1", pty.device))) << line.lastError().toStdString();
    EXPECT_FALSE(hangsUp());
    line.close();
    EXPECT_FALSE(hangsUp());
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
        line.close();
    }
}
#endif

}  // namespace
}  // namespace korvi
