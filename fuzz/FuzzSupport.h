// What the fuzz targets share: a check that stops the run with a message (libFuzzer keeps the
// input that did it), message boxes that only count, and the input seen as a text.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/MessageBoxes.h"

namespace korvi::fuzz {

inline void Expect(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

class CountingBoxes : public MessageBoxes {
  public:
    void show(const QString&, const QString&, BoxIcon) override { ++shown; }
    int shown = 0;
};

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

}  // namespace korvi::fuzz
