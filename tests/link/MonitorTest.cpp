// The monitor window: what it shows of the traffic, its size limit, and that it exists once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <random>

#include "link/CommEventText.h"
#include "link/ReceiveEvent.h"
#include "link/frmComData.h"
#include "tests/support/FakeSerialLine.h"

namespace korvi {
namespace {

int OpenMonitorWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == u"frmComData" && w->isVisible()) {
            ++n;
        }
    }
    return n;
}

TEST(AppendMonitorText, CutsTheOldestTextBeyondTheLimit) {
    QPlainTextEdit box;
    QString text;
    for (int i = 0; i < 15001; ++i) {
        text += QChar(u'a' + i % 26);
    }
    AppendMonitorText(box, text.left(15000), 0);
    AppendMonitorText(box, "+", 0);  // 15000 is not yet more than the limit
    EXPECT_EQ(box.toPlainText(), text.left(15000) + "+");

    AppendMonitorText(box, "#", 0);  // now 15001: the first 4999 go
    const QString expected = (text.left(15000) + "+").mid(4999) + "#";
    EXPECT_EQ(box.toPlainText(), expected);
    EXPECT_EQ(box.textCursor().position(), expected.size());
}

TEST(AppendMonitorText, LineEndsCutAcrossChunksEndOneLine) {
    QPlainTextEdit box;
    for (const char* chunk : {"r\r", "r00\r\n", "d\r", "d0F", "F1234AB\r", "\nd1", "\n", "x\r"}) {
        AppendMonitorText(box, QString::fromLatin1(chunk), 0);
    }
    EXPECT_EQ(box.toPlainText(), "r\nr00\nd\nd0FF1234AB\nd1\nx\n");
}

TEST(ComDataMonitor, ShowsTrafficInArrivalOrderOnlyWhileOpen) {
    test::FakeSerialLine line;
    line.open({});
    ReceiveState state;
    BufferClass buffer;
    ComDataMonitor monitor;
    ReceiveEvent onComm(line, state, buffer, monitor);

    line.pushIncoming("before\r\n");
    QCoreApplication::processEvents();
    EXPECT_FALSE(monitor.IsOpen());
    EXPECT_EQ(buffer.Count(), 1);  // lines are split whether or not anyone watches

    monitor.Open();
    ASSERT_TRUE(monitor.IsOpen());
    QPlainTextEdit* box = monitor.Window()->findChild<QPlainTextEdit*>("txtComData");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(monitor.Window()->windowTitle(), QStringLiteral("通信データモニタ"));
    EXPECT_TRUE(box->toPlainText().isEmpty());

    // What the exchange sends is echoed by the sender; what arrives comes through the event.
    monitor.AppendIfOpen("r\r");
    line.pushIncoming("r0");
    line.pushIncoming("0\r\n");
    QCoreApplication::processEvents();
    monitor.AppendIfOpen("d\r");
    line.pushIncoming(QByteArray("d0FF1234AB\r\nd1\xff"));
    QCoreApplication::processEvents();
    line.raiseLineEvent(2);
    line.raiseLineEvent(1009);
    monitor.Flush();
    EXPECT_EQ(box->toPlainText(),
              QStringLiteral("r\nr00\nd\nd0FF1234AB\nd1\u00ff") + CommEventText(1009) + "\n");
    EXPECT_EQ(state.RxPending, QByteArray("d1\xff"));

    monitor.Close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(monitor.IsOpen());
    line.pushIncoming("\r\n");
    QCoreApplication::processEvents();  // no window to append to, no crash
    EXPECT_EQ(buffer.Count(), 4);
}

TEST(ComDataMonitor, BatchedTrafficEndsExactlyAsAppendingEveryChunk) {
    ComDataMonitor monitor;
    monitor.Open();
    QPlainTextEdit& batched = *monitor.Window()->txtComData();
    QPlainTextEdit oneByOne;
    std::mt19937 rng(11);
    const QString lines = QStringLiteral("d0FF1234AB\r\nd1801A0B77\r\ns\r");
    qsizetype at = 0;
    // About 60000 characters in chunks of 0..40, cut anywhere (CR LF split included), shown a
    // frame at a time: the limit rule fires inside frames (several times in a busy one) and across
    // them.
    for (int frame = 0; frame < 300; ++frame) {
        const int chunks = frame == 150       ? 3000
                           : frame % 50 == 49 ? 800
                                              : static_cast<int>(rng() % 12);
        for (int c = 0; c < chunks; ++c) {
            QString chunk;
            for (unsigned n = rng() % 41; n > 0; --n, ++at) {
                chunk += lines[at % lines.size()];
            }
            monitor.AppendIfOpen(chunk);
            AppendMonitorText(oneByOne, chunk, 0);
        }
        if (frame % 7 == 0) {
            monitor.AppendIfOpen(QString());
            AppendMonitorText(oneByOne, QString(), 0);
        }
        monitor.Flush();
        ASSERT_EQ(batched.toPlainText(), oneByOne.toPlainText()) << "frame " << frame;
    }
    EXPECT_EQ(batched.textCursor().position(), batched.document()->characterCount() - 1);

    // Left alone, the collected text shows within a few frames, not at once.
    monitor.AppendIfOpen("tail\r\n");
    EXPECT_FALSE(batched.toPlainText().endsWith("tail\n"));
    QTest::qWait(5 * ComDataMonitor::kFrameMs);
    EXPECT_TRUE(batched.toPlainText().endsWith("tail\n"));
    monitor.Close();
}

TEST(ComDataMonitor, OpeningTwiceShowsOneWindowAndReopeningStartsEmpty) {
    ComDataMonitor monitor;
    monitor.Open();
    monitor.AppendIfOpen("old");
    frmComData* first = monitor.Window();
    monitor.Open();
    EXPECT_EQ(monitor.Window(), first);
    EXPECT_EQ(OpenMonitorWindows(), 1);

    first->close();  // the user closes it, "old" still waiting to be shown
    QCoreApplication::processEvents();
    EXPECT_FALSE(monitor.IsOpen());
    monitor.Open();
    EXPECT_EQ(OpenMonitorWindows(), 1);
    monitor.Flush();
    EXPECT_TRUE(monitor.Window()->txtComData()->toPlainText().isEmpty());
    monitor.Close();
}

TEST(ComDataMonitor, TextBoxFillsTheWindowAfterResizeAndRestore) {
    ComDataMonitor monitor;
    monitor.Open();
    frmComData* window = monitor.Window();
    window->resize(640, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->txtComData()->geometry(), QRect(0, 0, 640, 300));

    window->showMinimized();
    QCoreApplication::processEvents();
    window->showNormal();
    window->resize(500, 420);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->txtComData()->geometry(), QRect(0, 0, 500, 420));
    monitor.Close();
}

TEST(CommEventText, NamesKnownCodesAndCallsTheRestUndefined) {
    EXPECT_EQ(CommEventText(1009), QStringLiteral("ﾊﾟﾘﾃｨ ｴﾗｰが発生しました。"));
    EXPECT_EQ(CommEventText(1004), QStringLiteral("ﾌﾚｰﾐﾝｸﾞ ｴﾗｰが発生しました。"));
    EXPECT_EQ(CommEventText(1005), QStringLiteral("未定義のｴﾗｰまたはｲﾍﾞﾝﾄが発生しました。"));
    EXPECT_EQ(CommEventText(-1), CommEventText(1005));
}

}  // namespace
}  // namespace korvi
