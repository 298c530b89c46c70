// Playing a recording back on the layout, as a user does it: the menu item, the replay bar's
// buttons, rate box and slider. Checked row by row against the pictures of stepping through it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QStringEncoder>
#include <QTest>
#include <QToolTip>

#include "app/DisplayPicture.h"
#include "app/ReplayControl.h"
#include "app/frmReplay.h"
#include "app/frmStatistics.h"
#include "link/CommunicationControl.h"
#include "recording/CsvRecorder.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Screen.h"
#include "tests/support/WindowMouse.h"

namespace korvi {
namespace {

using test::Click;

struct Row {
    int sensor, press, x, y;
};

// Rows that visit every kind of mark: dots of both bands, floods (pressure 1..10), releases, the
// white reset of sensor 0 at (0, 0), a rotated panel, a panel beside the plate and a sensor with
// no panel.
const std::vector<Row> kRows = {{0, 200, 2048, 2048}, {1, 5, 100, 100},     {2, 120, 4095, 0},
                                {0, 0, 2048, 2048},   {3, 180, 1000, 3000}, {4, 90, 0, 0},
                                {1, 0, 0, 0},         {2, 250, 10, 4000},   {5, 100, 2000, 2000},
                                {0, 0, 0, 0},         {1, 60, 3000, 3000},  {4, 10, 4095, 4095}};

class Replay : public test::ProgramFixture {
  protected:
    void SetUp() override {
        folder.copyDemo();
        WriteDrawSetting(0);
        ASSERT_TRUE(Start());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    }
    void WriteDrawSetting(int sampling) {
        folder.write(QStringLiteral("DrawSetting1.ini"),
                     test::DrawSettingFile({"1,40,&H00C000,3", "41,FF,&H0000E0,6"},
                                           "PressThresh=10\r\nTraceSize=6\r\n[ExcelOut]\r\n"
                                           "Sampling=" +
                                               QByteArray::number(sampling) + "\r\n"));
    }
    // Sensors 0, 1, 2 and 4 (turned 180 degrees) on the plate, sensor 3 beside it.
    void PlaceSensors() {
        SensorLayout& l = window()->layout();
        l.picBaseSens->Move(1500, 1500, 6000, 4500);
        l.picBaseSens->show();
        const float at[5][2] = {
            {2000, 2000}, {3200, 2000}, {4400, 2000}, {9000, 2000}, {2000, 3600}};
        for (int sensor = 0; sensor < 5; ++sensor) {
            l.picSensor[sensor]->hide();
            l.picPressSens[sensor]->Move(at[sensor][0], at[sensor][1], 900, 900);
            l.picPressSens[sensor]->show();
        }
        l.SensorRotation[4] = 180;
        DrawSensorFrames(l, true);
    }
    QImage Picture() { return DisplayPicture(window()->layout(), window()->display()); }
    QString WriteRecording(const QString& name, const std::vector<Row>& rows) {
        QByteArray bytes = test::kRecordingHeader;
        for (const Row& r : rows) {
            bytes += QByteArray::number(r.sensor) + ',' + QByteArray::number(r.press) + ',' +
                     QByteArray::number(r.x) + ',' + QByteArray::number(r.y) + "\r\n";
        }
        folder.write(name, bytes);
        return folder.file(name);
    }
    // Opens the recording through the menu; the replay bar, or null.
    frmReplay* Open(const QString& path) {
        dialogs.answers.push_back(path);
        window()->ReplayRecord->trigger();
        frmReplay* bar = window()->replayBar();
        if (bar != nullptr) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(bar));
        }
        return bar;
    }
    int Position() const { return program->window()->replay().Position(); }
    // Advances the clock and waits until the replay has shown `expected` rows, then a little
    // longer to see that it shows no more.
    void AdvanceAndExpect(uint32_t ms, int expected) {
        clock.advance(ms);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Position() >= expected; }, 3000));
        QTest::qWait(3 * ReplayControl::kTickMs);
        EXPECT_EQ(Position(), expected) << "after " << clock.ticks() << " ms";
    }
};

TEST_F(Replay, PauseStepAndSeekShowTheRowsUpToTheirPlace) {
    PlaceSensors();
    // With frames on, the four frames on the bare plate are outlined in the frame colour (the
    // plate's &HE0E0E0 half-way to white: &HEFEFF0), two pixels wide on each frame's edge, one
    // outside and one inside, corners included: 62 x 62 less 58 x 58, 480 pixels each.
    EXPECT_EQ(test::CountColour(window()->layout().picBaseSens->canvas(), 0xEFEFF0u), 1920);
    Click(window()->chkTrace);
    const std::vector<Row>& rows = kRows;
    frmReplay* bar = Open(WriteRecording(QStringLiteral("short.csv"), rows));
    ASSERT_NE(bar, nullptr);
    std::vector<QImage> shown = {Picture()};
    for (size_t n = 0; n < rows.size(); ++n) {
        Click(bar->cmdStep);
        shown.push_back(Picture());
    }

    // Seeking: the slider by keyboard and by value.
    const std::pair<int, int> seeks[] = {{Qt::Key_Home, 0}, {Qt::Key_End, 12}};
    for (const auto& [key, position] : seeks) {
        QTest::keyClick(bar->sldPosition, Qt::Key(key));
        EXPECT_EQ(Position(), position);
        EXPECT_EQ(Picture(), shown[size_t(position)]) << position;
    }
    for (int position : {5, 1, 9}) {
        bar->sldPosition->setValue(position);
        EXPECT_EQ(Picture(), shown[size_t(position)]) << position;
    }
    EXPECT_EQ(bar->lblPosition->text(), QStringLiteral("全 12 行中 9 行目"));

    // Playing at 4 rows a second from row 9, pausing, stepping, playing to the end.
    bar->txtRate->setValue(4);
    Click(bar->cmdPlay);
    AdvanceAndExpect(250, 10);
    EXPECT_EQ(Picture(), shown[10]);
    Click(bar->cmdPlay);
    EXPECT_EQ(bar->cmdPlay->text(), QStringLiteral("再生"));
    AdvanceAndExpect(5000, 10);
    Click(bar->cmdPlay);
    EXPECT_EQ(bar->cmdPlay->text(), QStringLiteral("一時停止"));
    // 1行送り while playing shows the next row and pauses there.
    Click(bar->cmdStep);
    EXPECT_EQ(Position(), 11);
    EXPECT_EQ(Picture(), shown[11]);
    EXPECT_EQ(bar->cmdPlay->text(), QStringLiteral("再生"));
    AdvanceAndExpect(5000, 11);
    Click(bar->cmdStep);
    EXPECT_EQ(Position(), 12);
    EXPECT_EQ(Picture(), shown[12]);
    // Play at the end starts again from the first row and stops after the last.
    Click(bar->cmdPlay);
    AdvanceAndExpect(1000, 4);
    EXPECT_EQ(Picture(), shown[4]);
    AdvanceAndExpect(5000, 12);
    EXPECT_EQ(bar->cmdPlay->text(), QStringLiteral("再生"));
    EXPECT_EQ(bar->sldPosition->value(), 12);
}

// A short recording stepped through at known times: the statistics window tables what it adds
// up to per placed sensor, says where the layout is pressed now, and saves the table as CSV.
TEST_F(Replay, StatisticsOfAReplayedRecordingAreTabledAndSaved) {
    PlaceSensors();
    const std::vector<Row> rows = {
        {0, 100, 1000, 2000}, {0, 200, 2000, 2000}, {0, 0, 0, 0}, {1, 50, 4000, 1000}};
    frmReplay* bar = Open(WriteRecording(QStringLiteral("stats.csv"), rows));
    ASSERT_NE(bar, nullptr);
    for (size_t n = 0; n < rows.size(); ++n) {
        Click(bar->cmdStep);
        clock.advance(n + 1 < rows.size() ? 100 : 700);  // rows at 0, 100, 200 and 300 ms
    }
    window()->Statistics->trigger();
    frmStatistics* stats = window()->statisticsWindow();
    ASSERT_NE(stats, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(stats));
    // A session of 1 s. Sensor 1: one press of 200 ms, pressure-weighted X (100 * 1000 + 200 *
    // 2000) / 300; sensor 2 pressed since 300 ms.
    const QStringList expected = {
        QStringLiteral("1,3,1,200,150.0,0.200,20.0,1666.7,2000.0,471.4,0.0"),
        QStringLiteral("2,1,1,50,50.0,0.700,70.0,4000.0,1000.0,0.0,0.0"),
        QStringLiteral("3,0,0,0,0.0,0.000,0.0,0.0,0.0,0.0,0.0"),
        QStringLiteral("4,0,0,0,0.0,0.000,0.0,0.0,0.0,0.0,0.0"),
        QStringLiteral("5,0,0,0,0.0,0.000,0.0,0.0,0.0,0.0,0.0")};
    EXPECT_EQ(test::TableRows(*stats->tblStatistics, u','), expected);
    // Sensor 2's mark at raw (4000, 1000) lies at pixel (57, 44) of its 58 x 58 drawing, its frame
    // at 3200, 2000 twips.
    EXPECT_EQ(stats->lblCentre->text(),
              QStringLiteral("全体の重心 (ウインドウ座標, twip): X 4055, Y 2660"));

    const QString saved = folder.file(QStringLiteral("stats-table.csv"));
    dialogs.answers.push_back(saved);
    Click(stats->cmdSaveStatistics);
    QStringEncoder shiftJis("windows-31j");
    const QByteArray header = shiftJis.encode(
        QStringLiteral("センサ,読取数,押下回数,最大圧力,平均圧力,押下時間(秒),押下率(%),重心X,"
                       "重心Y,広がりX,広がりY\r\n"));
    EXPECT_EQ(test::ReadFile(saved),
              header + expected.join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
    EXPECT_EQ(QImage(folder.file(QStringLiteral("stats-table.png"))).size(),
              stats->picChart->size());

    // 表示クリア starts the figures again.
    Click(window()->cmdCls);
    // The window shows it at its next redraw, within half a second.
    EXPECT_TRUE(QTest::qWaitFor(
        [stats] { return stats->tblStatistics->item(0, 1)->text() == QStringLiteral("0"); }, 2000));
}

// A replay and communication exclude each other.
TEST_F(Replay, CommunicationAndReplayExcludeEachOther) {
    PlaceSensors();
    frmDemo& w = *window();
    const QString path = WriteRecording(QStringLiteral("one.csv"), {{0, 200, 2048, 2048}});
    Click(w.cmdComm);
    ASSERT_TRUE(w.comm().IsCommunicating());
    EXPECT_EQ(Open(path), nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(
        boxes.shown[0].text,
        QStringLiteral("通信中は記録を再生できません。\r\n通信を停止してから再生してください。"));
    EXPECT_TRUE(dialogs.asked.empty()) << "no file is asked for";
    dialogs.answers.clear();
    Click(w.cmdComm);

    // While the bar is open 通信開始 is disabled: a click does nothing, and the pointer resting on
    // the button shows why.
    frmReplay* bar = Open(path);
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(w.cboDrawSetting->isEnabled());
    EXPECT_FALSE(w.cmdComm->isEnabled());
    serial.written.clear();
    Click(w.cmdComm);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(serial.isOpen() || w.comm().IsCommunicating());
    EXPECT_TRUE(serial.written.isEmpty());
    test::WindowMouse mouse(w.cmdComm);
    // Beside the place of the click: a move to where the pointer already is is no move.
    mouse.move(mouse.at(w.cmdComm, QPointF(w.cmdComm->rect().center() + QPoint(5, 2))));
    const QString why = QStringLiteral(
        "記録の再生中は通信を開始できません。\n再生バーを閉じると通信を開始できます。");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QToolTip::text() == why; }))
        << QToolTip::text().toStdString();

    // Closing the bar ends the replay: communication starts again.
    Click(bar->cmdClose);
    EXPECT_TRUE(w.cboDrawSetting->isEnabled());
    EXPECT_TRUE(w.cmdComm->toolTip().isEmpty());
    Click(w.cmdComm);
    EXPECT_TRUE(w.comm().IsCommunicating());
    EXPECT_EQ(boxes.shown.size(), 1u);
}

}  // namespace
}  // namespace korvi
