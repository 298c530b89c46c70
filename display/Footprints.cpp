#include "display/Footprints.h"

#include <QDir>
#include <QFileInfo>

#include "layout/BaseImages.h"
#include "platform/MessageBoxes.h"
#include "platform/Units.h"

namespace korvi {

bool Footprints::Load(const QString& folder, MessageBoxes& boxes) {
    std::array<QImage, PressImageCount> loaded{};
    const QDir dir(folder);
    for (int i = 0; i < PressImageCount; ++i) {
        const QString path = dir.filePath(QStringLiteral("Foot_%1.bmp").arg(i));
        QString problem;
        if (!QFileInfo(path).isFile()) {
            problem = QStringLiteral(" が見つかりません。");
        } else {
            // A copy cut short is refused like a file that is no picture at all.
            loaded[i] = LoadBasePicture(path);
            if (loaded[i].isNull()) {
                problem = QStringLiteral(" を読み込めません。");
            }
        }
        if (!problem.isEmpty()) {
            pictures_ = {};
            masked_ = {};
            stamps_ = {};
            boxes.show(QDir::toNativeSeparators(path) + problem + QStringLiteral("\r\n") +
                           QStringLiteral("設定ファイル(Setting.ini)の BMPファイルディレクトリ "
                                          "を確認してください。"),
                       QStringLiteral("ファイルエラー"), BoxIcon::Critical);
            return false;
        }
    }
    pictures_ = loaded;
    for (int i = 0; i < PressImageCount; ++i) {
        masked_[i] = WhiteAsTransparent(pictures_[i]);
        // A picture with see-through shades is blended by a painter; the rest is copied.
        bool opaqueOrClear = true;
        for (int row = 0; row < masked_[i].height() && opaqueOrClear; ++row) {
            const auto* line = reinterpret_cast<const QRgb*>(masked_[i].constScanLine(row));
            for (int col = 0; col < masked_[i].width(); ++col) {
                opaqueOrClear =
                    opaqueOrClear && (qAlpha(line[col]) == 0 || qAlpha(line[col]) == 255);
            }
        }
        stamps_[i] = opaqueOrClear ? Stamp(masked_[i]) : Stamp();
    }
    return true;
}

const QImage* Footprints::MaskedFor(int16_t pressure) const {
    const int number = PressImageNumber(pressure);
    if (number == 0 || masked_[number - 1].isNull()) {
        return nullptr;
    }
    return &masked_[number - 1];
}

const Stamp* Footprints::StampFor(int16_t pressure) const {
    const int number = PressImageNumber(pressure);
    if (number == 0 || stamps_[number - 1].empty()) {
        return nullptr;
    }
    return &stamps_[number - 1];
}

void Footprints::ShowOnPlate(int index, int32_t bx, int32_t by, int16_t pressure) {
    if (index < 0 || index >= SensorCount) {
        return;
    }
    ImageControl& image = *layout_.imgBmpOnBase[index];
    double width = image.Width();
    double height = image.Height();
    if (noting_ && states_[index].number != 0) {
        // The control takes the size of the picture noted for it.
        const QImage& noted = pictures_[states_[index].number - 1];
        width = static_cast<float>(PixelsToTwips(noted.width()));
        height = static_cast<float>(PixelsToTwips(noted.height()));
    }
    const int32_t left = RoundEven32(bx - width / 2.0);
    const int32_t top = RoundEven32(by - height / 2.0);
    const int number = PressImageNumber(pressure);
    const bool shown = pressure != 0 && number != 0 && !pictures_[number - 1].isNull();
    if (noting_) {
        // Only the last call for a control decides where it stands and whether it shows.
        ControlState& state = states_[index];
        state.visible = shown;
        if (shown) {
            state.number = number;
            state.left = static_cast<float>(left);
            state.top = static_cast<float>(top);
        }
        noted_ |= 1u << index;
        return;
    }
    if (!shown) {
        image.hide();
        return;
    }
    const QImage& footprint = pictures_[number - 1];
    if (image.picture().cacheKey() != footprint.cacheKey()) {
        image.setPicture(footprint);
    }
    image.Move(static_cast<float>(left), static_cast<float>(top), image.Width(), image.Height());
    image.show();
}

void Footprints::NoteAllHidden() {
    for (ControlState& state : states_) {
        state.visible = false;
    }
    noted_ = (1u << SensorCount) - 1;
}

void Footprints::ApplyNoted() {
    for (int k = 0; k < SensorCount; ++k) {
        if ((noted_ >> k & 1u) == 0) {
            continue;
        }
        ImageControl& image = *layout_.imgBmpOnBase[k];
        ControlState& state = states_[k];
        if (state.number != 0) {
            const QImage& footprint = pictures_[state.number - 1];
            if (image.picture().cacheKey() != footprint.cacheKey()) {
                image.setPicture(footprint);
            }
            if (image.Left() != state.left || image.Top() != state.top) {
                image.Move(state.left, state.top, image.Width(), image.Height());
            }
        }
        image.setVisible(state.visible);
        state = ControlState{};
    }
    noted_ = 0;
}

}  // namespace korvi
