#include "layout/LayoutEditor.h"

#include "layout/BaseImages.h"
#include "layout/Rotation.h"
#include "layout/StretchHandles.h"
#include "platform/Colors.h"
#include "platform/Units.h"

namespace korvi {

namespace {

const QLatin1String kPicSensor("picSensor");
const QLatin1String kPicPressSens("picPressSens");
const QLatin1String kPicDragNo("picDragNo");
const QLatin1String kPicBase("picBase");
const QLatin1String kPicBaseSens("picBaseSens");
const QLatin1String kPicStretchPtr("picStretchPtr");
const QLatin1String kLblNo("lblNo");

constexpr int kLeftButton = 1;
constexpr int32_t kMergeLimit = 15;

FrameRect RectOf(const Control& c) {
    return {c.Left(), c.Top(), c.Width(), c.Height()};
}

// The stored picture of a dragged picture control (base image or base plate).
QImage StoredPicture(Control& source) {
    auto* picture = dynamic_cast<PictureBox*>(&source);
    return picture != nullptr ? picture->canvas().picture() : QImage();
}

}  // namespace

LayoutEditor::LayoutEditor(SensorLayout& layout, DragController& drag, MessageBoxes& boxes,
                           FileDialogs& dialogs, QString appFolder, QString baseDir)
    : l_(layout),
      drag_(drag),
      boxes_(boxes),
      dialogs_(dialogs),
      appFolder_(std::move(appFolder)),
      baseDir_(std::move(baseDir)) {
    installHandlers();
}

void LayoutEditor::installHandlers() {
    for (int i = 0; i < SensorCount; ++i) {
        MouseHandlers& item = l_.picSensor[i]->mouse();
        item.down = [this, i](const Args& a) { picSensor_MouseDown(i, a); };
        item.move = [this, i](const Args& a) { picSensor_MouseMove(i, a); };
        item.up = [this](const Args& a) {
            if (a.button == kLeftButton) {
                drag_.cancelDrag();
            }
        };
        MouseHandlers& frame = l_.picPressSens[i]->mouse();
        frame.down = [this, i](const Args& a) { picPressSens_MouseDown(i, a.button, a.x, a.y); };
        frame.move = [this, i](const Args& a) { picPressSens_MouseMove(i, a.button, a.x, a.y); };
        frame.up = [this, i](const Args& a) { picPressSens_MouseUp(i, a.button); };
        MouseHandlers& label = l_.lblNo[i]->mouse();
        label.down = [this, i](const Args& a) { lblNo_MouseDown(i, a); };
        label.move = [this, i](const Args& a) { lblNo_MouseMove(i, a); };
        label.up = [this, i](const Args& a) { lblNo_MouseUp(i, a); };
    }
    for (int k = 0; k < BaseImageCount; ++k) {
        MouseHandlers& image = l_.picBase[k]->mouse();
        image.down = [this, k](const Args& a) { picBase_MouseDown(k, a); };
        image.move = [this, k](const Args& a) { picBase_MouseMove(k, a); };
        image.up = [this](const Args& a) {
            if (a.button == kLeftButton) {
                drag_.cancelDrag();
            }
        };
    }
    MouseHandlers& plate = l_.picBaseSens->mouse();
    plate.down = [this](const Args& a) { picBaseSens_MouseDown(a); };
    plate.move = [this](const Args& a) { picBaseSens_MouseMove(a); };
    plate.up = [this](const Args& a) { picBaseSens_MouseUp(a); };
    for (int h = 0; h < HandleCount; ++h) {
        MouseHandlers& handle = l_.picStretchPtr[h]->mouse();
        handle.down = [this, h](const Args& a) { picStretchPtr_MouseDown(h, a); };
        handle.move = [this, h](const Args&) { picStretchPtr_MouseMove(h); };
        handle.up = [this](const Args& a) {
            if (a.button == kLeftButton) {
                drag_.cancelDrag();
            }
        };
    }
    l_.form.mouse().down = [this](const Args& a) { Form_MouseDown(a); };
    l_.picSensorBox->mouse().down = [this](const Args&) { takeFocusFromHandle(); };
    l_.picBaseBox->mouse().down = [this](const Args&) { takeFocusFromHandle(); };
    drag_.onDragOver = [this](const DragArgs& a) { DragOver(a); };
    drag_.onDragDrop = [this](const DragArgs& a) { DragDrop(a); };
}

// ---- set-up -----------------------------------------------------------------------------------

void LayoutEditor::InitBaseImages() {
    InitBaseImages(baseDir_);
}

void LayoutEditor::InitBaseImages(const QString& baseDir) {
    baseDir_ = baseDir;
    for (int k = 0; k < BaseImageCount; ++k) {
        PictureBox& image = *l_.picBase[k];
        image.SetTag(kPicBase);
        image.Move(300, static_cast<float>(k * 675 + 120), 555, 555);
        image.canvas().setBackColor(l_.BaseColor);
        // A file that cannot be read as a whole picture is offered no more than a missing one.
        const QImage picture = LoadBasePicture(BaseImagePath(baseDir, k));
        baseLoaded_[k] = !picture.isNull();
        if (baseLoaded_[k]) {
            image.canvas().setPicture(picture);
            ScaleModeGuard twips(image.canvas(), ScaleMode::Twips);
            image.canvas().paintPicture(picture, 0, 0, image.Width(), image.Height());
            image.show();
        } else {
            image.canvas().setPicture(QImage());
            image.hide();
        }
    }
    PictureBox& plate = *l_.picBaseSens;
    plate.SetTag(kPicBaseSens);
    plate.canvas().setBackColor(l_.BaseColor);
    plate.canvas().setDrawWidth(2);
    plate.canvas().setFillStyle(FillStyle::Transparent);
    plate.hide();
    for (ImageControl* mark : l_.imgBmpOnBase) {
        mark->hide();
    }
}

void LayoutEditor::InitStretchHandles() {
    for (PictureBox* handle : l_.picStretchPtr) {
        handle->SetTag(kPicStretchPtr);
        handle->canvas().setBackColor(kSysActiveTitleBar);
        handle->Move(handle->Left(), handle->Top(), kHandleSize, kHandleSize);
        // Handles never take the focus, so a click on a command button keeps the selection.
        handle->setFocusPolicy(Qt::NoFocus);
        // The resize pointer follows the pointer's hover, not only a held button.
        handle->setMouseTracking(true);
        handle->hide();
    }
}

// ---- selection and handles --------------------------------------------------------------------

void LayoutEditor::SetDragOffset(float x, float y) {
    l_.DragOffsetX = x;
    l_.DragOffsetY = y;
}

void LayoutEditor::ShowStretchHandles(Control* target, bool show) {
    for (int h = 0; h < HandleCount; ++h) {
        PictureBox& handle = *l_.picStretchPtr[h];
        if (show && target != nullptr) {
            const HandlePosition p =
                PlaceHandle(h, RectOf(*target), handle.Width(), handle.Height());
            handle.Move(p.Left, p.Top, handle.Width(), handle.Height());
            l_.StretchTarget = target;
        } else {
            l_.StretchTarget = nullptr;
        }
        handle.SetVisible(show && target != nullptr);
        handle.BringToFront();
    }
}

void LayoutEditor::HideHandlesKeepingSelection() {
    Control* selection = l_.StretchTarget;
    ShowStretchHandles(selection, false);
    l_.StretchTarget = selection;
}

void LayoutEditor::takeFocusFromHandle() {
    if (focusedHandle_) {
        const int h = *focusedHandle_;
        focusedHandle_.reset();
        picStretchPtr_LostFocus(h);
    }
}

void LayoutEditor::picStretchPtr_LostFocus(int index) {
    HideHandlesKeepingSelection();
    l_.picStretchPtr[index]->unsetCursor();
}

PictureBox* LayoutEditor::StretchFrame() const {
    const Control* target = l_.StretchTarget;
    if (target == nullptr || target->Tag() != kPicPressSens) {
        return nullptr;
    }
    return l_.picPressSens[target->Index()];
}

// ---- mouse ------------------------------------------------------------------------------------

void LayoutEditor::beginDrag(Control& source, float x, float y) {
    drag_.beginDrag(source, QPointF(TwipsToPixels(x), TwipsToPixels(y)));
}

void LayoutEditor::picSensor_MouseDown(int, const Args& a) {
    takeFocusFromHandle();
    if (a.button == kLeftButton) {
        SetDragOffset(a.x, a.y);
    }
}

void LayoutEditor::picSensor_MouseMove(int index, const Args& a) {
    if (a.button == kLeftButton && !drag_.isDragging()) {
        beginDrag(*l_.picSensor[index], a.x, a.y);
    }
}

void LayoutEditor::picPressSens_MouseDown(int index, int button, float x, float y) {
    takeFocusFromHandle();
    if (button == kLeftButton) {
        SetDragOffset(x, y);
    }
    ShowStretchHandles(l_.picPressSens[index], false);
}

void LayoutEditor::picPressSens_MouseMove(int index, int button, float x, float y) {
    if (button == kLeftButton && (x != l_.DragOffsetX || y != l_.DragOffsetY) &&
        !drag_.isDragging()) {
        beginDrag(*l_.picPressSens[index], x, y);
    }
}

void LayoutEditor::picPressSens_MouseUp(int index, int button) {
    if (button == kLeftButton) {
        ShowStretchHandles(l_.picPressSens[index], true);
        drag_.cancelDrag();
    }
}

void LayoutEditor::lblNo_MouseDown(int index, const Args& a) {
    if (a.button != kLeftButton) {
        return;
    }
    LabelControl& label = *l_.lblNo[index];
    const int host = l_.LabelHost(index);
    if (host == index) {
        picPressSens_MouseDown(index, a.button, label.Left() + a.x, label.Top() + a.y);
        return;
    }
    takeFocusFromHandle();
    const PictureBox& frame = *l_.picPressSens[host];
    l_.picDragNo->Move(frame.Left() + label.Left(), frame.Top() + label.Top(), label.Width(),
                       label.Height());
    l_.picDragNo->show();
    l_.picDragNo->raise();
    l_.DragNoIndex = static_cast<int16_t>(index);
    l_.DragNoHost = static_cast<int16_t>(host);
}

void LayoutEditor::lblNo_MouseMove(int index, const Args& a) {
    if (a.button != kLeftButton) {
        return;
    }
    LabelControl& label = *l_.lblNo[index];
    if (l_.LabelHost(index) == index) {
        picPressSens_MouseMove(index, a.button, label.Left() + a.x, label.Top() + a.y);
        return;
    }
    if (!drag_.isDragging()) {
        beginDrag(*l_.picDragNo, a.x, a.y);
        l_.picDragNo->hide();
    }
}

void LayoutEditor::lblNo_MouseUp(int index, const Args& a) {
    // A merged number pressed and released without a move: its drag image must not linger.
    if (a.button == kLeftButton && l_.LabelHost(index) != index) {
        l_.picDragNo->hide();
    }
}

void LayoutEditor::picBase_MouseDown(int, const Args& a) {
    takeFocusFromHandle();
    if (a.button == kLeftButton) {
        SetDragOffset(a.x, a.y);
    }
}

void LayoutEditor::picBase_MouseMove(int index, const Args& a) {
    if (a.button == kLeftButton && !drag_.isDragging()) {
        beginDrag(*l_.picBase[index], a.x, a.y);
    }
}

void LayoutEditor::picBaseSens_MouseDown(const Args& a) {
    takeFocusFromHandle();
    if (a.button == kLeftButton) {
        SetDragOffset(a.x, a.y);
    }
    ShowStretchHandles(l_.picBaseSens, false);
}

void LayoutEditor::picBaseSens_MouseMove(const Args& a) {
    if (a.button == kLeftButton && (a.x != l_.DragOffsetX || a.y != l_.DragOffsetY) &&
        !drag_.isDragging()) {
        DrawSensorFrames(l_, false);
        beginDrag(*l_.picBaseSens, a.x, a.y);
    }
}

void LayoutEditor::picBaseSens_MouseUp(const Args& a) {
    if (a.button == kLeftButton) {
        ShowStretchHandles(l_.picBaseSens, true);
        drag_.cancelDrag();
    }
}

void LayoutEditor::Form_MouseDown(const Args&) {
    takeFocusFromHandle();
    ShowStretchHandles(l_.picBaseSens, false);
}

void LayoutEditor::picStretchPtr_MouseDown(int index, const Args& a) {
    focusedHandle_ = index;
    if (a.button == kLeftButton) {
        DrawSensorFrames(l_, false);
        beginDrag(*l_.picStretchPtr[index], a.x, a.y);
    }
}

void LayoutEditor::picStretchPtr_MouseMove(int index) {
    l_.picStretchPtr[index]->setCursor(HandleCursor(index));
}

// ---- drag-over and drop dispatch --------------------------------------------------------------

void LayoutEditor::DragOver(const DragArgs& a) {
    Control* target = a.target;
    if (!a.overBackground && target != nullptr && target->Tag() == kPicStretchPtr) {
        HideHandlesKeepingSelection();
        if (PictureBox* frame = StretchFrame()) {
            frame->canvas().cls();
        }
        return;
    }
    if (a.source.Tag() != kPicStretchPtr) {
        return;
    }
    if (a.overBackground) {
        Resize(a.source.Index(), a.x, a.y);
    } else if (target == l_.picBaseSens) {
        Resize(a.source.Index(), target->Left() + a.x, target->Top() + a.y);
    } else if (target != nullptr && target->Tag() == kPicPressSens) {
        Resize(a.source.Index(), target->Left() + a.x, target->Top() + a.y);
    }
}

void LayoutEditor::DragDrop(const DragArgs& a) {
    Control& source = a.source;
    if (a.overBackground) {
        Form_DragDrop(source, a.x, a.y);
        return;
    }
    Control* target = a.target;
    if (target == nullptr) {
        return;
    }
    const QString& tag = target->Tag();
    if (target == l_.picBaseSens) {
        picBaseSens_DragDrop(source, a.x, a.y);
    } else if (tag == kPicPressSens) {
        picPressSens_DragDrop(target->Index(), source, a.x, a.y);
    } else if (tag == kLblNo) {
        // A drop on a number label, merged or not, is a drop on the frame that holds it.
        picPressSens_DragDrop(l_.LabelHost(target->Index()), source, target->Left() + a.x,
                              target->Top() + a.y);
    } else if (target == l_.picSensorBox || tag == kPicSensor) {
        ReturnToBox(source);
    } else if (target == l_.picBaseBox || tag == kPicBase) {
        RemoveBase(source);
    }
}

void LayoutEditor::Form_DragDrop(Control& source, float x, float y) {
    const QString& tag = source.Tag();
    const float dx = l_.DragOffsetX;
    const float dy = l_.DragOffsetY;
    const int s = source.Index();
    if (tag == kPicSensor) {
        PictureBox& frame = *l_.picPressSens[s];
        l_.picSensor[s]->hide();
        frame.Move(x - dx, y - dy, source.Width(), source.Height());
        frame.show();
        frame.update();
        PlaceAvoidingOverlap(s);
        ResetReadings(s);
        l_.SensorRotation[s] = 0;
        DrawOrgMark(frame, l_.SensorRotation[s], kBlack);
    } else if (tag == kPicPressSens) {
        PictureBox& frame = *l_.picPressSens[s];
        frame.Move(x - dx, y - dy, frame.Width(), frame.Height());
        frame.show();
        frame.update();
        PlaceAvoidingOverlap(s);
    } else if (tag == kPicDragNo) {
        Unmerge(x, y);
    } else if (tag == kPicBase) {
        if (l_.BaseIndex == -1) {
            LayOutBase(s, source, x - dx, y - dy);
        } else {
            SwapBase(s);
        }
    } else if (tag == kPicBaseSens) {
        PictureBox& plate = *l_.picBaseSens;
        plate.Move(x - dx, y - dy, plate.Width(), plate.Height());
        plate.show();
        plate.update();
    } else if (tag == kPicStretchPtr) {
        FinishStretchOnForm();
        return;
    } else {
        return;
    }
    CommonRedraw();
}

void LayoutEditor::picBaseSens_DragDrop(Control& source, float x, float y) {
    const QString& tag = source.Tag();
    PictureBox& plate = *l_.picBaseSens;
    const float dx = l_.DragOffsetX;
    const float dy = l_.DragOffsetY;
    const int s = source.Index();
    if (tag == kPicSensor) {
        // No overlap resolution on the plate: frames dropped there may overlap.
        PictureBox& frame = *l_.picPressSens[s];
        frame.show();
        frame.Move(plate.Left() + x - dx, plate.Top() + y - dy, source.Width(), source.Height());
        l_.picSensor[s]->hide();
        ResetReadings(s);
        l_.SensorRotation[s] = 0;
        DrawOrgMark(frame, 0, kBlack);
    } else if (tag == kPicPressSens) {
        PictureBox& frame = *l_.picPressSens[s];
        frame.show();
        frame.Move(plate.Left() + x - dx, plate.Top() + y - dy, frame.Width(), frame.Height());
        l_.picSensor[s]->hide();
    } else if (tag == kPicBaseSens) {
        plate.show();
        plate.Move(plate.Left() + (x - dx), plate.Top() + (y - dy), plate.Width(), plate.Height());
        PaintStretched(source);
    } else if (tag == kPicBase) {
        if (l_.BaseIndex != -1) {
            SwapBase(s);
        }
    } else if (tag == kPicStretchPtr) {
        FinishStretchOnPlate();
        return;
    } else {
        return;
    }
    DrawSensorFrames(l_, l_.ShowSensorFrames);
}

void LayoutEditor::picPressSens_DragDrop(int k, Control& source, float x, float y) {
    const QString& tag = source.Tag();
    const PictureBox& target = *l_.picPressSens[k];
    const float dx = l_.DragOffsetX;
    const float dy = l_.DragOffsetY;
    const int s = source.Index();
    if (tag == kPicSensor) {
        if (l_.MergedCount >= kMergeLimit) {
            ShowMergeLimit();
            return;
        }
        PictureBox& frame = *l_.picPressSens[s];
        float left = target.Left() + x - dx;
        float top = target.Top() + y - dy;
        frame.Move(left, top, source.Width(), source.Height());
        const bool merge = k == 0 && l_.MergeMode;
        if (!merge) {
            const FrameRect clear = AvoidOverlap(s);
            left = clear.Left;
            top = clear.Top;
            frame.show();
        } else {
            Merge(s, 0);
        }
        frame.Move(left, top, frame.Width(), frame.Height());
        l_.picSensor[s]->hide();
        ResetReadings(s);
        if (k != 0) {
            l_.SensorRotation[s] = 0;
            DrawOrgMark(frame, 0, kBlack);
        } else {
            l_.SensorRotation[0] = 0;
            DrawOrgMark(*l_.picPressSens[0], 0, kBlack);
            if (!merge) {
                // Placed beside sensor 1: it starts upright like every other placement.
                l_.SensorRotation[s] = 0;
                DrawOrgMark(frame, 0, kBlack);
            }
        }
        CommonRedraw();
    } else if (tag == kPicPressSens) {
        PictureBox& frame = *l_.picPressSens[s];
        float left = 0;
        float top = 0;
        if (s == k) {
            left = frame.Left() + x - dx;
            top = frame.Top() + y - dy;
        } else {
            if (l_.MergedCount >= kMergeLimit) {
                ShowMergeLimit();
                return;
            }
            left = target.Left() + x - dx;
            top = target.Top() + y - dy;
        }
        frame.Move(left, top, frame.Width(), frame.Height());
        if (k != 0 || !l_.MergeMode || s == 0) {
            const FrameRect clear = AvoidOverlap(s);
            left = clear.Left;
            top = clear.Top;
            if (k != 0 || !l_.MergeMode) {
                frame.show();
            }
        } else {
            Merge(s, 0);
        }
        frame.Move(left, top, frame.Width(), frame.Height());
        CommonRedraw();
    } else if (tag == kPicBase || tag == kPicBaseSens) {
        PictureBox& plate = *l_.picBaseSens;
        if (tag == kPicBase) {
            if (l_.BaseIndex != -1) {
                SwapBase(s);
                if (plate.Visible()) {
                    RepaintBaseImage(l_);
                }
            } else {
                LayOutBase(s, source, target.Left() + x - dx, target.Top() + y - dy);
                PaintStretched(source);
            }
        } else {
            plate.Move(target.Left() + x - dx, target.Top() + y - dy, plate.Width(),
                       plate.Height());
            plate.show();
            PaintStretched(source);
        }
        CommonRedraw();
    } else if (tag == kPicStretchPtr) {
        FinishStretchOnFrame();
    }
}

void LayoutEditor::ReturnToBox(Control& source) {
    if (source.Tag() == kPicPressSens) {
        ReturnSensorToBox(source.Index());
    }
}

void LayoutEditor::RemoveBase(Control& source) {
    if (source.Tag() != kPicBaseSens || l_.BaseIndex == -1) {
        return;
    }
    l_.picBaseSens->hide();
    ShowBaseImageInBox(l_.BaseIndex);
    l_.BaseIndex = -1;
}

// ---- sensors ----------------------------------------------------------------------------------

void LayoutEditor::ResetReadings(int s) {
    PressMark& mark = l_.LastPress[s];
    mark.MarkX = 0;
    mark.MarkY = 0;
    mark.MarkPress = 0;
    mark.MarkRotation = 0;
}

FrameRect LayoutEditor::AvoidOverlap(int frame) const {
    std::vector<FrameRect> others;
    for (int i = 0; i < SensorCount; ++i) {
        if (i != frame && l_.picPressSens[i]->Visible()) {
            others.push_back(RectOf(*l_.picPressSens[i]));
        }
    }
    return AvoidOverlapRect(RectOf(*l_.picPressSens[frame]), others);
}

void LayoutEditor::PlaceAvoidingOverlap(int s) {
    PictureBox& frame = *l_.picPressSens[s];
    const FrameRect clear = AvoidOverlap(s);
    frame.Move(clear.Left, clear.Top, frame.Width(), frame.Height());
}

void LayoutEditor::Merge(int s, int host) {
    l_.picPressSens[s]->hide();
    l_.SensorMerged[s] = true;
    // The chain holds, in index order, the sensors already merged into the host, the new one and
    // any the new one hosted itself (possible in a loaded layout); other groups stay as they are.
    int previous = host;
    for (int j = 0; j < SensorCount; ++j) {
        if (!l_.SensorMerged[j]) {
            continue;
        }
        const int holder = l_.LabelHost(j);
        if (holder != host && holder != s && j != s) {
            continue;
        }
        LabelControl& label = *l_.lblNo[j];
        if (holder != host) {
            label.SetContainer(l_.picPressSens[host]);
            label.setCaption(QStringLiteral(",") + QString::number(j + 1));
            label.show();
        }
        l_.ChainLabelAfter(j, previous);
        previous = j;
    }
    ++l_.MergedCount;
}

void LayoutEditor::Unmerge(float x, float y) {
    const int i = l_.DragNoIndex;
    const int host = l_.DragNoHost;
    PictureBox& frame = *l_.picPressSens[i];
    const bool wasMerged = l_.SensorMerged[i];
    if (wasMerged) {
        l_.MoveLabelHome(i);
        frame.Move(x - frame.Width() / 2, y - frame.Height() / 2, frame.Width(), frame.Height());
        frame.show();
        frame.canvas().cls();
        l_.SensorMerged[i] = false;
        PlaceAvoidingOverlap(i);
        DrawOrgMark(frame, l_.SensorRotation[i], kBlack);
    }
    int previous = host;
    for (int j = 0; j < SensorCount; ++j) {
        if (l_.SensorMerged[j] && l_.LabelHost(j) == host) {
            l_.ChainLabelAfter(j, previous);
            previous = j;
        }
    }
    if (wasMerged) {
        --l_.MergedCount;
    }
}

void LayoutEditor::ReturnMergedToBox(int i) {
    l_.MoveLabelHome(i);
    l_.picSensor[i]->show();
    l_.picPressSens[i]->hide();
    l_.picPressSens[i]->canvas().cls();
    l_.SensorMerged[i] = false;
    --l_.MergedCount;
}

void LayoutEditor::ReturnSensorToBox(int s) {
    PictureBox& frame = *l_.picPressSens[s];
    l_.picSensor[s]->show();
    frame.hide();
    frame.canvas().cls();
    l_.SensorMerged[s] = false;
    for (int i = 0; i < SensorCount; ++i) {
        if (l_.SensorMerged[i] && i != s && l_.LabelHost(i) == s) {
            ReturnMergedToBox(i);
        }
    }
    if (l_.picBaseSens->Visible()) {
        RepaintBaseImage(l_);
        DrawSensorFrames(l_, l_.ShowSensorFrames);
    }
}

void LayoutEditor::ShowMergeLimit() {
    boxes_.show(QStringLiteral("統合できるセンサ数は") + QString::number(16) +
                    QStringLiteral("個までです。"),
                kLayoutWindowTitle, BoxIcon::Critical);
}

void LayoutEditor::CommonRedraw() {
    if (l_.picBaseSens->Visible()) {
        RepaintBaseImage(l_);
    }
    DrawSensorFrames(l_, l_.ShowSensorFrames);
}

// ---- base plate -------------------------------------------------------------------------------

void LayoutEditor::ShowBaseImageInBox(int k) {
    // An image whose file could not be loaded was never offered and is not offered now.
    if (k >= 0 && k < BaseImageCount && baseLoaded_[k]) {
        l_.picBase[k]->show();
    }
}

void LayoutEditor::SwapBase(int k) {
    ShowBaseImageInBox(l_.BaseIndex);
    l_.BaseIndex = static_cast<int16_t>(k);
    l_.picBase[k]->hide();
    l_.picBaseSens->canvas().setPicture(l_.picBase[k]->canvas().picture());
}

void LayoutEditor::LayOutBase(int k, Control& source, float left, float top) {
    PictureBox& plate = *l_.picBaseSens;
    l_.BaseIndex = static_cast<int16_t>(k);
    l_.picBase[k]->hide();
    plate.canvas().setPicture(l_.picBase[k]->canvas().picture());
    plate.Move(left, top, source.Width(), source.Height());
    plate.show();
    plate.update();
}

void LayoutEditor::PaintStretched(Control& source) {
    PictureBox& plate = *l_.picBaseSens;
    ScaleModeGuard twips(plate.canvas(), ScaleMode::Twips);
    plate.canvas().paintPicture(StoredPicture(source), 0, 0, plate.Width(), plate.Height());
}

// ---- stretching -------------------------------------------------------------------------------

void LayoutEditor::Resize(int handle, float px, float py) {
    Control* target = l_.StretchTarget;
    if (target == nullptr) {
        return;
    }
    const FrameRect r = ResizeByHandle(handle, RectOf(*target), px, py);
    target->Move(r.Left, r.Top, r.Width, r.Height);
}

void LayoutEditor::FinishStretchOnForm() {
    if (PictureBox* frame = StretchFrame()) {
        const int i = frame->Index();
        frame->canvas().cls();
        DrawOrgMark(*frame, l_.SensorRotation[i], kBlack);
        l_.StretchTarget = nullptr;
    }
    CommonRedraw();
}

void LayoutEditor::FinishStretchOnPlate() {
    if (PictureBox* frame = StretchFrame()) {
        const int i = frame->Index();
        frame->canvas().cls();
        PrintTextAt(*frame, 1, 1, QString::number(i + 1));
        DrawOrgMark(*frame, l_.SensorRotation[i], kBlack);
    }
    if (l_.picBaseSens->Visible()) {
        RepaintBaseImage(l_);
    }
    DrawSensorFrames(l_, l_.ShowSensorFrames);
    l_.StretchTarget = nullptr;
    DrawSensorFrames(l_, l_.ShowSensorFrames);
}

void LayoutEditor::FinishStretchOnFrame() {
    if (PictureBox* frame = StretchFrame()) {
        const int i = frame->Index();
        PlaceAvoidingOverlap(i);
        frame->canvas().cls();
        DrawOrgMark(*frame, l_.SensorRotation[i], kBlack);
        l_.StretchTarget = nullptr;
    }
    CommonRedraw();
}

// ---- rotation ---------------------------------------------------------------------------------

void LayoutEditor::cmdRotate_Click() {
    PictureBox* frame = StretchFrame();
    if (frame == nullptr) {
        return;
    }
    const int i = frame->Index();
    DrawOrgMark(*frame, l_.SensorRotation[i], frame->canvas().backColor());
    l_.SensorRotation[i] = NextRotation(l_.SensorRotation[i]);
    DrawOrgMark(*frame, l_.SensorRotation[i], kBlack);
}

int16_t LayoutEditor::CountPlacedSensors() const {
    int16_t count = 0;
    for (const PictureBox* frame : l_.picPressSens) {
        if (frame->Visible()) {
            ++count;
        }
    }
    return count;
}

}  // namespace korvi
