// The real program talking to the controller simulator over a pseudo-terminal: the simulator's
// device behind a symbolic link in a throw-away application folder, Setting.ini naming that link,
// the program's real serial line and a steady clock. Message boxes, file dialogs and sound are
// the recording fakes.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/MainModule.h"
#include "app/frmDemo.h"
#include "platform/Clock.h"
#include "platform/QtSerialLine.h"
#include "sim/Simulator.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempAppFolder.h"

namespace korvi::test {

class SimulatedProgram : public ::testing::Test {
  protected:
    SimulatedProgram() {
        folder.writeDefaults();
        folder.write(QStringLiteral("DrawSetting1.ini"),
                     "[Disp_Setting]\r\nPressColor0=1,FF,&H0000FF,4\r\nPressThresh=0\r\n"
                     "TraceSize=10\r\n[ExcelOut]\r\nSampling=0\r\nAllTime=0\r\n");
    }

    // Starts the simulator and then the program, Setting.ini giving `portNo` as PortNo (an empty
    // one: none) and the simulator's link as Device.
    void StartOnSimulator(sim::SimOptions options, const QString& portNo = QStringLiteral("1")) {
        options.linkPath = link;
        ASSERT_FALSE(simulator.start(options).isEmpty()) << simulator.error().toStdString();
        folder.write(
            QStringLiteral("Setting.ini"),
            QStringLiteral("[Com_Setting]\r\nPortNo=%1\r\nDevice=%2\r\nSpeed=115200\r\n"
                           "Parity=N\r\nDataLen=8\r\nStopBit=1\r\n[Disp_Setting]\r\n"
                           "BaseColor=&HE0E0E0\r\nBmpDir=Bmp\r\nBaseDir=Base\r\nMergeMode=1\r\n")
                .arg(portNo, link)
                .toUtf8());
        program = std::make_unique<MainModule>(boxes, dialogs, sound, clock, serial);
        ASSERT_TRUE(program->Main());
        window = program->window();
    }

    TempAppFolder folder;
    const QString link = folder.file(QStringLiteral("ttyKORVI"));
    RecordingMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    RecordingSound sound;
    SteadyClock clock;
    QtSerialLine serial;
    sim::Simulator simulator;
    std::unique_ptr<MainModule> program;
    frmDemo* window = nullptr;
};

}  // namespace korvi::test
