// The number texts of the settings files on any text: the 16-bit reading agrees with the 32-bit
// one, a value written back in decimal reads the same, and ranges come out ordered as written.
#include "fuzz/FuzzSupport.h"
#include "settings/NumberText.h"

using namespace korvi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(fuzz::Bytes(data, size));
    const std::optional<int32_t> asLong = TextToLong(text);
    const std::optional<int16_t> asInteger = TextToInteger(text);
    // A 32-bit reading that fits 16 bits is also the 16-bit one (for hexadecimal only the
    // positive patterns &H0 to &H7FFF fit). The 16-bit reading is the more lenient one: it also
    // takes blanks after "&H" and more than eight hexadecimal digits with leading zeros.
    const bool hex = TrimBlanks(text).startsWith(QLatin1String("&H"), Qt::CaseInsensitive);
    if (asLong && *asLong >= (hex ? 0 : -32768) && *asLong <= 32767) {
        fuzz::Expect(asInteger == asLong, "16-bit and 32-bit readings agree");
    }
    if (asInteger && !hex) {
        fuzz::Expect(asLong == asInteger, "16-bit and 32-bit decimal readings agree");
    }
    if (asLong) {
        fuzz::Expect(TextToLong(QString::number(*asLong)) == asLong, "decimal round trip");
        fuzz::Expect(LeadingNumber(QString::number(*asLong)) == *asLong, "leading number");
    }
    LeadingNumber(text);
    TrimBlanks(text);
    // With one dash at most, no bound can be negative ("5--3" reads its high bound as -3).
    for (const bool hexRange : {false, true}) {
        const std::optional<Range16> range = TextToRange(text, hexRange);
        if (range && text.count(QLatin1Char('-')) <= 1) {
            fuzz::Expect(range->low >= 0 && range->high >= 0, "bounds are not negative");
        }
    }
    if (const std::optional<int16_t> value = HexToInteger(text)) {
        fuzz::Expect(*value >= 0, "hexadecimal digits read as a non-negative value");
    }
    return 0;
}
