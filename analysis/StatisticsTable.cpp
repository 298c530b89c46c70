#include "analysis/StatisticsTable.h"

#include "layout/SensorLayout.h"

namespace korvi {

std::vector<StatisticsRow> StatisticsRows(const SensorLayout& layout, const PressStatistics& stats,
                                          uint32_t nowMs) {
    std::vector<StatisticsRow> rows;
    for (int host = 0; host < SensorCount; ++host) {
        if (!layout.picPressSens[static_cast<size_t>(host)]->Visible()) {
            continue;
        }
        rows.push_back({host, QString::number(host + 1), stats.Summary(host, nowMs)});
        for (int j = 0; j < SensorCount; ++j) {
            if (j != host && layout.SensorMerged[static_cast<size_t>(j)] &&
                layout.LabelHost(j) == host) {
                rows.push_back({j, QStringLiteral("%1 (→%2)").arg(j + 1).arg(host + 1),
                                stats.Summary(j, nowMs)});
            }
        }
    }
    return rows;
}

QStringList StatisticsHeader() {
    return {QStringLiteral("センサ"),    QStringLiteral("読取数"),   QStringLiteral("押下回数"),
            QStringLiteral("最大圧力"),  QStringLiteral("平均圧力"), QStringLiteral("押下時間(秒)"),
            QStringLiteral("押下率(%)"), QStringLiteral("重心X"),    QStringLiteral("重心Y"),
            QStringLiteral("広がりX"),   QStringLiteral("広がりY")};
}

QStringList StatisticsCells(const StatisticsRow& row) {
    const SensorSummary& s = row.summary;
    const auto fixed = [](double v, int decimals) { return QString::number(v, 'f', decimals); };
    return {row.name,
            QString::number(s.readings),
            QString::number(s.presses),
            QString::number(s.peak),
            fixed(s.meanWhilePressed, 1),
            fixed(s.pressedSeconds, 3),
            fixed(s.pressedShare * 100.0, 1),
            fixed(s.centreX, 1),
            fixed(s.centreY, 1),
            fixed(s.spreadX, 1),
            fixed(s.spreadY, 1)};
}

QString StatisticsCsv(const std::vector<StatisticsRow>& rows) {
    QString text = StatisticsHeader().join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const StatisticsRow& row : rows) {
        text += StatisticsCells(row).join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text;
}

}  // namespace korvi
