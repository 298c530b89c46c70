// Numbers as the settings files write them: decimal with an optional sign, or "&H" followed by
// hexadecimal digits, plus the profile reader's "leading decimal number" rule for integer keys.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace korvi {

// A 32-bit value: decimal in the signed 32-bit range, or "&H" and 1 to 8 hexadecimal digits taken
// as a 32-bit pattern (&H8000000F is the system button-face colour). Blanks around are allowed;
// anything else gives nothing.
std::optional<int32_t> TextToLong(QStringView text);

// A 16-bit value: decimal in -32768..32767, or "&H" and hexadecimal digits up to &H7FFF.
std::optional<int16_t> TextToInteger(QStringView text);

// A 16-bit value written in decimal only (optional sign, then digits): "&H10" gives nothing.
std::optional<int16_t> DecimalToInteger(QStringView text);

// True when the text, blanks aside, starts with the "&H" of a hexadecimal number.
bool HasHexPrefix(QStringView text);

// The leading decimal number of a value (optional sign, then digits; what follows is ignored),
// saturated far outside the 32-bit range so that callers can detect overflow. A value without
// digits gives 0.
int64_t LeadingNumber(QStringView text);

// A range field: "low-high", or a single value that sets both bounds. With `hex` each part is
// hexadecimal digits without a prefix (1F is 31), otherwise decimal digits only. A part that is
// empty or not a number (which is also how a negative bound reads, since "-" separates the bounds)
// gives nothing.
struct Range16 {
    int16_t low = 0;
    int16_t high = 0;
};
std::optional<Range16> TextToRange(QStringView text, bool hex);

// ASCII blanks (space, tab, CR, VT, FF) at both ends removed; a full-width space stays.
bool IsBlank(QChar c);
QStringView TrimBlanks(QStringView text);

// The value of one hexadecimal digit (0-9, A-F, a-f), or -1 for any other character. Inline:
// every reading's line is decoded with it.
inline int HexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

// Hexadecimal digits without a prefix, as the pressure bands write them.
std::optional<int16_t> HexToInteger(QStringView text);

}  // namespace korvi
