// For tests that start the whole program: a throw-away application folder and the fakes at the
// program's edges (message boxes, file dialogs, sound, clock, serial line).
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "app/MainModule.h"
#include "app/frmDemo.h"
#include "platform/Clock.h"
#include "tests/support/FakeSerialLine.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempAppFolder.h"

namespace korvi::test {

class ProgramFixture : public ::testing::Test {
  protected:
    // A program over these fakes and the application folder `plan` names (by default the
    // fixture's folder), its message boxes going to `to`; not started.
    std::unique_ptr<MainModule> Launch(RecordingMessageBoxes& to,
                                       ApplicationFolderPlan plan = PlanApplicationFolder()) {
        return std::make_unique<MainModule>(to, dialogs, sound, clock, serial, std::move(plan));
    }
    // Starts `program` with the fixture's boxes; false when start-up ended it.
    bool Start() {
        program = Launch(boxes);
        return program->Main();
    }
    // Starts the program (again) in the user's own folder `path`, made from the demo when missing.
    bool StartInUserFolder(const QString& path) {
        program.reset();
        ApplicationFolderPlan plan;
        plan.path = path;
        plan.source = FolderSource::UserData;
        plan.demoFolder = TempAppFolder::demoFolder();
        program = Launch(boxes, std::move(plan));
        return program->Main();
    }
    // Starts the program and waits until its window is on the screen and has settled.
    bool StartShown() {
        if (!Start() || !QTest::qWaitForWindowExposed(window())) {
            return false;
        }
        QTest::qWait(200);
        return true;
    }
    frmDemo* window() const { return program->window(); }
    // Sensor `sensor` taken out of the box: its frame shown at Left, Top, Width, Height (twips).
    PictureBox& PlaceFrame(int sensor, float left, float top, float width = 600,
                           float height = 600) {
        PictureBox& frame = *window()->layout().picPressSens[sensor];
        window()->layout().picSensor[sensor]->hide();
        frame.Move(left, top, width, height);
        frame.show();
        return frame;
    }

    TempAppFolder folder;
    RecordingMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    RecordingSound sound;
    ManualClock clock;
    FakeSerialLine serial;
    std::unique_ptr<MainModule> program;
};

}  // namespace korvi::test
