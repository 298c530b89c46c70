// Editing of the sensor layout with the mouse: placing, moving and returning sensors, merging and
// un-merging them into sensor 1, the base plate and its images, selection with the stretch
// handles, resizing by handle drag, rotation, and the layout-file commands. It installs itself as
// the mouse handler of every layout control and as the drag controller's drag-over and drop
// handler, and decides every drop by the tag of the dragged control.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "layout/AvoidOverlap.h"
#include "layout/LayoutFile.h"
#include "layout/SensorLayout.h"
#include "platform/DragDrop.h"
#include "platform/MessageBoxes.h"

namespace korvi {

// Title of the main window, used by the boxes the layout commands show.
inline const QString kLayoutWindowTitle = QStringLiteral("Tamsen Korviｾﾝｻｰ (圧力位置検出ｾﾝｻｰ)");

class LayoutEditor {
  public:
    // appFolder: where the layout-file dialogs start; baseDir: the folder of the base images.
    LayoutEditor(SensorLayout& layout, DragController& drag, MessageBoxes& boxes,
                 FileDialogs& dialogs, QString appFolder, QString baseDir);
    LayoutEditor(const LayoutEditor&) = delete;
    LayoutEditor& operator=(const LayoutEditor&) = delete;

    // Load-time set-up, after SensorLayout::InitSensors and in this order.
    void InitBaseImages();
    void InitBaseImages(const QString& baseDir);
    void InitStretchHandles();

    // Commands of the button bar and the menus.
    void cmdRotate_Click();
    void cmdSave_Click();
    void cmdLoad_Click();
    // Loads a layout file as the load command does after its dialog; false (with the reason
    // shown) when the file is refused.
    bool LoadFile(const QString& path);

    void SetDragOffset(float x, float y);
    // With show true the handles surround the target and it becomes the selection; with false
    // they are hidden and nothing is selected.
    void ShowStretchHandles(Control* target, bool show);
    // Where the frame would go if pushed clear of the other visible frames (Left, Top).
    FrameRect AvoidOverlap(int frame) const;
    int16_t CountPlacedSensors() const;

  private:
    using Args = MouseArgs;

    void installHandlers();
    // A handle that was pressed loses the focus to a layout control pressed later; buttons never
    // take the focus, so a command click keeps the handles as they are.
    void takeFocusFromHandle();
    void HideHandlesKeepingSelection();
    void beginDrag(Control& source, float x, float y);

    // Mouse handlers.
    void picSensor_MouseDown(int index, const Args& a);
    void picSensor_MouseMove(int index, const Args& a);
    void picPressSens_MouseDown(int index, int button, float x, float y);
    void picPressSens_MouseMove(int index, int button, float x, float y);
    void picPressSens_MouseUp(int index, int button);
    void lblNo_MouseDown(int index, const Args& a);
    void lblNo_MouseMove(int index, const Args& a);
    void lblNo_MouseUp(int index, const Args& a);
    void picBase_MouseDown(int index, const Args& a);
    void picBase_MouseMove(int index, const Args& a);
    void picBaseSens_MouseDown(const Args& a);
    void picBaseSens_MouseMove(const Args& a);
    void picBaseSens_MouseUp(const Args& a);
    void Form_MouseDown(const Args& a);
    void picStretchPtr_MouseDown(int index, const Args& a);
    void picStretchPtr_MouseMove(int index);
    void picStretchPtr_LostFocus(int index);

    // Drag-over and drop, by receiver.
    void DragOver(const DragArgs& a);
    void DragDrop(const DragArgs& a);
    void Form_DragDrop(Control& source, float x, float y);
    void picBaseSens_DragDrop(Control& source, float x, float y);
    void picPressSens_DragDrop(int k, Control& source, float x, float y);
    void ReturnToBox(Control& source);
    void RemoveBase(Control& source);

    // Sensors.
    void ResetReadings(int s);
    void Merge(int s, int host);
    void Unmerge(float x, float y);
    // A merged sensor goes back to the box: label home, palette item shown, frame hidden.
    void ReturnMergedToBox(int i);
    void ReturnSensorToBox(int s);
    void ShowMergeLimit();
    void CommonRedraw();
    void PlaceAvoidingOverlap(int s);

    // Base plate.
    void SwapBase(int k);
    void LayOutBase(int k, Control& source, float left, float top);
    void ShowBaseImageInBox(int k);
    void PaintStretched(Control& source);

    // Stretching.
    void Resize(int handle, float px, float py);
    void FinishStretchOnForm();
    void FinishStretchOnPlate();
    void FinishStretchOnFrame();
    PictureBox* StretchFrame() const;

    // Layout files.
    LayoutFileData CollectLayout();
    void ApplyLayout(const LayoutFileData& data);
    void UndoMerges();
    void RefuseFile(const QString& path, const QString& fault);
    FileDialogOptions DialogOptions() const;

    SensorLayout& l_;
    DragController& drag_;
    MessageBoxes& boxes_;
    FileDialogs& dialogs_;
    QString appFolder_;
    QString baseDir_;
    std::array<bool, BaseImageCount> baseLoaded_{};
    std::optional<int> focusedHandle_;
    // The base record of the last save or load: its geometry is kept while no plate is shown.
    BaseFileRecord baseRecord_{};
};

}  // namespace korvi
