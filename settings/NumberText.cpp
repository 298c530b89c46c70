#include "settings/NumberText.h"

#include <limits>

namespace korvi {

namespace {

bool IsDecimalDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Hexadecimal digits only, at most `maxDigits` of them.
std::optional<uint32_t> ParseHexDigits(QStringView digits, int maxDigits) {
    if (digits.isEmpty() || digits.size() > maxDigits) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (QChar c : digits) {
        const int d = HexDigitValue(c);
        if (d < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<uint32_t>(d);
    }
    return value;
}

// Optional sign, then decimal digits only; nothing when the value leaves [min, max].
std::optional<int64_t> ParseDecimal(QStringView text, int64_t min, int64_t max) {
    bool negative = false;
    if (!text.isEmpty() && (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+'))) {
        negative = text[0] == QLatin1Char('-');
        text = text.mid(1);
    }
    if (text.isEmpty()) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (QChar c : text) {
        if (!IsDecimalDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
        if (value > max + 1) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

bool HasHexPrefix(QStringView text) {
    text = TrimBlanks(text);
    return text.size() >= 2 && text[0] == QLatin1Char('&') &&
           (text[1] == QLatin1Char('H') || text[1] == QLatin1Char('h'));
}

// The profile reader trims ASCII blanks only; a full-width space is part of the value.
bool IsBlank(QChar c) {
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\r' || u == u'\v' || u == u'\f';
}

QStringView TrimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin);
}

std::optional<int32_t> TextToLong(QStringView text) {
    text = TrimBlanks(text);
    if (HasHexPrefix(text)) {
        const auto bits = ParseHexDigits(text.mid(2), 8);
        if (!bits) {
            return std::nullopt;
        }
        return static_cast<int32_t>(*bits);
    }
    const auto value = ParseDecimal(text, std::numeric_limits<int32_t>::min(),
                                    std::numeric_limits<int32_t>::max());
    if (!value) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*value);
}

std::optional<int16_t> TextToInteger(QStringView text) {
    text = TrimBlanks(text);
    if (HasHexPrefix(text)) {
        return HexToInteger(text.mid(2));
    }
    const auto value = ParseDecimal(text, std::numeric_limits<int16_t>::min(),
                                    std::numeric_limits<int16_t>::max());
    if (!value) {
        return std::nullopt;
    }
    return static_cast<int16_t>(*value);
}

std::optional<int16_t> DecimalToInteger(QStringView text) {
    const auto value = ParseDecimal(TrimBlanks(text), std::numeric_limits<int16_t>::min(),
                                    std::numeric_limits<int16_t>::max());
    if (!value) {
        return std::nullopt;
    }
    return static_cast<int16_t>(*value);
}

std::optional<int16_t> HexToInteger(QStringView text) {
    text = TrimBlanks(text);
    // Leading zeros are allowed ("00FF"); only the value must fit.
    while (text.size() > 1 && text[0] == QLatin1Char('0')) {
        text = text.mid(1);
    }
    const auto value = ParseHexDigits(text, 4);
    if (!value || *value > static_cast<uint32_t>(std::numeric_limits<int16_t>::max())) {
        return std::nullopt;
    }
    return static_cast<int16_t>(*value);
}

int64_t LeadingNumber(QStringView text) {
    // Far beyond any 32-bit value, so overflow stays visible without risking int64 overflow.
    constexpr int64_t kSaturation = int64_t{1} << 40;
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.isEmpty() && (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+'))) {
        negative = text[0] == QLatin1Char('-');
        text = text.mid(1);
    }
    int64_t value = 0;
    for (QChar c : text) {
        if (!IsDecimalDigit(c)) {
            break;
        }
        value = value * 10 + (c.unicode() - u'0');
        if (value > kSaturation) {
            value = kSaturation;
        }
    }
    return negative ? -value : value;
}

std::optional<Range16> TextToRange(QStringView text, bool hex) {
    const auto convert = [hex](QStringView part) -> std::optional<int16_t> {
        // A bound is digits only: a sign here would be a second "-" ("1--4"), not a negative bound.
        part = TrimBlanks(part);
        if (!part.isEmpty() && (part[0] == QLatin1Char('-') || part[0] == QLatin1Char('+'))) {
            return std::nullopt;
        }
        return hex ? HexToInteger(part) : DecimalToInteger(part);
    };
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    const auto high = convert(dash < 0 ? text : text.mid(dash + 1));
    const auto low = dash < 0 ? high : convert(text.left(dash));
    if (!low || !high) {
        return std::nullopt;
    }
    return Range16{*low, *high};
}

}  // namespace korvi
