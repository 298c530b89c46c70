// A draw-setting file of any content: the check before communication and the loader must agree.
// What the check lets through loads without a single message and gives tables and timings the
// display, the trace and the CSV timers can work with.
#include <unistd.h>
#include <QDir>
#include <QFile>

#include "fuzz/FuzzSupport.h"
#include "settings/DrawSetting.h"

using namespace korvi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path =
        QDir::temp().filePath(QStringLiteral("korvi-fuzz-%1-DrawSetting1.ini").arg(::getpid()));
    {
        QFile file(path);
        fuzz::Expect(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "temp file");
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    fuzz::CountingBoxes boxes;
    const QString problem = CheckDrawSetting(path, boxes);
    fuzz::Expect(boxes.shown == 0, "the check reports through its result only");
    if (!problem.isEmpty()) {
        fuzz::Expect(problem.contains(path), "a refusal names the file");
        return 0;
    }
    DrawSetting setting;
    LoadDrawSetting(path, setting, boxes);
    fuzz::Expect(boxes.shown == 0, "a file the check accepts loads without a message");
    fuzz::Expect(!setting.PressColorTable.empty(), "a colour table");
    for (const PressColorEntry& e : setting.PressColorTable) {
        fuzz::Expect(e.Radius >= 0, "radii are not negative");
        fuzz::Expect(e.PressLow >= 0 && e.PressHigh >= 0, "pressure bands are not negative");
    }
    fuzz::Expect(setting.TraceSize >= 0, "trace length");
    fuzz::Expect(setting.AllTime >= 0, "recording length");
    fuzz::Expect(setting.Sampling >= 0 && setting.Sampling < 2000, "sampling rate");
    fuzz::Expect(setting.Sampling == 0 || setting.CsvIntervalMs > 0, "a sampling timer that ticks");
    for (size_t n = 1; n < setting.SoundTable.size(); ++n) {
        const SoundEntry& s = setting.SoundTable[n];
        fuzz::Expect(s.Period >= 0 && s.MinCount >= 0, "sound periods and counts");
    }
    return 0;
}
