#include "app/frmStatistics.h"

#include <QHeaderView>
#include <QSaveFile>
#include <QVBoxLayout>

#include "analysis/CentreOfPressure.h"
#include "analysis/StatisticsTable.h"
#include "platform/Clock.h"
#include "platform/FailureText.h"
#include "platform/MessageBoxes.h"
#include "platform/TextCodec.h"

namespace korvi {

frmStatistics::frmStatistics(const PressStatistics& stats, const SensorLayout& layout,
                             const Clock& clock, FileDialogs& dialogs, MessageBoxes& boxes,
                             QString appFolder, QWidget* parent)
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
    cmdSaveStatistics = Named(new QPushButton(QStringLiteral("統計保存..."), this),
                              QStringLiteral("cmdSaveStatistics"));

    auto* column = new QVBoxLayout(this);
    column->addWidget(tblStatistics);
    column->addWidget(lblCentre);
    column->addWidget(cmdSaveStatistics, 0, Qt::AlignLeft);

    connect(cmdSaveStatistics, &QPushButton::clicked, this, [this] { SaveStatistics(); });
    // Twice a second is enough to read; the figures themselves are kept up to date per reading.
    refreshTimer_.setInterval(500);
    connect(&refreshTimer_, &QTimer::timeout, this, [this] { Refresh(); });
    Refresh();
}

void frmStatistics::showEvent(QShowEvent* event) {
    Refresh();
    refreshTimer_.start();
    ToolWindow::showEvent(event);
}

void frmStatistics::hideEvent(QHideEvent* event) {
    refreshTimer_.stop();
    ToolWindow::hideEvent(event);
}

void frmStatistics::Refresh() {
    const std::vector<StatisticsRow> rows = StatisticsRows(layout_, stats_, clock_.ticks());
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
            item->setText(cells[c]);
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
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        boxes_.show(
            *path + QStringLiteral("\r\n統計を保存できませんでした。\r\n") +
                FailureText({}, FailureKindOfSystemText(file.errorString()), file.errorString()),
            QStringLiteral("Error!"), BoxIcon::Critical);
    }
}

}  // namespace korvi
