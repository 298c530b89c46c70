// The layout-file commands of the layout editor: save and load through the file dialogs.
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "layout/LayoutEditor.h"
#include "platform/Colors.h"
#include "platform/FailureText.h"

namespace korvi {

namespace {

const QString kErrorTitle = QStringLiteral("Error!");

// Writes the file beside the old one and renames it over the old one only when every byte is on
// the disk, so that a failure half-way (a full disk) leaves the old layout as it was. Returns why
// it failed, or an empty text.
QString WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Unbuffered: a write the disk refuses fails here, where the save file notices it, rather
    // than in the flush at commit, whose failure it would not see.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    // A short write is tried again for the rest: that either finds room after all or gives the
    // reason there is none.
    qint64 done = 0;
    for (qint64 n = 0; done < bytes.size(); done += n) {
        n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
    }
    if (done != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
#ifdef Q_OS_UNIX
    // Some file systems only find out at the sync that there is no room; special files that
    // cannot be synced are no failure.
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != ENOTSUP) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        return why;
    }
#endif
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}

}  // namespace

FileDialogOptions LayoutEditor::DialogOptions() const {
    return FileDialogOptions{appFolder_, QStringLiteral("すべてのﾌｧｲﾙ (*.*)|*.*|")};
}

LayoutFileData LayoutEditor::CollectLayout() {
    LayoutFileData d;
    for (int i = 0; i < SensorCount; ++i) {
        const PictureBox& frame = *l_.picPressSens[i];
        SensorFileRecord& r = d.sensors[i];
        r.Index = static_cast<int16_t>(i);
        r.Top = frame.Top();
        r.Left = frame.Left();
        r.Width = frame.Width();
        r.Height = frame.Height();
        r.BackColor = static_cast<int32_t>(frame.canvas().backColor());
        r.Visible = frame.Visible() ? -1 : 0;
        r.Rotation = l_.SensorRotation[i];
        for (int j = 0; j < SensorCount; ++j) {
            r.MergedInto[j] = (j != i && l_.LabelHost(j) == i) ? -1 : 0;
        }
    }
    baseRecord_.BaseIndex = l_.BaseIndex;
    if (l_.BaseIndex != -1) {
        const PictureBox& plate = *l_.picBaseSens;
        baseRecord_.Top = plate.Top();
        baseRecord_.Left = plate.Left();
        baseRecord_.Height = plate.Height();
        baseRecord_.Width = plate.Width();
    }
    d.base = baseRecord_;
    return d;
}

void LayoutEditor::cmdSave_Click() {
    if (CountPlacedSensors() == 0) {
        boxes_.show(QStringLiteral("保存するセンサがありません。"), kErrorTitle, BoxIcon::Critical);
        return;
    }
    const std::optional<QString> path = dialogs_.saveFile(DialogOptions());
    if (!path) {
        return;
    }
    const QByteArray bytes = EncodeLayoutFile(CollectLayout());
    const QString failure = WriteWholeFile(*path, bytes);
    if (!failure.isEmpty()) {
        boxes_.show(*path + QStringLiteral("\r\nセンサ配置を保存できませんでした。\r\n") +
                        FailureText({}, FailureKindOfSystemText(failure), failure),
                    kErrorTitle, BoxIcon::Critical);
    } else if (used_) {
        used_(*path);
    }
}

void LayoutEditor::RefuseFile(const QString& path, const QString& fault) {
    boxes_.show(path + QStringLiteral("\r\nセンサ配置ファイルを読み込めません。\r\n") + fault,
                kErrorTitle, BoxIcon::Critical);
}

void LayoutEditor::cmdLoad_Click() {
    const std::optional<QString> path = dialogs_.openFile(DialogOptions());
    if (path) {
        LoadLayoutFile(*path);
    }
}

bool LayoutEditor::LoadLayoutFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        RefuseFile(path, QStringLiteral("ファイルが見つかりません。"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        RefuseFile(path, QStringLiteral("ファイルを開けません。"));
        return false;
    }
    // Only the records are read; whatever follows them in a longer file is not layout data.
    const QByteArray bytes = file.read(kLayoutFileSize);
    if (file.error() != QFileDevice::NoError) {
        RefuseFile(path, QStringLiteral("ファイルを読めません。"));
        return false;
    }
    const DecodedLayout decoded = DecodeLayoutFile(bytes);
    if (!decoded.data) {
        RefuseFile(path, decoded.fault);
        return false;
    }
    ApplyLayout(*decoded.data);
    if (used_) {
        used_(path);
    }
    return true;
}

void LayoutEditor::UndoMerges() {
    for (int i = 0; i < SensorCount; ++i) {
        if (l_.SensorMerged[i]) {
            ReturnMergedToBox(i);
        }
    }
}

void LayoutEditor::ApplyLayout(const LayoutFileData& d) {
    UndoMerges();
    for (int k = 0; k < SensorCount; ++k) {
        const SensorFileRecord& r = d.sensors[k];
        PictureBox& frame = *l_.picPressSens[k];
        frame.Move(r.Left, r.Top, r.Width, r.Height);
        frame.canvas().setBackColor(static_cast<uint32_t>(r.BackColor));
        frame.SetVisible(r.Visible != 0);
        l_.SensorRotation[k] = r.Rotation;
        DrawOrgMark(frame, l_.SensorRotation[k], kBlack);
        l_.picSensor[k]->SetVisible(!(frame.Visible() || l_.SensorMerged[k]));
        int previous = k;
        for (int j = 0; j < SensorCount; ++j) {
            if (r.MergedInto[j] == 0) {
                continue;
            }
            l_.SensorMerged[j] = true;
            l_.picSensor[j]->hide();
            LabelControl& label = *l_.lblNo[j];
            label.SetContainer(&frame);
            label.setCaption(QStringLiteral(",") + label.caption());
            label.show();
            l_.ChainLabelAfter(j, previous);
            previous = j;
            ++l_.MergedCount;
        }
    }
    const int16_t b = d.base.BaseIndex;
    PictureBox& plate = *l_.picBaseSens;
    if (b != -1) {
        ShowBaseImageInBox(l_.BaseIndex);
        l_.BaseIndex = b;
        l_.picBase[b]->hide();
        plate.canvas().setPicture(l_.picBase[b]->canvas().picture());
        plate.Move(d.base.Left, d.base.Top, d.base.Width, d.base.Height);
        plate.show();
        RepaintBaseImage(l_);
        DrawSensorFrames(l_, true);
    } else if (l_.BaseIndex != -1) {
        ShowBaseImageInBox(l_.BaseIndex);
        plate.hide();
        l_.BaseIndex = -1;
    }
    baseRecord_ = d.base;
}

}  // namespace korvi
