#include "app/frmStatistics.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "analysis/CentreOfPressure.h"
#include "analysis/PressureHistory.h"
#include "analysis/StatisticsTable.h"
#include "platform/Clock.h"
#include "platform/FailureText.h"
#include "platform/MessageBoxes.h"
#include "platform/TextCodec.h"

namespace korvi {

PressureChart::PressureChart(const PressureHistory& history, const Clock& clock, QWidget* parent)
    : QWidget(parent), history_(history), clock_(clock) {
    setMinimumSize(600, 160);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the chart fills itself
}

QColor PressureChart::SensorColour(int sensor) {
    return QColor::fromHsv((sensor * 7 % 16) * 360 / 16, 255, 200);
}

void PressureChart::paintEvent(QPaintEvent*) {
    Render(clock_.ticks());
    QPainter p(this);
    p.drawImage(QPoint(1, 1), image_);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

namespace {

// Division rounding down, also below 0 (the columns before the clock's start).
int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

}  // namespace

// The picture has one column per pixel of the chart: column k, counted from the clock's start,
// shows the milliseconds from k * span / width up to the next column's, so a column keeps its
// place in time and its pixels as the chart moves on. Each column is drawn on its own, as a
// vertical stroke from the pressure of the column before to its own, the highest of the 10 ms
// steps it covers. The picture is therefore shifted and only its newest columns drawn again: a
// redraw of the whole chart, 30 times a second with every sensor ticked, would cost more than the
// display itself.
void PressureChart::Render(uint32_t nowMs) {
    constexpr int64_t kBucket = PressureHistory::kBucketMs;
    const int columns = std::max(width() - 2, 2);
    const int height = std::max(this->height() - 2, 2);
    const int64_t span = std::clamp<int64_t>(spanMs, kBucket, kBucket * PressureHistory::kBuckets);
    const int64_t nowBucket = nowMs / kBucket;
    const int64_t lastColumn = int64_t{nowMs} * columns / span;

    int first = 0;  // the first column of the picture to draw
    if (image_.size() != QSize(columns, height) || ticked != drawnTicked_ ||
        history_.Clears() != drawnClears_ || spanMs != drawnSpanMs_ || lastColumn < lastColumn_ ||
        lastColumn - lastColumn_ >= columns) {
        image_ = QImage(columns, height, QImage::Format_RGB32);
        image_.fill(Qt::white);
    } else {
        // The columns that passed leave on the left; the newest drawn before was still filling.
        const int shift = static_cast<int>(lastColumn - lastColumn_);
        first = columns - 1 - shift;
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
            std::memmove(row, row + shift, static_cast<size_t>(columns - shift) * sizeof(QRgb));
            std::fill(row + first, row + columns, qRgb(255, 255, 255));
        }
    }
    lastColumn_ = lastColumn;
    drawnTicked_ = ticked;
    drawnClears_ = history_.Clears();
    drawnSpanMs_ = spanMs;

    // The 10 ms steps from the column before the first drawn up to now.
    const int64_t fromColumn = lastColumn - (columns - 1) + std::max(first - 1, 0);
    const int64_t fromBucket = FloorDiv(FloorDiv(fromColumn * span, columns), kBucket);
    const int64_t count =
        std::clamp<int64_t>(nowBucket - fromBucket + 1, 1, PressureHistory::kBuckets);
    const int64_t sampleBucket = nowBucket - count + 1;  // the bucket of samples_[0]
    auto columnValue = [&](int64_t column) {
        const int64_t startMs = FloorDiv(column * span, columns);
        const int64_t endMs = std::max(FloorDiv((column + 1) * span, columns) - 1, startMs);
        const int64_t begin = std::max(FloorDiv(startMs, kBucket), sampleBucket);
        const int64_t end = std::min(FloorDiv(endMs, kBucket), nowBucket);
        int highest = 0;
        for (int64_t b = begin; b <= end; ++b) {
            highest = std::max(highest, samples_[static_cast<size_t>(b - sampleBucket)]);
        }
        return highest;
    };
    auto rowOf = [height](int pressure) {
        return static_cast<int>(std::lround((height - 1) * (1.0 - pressure / 255.0)));
    };
    for (int sensor = 0; sensor < static_cast<int>(ticked.size()); ++sensor) {
        if (!ticked[static_cast<size_t>(sensor)]) {
            continue;
        }
        history_.Samples(sensor, nowMs, static_cast<uint32_t>(count * kBucket), samples_);
        const QRgb colour = SensorColour(sensor).rgb();
        int before = rowOf(columnValue(fromColumn));
        for (int c = first; c < columns; ++c) {
            const int row = rowOf(columnValue(lastColumn - (columns - 1) + c));
            for (int y = std::min(before, row); y <= std::max(before, row); ++y) {
                reinterpret_cast<QRgb*>(image_.scanLine(y))[c] = colour;
            }
            before = row;
        }
    }
}

frmStatistics::frmStatistics(const PressStatistics& stats, const PressureHistory& history,
                             const SensorLayout& layout, const Clock& clock, FileDialogs& dialogs,
                             MessageBoxes& boxes, QString appFolder, QWidget* parent)
    : ToolWindow(parent, QStringLiteral("frmStatistics"), QStringLiteral("統計"), Qt::Tool),
      stats_(stats),
      layout_(layout),
      clock_(clock),
      dialogs_(dialogs),
      boxes_(boxes),
      appFolder_(std::move(appFolder)) {
    tblStatistics = Named(new QTableWidget(this), QStringLiteral("tblStatistics"));
    tblStatistics->setColumnCount(static_cast<int>(StatisticsHeader().size()));
    tblStatistics->setHorizontalHeaderLabels(StatisticsHeader());
    tblStatistics->verticalHeader()->hide();
    tblStatistics->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblStatistics->setMinimumSize(760, 240);
    lblCentre = Named(new QLabel(this), QStringLiteral("lblCentre"));
    chkCentrePath = Named(new QCheckBox(QStringLiteral("重心と軌跡をベースに表示"), this),
                          QStringLiteral("chkCentrePath"));
    txtPathSpan = Named(new QSpinBox(this), QStringLiteral("txtPathSpan"));
    txtPathSpan->setRange(1, 60);
    txtPathSpan->setValue(3);
    txtPathSpan->setSuffix(QStringLiteral(" 秒"));
    txtPathSpan->setAccessibleName(QStringLiteral("txtPathSpan"));
    cmdPeakMap =
        Named(new QPushButton(QStringLiteral("最大値表示"), this), QStringLiteral("cmdPeakMap"));
    cmdPeakMap->setCheckable(true);
    txtChartSpan = Named(new QSpinBox(this), QStringLiteral("txtChartSpan"));
    txtChartSpan->setRange(1, 60);
    txtChartSpan->setValue(10);
    txtChartSpan->setSuffix(QStringLiteral(" 秒"));
    txtChartSpan->setAccessibleName(QStringLiteral("txtChartSpan"));
    picChart = Named(new PressureChart(history, clock, this), QStringLiteral("picChart"));
    picChart->setAccessibleName(QStringLiteral("picChart"));
    cmdSaveStatistics = Named(new QPushButton(QStringLiteral("統計保存..."), this),
                              QStringLiteral("cmdSaveStatistics"));

    auto* column = new QVBoxLayout(this);
    column->addWidget(tblStatistics);
    column->addWidget(lblCentre);
    auto* centreRow = new QHBoxLayout;
    centreRow->addWidget(chkCentrePath);
    centreRow->addWidget(new QLabel(QStringLiteral("軌跡"), this));
    centreRow->addWidget(txtPathSpan);
    centreRow->addStretch(1);
    centreRow->addWidget(cmdPeakMap);
    column->addLayout(centreRow);
    auto* chartRow = new QHBoxLayout;
    chartRow->addWidget(new QLabel(QStringLiteral("圧力の推移 (チェックしたセンサ)"), this));
    chartRow->addStretch(1);
    chartRow->addWidget(txtChartSpan);
    column->addLayout(chartRow);
    column->addWidget(picChart, 1);
    column->addWidget(cmdSaveStatistics, 0, Qt::AlignLeft);

    connect(chkCentrePath, &QCheckBox::toggled, this, &frmStatistics::centrePathToggled);
    connect(txtPathSpan, qOverload<int>(&QSpinBox::valueChanged), this,
            &frmStatistics::pathSpanChanged);
    connect(cmdPeakMap, &QPushButton::toggled, this, &frmStatistics::peakMapToggled);
    connect(txtChartSpan, qOverload<int>(&QSpinBox::valueChanged), this, [this](int seconds) {
        picChart->spanMs = static_cast<uint32_t>(seconds) * 1000u;
        picChart->update();
    });
    connect(tblStatistics, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == 0) {
            const int sensor = item->data(Qt::UserRole).toInt();
            picChart->ticked[static_cast<size_t>(sensor)] = item->checkState() == Qt::Checked;
            picChart->update();
        }
    });
    // At most 30 redraws a second, and only while the window shows.
    chartTimer_.setInterval(34);
    connect(&chartTimer_, &QTimer::timeout, picChart, [this] { picChart->update(); });
    connect(cmdSaveStatistics, &QPushButton::clicked, this, [this] { SaveStatistics(); });
    // Twice a second is enough to read; the figures themselves are kept up to date per reading.
    refreshTimer_.setInterval(500);
    connect(&refreshTimer_, &QTimer::timeout, this, [this] { Refresh(); });
    Refresh();
}

void frmStatistics::showEvent(QShowEvent* event) {
    Refresh();
    refreshTimer_.start();
    chartTimer_.start();
    ToolWindow::showEvent(event);
}

void frmStatistics::hideEvent(QHideEvent* event) {
    refreshTimer_.stop();
    chartTimer_.stop();
    ToolWindow::hideEvent(event);
}

void frmStatistics::Refresh() {
    const std::vector<StatisticsRow> rows = StatisticsRows(layout_, stats_, clock_.ticks());
    // Filling the table is no tick of the user's: the chart follows only the boxes' own changes.
    const QSignalBlocker quiet(tblStatistics);
    tblStatistics->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const QStringList cells = StatisticsCells(rows[static_cast<size_t>(r)]);
        for (int c = 0; c < cells.size(); ++c) {
            QTableWidgetItem* item = tblStatistics->item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                              : Qt::AlignRight | Qt::AlignVCenter);
                tblStatistics->setItem(r, c, item);
            }
            if (item->text() != cells[c]) {
                item->setText(cells[c]);
            }
            if (c == 0) {
                const int sensor = rows[static_cast<size_t>(r)].sensor;
                item->setData(Qt::UserRole, sensor);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
                item->setCheckState(picChart->ticked[static_cast<size_t>(sensor)] ? Qt::Checked
                                                                                  : Qt::Unchecked);
                item->setForeground(PressureChart::SensorColour(sensor));
            }
        }
    }
    const std::optional<WindowPoint> centre = LayoutCentre(layout_);
    lblCentre->setText(centre ? QStringLiteral("全体の重心 (ウインドウ座標, twip): X %1, Y %2")
                                    .arg(centre->x, 0, 'f', 0)
                                    .arg(centre->y, 0, 'f', 0)
                              : QStringLiteral("全体の重心: 押されているセンサがありません"));
}

void frmStatistics::SaveStatistics() {
    const std::optional<QString> path =
        dialogs_.saveFile(FileDialogOptions{appFolder_, QStringLiteral("CSVﾌｧｲﾙ (*.csv)|*.csv|")});
    if (!path) {
        return;
    }
    const QByteArray bytes =
        EncodeCp932(StatisticsCsv(StatisticsRows(layout_, stats_, clock_.ticks())));
    QSaveFile file(*path);
    const QFileInfo where(*path);
    const QString chartPath =
        where.dir().filePath(where.completeBaseName() + QStringLiteral(".png"));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        boxes_.show(
            *path + QStringLiteral("\r\n統計を保存できませんでした。\r\n") +
                FailureText({}, FailureKindOfSystemText(file.errorString()), file.errorString()),
            QStringLiteral("Error!"), BoxIcon::Critical);
    } else if (!picChart->grab().save(chartPath, "PNG")) {
        boxes_.show(chartPath + QStringLiteral("\r\nグラフを保存できませんでした。"),
                    QStringLiteral("Error!"), BoxIcon::Critical);
    }
}

}  // namespace korvi
