// Setting.ini: the serial line, the bitmap folders, the base colour and the merge mode, read once
// at start-up. The program never writes it.
#pragma once

#include <QString>
#include <cstdint>

namespace korvi {

class MessageBoxes;

struct Settings {
    QString ComPort;     // "COM" followed by PortNo
    QString ComSpeed;    // "19200"
    QString ComParity;   // "E"
    QString ComDataLen;  // "8"
    QString ComStopBit;  // "1"
    QString Device;      // optional device path for the port (not used on Windows)
    int32_t BaseColor = 0;
    QString BmpDir;   // as written in the file
    QString BaseDir;  // as written in the file
    bool MergeMode = false;
};

// Fills `settings` from the file. Returns an empty text on success, or a message for the user
// that names the key and the file when the file cannot be used (a BaseColor that is missing or
// not a number). Unexpected reader failures are reported through `boxes` as they happen.
QString ReadSettingFile(const QString& file, Settings& settings, MessageBoxes& boxes);

}  // namespace korvi
