// The sound-file check on any bytes: it ends after a bounded number of chunks and either accepts
// the file or says why not.
#include <QBuffer>

#include "fuzz/FuzzSupport.h"
#include "platform/WavFile.h"

using namespace korvi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes = fuzz::Bytes(data, size);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QString problem = WavFileProblem(buffer);
    if (problem.isEmpty()) {
        fuzz::Expect(bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE", "a RIFF WAVE file");
    }
    return 0;
}
