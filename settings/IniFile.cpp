#include "settings/IniFile.h"

#include <QFile>
#include <QStringView>
#include <limits>

#include "platform/MessageBoxes.h"
#include "platform/TextCodec.h"
#include "settings/NumberText.h"

namespace korvi {

namespace {

QString NameKey(QStringView name) {
    return TrimBlanks(name).toString().toLower();
}

// A value written in matching quotes is returned without them, as the profile reader does, so
// that a path with blanks may be quoted.
QStringView Unquote(QStringView value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        return value.mid(1, value.size() - 2);
    }
    return value;
}

}  // namespace

QString CutToCp932Bytes(const QString& value, int maxBytes) {
    // No CP932 character takes more than two bytes, so short values need no counting.
    if (value.size() * 2 <= maxBytes) {
        return value;
    }
    int bytes = 0;
    qsizetype i = 0;
    while (i < value.size()) {
        const qsizetype width = value[i].isHighSurrogate() && i + 1 < value.size() ? 2 : 1;
        const int charBytes = static_cast<int>(EncodeCp932(value.mid(i, width)).size());
        if (bytes + charBytes > maxBytes) {
            break;
        }
        bytes += charBytes;
        i += width;
    }
    return value.left(i);
}

IniFile IniFile::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    IniFile ini = Parse(file.readAll());
    ini.exists_ = true;
    return ini;
}

IniFile IniFile::Parse(const QByteArray& bytes) {
    IniFile ini;
    ini.exists_ = true;
    const QString text = DecodeSettingsText(bytes);
    QHash<QString, QString>* current = nullptr;
    for (QStringView rawLine : QStringView(text).split(u'\n')) {
        const QStringView line = TrimBlanks(rawLine);
        if (line.isEmpty() || line.front() == u';') {
            continue;
        }
        if (line.front() == u'[') {
            const qsizetype close = line.indexOf(u']');
            const QStringView name = close < 0 ? line.mid(1) : line.mid(1, close - 1);
            // A section written twice reads as one; the first value of a key still wins.
            current = &ini.sections_[NameKey(name)];
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (current == nullptr || equals <= 0) {
            continue;
        }
        const QString key = NameKey(line.left(equals));
        if (key.isEmpty() || current->contains(key)) {
            continue;
        }
        const QString value = Unquote(TrimBlanks(line.mid(equals + 1))).toString();
        current->insert(key, CutToCp932Bytes(value, kMaxValueBytes));
    }
    return ini;
}

std::optional<QString> IniFile::find(const QString& section, const QString& key) const {
    const auto s = sections_.constFind(NameKey(section));
    if (s == sections_.constEnd()) {
        return std::nullopt;
    }
    const auto k = s->constFind(NameKey(key));
    if (k == s->constEnd()) {
        return std::nullopt;
    }
    return *k;
}

QString IniFile::GetString(const QString& section, const QString& key) const {
    return find(section, key).value_or(QString());
}

int16_t IniFile::GetInteger(const QString& section, const QString& key, int16_t defaultValue,
                            MessageBoxes& boxes) const {
    const auto value = find(section, key);
    if (!value || value->isEmpty()) {
        return defaultValue;
    }
    const int64_t number = LeadingNumber(*value);
    if (number < std::numeric_limits<int16_t>::min() ||
        number > std::numeric_limits<int16_t>::max()) {
        // The same report the 16-bit conversion of the profile reader's result always gave.
        boxes.show(QStringLiteral("Error: 6. オーバーフローしました。"),
                   QStringLiteral("INIGetSettingInteger"), BoxIcon::None);
        return 0;
    }
    return static_cast<int16_t>(number);
}

}  // namespace korvi
