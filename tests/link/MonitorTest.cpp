// The monitor window: what it shows of the traffic, its size limit, and that it exists once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

#include "link/ReceiveEvent.h"
#include "link/frmComData.h"
#include "tests/support/FakeSerialLine.h"

namespace korvi {
namespace {

// The limit counts the text as it was received: a CR LF is two characters though the box shows
// one line break, so 3750 lines of "ab" CR LF (15000 received, 11250 shown) are at the limit
// and one more character takes the box over it.
TEST(AppendMonitorText, CountsTheLimitOnTheReceivedText) {
    QPlainTextEdit box;
    const QString line = QStringLiteral("ab\r\n");
    AppendMonitorText(box, line.repeated(3750), 0);
    AppendMonitorText(box, "+", 0);  // 15000 received: not yet more than the limit
    EXPECT_EQ(box.toPlainText(), QStringLiteral("ab\n").repeated(3750) + "+");
    // 15001 received: the first 4999 go, 1249 whole lines and "ab" CR of the next, whose LF
    // stays and shows nothing.
    AppendMonitorText(box, "#", 0);
    EXPECT_EQ(box.toPlainText(), QStringLiteral("ab\n").repeated(2500) + "+#");
}

TEST(ComDataMonitor, ShowsSentAndReceivedTrafficInArrivalOrderOnlyWhileOpen) {
    test::FakeSerialLine line;
    line.open({});
    ReceiveState state;
    BufferClass buffer;
    ComDataMonitor monitor;
    ReceiveEvent onComm(line, state, buffer, monitor);
    monitor.Open();
    QPlainTextEdit* box = monitor.Window()->txtComData();
    EXPECT_EQ(monitor.Window()->windowTitle(), QStringLiteral("通信データモニタ"));
    // What the exchange sends is echoed by the sender; what arrives comes through the event.
    // A CR LF cut between two arrivals still ends one line.
    monitor.AppendIfOpen("r\r");
    line.pushIncoming("r0");
    line.pushIncoming("0\r");
    QCoreApplication::processEvents();
    line.pushIncoming("\n");
    QCoreApplication::processEvents();
    monitor.AppendIfOpen("d\r");
    line.pushIncoming(QByteArray("d0FF1234AB\r\nd1\xff"));
    QCoreApplication::processEvents();
    line.raiseLineEvent(2);  // ordinary traffic, not shown
    line.raiseLineEvent(1009);
    monitor.Flush();
    EXPECT_EQ(box->toPlainText(),
              QStringLiteral("r\nr00\nd\nd0FF1234AB\nd1\u00ffﾊﾟﾘﾃｨ ｴﾗｰが発生しました。\n"));
    // Left alone, what comes next shows within a quarter of a second, not at once.
    monitor.AppendIfOpen("tail\r\n");
    EXPECT_FALSE(box->toPlainText().endsWith("tail\n"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return box->toPlainText().endsWith("tail\n"); }, 250));

    monitor.Close();
    line.pushIncoming("\r\n");
    QCoreApplication::processEvents();  // no window to append to, no crash
    EXPECT_EQ(buffer.Count(), 3);
}

TEST(ComDataMonitor, OpensOnceFillsItsWindowAndReopensEmpty) {
    ComDataMonitor monitor;
    monitor.Open();
    monitor.AppendIfOpen("old");
    frmComData* first = monitor.Window();
    monitor.Open();
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(
                  windows.begin(), windows.end(),
                  [](QWidget* w) { return w->isVisible() && w->objectName() == u"frmComData"; }),
              1);
    first->resize(500, 420);
    QCoreApplication::processEvents();
    EXPECT_EQ(first->txtComData()->geometry(), QRect(0, 0, 500, 420));
    // Resized while minimised, then restored by the open command: the box fills it again.
    first->showMinimized();
    QCoreApplication::processEvents();
    first->resize(620, 300);
    QCoreApplication::processEvents();
    monitor.Open();
    QCoreApplication::processEvents();
    EXPECT_FALSE(first->isMinimized());
    EXPECT_EQ(first->txtComData()->geometry(), QRect(0, 0, 620, 300));

    first->close();  // the user closes it, "old" still waiting to be shown
    QCoreApplication::processEvents();
    EXPECT_FALSE(monitor.IsOpen());
    monitor.Open();
    monitor.Flush();
    EXPECT_TRUE(monitor.Window()->txtComData()->toPlainText().isEmpty());
}

}  // namespace
}  // namespace korvi
