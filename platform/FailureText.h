// Why something the program tried failed, in the user's words: a file or device operation's
// failure is sorted into a kind (not found, removed, busy, no permission, disk full ...) and said
// in Japanese; the system's own text may follow in parentheses, never alone.
//
//   FailureText(QStringLiteral("デバイス /dev/ttyUSB0"), FailureKind::Busy, port.errorString())
//     -> "デバイス /dev/ttyUSB0: 他のプログラムが使用中です (Device or resource busy)。"
#pragma once

#include <QString>

namespace korvi {

enum class FailureKind {
    NotFound,      // no such file or device
    Removed,       // the device went away while in use
    Busy,          // another program holds it
    NoPermission,  // this user may not use it
    DiskFull,      // no room left on the disk
    ReadOnly,      // the place cannot be written
    NotAPort,      // the device is no serial port
    IoError,       // the device or disk failed to read or write
    Other,         // none of the above
};

// The kind of a system error number (errno).
FailureKind FailureKindOfErrno(int error);
// The kind of a failure the toolkit reports only as the system's text (file and port errors carry
// the text of the error number, not the number).
FailureKind FailureKindOfSystemText(const QString& systemText);
// The reason alone, in Japanese.
QString FailureReason(FailureKind kind);
// "<subject>: <reason> (<system text>)。", without the parentheses when the text is empty.
QString FailureText(const QString& subject, FailureKind kind, const QString& systemText = {});

}  // namespace korvi
