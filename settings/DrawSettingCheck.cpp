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

    QString NotDecimal(const QString& what) const {
        return Prefix() + QStringLiteral("の %1 は 10 進数で指定してください。").arg(what);
    }

    // Every field of a list entry, in order, read exactly as the loader reads it; the first
    // problem names the key and the field.
    QString Fields(const QString& key, const QString& value,
                   std::initializer_list<DrawFieldKind> kinds) const {
        int n = 1;
        for (const DrawFieldKind kind : kinds) {
            const QString field = DrawFieldText(value, n);
            const QString where = QStringLiteral("%1 の %2 番目の項目").arg(key).arg(n);
            const bool decimal =
                kind == DrawFieldKind::Decimal || kind == DrawFieldKind::DecimalRange;
            if (field.isEmpty()) {
                return Prefix() + QStringLiteral("の ") + where + QStringLiteral("がありません。");
            }
            if (kind != DrawFieldKind::Color && field.startsWith(QLatin1Char('-'))) {
                return Prefix() + QStringLiteral("の ") + where +
                       QStringLiteral("に負の値は指定できません。");
            }
            if (decimal && field.contains(QStringLiteral("&H"), Qt::CaseInsensitive)) {
                return NotDecimal(where);
            }
            if (!ReadDrawField(value, n, kind)) {
                return Prefix() + QStringLiteral("の ") + where +
                       QStringLiteral("が数値ではありません。");
            }
            ++n;
        }
        return {};
    }

    // The radius of a press mark, within what a panel can show.
    QString Radius(const QString& key, const QString& value) const {
        constexpr int kField = 4;
        const auto radius = ReadDrawField(value, kField, DrawFieldKind::Decimal);
        if (radius && radius->low > kMaxMarkRadius) {
            return OutOfRange(QStringLiteral("%1 の %2 番目の項目").arg(key).arg(kField), 0,
                              kMaxMarkRadius);
        }
        return {};
    }

    // An integer key read as the profile reader reads it (missing or empty is 0), within bounds.
    // The reader takes its leading decimal digits, so "&H10" would silently read as 0: refused.
    QString IntegerKey(const QString& section, const QString& key, int low, int high) const {
        const QString value = ini_.GetString(section, key);
        if (HasHexPrefix(value)) {
            return NotDecimal(key);
        }
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
            key, value,
            {DrawFieldKind::Hex, DrawFieldKind::Hex, DrawFieldKind::Color, DrawFieldKind::Decimal});
        if (problem.isEmpty()) {
            problem = check.Radius(key, value);
        }
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
        QString problem =
            check.Fields(key, value,
                         {DrawFieldKind::DecimalRange, DrawFieldKind::DecimalRange,
                          DrawFieldKind::HexRange, DrawFieldKind::HexRange, DrawFieldKind::HexRange,
                          DrawFieldKind::Decimal, DrawFieldKind::Decimal});
        if (!problem.isEmpty()) {
            return problem;
        }
    }
    return {};
}

}  // namespace korvi
