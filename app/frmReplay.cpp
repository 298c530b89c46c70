#include "app/frmReplay.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QSignalBlocker>

#include "app/ReplayControl.h"

namespace korvi {

frmReplay::frmReplay(ReplayControl& replay, std::function<void()> onClose, QWidget* parent)
    : ToolWindow(parent, QStringLiteral("frmReplay"), QStringLiteral("記録の再生"), Qt::Tool),
      replay_(replay),
      onClose_(std::move(onClose)) {
    cmdPlay = Named(new QPushButton(QStringLiteral("再生"), this), QStringLiteral("cmdPlay"));
    cmdStep = Named(new QPushButton(QStringLiteral("1行送り"), this), QStringLiteral("cmdStep"));
    txtRate = Named(new QSpinBox(this), QStringLiteral("txtRate"));
    txtRate->setRange(ReplayControl::kMinRate, ReplayControl::kMaxRate);
    txtRate->setSuffix(QStringLiteral(" 行/秒"));
    txtRate->setAccessibleName(QStringLiteral("txtRate"));
    sldPosition = Named(new QSlider(Qt::Horizontal, this), QStringLiteral("sldPosition"));
    sldPosition->setAccessibleName(QStringLiteral("sldPosition"));
    sldPosition->setMinimumWidth(240);
    lblPosition = Named(new QLabel(this), QStringLiteral("lblPosition"));
    lblPosition->setMinimumWidth(150);
    cmdClose = Named(new QPushButton(QStringLiteral("閉じる"), this), QStringLiteral("cmdClose"));

    auto* row = new QHBoxLayout(this);
    for (QWidget* w : std::initializer_list<QWidget*>{cmdPlay, cmdStep, txtRate, sldPosition,
                                                      lblPosition, cmdClose}) {
        row->addWidget(w);
    }

    connect(cmdPlay, &QPushButton::clicked, this,
            [this] { replay_.IsPlaying() ? replay_.Pause() : replay_.Play(); });
    connect(cmdStep, &QPushButton::clicked, this, [this] { replay_.Step(); });
    connect(txtRate, qOverload<int>(&QSpinBox::valueChanged), this,
            [this](int rate) { replay_.SetRate(rate); });
    // Seeking redraws every row before the new place: done when the slider is let go, not for
    // every step of a drag.
    connect(sldPosition, &QSlider::valueChanged, this, [this](int position) {
        if (!sldPosition->isSliderDown()) {
            replay_.Seek(position);
        }
    });
    connect(sldPosition, &QSlider::sliderReleased, this,
            [this] { replay_.Seek(sldPosition->value()); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { close(); });
    connect(&replay_, &ReplayControl::changed, this, [this] { Refresh(); });
    Refresh();
}

void frmReplay::SetFileName(const QString& name) {
    setWindowTitle(QStringLiteral("記録の再生 - %1").arg(name));
    Refresh();
}

void frmReplay::Refresh() {
    cmdPlay->setText(replay_.IsPlaying() ? QStringLiteral("一時停止") : QStringLiteral("再生"));
    const QSignalBlocker rateBlock(txtRate);
    txtRate->setValue(replay_.Rate());
    if (!sldPosition->isSliderDown()) {
        const QSignalBlocker sliderBlock(sldPosition);
        sldPosition->setRange(0, replay_.RowCount());
        sldPosition->setValue(replay_.Position());
    }
    lblPosition->setText(replay_.PositionText());
}

void frmReplay::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClose_) {
        onClose_();
    }
}

}  // namespace korvi
