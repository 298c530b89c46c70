// CheckDrawSetting: refuses a draw-setting file whose values the display cannot work with, before
// the port is opened, with a message that names the file and the key at fault.
#include <limits>

#include "settings/DrawSetting.h"
#include "settings/IniFile.h"
#include "settings/NumberText.h"

namespace korvi {

namespace {

const QString kDisp = QStringLiteral("Disp_Setting");
const QString kExcelOut = QStringLiteral("ExcelOut");

enum class FieldKind { Hex, HexRange, Decimal, DecimalRange, Color };

bool FieldConverts(const QString& field, FieldKind kind) {
    switch (kind) {
        case FieldKind::Hex:
            return HexToInteger(field).has_value();
        case FieldKind::HexRange:
            return TextToRange(field, true).has_value();
        case FieldKind::Decimal: {
            const auto value = TextToInteger(field);
            return value && *value >= 0;
        }
        case FieldKind::DecimalRange:
            return TextToRange(field, false).has_value();
        case FieldKind::Color:
            return TextToLong(field).has_value();
    }
    return false;
}

class Checker {
  public:
    Checker(const QString& path, const IniFile& ini) : path_(path), ini_(ini) {}

    QString Missing(const QString& key) const {
        return Prefix() + QStringLiteral("に %1 がありません。").arg(key);
    }

    QString NotNumber(const QString& key) const {
        return Prefix() + QStringLiteral("の %1 が数値ではありません。").arg(key);
    }

    QString OutOfRange(const QString& key, int low, int high) const {
        return Prefix() + QStringLiteral("の %1 は %2 から %3 の範囲で指定してください。")
                              .arg(key)
                              .arg(low)
                              .arg(high);
    }

    // Every field of a list entry, in order; the first problem names the key and the field.
    QString Fields(const QString& key, const QString& value,
                   std::initializer_list<FieldKind> kinds) const {
        int n = 1;
        for (const FieldKind kind : kinds) {
            const QString field = GetCsvField(value, n).trimmed();
            const QString where = QStringLiteral("の %1 の %2 番目の項目").arg(key).arg(n);
            if (field.isEmpty()) {
                return Prefix() + where + QStringLiteral("がありません。");
            }
            if (kind != FieldKind::Color && field.startsWith(QLatin1Char('-'))) {
                return Prefix() + where + QStringLiteral("に負の値は指定できません。");
            }
            if (!FieldConverts(field, kind)) {
                return Prefix() + where + QStringLiteral("が数値ではありません。");
            }
            ++n;
        }
        return {};
    }

    // An integer key read as the profile reader reads it (missing or empty is 0), within bounds.
    QString IntegerKey(const QString& section, const QString& key, int low, int high) const {
        const QString value = ini_.GetString(section, key);
        const int64_t number = value.isEmpty() ? 0 : LeadingNumber(value);
        if (number < low || number > high) {
            return OutOfRange(key, low, high);
        }
        return {};
    }

  private:
    QString Prefix() const { return QStringLiteral("描画用設定ファイル %1 ").arg(path_); }

    const QString& path_;
    const IniFile& ini_;
};

}  // namespace

QString CheckDrawSetting(const QString& path, MessageBoxes&) {
    // Every problem becomes the returned message; nothing here shows a box of its own.
    const IniFile ini = IniFile::Load(path);
    const Checker check(path, ini);
    if (!ini.exists()) {
        return QStringLiteral("描画用設定ファイル %1 が見つかりません。").arg(path);
    }

    if (ini.GetString(kDisp, QStringLiteral("PressColor0")).isEmpty()) {
        return check.Missing(QStringLiteral("PressColor0"));
    }
    for (int i = 0;; ++i) {
        const QString key = QStringLiteral("PressColor%1").arg(i);
        const QString value = ini.GetString(kDisp, key);
        if (value.isEmpty()) {
            break;
        }
        QString problem = check.Fields(
            key, value, {FieldKind::Hex, FieldKind::Hex, FieldKind::Color, FieldKind::Decimal});
        if (!problem.isEmpty()) {
            return problem;
        }
    }

    const QString thresh = ini.GetString(kDisp, QStringLiteral("PressThresh"));
    if (thresh.isEmpty()) {
        return check.Missing(QStringLiteral("PressThresh"));
    }
    if (!TextToInteger(thresh)) {
        return check.NotNumber(QStringLiteral("PressThresh"));
    }

    constexpr int kMax16 = std::numeric_limits<int16_t>::max();
    // The trace ring, the CSV timer and the recording length need values they can work with:
    // 2000 samples a second and more would round to a timer that never ticks.
    for (const QString& problem :
         {check.IntegerKey(kDisp, QStringLiteral("TraceSize"), 0, kMax16),
          check.IntegerKey(kExcelOut, QStringLiteral("Sampling"), 0, 1999),
          check.IntegerKey(kExcelOut, QStringLiteral("AllTime"), 0, kMax16)}) {
        if (!problem.isEmpty()) {
            return problem;
        }
    }

    for (int n = 1;; ++n) {
        if (ini.GetString(kDisp, QStringLiteral("SoundFile%1").arg(n)).isEmpty()) {
            break;
        }
        const QString key = QStringLiteral("PlayCondition%1").arg(n);
        const QString value = ini.GetString(kDisp, key);
        if (value.isEmpty()) {
            continue;
        }
        QString problem = check.Fields(
            key, value,
            {FieldKind::DecimalRange, FieldKind::DecimalRange, FieldKind::HexRange,
             FieldKind::HexRange, FieldKind::HexRange, FieldKind::Decimal, FieldKind::Decimal});
        if (!problem.isEmpty()) {
            return problem;
        }
    }
    return {};
}

}  // namespace korvi
