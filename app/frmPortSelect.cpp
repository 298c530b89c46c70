#include "app/frmPortSelect.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace korvi {

namespace {

// USB ids as lsusb and the adapters' labels write them: four lower-case hex digits.
QString UsbId(const std::optional<quint16>& id) {
    return id ? QStringLiteral("%1").arg(*id, 4, 16, QLatin1Char('0')) : QString();
}

QTableWidgetItem* Cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

}  // namespace

frmPortSelect::frmPortSelect(const PortEnumerator& ports, const QString& current,
                             const QString& settingsPort, QWidget* parent)
    : ToolWindow(parent, QStringLiteral("frmPortSelect"), QStringLiteral("ポート選択")),
      ports_(ports) {
    lstPorts = new QTableWidget(0, 5, this);
    lstPorts->setObjectName(QStringLiteral("lstPorts"));
    lstPorts->setAccessibleName(QStringLiteral("lstPorts"));
    lstPorts->setHorizontalHeaderLabels({QStringLiteral("ポート"), QStringLiteral("説明"),
                                         QStringLiteral("メーカー"), QStringLiteral("ベンダーID"),
                                         QStringLiteral("製品ID")});
    lstPorts->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstPorts->setSelectionMode(QAbstractItemView::SingleSelection);
    lstPorts->verticalHeader()->hide();
    lstPorts->horizontalHeader()->setStretchLastSection(true);
    lstPorts->setMinimumSize(560, 160);

    lblNoPorts = new QLabel(QStringLiteral("シリアルポートが見つかりません。"), this);
    lblNoPorts->setObjectName(QStringLiteral("lblNoPorts"));

    auto* deviceLabel = new QLabel(QStringLiteral("デバイス:"), this);
    txtDevice = new QLineEdit(current, this);
    txtDevice->setObjectName(QStringLiteral("txtDevice"));
    txtDevice->setAccessibleName(QStringLiteral("txtDevice"));
    txtDevice->setPlaceholderText(
        settingsPort.isEmpty()
            ? QStringLiteral("ポートを一覧から選ぶか、デバイスのパスを入力してください")
            : QStringLiteral("空欄なら設定ファイルのポート (%1)").arg(settingsPort));
    deviceLabel->setBuddy(txtDevice);

    chkReconnect = new QCheckBox(QStringLiteral("接続が切れたら自動で再接続する"), this);
    chkReconnect->setObjectName(QStringLiteral("chkReconnect"));
    cmdRefresh = new QPushButton(QStringLiteral("更新"), this);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* deviceRow = new QHBoxLayout;
    deviceRow->addWidget(deviceLabel);
    deviceRow->addWidget(txtDevice, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRefresh);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(lstPorts, 1);
    column->addWidget(lblNoPorts);
    column->addLayout(deviceRow);
    column->addWidget(new QLabel(
        QStringLiteral("選んだポートは次の「通信開始」から使われ、ユーザーごとに記憶されます。"),
        this));
    column->addWidget(chkReconnect);
    column->addLayout(buttons);

    connect(lstPorts, &QTableWidget::itemSelectionChanged, this, [this] {
        const QList<QTableWidgetItem*> selected = lstPorts->selectedItems();
        if (!selected.isEmpty()) {
            txtDevice->setText(lstPorts->item(selected.first()->row(), 0)->text());
        }
    });
    connect(lstPorts, &QTableWidget::cellDoubleClicked, this, [this] { accept(); });
    connect(cmdRefresh, &QPushButton::clicked, this, [this] { FillPortList(); });
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    FillPortList();
}

void frmPortSelect::FillPortList() {
    listed_ = ports_.availablePorts();
    const std::vector<SerialPortEntry>& ports = listed_;
    lstPorts->clearContents();
    lstPorts->setRowCount(static_cast<int>(ports.size()));
    for (int row = 0; row < lstPorts->rowCount(); ++row) {
        const SerialPortEntry& port = ports[static_cast<size_t>(row)];
        lstPorts->setItem(row, 0, Cell(port.device));
        lstPorts->setItem(row, 1, Cell(port.description));
        lstPorts->setItem(row, 2, Cell(port.manufacturer));
        lstPorts->setItem(row, 3, Cell(UsbId(port.vendorId)));
        lstPorts->setItem(row, 4, Cell(UsbId(port.productId)));
    }
    lstPorts->resizeColumnsToContents();
    lblNoPorts->setVisible(ports.empty());
}

QString frmPortSelect::ChosenDevice() const {
    return txtDevice->text().trimmed();
}

PortIdentity frmPortSelect::ChosenIdentity() const {
    for (const SerialPortEntry& port : listed_) {
        if (port.device == ChosenDevice()) {
            return port.Identity();
        }
    }
    return {};
}

}  // namespace korvi
