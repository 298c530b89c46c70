// The port list: the system's ports (here a fixed list) with their ids, a typed device path, the
// choice reaching the next start of communication and surviving a restart.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QStatusBar>
#include <QTest>

#include "app/frmPortSelect.h"
#include "link/CommunicationControl.h"
#include "platform/SerialPorts.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Screen.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

using test::Click;

class FixedPorts : public PortEnumerator {
  public:
    std::vector<SerialPortEntry> availablePorts() const override { return ports; }
    std::vector<SerialPortEntry> ports = {
        {QStringLiteral("/dev/ttyUSB0"),
         QStringLiteral("FT232R USB UART"),
         QStringLiteral("FTDI"),
         0x0403,
         0x6001,
         QStringLiteral("A6008isP"),
         {}},
        {QStringLiteral("/dev/ttyACM0"),
         QStringLiteral("USB-Serial Controller"),
         QStringLiteral("Prolific"),
         0x067b,
         0x2303,
         {},
         {}},
        {QStringLiteral("/dev/ttyS0"), {}, {}, std::nullopt, std::nullopt, {}, {}},
    };
};

frmPortSelect* OpenPortList(frmDemo& window) {
    window.PortSelect->trigger();
    auto* dialog = window.findChild<frmPortSelect*>();
    if (dialog != nullptr) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    }
    return dialog;
}

// Types into the device field and confirms with the Enter key (the default button).
void TypeDevice(frmPortSelect* dialog, const QString& device) {
    Click(dialog->txtDevice);
    dialog->txtDevice->selectAll();
    QTest::keyClick(dialog->windowHandle(), Qt::Key_Backspace);
    QTest::keyClicks(dialog->txtDevice, device);
    QTest::keyClick(dialog->windowHandle(), Qt::Key_Return);
}

class PortList : public test::ProgramFixture {
  protected:
    void SetUp() override {
        folder.writeDefaults();
        StartWithPorts();
    }
    void StartWithPorts() {
        ASSERT_TRUE(Start());
        window()->SetPortEnumerator(ports);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    }
    void Restart() {
        program.reset();
        StartWithPorts();
    }
    void ClickComm() { Click(window()->cmdComm); }

    FixedPorts ports;
};

TEST_F(PortList, ShowsEachPortWithDescriptionMakerAndUsbIds) {
    frmPortSelect* dialog = OpenPortList(*window());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ポート選択"));
    QStringList headers;
    for (int c = 0; c < dialog->lstPorts->columnCount(); ++c) {
        headers << dialog->lstPorts->horizontalHeaderItem(c)->text();
    }
    EXPECT_EQ(headers.join('|'), QStringLiteral("ポート|説明|メーカー|ベンダーID|製品ID"));
    EXPECT_EQ(test::TableRows(*dialog->lstPorts, u'|'),
              (QStringList{QStringLiteral("/dev/ttyUSB0|FT232R USB UART|FTDI|0403|6001"),
                           QStringLiteral("/dev/ttyACM0|USB-Serial Controller|Prolific|067b|2303"),
                           QStringLiteral("/dev/ttyS0||||")}));
    EXPECT_FALSE(dialog->lblNoPorts->isVisible());

    // A port plugged in while the list is open shows after 更新; with none, the list says so.
    ports.ports.push_back({QStringLiteral("/dev/ttyUSB1"), {}, {}, 0xffff, 0x0001, {}, {}});
    Click(dialog->cmdRefresh);
    EXPECT_EQ(test::TableRows(*dialog->lstPorts, u'|').last(),
              QStringLiteral("/dev/ttyUSB1|||ffff|0001"));
    ports.ports.clear();
    Click(dialog->cmdRefresh);
    EXPECT_EQ(dialog->lstPorts->rowCount(), 0);
    EXPECT_TRUE(dialog->lblNoPorts->isVisible());
    Click(dialog->cmdCancel);
}

TEST_F(PortList, PickedRowIsOpenedFromTheNextStartAndTheStatusBarSaysWhereItCameFrom) {
    const QString setting = folder.file(QStringLiteral("Setting.ini"));
    const QByteArray settingBefore = test::ReadFile(setting);
    EXPECT_EQ(window()->StatusText(),
              QStringLiteral("停止中   次のポート /dev/ttyS0 (設定ファイル)"));

    frmPortSelect* dialog = OpenPortList(*window());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->txtDevice->placeholderText(),
              QStringLiteral("空欄なら設定ファイルのポート (/dev/ttyS0)"));
    Click(dialog->lstPorts->viewport(),
          dialog->lstPorts->visualItemRect(dialog->lstPorts->item(1, 2)));
    EXPECT_EQ(dialog->txtDevice->text(), QStringLiteral("/dev/ttyACM0"));
    Click(dialog->cmdOK);
    EXPECT_EQ(window()->statusLink->text(),
              QStringLiteral("停止中   次のポート /dev/ttyACM0 (ユーザー選択)"));

    ClickComm();
    EXPECT_EQ(serial.opened.device, QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(serial.opened.portName + serial.opened.speed + serial.opened.parity,
              QStringLiteral("COM119200E"));
    EXPECT_TRUE(window()->StatusText().startsWith(
        QStringLiteral("ポート /dev/ttyACM0 (ユーザー選択)   受信 0 件/秒")));

    // Chosen while communicating: the running exchange keeps its port, the next start takes the
    // new one.
    dialog = OpenPortList(*window());
    ASSERT_NE(dialog, nullptr);
    Click(dialog->lstPorts->viewport(),
          dialog->lstPorts->visualItemRect(dialog->lstPorts->item(2, 0)));
    Click(dialog->cmdOK);
    EXPECT_TRUE(window()->StatusText().startsWith(QStringLiteral("ポート /dev/ttyACM0 ")));
    ClickComm();  // stop
    EXPECT_EQ(window()->StatusText(),
              QStringLiteral("停止中   次のポート /dev/ttyS0 (ユーザー選択)"));
    ClickComm();
    EXPECT_EQ(serial.opened.device, QStringLiteral("/dev/ttyS0"));
    ClickComm();

    EXPECT_EQ(test::ReadFile(setting), settingBefore) << "Setting.ini is never written";
}

// The adapter picked from the list is plugged in again and comes back under another name: the next
// start, also after a restart, finds it by its USB identity; another adapter under the old name is
// not taken for it.
TEST_F(PortList, ARenumberedAdapterIsFoundByItsIdentity) {
    frmPortSelect* dialog = OpenPortList(*window());
    ASSERT_NE(dialog, nullptr);
    Click(dialog->lstPorts->viewport(),
          dialog->lstPorts->visualItemRect(dialog->lstPorts->item(0, 0)));
    Click(dialog->cmdOK);
    ports.ports[0].device = QStringLiteral("/dev/ttyUSB1");
    ports.ports.push_back(
        {QStringLiteral("/dev/ttyUSB0"), {}, {}, 0x0403, 0x6001, QStringLiteral("B7001xyz"), {}});
    Restart();
    ClickComm();
    EXPECT_EQ(serial.opened.device, QStringLiteral("/dev/ttyUSB1"));
    ClickComm();
    EXPECT_EQ(LocatePort(ports, QStringLiteral("/dev/ttyUSB0"),
                         {0x0403, 0x6001, QStringLiteral("C0000000")}),
              QString());
}

// In the user's own folder, made from the demo, no port is named until one is chosen, and 通信開始
// says so instead of opening one.
TEST_F(PortList, WithNoPortNamedTheStatusBarAndTheStartAskForOne) {
    ASSERT_TRUE(StartInUserFolder(folder.file(QStringLiteral("home/KorviSensor"))));
    window()->SetPortEnumerator(ports);
    EXPECT_EQ(window()->StatusText(),
              QStringLiteral("停止中   次のポート 未選択 (「ポート選択...」で選んでください)"));
    boxes.shown.clear();
    window()->cmdComm->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("通信するポートが選ばれていません。\r\n"
                             "「ﾌｧｲﾙ」→「ポート選択...」でポートを選んでください。"));
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("ﾎﾟｰﾄ ｵｰﾌﾟﾝ ｴﾗｰ"));
    EXPECT_FALSE(serial.isOpen());
    EXPECT_EQ(window()->cmdComm->text(), QStringLiteral("通信開始"));
    frmPortSelect* dialog = OpenPortList(*window());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->txtDevice->placeholderText(),
              QStringLiteral("ポートを一覧から選ぶか、デバイスのパスを入力してください"));
    TypeDevice(dialog, QStringLiteral("/dev/ttyUSB0"));
    window()->cmdComm->click();
    EXPECT_EQ(serial.opened.device, QStringLiteral("/dev/ttyUSB0"));
    window()->cmdComm->click();
    // An emptied field hands the choice back to Setting.ini, which names no port here.
    TypeDevice(OpenPortList(*window()), QString());
    EXPECT_EQ(window()->StatusText(),
              QStringLiteral("停止中   次のポート 未選択 (「ポート選択...」で選んでください)"));
}

}  // namespace
}  // namespace korvi
