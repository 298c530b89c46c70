#include "display/PressDisplay.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include "display/Beep.h"
#include "display/ClearDisplay.h"
#include "display/PanelMapping.h"
#include "platform/Colors.h"
#include "platform/MessageBoxes.h"
#include "platform/Units.h"

namespace korvi {

namespace {

// Footprints are 32 x 32 pictures centred on the mark.
constexpr double kFootprintOffset = 16.0;

}  // namespace

PressDisplay::PressDisplay(SensorLayout& layout, const DrawSetting& setting, SoundOutput& sound,
                           MessageBoxes& boxes, QString bmpDir)
    : layout_(layout),
      setting_(setting),
      sound_(sound),
      boxes_(boxes),
      bmpDir_(std::move(bmpDir)) {}

void PressDisplay::DrawReading(int16_t sensor, int16_t pressure, int16_t x, int16_t y) {
    if (sensor < 0 || sensor >= SensorCount) {
        return;
    }
    const int displayIndex = layout_.SensorMerged[sensor] ? 0 : sensor;
    PictureBox& panel = *layout_.picPressSens[displayIndex];
    if (panel.Visible()) {
        DrawOnPanel(sensor, displayIndex, pressure, x, y);
    }
    DrawOrgMark(panel, layout_.SensorRotation[displayIndex], kBlack);
}

void PressDisplay::DrawOnPanel(int16_t sensor, int displayIndex, int16_t pressure, int16_t x,
                               int16_t y) {
    PictureBox& panel = *layout_.picPressSens[displayIndex];
    Canvas& canvas = panel.canvas();
    {
        ScaleModeGuard pixels(canvas, ScaleMode::Pixels);
        const PanelPoint p = MapToPanel(layout_.SensorRotation[displayIndex], x, y,
                                        canvas.scaleWidth(), canvas.scaleHeight());

        uint32_t color = canvas.backColor();
        int32_t radius = 0;
        if (pressure >= 1) {
            color = GetPressColor(setting_.PressColorTable, pressure);
            radius = GetPressRadius(setting_.PressColorTable, pressure);
        }

        // Erase the sensor's previous mark; after a merge it lies on the host panel.
        const PressMark& previous = layout_.LastPress[sensor];
        canvas.setFillColor(canvas.backColor());
        canvas.circle(previous.MarkX, previous.MarkY, previous.MarkRadius, canvas.backColor());

        if (bmpMode_) {
            canvas.setFillColor(kWhite);
            canvas.setBackColor(kWhite);
            if (const QImage* footprint = FootprintFor(pressure)) {
                canvas.paintPicture(*footprint, p.x - kFootprintOffset, p.y - kFootprintOffset);
            }
        } else {
            canvas.setFillColor(color);
            if (pressure > setting_.PressThresh) {
                canvas.circle(p.x, p.y, radius, color);
            } else if (pressure != 0) {
                // A light touch floods the whole panel.
                canvas.setBackColor(color);
            } else if (sensor == 0 && x == 0 && y == 0) {
                canvas.setBackColor(kWhite);
            }
        }

        PictureBox& plate = *layout_.picBaseSens;
        if (plate.Visible()) {
            if (bmpMode_) {
                const BasePoint b = BasePosition(panel, p.x, p.y, plate);
                if (IsOnPlate(b, plate)) {
                    ShowBmpOnBase(displayIndex, b.x, b.y, pressure);
                }
            } else {
                MirrorDots(displayIndex, p.x, p.y, pressure, color, radius);
            }
        }

        layout_.LastPress[sensor] = PressMark{
            static_cast<float>(p.x),       static_cast<float>(p.y), pressure, radius, color,
            layout_.SensorRotation[sensor]};

        // The trace keeps the reading just drawn, on the panel it was drawn on; for a merged
        // sensor that is its own record, not the host's last one.
        const PressMark& drawn = layout_.LastPress[sensor];
        if (chkTrace && drawn.MarkPress > setting_.PressThresh) {
            trace_.Store(static_cast<int16_t>(displayIndex), drawn);
        }
    }

    if (chkSound && !setting_.HasSoundFiles) {
        BeepForPress(sound_, pressure);
    }
    if (chkTrace) {
        RedrawTrace();
    } else {
        trace_.Reset();
    }
}

void PressDisplay::MirrorDots(int displayIndex, double px, double py, int16_t pressure,
                              uint32_t color, int32_t radius) {
    PictureBox& plate = *layout_.picBaseSens;
    ScaleModeGuard twips(plate.canvas(), ScaleMode::Twips);
    plate.canvas().cls();
    RepaintBaseImage(layout_);
    DrawSensorFrames(layout_, layout_.ShowSensorFrames);

    for (int k = 0; k < SensorCount; ++k) {
        const PictureBox& other = *layout_.picPressSens[k];
        if (k == displayIndex || !other.Visible()) {
            continue;
        }
        const PressMark& last = layout_.LastPress[k];
        DrawDotOnPlate(other, last.MarkX, last.MarkY, last.MarkPress, last.MarkColor,
                       last.MarkRadius);
    }
    DrawDotOnPlate(*layout_.picPressSens[displayIndex], px, py, pressure, color, radius);
}

void PressDisplay::DrawDotOnPlate(const PictureBox& panel, double mx, double my, int16_t pressure,
                                  uint32_t color, int32_t radius) {
    PictureBox& plate = *layout_.picBaseSens;
    const BasePoint b = BasePosition(panel, mx, my, plate);
    if (!IsOnPlate(b, plate) || pressure < 1) {
        return;
    }
    Canvas& canvas = plate.canvas();
    canvas.setFillStyle(FillStyle::Solid);
    canvas.setFillColor(color);
    if (pressure <= setting_.PressThresh) {
        const double left = static_cast<double>(panel.Left()) - plate.Left();
        const double top = static_cast<double>(panel.Top()) - plate.Top();
        canvas.box(left, top, left + panel.Width(), top + panel.Height(), color, true);
    } else {
        canvas.circle(b.x, b.y, PixelsToTwips(radius), color);
    }
    canvas.refresh();
    canvas.setFillStyle(FillStyle::Transparent);
}

void PressDisplay::ShowBmpOnBase(int index, int32_t bx, int32_t by, int16_t pressure) {
    if (index < 0 || index >= SensorCount) {
        return;
    }
    ImageControl& image = *layout_.imgBmpOnBase[index];
    const int32_t left = RoundEven32(bx - image.Width() / 2.0);
    const int32_t top = RoundEven32(by - image.Height() / 2.0);
    const int number = PressImageNumber(pressure);
    if (pressure == 0 || number == 0 || pressBmp_[number - 1].isNull()) {
        image.hide();
        return;
    }
    const QImage& footprint = pressBmp_[number - 1];
    if (image.picture().cacheKey() != footprint.cacheKey()) {
        image.setPicture(footprint);
    }
    image.Move(static_cast<float>(left), static_cast<float>(top), image.Width(), image.Height());
    image.show();
}

void PressDisplay::RedrawTrace() {
    const TraceRing::Span span = trace_.OldestFirst();
    ClearDisplay(layout_);
    int position = span.start;
    for (int n = 0; n < span.count; ++n) {
        DrawTraceEntry(trace_.TraceSensor[position], trace_.TraceMarks[position]);
        position = trace_.NextPosition(position);
    }
}

void PressDisplay::DrawTraceEntry(int16_t panelIndex, const PressMark& mark) {
    if (panelIndex < 0 || panelIndex >= SensorCount) {
        return;
    }
    PictureBox& panel = *layout_.picPressSens[panelIndex];
    if (!panel.Visible()) {
        return;
    }
    Canvas& canvas = panel.canvas();
    ScaleModeGuard pixels(canvas, ScaleMode::Pixels);
    const int16_t mx = RoundEven16(mark.MarkX);
    const int16_t my = RoundEven16(mark.MarkY);
    const int16_t pressure = mark.MarkPress;

    // Colour and radius follow the draw setting in force, not what was stored.
    uint32_t color = canvas.backColor();
    int32_t radius = 0;
    if (pressure >= 1) {
        color = GetPressColor(setting_.PressColorTable, pressure);
        radius = GetPressRadius(setting_.PressColorTable, pressure);
    }

    if (bmpMode_) {
        canvas.setFillColor(kWhite);
        if (const QImage* footprint = FootprintFor(pressure)) {
            canvas.paintPicture(*footprint, mx - kFootprintOffset, my - kFootprintOffset);
        }
    } else {
        canvas.setFillColor(color);
        if (pressure > setting_.PressThresh) {
            canvas.circle(mx, my, radius, color);
        }
    }

    PictureBox& plate = *layout_.picBaseSens;
    if (!plate.Visible()) {
        return;
    }
    const BasePoint b = BasePosition(panel, mx, my, plate);
    if (!IsOnPlate(b, plate)) {
        return;
    }
    if (bmpMode_) {
        ShowBmpOnBase(panelIndex, b.x, b.y, pressure);
        return;
    }
    if (pressure <= 0) {
        return;
    }
    Canvas& base = plate.canvas();
    ScaleModeGuard twips(base, ScaleMode::Twips);
    base.setFillStyle(FillStyle::Solid);
    base.setFillColor(color);
    if (pressure > setting_.PressThresh) {
        base.circle(b.x, b.y, PixelsToTwips(radius), color);
    }
    base.refresh();
    base.setFillStyle(FillStyle::Transparent);
}

void PressDisplay::ResetTrace() {
    trace_.Resize(setting_.TraceSize);
}

QString PressDisplay::DisplayModeCaption(bool bmpMode) {
    return bmpMode ? QStringLiteral("BMP表示") : QStringLiteral("点表示");
}

QString PressDisplay::ToggleBmpMode() {
    if (!bmpMode_ && !LoadFootprints()) {
        return DisplayModeCaption();
    }
    bmpMode_ = !bmpMode_;
    ClearDisplay(layout_);
    trace_.Reset();
    return DisplayModeCaption();
}

bool PressDisplay::LoadFootprints() {
    std::array<QImage, PressImageCount> loaded{};
    const QDir folder(bmpDir_);
    for (int i = 0; i < PressImageCount; ++i) {
        const QString path = folder.filePath(QStringLiteral("Foot_%1.bmp").arg(i));
        QString problem;
        if (!QFileInfo(path).isFile()) {
            problem = QStringLiteral(" が見つかりません。");
        } else {
            QImageReader reader(path);
            loaded[i] = reader.read();
            if (loaded[i].isNull()) {
                problem = QStringLiteral(" を読み込めません。");
            }
        }
        if (!problem.isEmpty()) {
            pressBmp_ = {};
            pressBmpMasked_ = {};
            boxes_.show(QDir::toNativeSeparators(path) + problem + QStringLiteral("\r\n") +
                            QStringLiteral("設定ファイル(Setting.ini)の BMPファイルディレクトリ "
                                           "を確認してください。"),
                        QStringLiteral("ファイルエラー"), BoxIcon::Critical);
            return false;
        }
    }
    pressBmp_ = loaded;
    for (int i = 0; i < PressImageCount; ++i) {
        pressBmpMasked_[i] = WhiteAsTransparent(pressBmp_[i]);
    }
    return true;
}

const QImage* PressDisplay::FootprintFor(int16_t pressure) const {
    const int number = PressImageNumber(pressure);
    if (number == 0 || pressBmpMasked_[number - 1].isNull()) {
        return nullptr;
    }
    return &pressBmpMasked_[number - 1];
}

void PressDisplay::ClearPresses() {
    ClearDisplay(layout_);
    trace_.Reset();
}

uint32_t TraceCheckBackColor(bool traceOn) {
    return traceOn ? kRed : kSysButtonFace;
}

}  // namespace korvi
