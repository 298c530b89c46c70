// The statistics window's table as text: one row per placed sensor, each sensor merged into it in
// a row of its own right below, the figures as the window shows them and as the saved file holds
// them.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "analysis/PressStatistics.h"

namespace korvi {

class SensorLayout;

struct StatisticsRow {
    int sensor = 0;  // 0..15
    QString name;    // "3", or "5 (→1)" for sensor 5 merged into sensor 1
    SensorSummary summary;
};

std::vector<StatisticsRow> StatisticsRows(const SensorLayout& layout, const PressStatistics& stats,
                                          uint32_t nowMs);

// The column captions, and one row's cells in the same order.
QStringList StatisticsHeader();
QStringList StatisticsCells(const StatisticsRow& row);

// The table as CSV text: the header line, then a line per row, each ended by CR LF.
QString StatisticsCsv(const std::vector<StatisticsRow>& rows);

}  // namespace korvi
