// Saving and loading layouts: the exact bytes of a saved file, a load that restores every value
// bit for bit, the base plate states a load leaves, and files that are refused untouched.
#include <gtest/gtest.h>

#include <QDataStream>
#include <QFile>
#include <cmath>
#include <cstring>
#include <limits>

#include "tests/layout/EditorFixture.h"

namespace korvi::test {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The layout the golden file describes: sensor 1 placed, sensor 2 placed, stretched, recoloured
// and turned a quarter, sensors 3 and 5 merged into 1, base image 2 on the plate.
void BuildLayout(EditorFixture& f) {
    f.place(0, QPoint(300, 200));                                 // 4500, 3000
    f.place(1, QPoint(500, 200));                                 // 7500, 3000
    f.dragTo(&f.item(2), QPoint(1, 1), QPointF(330, 230));        // merged at 4935, 3435
    f.dragTo(&f.item(4), QPoint(1, 1), QPointF(325, 232));        // merged at 4860, 3465
    f.dragTo(f.l().picBase[2], QPoint(5, 5), QPointF(400, 300));  // plate at 5925, 4425
    f.frame(1).Move(7500.3f, 3000.7f, 611.11f, 432.9f);
    f.frame(1).canvas().setBackColor(0x00C0FFEE);
    QTest::mouseClick(&f.frame(1), Qt::LeftButton, {}, QPoint(20, 20));
    f.editor->cmdRotate_Click();
}

// The same file written field by field with an independent little-endian writer.
QByteArray GoldenFile() {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    struct Frame {
        float top, left, width, height;
        qint32 color;
        qint16 visible, rotation;
    };
    for (int i = 0; i < 16; ++i) {
        Frame r{0, 0, 0, 0, 0xFFFFFF, 0, 0};
        if (i == 0) {
            r = {3000, 4500, 555, 555, 0xFFFFFF, -1, 0};
        } else if (i == 1) {
            r = {3000.7f, 7500.3f, 611.11f, 432.9f, 0x00C0FFEE, -1, 90};
        } else if (i == 2) {
            r = {3435, 4935, 555, 555, 0xFFFFFF, 0, 0};
        } else if (i == 4) {
            r = {3465, 4860, 555, 555, 0xFFFFFF, 0, 0};
        }
        out << qint16(i) << r.top << r.left << r.width << r.height << r.color << r.visible
            << r.rotation;
        for (int j = 0; j < 17; ++j) {
            out << qint16(i == 0 && (j == 2 || j == 4) ? -1 : 0);
        }
    }
    out << qint16(2) << 4425.0f << 5925.0f << 555.0f << 555.0f;
    bytes.append(42, '\0');
    return bytes;
}

uint32_t Bits(float v) {
    uint32_t b = 0;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

TEST(LayoutFile, SaveWritesTheExactRecordsAndLoadRestoresThemBitForBit) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("layout.dat"));
    {
        EditorFixture f(true, {2, 4});
        BuildLayout(f);
        f.dialogs.answers.push_back(path);
        f.editor->cmdSave_Click();
        ASSERT_EQ(f.dialogs.asked.size(), 1u);
        EXPECT_EQ(f.dialogs.asked[0].initialFolder, f.appDir.path());
        EXPECT_EQ(f.dialogs.asked[0].filter, QStringLiteral("すべてのﾌｧｲﾙ (*.*)|*.*|"));
        EXPECT_TRUE(f.boxes.shown.empty());
    }
    const QByteArray saved = ReadAll(path);
    ASSERT_EQ(saved.size(), 1020);
    EXPECT_EQ(saved.toHex(), GoldenFile().toHex());

    EditorFixture g(true, {2, 4});
    g.place(7, QPoint(600, 400));  // in the way: the file does not place sensor 8
    g.dialogs.answers.push_back(path);
    g.editor->cmdLoad_Click();
    EXPECT_TRUE(g.boxes.shown.empty());
    PictureBox& two = g.frame(1);
    EXPECT_EQ(Bits(two.Left()), Bits(7500.3f));
    EXPECT_EQ(Bits(two.Top()), Bits(3000.7f));
    EXPECT_EQ(Bits(two.Width()), Bits(611.11f));
    EXPECT_EQ(Bits(two.Height()), Bits(432.9f));
    EXPECT_EQ(two.canvas().backColor(), 0x00C0FFEEu);
    EXPECT_EQ(g.l().SensorRotation[1], 90);
    EXPECT_EQ(g.frame(0).Left(), 4500);
    EXPECT_TRUE(g.frame(0).isVisibleTo(&g.window));
    EXPECT_FALSE(g.frame(7).isVisibleTo(&g.window));
    EXPECT_TRUE(g.item(7).isVisibleTo(&g.window));
    EXPECT_EQ(ChainText(g.l(), 0), QStringLiteral("1,3,5"));
    EXPECT_EQ(g.l().MergedCount, 2);
    EXPECT_FALSE(g.item(2).isVisibleTo(&g.window));
    EXPECT_FALSE(g.frame(4).isVisibleTo(&g.window));
    EXPECT_EQ(g.l().BaseIndex, 2);
    EXPECT_FALSE(g.l().picBase[2]->isVisibleTo(&g.window));
    EXPECT_EQ(g.l().picBaseSens->Left(), 5925);
    EXPECT_EQ(g.l().picBaseSens->Height(), 555);

    // Saved again, the loaded layout gives the same bytes.
    const QString again = folder.filePath(QStringLiteral("again.dat"));
    g.dialogs.answers.push_back(again);
    g.editor->cmdSave_Click();
    EXPECT_EQ(ReadAll(again), saved);
}

class Loading : public ::testing::Test {
  protected:
    void SetUp() override {
        EditorFixture source(true, {2, 4});
        BuildLayout(source);
        source.dialogs.answers.push_back(path());
        source.editor->cmdSave_Click();
        golden = ReadAll(path());
        ASSERT_EQ(golden.size(), 1020);
        f.place(0, QPoint(600, 300));
        f.place(6, QPoint(700, 300));
        f.dragTo(&f.item(9), QPoint(1, 1), QPointF(610, 310));  // 10 merged into 1
        f.dragTo(f.l().picBase[4], QPoint(5, 5), QPointF(400, 500));
    }
    QString path() const { return folder.filePath(QStringLiteral("layout.dat")); }
    QByteArray withBase(int16_t index) const {
        QByteArray bytes = golden;
        bytes[960] = static_cast<char>(index & 0xFF);
        bytes[961] = static_cast<char>((index >> 8) & 0xFF);
        return bytes;
    }
    void load(const QByteArray& bytes) {
        WriteAll(path(), bytes);
        f.dialogs.answers.push_back(path());
        f.editor->cmdLoad_Click();
    }
    QTemporaryDir folder;
    QByteArray golden;
    EditorFixture f{true, {2, 4}};
};

TEST_F(Loading, FileWithoutBaseRemovesThePlateAndReturnsItsImage) {
    load(withBase(-1));
    EXPECT_FALSE(f.l().picBaseSens->isVisibleTo(&f.window));
    EXPECT_EQ(f.l().BaseIndex, -1);
    EXPECT_TRUE(f.l().picBase[4]->isVisibleTo(&f.window));
    // Sensors merged before the load but not in the file end up in the box.
    EXPECT_FALSE(f.l().SensorMerged[9]);
    EXPECT_TRUE(f.item(9).isVisibleTo(&f.window));
    EXPECT_FALSE(f.frame(6).isVisibleTo(&f.window));
    EXPECT_EQ(f.l().MergedCount, 2);
}

TEST_F(Loading, BaseFromTheFileReplacesTheShownOne) {
    load(golden);
    EXPECT_EQ(f.l().BaseIndex, 2);
    EXPECT_TRUE(f.l().picBase[4]->isVisibleTo(&f.window));
    EXPECT_FALSE(f.l().picBase[2]->isVisibleTo(&f.window));
    EXPECT_EQ(f.l().picBaseSens->Left(), 5925);
    EXPECT_EQ(f.l().picBaseSens->Top(), 4425);
    EXPECT_EQ(f.l().picBaseSens->canvas().pixel(30, 30),
              FromQColor(BasePicture(2).pixelColor(0, 0)));
}

// Sensor 1 placed on base 2's plate: its outline crosses the plate 75 twips (5 px) in.
LayoutFileData OnPlate() {
    LayoutFileData d;
    for (int i = 0; i < 16; ++i) {
        d.sensors[i].Index = static_cast<int16_t>(i);
        d.sensors[i].BackColor = 0xFFFFFF;
    }
    SensorFileRecord& one = d.sensors[0];
    one.Left = 6000;
    one.Top = 4500;
    one.Width = 555;
    one.Height = 555;
    one.Visible = -1;
    d.base = BaseFileRecord{2, 4425, 5925, 555, 555};
    return d;
}

TEST_F(Loading, FramesAreDrawnAfterABaseLoadEvenWithFrameDisplayOff) {
    f.l().ShowSensorFrames = false;
    load(EncodeLayoutFile(OnPlate()));
    EXPECT_EQ(f.l().picBaseSens->canvas().pixel(5, 20), GetFrameColor(kTestBaseColor));
    EXPECT_FALSE(f.l().ShowSensorFrames);
}

TEST_F(Loading, RotationsThatAreOtherMultiplesOfNinetyAreBroughtIntoRange) {
    LayoutFileData d = OnPlate();
    d.sensors[0].Rotation = -90;
    load(EncodeLayoutFile(d));
    EXPECT_TRUE(f.boxes.shown.empty());
    EXPECT_EQ(f.l().SensorRotation[0], 270);
}

struct Snapshot {
    std::vector<std::array<float, 4>> frames;
    std::vector<bool> shown;
    std::vector<bool> inBox;
    int16_t base;
    int32_t merged;
    QString chain;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(EditorFixture& f) {
    Snapshot s;
    for (int i = 0; i < 16; ++i) {
        const PictureBox& fr = f.frame(i);
        s.frames.push_back({fr.Left(), fr.Top(), fr.Width(), fr.Height()});
        s.shown.push_back(!fr.isHidden());
        s.inBox.push_back(!f.item(i).isHidden());
    }
    s.base = f.l().BaseIndex;
    s.merged = f.l().MergedCount;
    s.chain = ChainText(f.l(), 0);
    return s;
}

TEST_F(Loading, BadFilesAreRefusedWithAMessageAndNothingChanges) {
    const auto bad = [](auto change) {
        LayoutFileData d = OnPlate();
        change(d);
        return EncodeLayoutFile(d);
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"short", EncodeLayoutFile(OnPlate()).left(977)},
        {"base index", bad([](LayoutFileData& d) { d.base.BaseIndex = 16; })},
        {"base index below", bad([](LayoutFileData& d) { d.base.BaseIndex = -2; })},
        {"plate size", bad([](LayoutFileData& d) { d.base.Width = 0; })},
        {"frame not finite", bad([nan](LayoutFileData& d) { d.sensors[0].Left = nan; })},
        {"frame far away", bad([](LayoutFileData& d) { d.sensors[0].Top = 2e6f; })},
        {"frame size", bad([](LayoutFileData& d) { d.sensors[0].Height = -5; })},
        {"rotation", bad([](LayoutFileData& d) { d.sensors[0].Rotation = 45; })},
        {"merged into itself", bad([](LayoutFileData& d) { d.sensors[0].MergedInto[0] = -1; })},
        {"two hosts", bad([](LayoutFileData& d) {
             d.sensors[5] = d.sensors[0];
             d.sensors[5].Left = 9000;
             d.sensors[0].MergedInto[3] = -1;
             d.sensors[5].MergedInto[3] = -1;
         })},
    };
    const Snapshot before = Take(f);
    for (const auto& [name, bytes] : files) {
        f.boxes.shown.clear();
        load(bytes);
        ASSERT_EQ(f.boxes.shown.size(), 1u) << name;
        EXPECT_TRUE(f.boxes.shown[0].text.startsWith(path())) << name;
        EXPECT_EQ(f.boxes.shown[0].icon, BoxIcon::Critical) << name;
        EXPECT_TRUE(Take(f) == before) << name;
    }
}

TEST_F(Loading, CancelledOrMissingFilesChangeNothingAndCreateNothing) {
    const Snapshot before = Take(f);
    f.editor->cmdLoad_Click();  // no answer queued: cancelled
    EXPECT_TRUE(f.boxes.shown.empty());
    const QString missing = folder.filePath(QStringLiteral("none.dat"));
    f.dialogs.answers.push_back(missing);
    f.editor->cmdLoad_Click();
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_TRUE(f.boxes.shown[0].text.startsWith(missing));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_TRUE(Take(f) == before);
}

TEST(Saving, NothingPlacedShowsTheMessageWithoutADialog) {
    EditorFixture f(true, {2});
    f.dragTo(f.l().picBase[2], QPoint(5, 5), QPointF(400, 300));
    f.editor->cmdSave_Click();
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_EQ(f.boxes.shown[0].text, QStringLiteral("保存するセンサがありません。"));
    EXPECT_EQ(f.boxes.shown[0].title, QStringLiteral("Error!"));
    EXPECT_EQ(f.boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_TRUE(f.dialogs.asked.empty());
}

TEST(Saving, ReplacesALongerFileWholeAndReportsAFailure) {
    EditorFixture f;
    f.place(0, QPoint(300, 200));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("old.dat"));
    WriteAll(path, QByteArray(5000, 'x'));
    f.dialogs.answers.push_back(path);
    f.editor->cmdSave_Click();
    EXPECT_EQ(ReadAll(path).size(), 1020);

    f.editor->cmdSave_Click();  // cancelled: nothing written, nothing shown
    EXPECT_TRUE(f.boxes.shown.empty());

    const QString nowhere = folder.filePath(QStringLiteral("no/such/folder/x.dat"));
    f.dialogs.answers.push_back(nowhere);
    f.editor->cmdSave_Click();
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_TRUE(f.boxes.shown[0].text.startsWith(nowhere));
    EXPECT_FALSE(QFile::exists(nowhere));
}

TEST(LayoutFileDecoding, FilesBetweenTheUsedPartAndTheFullLengthReadTheRestAsZero) {
    LayoutFileData d = OnPlate();
    const DecodedLayout decoded = DecodeLayoutFile(EncodeLayoutFile(d).left(978));
    ASSERT_TRUE(decoded.data) << decoded.fault.toStdString();
    EXPECT_EQ(decoded.data->base.Height, 555);
    EXPECT_EQ(decoded.data->sensors[0].Left, 6000);
}

}  // namespace
}  // namespace korvi::test
