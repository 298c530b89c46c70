// The main window's replay of a recording and its picture saving: "記録の再生..." plays a CSV
// recording through the display as the controller's readings would come, "画像保存..." keeps a
// picture of the display.
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "app/DisplayPicture.h"
#include "app/ProgramContext.h"
#include "app/ReplayControl.h"
#include "app/frmDemo.h"
#include "app/frmReplay.h"
#include "display/ClearDisplay.h"
#include "display/PressDisplay.h"
#include "display/SoundRules.h"
#include "link/CommunicationControl.h"
#include "platform/AppFolder.h"
#include "platform/FailureText.h"
#include "platform/MessageBoxes.h"
#include "recording/RecordingReader.h"

namespace korvi {

// A replay borrows the display and the sound rules as communication does: everything it shows is
// set up as at a start of communication, with the chosen draw setting, but nothing is recorded.
void frmDemo::buildReplay() {
    ReplayControl::Hooks hooks;
    hooks.rewind = [this] {
        display_->FlushDisplay();
        layout_->LastPress.fill(PressMark{});
        ClearDisplay(*layout_);
        display_->ResetTraceCounters();
        soundRules_->Reset();
        ClearStatistics();
    };
    hooks.row = [this](const RecordedRow& row, bool audible) {
        ShowReading(Reading{row.sensor, row.press, row.x, row.y}, audible);
    };
    hooks.playing = [this](bool playing) {
        if (playing) {
            soundTimer_->Start(context_.drawSetting.HasSoundFiles);
        } else {
            soundTimer_->Stop();
        }
    };
    replay_ = std::make_unique<ReplayControl>(context_.clock, std::move(hooks));
}

void frmDemo::ReplayRecord_Click() {
    ProgramContext& c = context_;
    if (comm_->IsCommunicating()) {
        c.boxes.show(QStringLiteral("通信中は記録を再生できません。\r\n"
                                    "通信を停止してから再生してください。"),
                     QStringLiteral("再生エラー"), BoxIcon::Critical);
        return;
    }
    const auto path =
        c.dialogs.openFile({InApplicationFolder(c.appFolder, QStringLiteral("SavaData")),
                            QStringLiteral("CSVﾌｧｲﾙ (*.csv)|*.csv|すべてのﾌｧｲﾙ (*.*)|*.*|")});
    if (!path || path->isEmpty()) {
        return;
    }
    Recording recording = ReadRecordingFile(*path);
    if (!recording.ok()) {
        c.boxes.show(RecordingRefusal(*path, recording), QStringLiteral("再生エラー"),
                     BoxIcon::Critical);
        return;
    }
    EndReplay();
    if (!PrepareStart()) {
        return;
    }
    cboDrawSetting->setEnabled(false);
    // Communication cannot start while the bar is open; the button says why instead of refusing
    // a click with a message.
    commToolTip_ = cmdComm->toolTip();
    cmdComm->setEnabled(false);
    cmdComm->setToolTip(
        QStringLiteral("記録の再生中は通信を開始できません。\n"
                       "再生バーを閉じると通信を開始できます。"));
    const int rate = c.drawSetting.Sampling > 0 ? c.drawSetting.Sampling : 100;
    replay_->Open(std::move(recording.rows), rate);
    replayBar_ = new frmReplay(
        *replay_,
        [this] {
            replayBar_ = nullptr;
            EndReplay();
        },
        this);
    replayBar_->setAttribute(Qt::WA_DeleteOnClose);
    replayBar_->SetFileName(QFileInfo(*path).fileName());
    replayBar_->move(mapToGlobal(QPoint(40, 40)));
    replayBar_->show();
}

void frmDemo::EndReplay() {
    if (!replay_->IsOpen()) {
        return;
    }
    replay_->Close();
    soundRules_->Reset();
    cboDrawSetting->setEnabled(true);
    cmdComm->setEnabled(true);
    cmdComm->setToolTip(commToolTip_);
    if (frmReplay* bar = std::exchange(replayBar_, nullptr)) {
        bar->close();
    }
}

void frmDemo::SavePicture_Click() {
    ProgramContext& c = context_;
    const auto answer =
        c.dialogs.saveFile({InApplicationFolder(c.appFolder, QStringLiteral("SavaData")),
                            QStringLiteral("PNG画像 (*.png)|*.png|")});
    if (!answer || answer->isEmpty()) {
        return;
    }
    QString path = *answer;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".png");
    }
    // Through a save file, so that a failure says why (the picture itself has no reason to give).
    QSaveFile file(path);
    const bool saved = file.open(QIODevice::WriteOnly) &&
                       DisplayPicture(*layout_, *display_).save(&file, "PNG") && file.commit();
    if (!saved) {
        const QString why = file.errorString();
        c.boxes.show(QStringLiteral("画像ファイルを保存できません。\r\n%1\r\n%2")
                         .arg(QDir::toNativeSeparators(path),
                              FailureText({}, FailureKindOfSystemText(why), why)),
                     QStringLiteral("画像保存エラー"), BoxIcon::Critical);
    }
}

}  // namespace korvi
