// Readable test failures: GoogleTest prints QString, QStringList and QByteArray as their text
// (UTF-8, quoted) instead of a dump of their bytes. Included into every test source by the build,
// so that every test sees the same printers.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        *os << (i == 0 ? " " : ", ");
        PrintTo(list[i], os);
    }
    *os << (list.isEmpty() ? "}" : " }");
}
