#include "layout/SensorLayout.h"

#include "platform/Colors.h"
#include "platform/Units.h"

namespace korvi {

namespace {

PictureBox* MakePanel(QWidget* parent, const QString& name, const QString& tag, int index,
                      FlatBorder border = FlatBorder::Inside) {
    auto* panel = new PictureBox(parent, name, tag, index);
    panel->setFlatBorder(border);
    return panel;
}

}  // namespace

SensorLayout::SensorLayout(FormSurface& formSurface, uint32_t baseColor, bool mergeMode)
    : form(formSurface), MergeMode(mergeMode), BaseColor(baseColor) {
    QWidget* parent = &form;

    Label1 = new QLabel(QStringLiteral("センサボックス"), parent);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 0, 120, 16);
    picSensorBox =
        MakePanel(parent, QStringLiteral("picSensorBox"), QStringLiteral("picSensorBox"), -1);
    picSensorBox->Move(120, 240, 1215, 10215);
    picSensorBox->canvas().setBackColor(0xE0E0E0);

    Label2 = new QLabel(QStringLiteral("ベースボックス"), parent);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(944, 0, 120, 16);
    picBaseBox = MakePanel(parent, QStringLiteral("picBaseBox"), QStringLiteral("picBaseBox"), -1);
    picBaseBox->Move(14160, 240, 1215, 10215);
    picBaseBox->canvas().setBackColor(0xE0E0E0);
    for (int k = 0; k < BaseImageCount; ++k) {
        picBase[k] = MakePanel(picBaseBox, QStringLiteral("picBase"), QStringLiteral("picBase"), k);
        picBase[k]->Move(300, static_cast<float>(k * 675 + 120), 555, 555);
        picBase[k]->canvas().setBackColor(baseColor);
        picBase[k]->hide();
    }

    // The base plate lies below the placed frames: created first, so it is drawn first.
    picBaseSens = MakePanel(parent, QStringLiteral("picBaseSens"), QStringLiteral("picBaseSens"),
                            -1, FlatBorder::OverDrawing);
    picBaseSens->canvas().setBackColor(baseColor);
    picBaseSens->canvas().setDrawWidth(2);
    picBaseSens->canvas().setFillStyle(FillStyle::Transparent);
    picBaseSens->hide();
    for (int j = 0; j < SensorCount; ++j) {
        imgBmpOnBase[j] = new ImageControl(picBaseSens, QStringLiteral("imgBmpOnBase"), j);
        imgBmpOnBase[j]->Move(0, 0, 480, 480);
        imgBmpOnBase[j]->hide();
    }

    for (int i = 0; i < SensorCount; ++i) {
        picSensor[i] =
            MakePanel(picSensorBox, QStringLiteral("picSensor"), QStringLiteral("picSensor"), i);
        picPressSens[i] =
            MakePanel(parent, QStringLiteral("picPressSens"), QStringLiteral("picPressSens"), i);
        picPressSens[i]->hide();
        lblNo[i] = new LabelControl(picPressSens[i], QStringLiteral("lblNo"), i);
    }

    picDragNo = MakePanel(parent, QStringLiteral("picDragNo"), QStringLiteral("picDragNo"), -1);
    picDragNo->hide();

    for (int h = 0; h < HandleCount; ++h) {
        picStretchPtr[h] =
            MakePanel(parent, QStringLiteral("picStretchPtr"), QStringLiteral("picStretchPtr"), h);
        picStretchPtr[h]->canvas().setBackColor(kSysActiveTitleBar);
        picStretchPtr[h]->Move(0, 0, 75, 75);
        picStretchPtr[h]->hide();
    }
}

void SensorLayout::InitSensors() {
    for (int i = 0; i < SensorCount; ++i) {
        PictureBox& item = *picSensor[i];
        item.SetTag(QStringLiteral("picSensor"));
        item.Move(240, static_cast<float>(i * 615 + 60), 555, 555);
        item.canvas().setForeColor(kBlack);
        item.canvas().setBackColor(kWhite);
        item.show();
        DrawOrgMark(item, 0, kBlack);
        PrintTextAt(item, 1, 1, QString::number(i + 1));

        lblNo[i]->Move(100, 100, 0, 0);
        lblNo[i]->setCaption(QString::number(i + 1));
        lblNo[i]->show();

        PictureBox& frame = *picPressSens[i];
        frame.SetTag(QStringLiteral("picPressSens"));
        frame.canvas().setForeColor(kBlack);
        frame.canvas().setBackColor(kWhite);
        frame.canvas().setFillStyle(FillStyle::Solid);
        frame.hide();
        SensorMerged[i] = false;
    }
    MergedCount = 0;
}

void SensorLayout::MoveLabelHome(int sensor) {
    LabelControl& label = *lblNo[sensor];
    label.SetContainer(picPressSens[sensor]);
    label.Move(100, 100, label.Width(), label.Height());
    label.setCaption(QString::number(sensor + 1));
    label.show();
}

void SensorLayout::ChainLabelAfter(int sensor, int previous) {
    LabelControl& label = *lblNo[sensor];
    const LabelControl& before = *lblNo[previous];
    label.Move(before.Left() + before.Width(), before.Top(), label.Width(), label.Height());
}

int SensorLayout::LabelHost(int sensor) const {
    const Control* host = lblNo[sensor]->Container();
    return host != nullptr ? host->Index() : sensor;
}

void PrintTextAt(PictureBox& target, int32_t column, int32_t row, const QString& text) {
    ScaleModeGuard guard(target.canvas(), ScaleMode::Characters);
    target.canvas().setCurrent(column, row);
    target.canvas().print(text);
}

namespace {

// The ends of the origin mark's tick on a panel of w x h pixels.
void OrgMarkEnds(int32_t w, int32_t h, int16_t rotation, int32_t& x1, int32_t& y1, int32_t& x2,
                 int32_t& y2) {
    const int32_t halfW = RoundEven32(w / 2.0);
    const int32_t halfH = RoundEven32(h / 2.0);
    x1 = y1 = x2 = y2 = 0;
    switch (rotation) {
        case 0:
            x1 = halfW, y1 = h, x2 = halfW, y2 = h - 5;
            break;
        case 90:
            x1 = w, y1 = halfH, x2 = w - 5, y2 = halfH;
            break;
        case 180:
            x1 = halfW, y1 = 0, x2 = halfW, y2 = 5;
            break;
        case 270:
            x1 = 0, y1 = halfH, x2 = 5, y2 = halfH;
            break;
        default:
            break;
    }
}

// The tick is drawn two pixels wide.
constexpr int kOrgMarkWidth = 2;

}  // namespace

void DrawOrgMark(PictureBox& target, int16_t rotation, uint32_t color) {
    if (target.Tag() != QLatin1String("picSensor") &&
        target.Tag() != QLatin1String("picPressSens")) {
        return;
    }
    Canvas& canvas = target.canvas();
    ScaleModeGuard guard(canvas, ScaleMode::Pixels);
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    OrgMarkEnds(static_cast<int32_t>(canvas.scaleWidth()),
                static_cast<int32_t>(canvas.scaleHeight()), rotation, x1, y1, x2, y2);
    const int savedWidth = canvas.drawWidth();
    canvas.setDrawWidth(kOrgMarkWidth);
    canvas.line(x1, y1, x2, y2, color);
    canvas.setDrawWidth(savedWidth);
}

QRect OrgMarkArea(int widthPixels, int heightPixels, int16_t rotation) {
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    OrgMarkEnds(widthPixels, heightPixels, rotation, x1, y1, x2, y2);
    constexpr int kRoom = kOrgMarkWidth + 2;
    return QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                 QPoint(std::max(x1, x2), std::max(y1, y2)))
        .adjusted(-kRoom, -kRoom, kRoom, kRoom);
}

uint32_t GetFrameColor(uint32_t baseBackColor) {
    const double c = static_cast<double>(baseBackColor & 0xFFFFFFu);
    const auto channel = [c](uint32_t mask) {
        const auto part = static_cast<double>(static_cast<uint32_t>(c) & mask);
        return static_cast<uint32_t>(RoundEven32((part + mask) / 2.0)) & mask;
    };
    return channel(0xFFu) | channel(0xFF00u) | channel(0xFF0000u);
}

void RepaintBaseImage(SensorLayout& layout) {
    PictureBox& plate = *layout.picBaseSens;
    ScaleModeGuard guard(plate.canvas(), ScaleMode::Twips);
    plate.canvas().paintPicture(plate.canvas().picture(), 0, 0, plate.Width(), plate.Height());
}

void DrawSensorFrames(SensorLayout& layout, bool show) {
    PictureBox& plate = *layout.picBaseSens;
    if (!plate.Visible()) {
        return;
    }
    Canvas& canvas = plate.canvas();
    ScaleModeGuard guard(canvas, ScaleMode::Twips);
    if (!show) {
        canvas.cls();
        RepaintBaseImage(layout);
        return;
    }
    RepaintBaseImage(layout);
    const uint32_t color = GetFrameColor(canvas.backColor());
    for (PictureBox* frame : layout.picPressSens) {
        if (!frame->Visible()) {
            continue;
        }
        const double l = static_cast<double>(frame->Left()) - plate.Left();
        const double t = static_cast<double>(frame->Top()) - plate.Top();
        canvas.box(l, t, l + frame->Width(), t + frame->Height(), color, false);
    }
}

}  // namespace korvi
