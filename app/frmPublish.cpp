#include "app/frmPublish.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace korvi {

QString ViewerPagePath() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/korvisensor/web/viewer.html"));
}

QUrl ViewerUrl(uint16_t port) {
    QUrl url = QUrl::fromLocalFile(ViewerPagePath());
    url.setQuery(QStringLiteral("port=%1").arg(port));
    return url;
}

void OpenViewerPage(uint16_t port) {
    QDesktopServices::openUrl(ViewerUrl(port));
}

frmPublish::frmPublish(const PublishTargets& current, QWidget* parent)
    : ToolWindow(parent, QStringLiteral("frmPublish"), QStringLiteral("外部出力")),
      chosen_(current) {
    chkOsc = Named(new QCheckBox(QStringLiteral("OSC を送る"), this), QStringLiteral("chkOsc"));
    txtOsc = Named(new QLineEdit(HostPortText(current.osc), this), QStringLiteral("txtOsc"));
    chkTuio = Named(new QCheckBox(QStringLiteral("TUIO カーソルを送る"), this),
                    QStringLiteral("chkTuio"));
    txtTuio = Named(new QLineEdit(HostPortText(current.tuio), this), QStringLiteral("txtTuio"));
    chkWebSocket = Named(new QCheckBox(QStringLiteral("WebSocket で配信する"), this),
                         QStringLiteral("chkWebSocket"));
    txtWebSocketPort = Named(new QSpinBox(this), QStringLiteral("txtWebSocketPort"));
    txtWebSocketPort->setRange(1, 65535);
    txtWebSocketPort->setValue(current.websocketPort);
    chkEveryInterface =
        Named(new QCheckBox(QStringLiteral("ほかのコンピュータからの接続も受け付ける"), this),
              QStringLiteral("chkEveryInterface"));
    txtAllowedOrigin =
        Named(new QLineEdit(current.allowedOrigin, this), QStringLiteral("txtAllowedOrigin"));
    txtAllowedOrigin->setPlaceholderText(QStringLiteral("http://localhost:8000"));
    lblProblem = Named(new QLabel(this), QStringLiteral("lblProblem"));
    lblProblem->setStyleSheet(QStringLiteral("color: #c00000"));
    cmdOK = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK"));
    cmdCancel =
        Named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("cmdCancel"));
    chkOsc->setChecked(current.osc.on);
    chkTuio->setChecked(current.tuio.on);
    chkWebSocket->setChecked(current.websocket);
    chkEveryInterface->setChecked(current.everyInterface);
    txtOsc->setAccessibleName(QStringLiteral("OSC の送り先"));
    txtTuio->setAccessibleName(QStringLiteral("TUIO の送り先"));
    txtWebSocketPort->setAccessibleName(QStringLiteral("WebSocket のポート"));
    txtAllowedOrigin->setAccessibleName(QStringLiteral("許可する Web ページ"));

    auto* form = new QFormLayout;
    form->addRow(chkOsc, txtOsc);
    form->addRow(chkTuio, txtTuio);
    form->addRow(chkWebSocket, txtWebSocketPort);
    form->addRow(QString(), chkEveryInterface);
    form->addRow(QStringLiteral("許可する Web ページ"), txtAllowedOrigin);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addWidget(new QLabel(QStringLiteral("送り先は ホスト:ポート (例 127.0.0.1:9000)"), this));
    all->addLayout(form);
    all->addWidget(lblProblem);
    all->addLayout(buttons);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmPublish::cmdOK_Click() {
    PublishTargets chosen = chosen_;
    const auto read = [this](QCheckBox* on, QLineEdit* field, UdpTarget& target,
                             const QString& name) {
        UdpTarget parsed;
        if (!ParseHostPort(field->text(), parsed)) {
            if (on->isChecked()) {
                lblProblem->setText(
                    QStringLiteral("%1の送り先は ホスト:ポート の形で入力してください。")
                        .arg(name));
                field->setFocus();
                return false;
            }
            target.on = false;  // an unused field keeps the last good address
            return true;
        }
        target = parsed;
        target.on = on->isChecked();
        return true;
    };
    if (!read(chkOsc, txtOsc, chosen.osc, QStringLiteral("OSC ")) ||
        !read(chkTuio, txtTuio, chosen.tuio, QStringLiteral("TUIO "))) {
        return;
    }
    chosen.websocket = chkWebSocket->isChecked();
    chosen.websocketPort = static_cast<uint16_t>(txtWebSocketPort->value());
    chosen.everyInterface = chkEveryInterface->isChecked();
    chosen.allowedOrigin = txtAllowedOrigin->text().trimmed();
    chosen_ = chosen;
    lblProblem->clear();
    accept();
}

}  // namespace korvi
