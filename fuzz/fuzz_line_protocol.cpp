// The receive side of the line protocol: the stream cut into pieces of sizes the input chooses
// must give the lines a plain split at CR LF gives, with the unfinished rest kept pending; every
// line decodes to a reading within the protocol's field widths.
#include <QList>

#include "fuzz/FuzzSupport.h"
#include "link/LineProtocol.h"

using namespace korvi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte chooses the piece sizes (1 to 16 bytes, cycling), the rest is the stream.
    const int step = data[0] % 16 + 1;
    const QByteArray stream = fuzz::Bytes(data + 1, size - 1);
    if (stream.size() > 8000) {
        return 0;  // longer streams meet the pending cap, which is another rule
    }

    ReceiveState state;
    BufferClass buffer;
    buffer.SetSize(4001);  // room for every line of the stream
    for (qsizetype at = 0, n = 0; at < stream.size(); at += step + n % 3, ++n) {
        SplitReceivedLines(stream.mid(at, step + n % 3), state, buffer);
    }

    QList<QByteArray> lines;
    QByteArray current;
    for (qsizetype i = 0; i < stream.size(); ++i) {
        if (stream[i] == '\n' && !current.isEmpty() && current.back() == '\r') {
            current.chop(1);
            lines << current;
            current.clear();
        } else {
            current += stream[i];
        }
    }
    fuzz::Expect(state.RxPending == current, "the unfinished line is kept pending");
    fuzz::Expect(buffer.Count() == lines.size(), "every complete line is stored once");
    for (const QByteArray& line : lines) {
        QString text;
        fuzz::Expect(buffer.TakeData(text), "a stored line can be taken");
        fuzz::Expect(text == QString::fromLatin1(line), "lines come out whole and in order");
        const Reading r = DecodeDataLine(text);
        fuzz::Expect(r.RxSensor >= 0 && r.RxSensor <= 15, "sensor is one hex digit");
        fuzz::Expect(r.RxPress >= 0 && r.RxPress <= 255, "pressure is two hex digits");
        fuzz::Expect(r.RxX >= 0 && r.RxX <= 4095 && r.RxY >= 0 && r.RxY <= 4095,
                     "positions are three hex digits");
        const int16_t skip = SkipCountFromStatus(text);
        fuzz::Expect(skip >= 1 && skip <= 16, "skip count is a hex digit plus one");
        IsReadyStatus(text);
    }
    return 0;
}
