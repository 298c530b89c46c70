// Saving and loading layouts: the exact bytes of a saved file, a load that restores every value
// bit for bit, the base plate states a load leaves, and files that are refused untouched.
#include <gtest/gtest.h>

#include <QDataStream>
#include <cmath>
#include <limits>
#include <map>
#include <tuple>

#include "tests/layout/EditorFixture.h"
#include "tests/support/TempAppFolder.h"

namespace korvi::test {
namespace {

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
    f.click(&f.frame(1), QPoint(30, 26));
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
    const std::map<int, Frame> used = {{0, {3000, 4500, 555, 555, 0xFFFFFF, -1, 0}},
                                       {1, {3000.7f, 7500.3f, 611.11f, 432.9f, 0x00C0FFEE, -1, 90}},
                                       {2, {3435, 4935, 555, 555, 0xFFFFFF, 0, 0}},
                                       {4, {3465, 4860, 555, 555, 0xFFFFFF, 0, 0}}};
    for (int i = 0; i < 16; ++i) {
        const Frame r = used.count(i) ? used.at(i) : Frame{0, 0, 0, 0, 0xFFFFFF, 0, 0};
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

TEST(LayoutFile, SaveWritesTheExactRecordsAndLoadRestoresThemBitForBit) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("layout.dat"));
    ASSERT_TRUE(WriteFile(path, QByteArray(5000, 'x')));  // a longer file is replaced whole
    {
        EditorFixture f(true, {2, 4});
        BuildLayout(f);
        f.dialogs.answers.push_back(path);
        f.editor->cmdSave_Click();
        ASSERT_EQ(f.dialogs.asked.size(), 1u);
        EXPECT_EQ(f.dialogs.asked[0].filter, QStringLiteral("すべてのﾌｧｲﾙ (*.*)|*.*|"));
        EXPECT_TRUE(f.boxes.shown.empty());
    }
    const QByteArray saved = ReadFile(path);
    EXPECT_EQ(saved.toHex(), GoldenFile().toHex());

    EditorFixture g(true, {2, 4});
    g.place(7, QPoint(600, 400));  // in the way: the file does not place sensor 8
    g.dialogs.answers.push_back(path);
    g.editor->cmdLoad_Click();
    EXPECT_TRUE(g.boxes.shown.empty());
    EXPECT_EQ(Geometry(g.frame(1)), (std::array<float, 4>{7500.3f, 3000.7f, 611.11f, 432.9f}));
    EXPECT_EQ(g.l().SensorRotation[1], 90);
    EXPECT_TRUE(g.shown(&g.frame(0)));
    EXPECT_FALSE(g.shown(&g.frame(7)));
    EXPECT_TRUE(g.shown(&g.item(7)));
    EXPECT_EQ(ChainText(g.l(), 0), QStringLiteral("1,3,5"));
    EXPECT_EQ(g.l().MergedCount, 2);
    EXPECT_FALSE(g.shown(&g.item(2)) || g.shown(&g.frame(4)));
    EXPECT_EQ(g.l().BaseIndex, 2);
    EXPECT_EQ(g.l().picBaseSens->Left(), 5925);

    // Saved again, the loaded layout gives the same bytes: every value came back bit for bit.
    const QString again = folder.filePath(QStringLiteral("again.dat"));
    g.dialogs.answers.push_back(again);
    g.editor->cmdSave_Click();
    EXPECT_EQ(ReadFile(again), saved);
}

// Sensor 1 placed on base 2's plate: its outline crosses the plate 75 twips (5 px) in.
LayoutFileData OnPlate() {
    LayoutFileData d;
    for (int16_t i = 0; i < 16; ++i) {
        d.sensors[i] = {i, 0, 0, 0, 0, 0xFFFFFF, 0, 0, {}};
    }
    d.sensors[0] = {0, 4500, 6000, 555, 555, 0xFFFFFF, -1, 0, {}};
    d.base = BaseFileRecord{2, 4425, 5925, 555, 555};
    return d;
}

class Loading : public ::testing::Test {
  protected:
    void SetUp() override {
        f.place(0, QPoint(600, 300));
        f.place(6, QPoint(700, 300));
        f.dragTo(&f.item(9), QPoint(1, 1), QPointF(610, 310));  // 10 merged into 1
        f.dragTo(f.l().picBase[4], QPoint(5, 5), QPointF(400, 500));
    }
    QString path() const { return folder.filePath(QStringLiteral("layout.dat")); }
    QByteArray withBase(int16_t index) const {
        QByteArray bytes = GoldenFile();
        bytes[960] = static_cast<char>(index & 0xFF);
        bytes[961] = static_cast<char>((index >> 8) & 0xFF);
        return bytes;
    }
    void load(const QByteArray& bytes) {
        ASSERT_TRUE(WriteFile(path(), bytes));
        f.dialogs.answers.push_back(path());
        f.editor->cmdLoad_Click();
    }
    QTemporaryDir folder;
    EditorFixture f{true, {2, 4}};
};

// Everything a load may change, as one comparable text.
QString Take(EditorFixture& f) {
    QString s = QStringLiteral("base %1 merged %2 chain %3;")
                    .arg(f.l().BaseIndex)
                    .arg(f.l().MergedCount)
                    .arg(ChainText(f.l(), 0));
    for (int i = 0; i < 16; ++i) {
        const PictureBox& fr = f.frame(i);
        s += QStringLiteral(" %1,%2,%3,%4,%5,%6")
                 .arg(fr.Left())
                 .arg(fr.Top())
                 .arg(fr.Width())
                 .arg(fr.Height())
                 .arg(fr.isHidden())
                 .arg(f.item(i).isHidden());
    }
    return s;
}

// Bad, missing or cancelled files change nothing; a good one replaces the shown base with its
// own or removes the plate, and puts the sensors it does not place back in the box.
TEST_F(Loading, BadFilesChangeNothingAndAGoodOneSetsTheBaseAndTheSensors) {
    const auto bad = [](auto change) {
        LayoutFileData d = OnPlate();
        change(d);
        return EncodeLayoutFile(d);
    };
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"short", EncodeLayoutFile(OnPlate()).left(977)},
        {"base index", bad([](LayoutFileData& d) { d.base.BaseIndex = 16; })},
        // One geometry fault; the bounds of each are pinned by LayoutFileLimits.
        {"frame off the window", bad([](LayoutFileData& d) { d.sensors[0].Left = -600; })},
        {"rotation", bad([](LayoutFileData& d) { d.sensors[0].Rotation = 45; })},
        {"merged into itself", bad([](LayoutFileData& d) { d.sensors[0].MergedInto[0] = -1; })},
        {"two hosts", bad([](LayoutFileData& d) {
             d.sensors[5] = d.sensors[0];
             d.sensors[5].Left = 9000;
             d.sensors[0].MergedInto[3] = -1;
             d.sensors[5].MergedInto[3] = -1;
         })},
    };
    const QString before = Take(f);
    for (const auto& [name, bytes] : files) {
        f.boxes.shown.clear();
        load(bytes);
        ASSERT_EQ(f.boxes.shown.size(), 1u) << name;
        EXPECT_TRUE(f.boxes.shown[0].text.startsWith(path())) << name;
        EXPECT_EQ(f.boxes.shown[0].icon, BoxIcon::Critical) << name;
        EXPECT_EQ(Take(f), before) << name;
    }
    f.boxes.shown.clear();
    f.editor->cmdLoad_Click();  // no answer queued: cancelled
    EXPECT_TRUE(f.boxes.shown.empty());
    const QString missing = folder.filePath(QStringLiteral("none.dat"));
    f.dialogs.answers.push_back(missing);
    f.editor->cmdLoad_Click();
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_TRUE(f.boxes.shown[0].text.startsWith(missing));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(Take(f), before);

    load(withBase(2));
    EXPECT_EQ(f.l().BaseIndex, 2);
    EXPECT_TRUE(f.shown(f.l().picBase[4]));
    EXPECT_FALSE(f.shown(f.l().picBase[2]));
    EXPECT_EQ(f.l().picBaseSens->Left(), 5925);
    EXPECT_EQ(f.l().picBaseSens->canvas().pixel(30, 30),
              FromQColor(BasePicture(2).pixelColor(0, 0)));
    // Sensors placed or merged before the load but not in the file end up in the box.
    EXPECT_FALSE(f.l().SensorMerged[9]);
    EXPECT_TRUE(f.shown(&f.item(9)));
    EXPECT_FALSE(f.shown(&f.frame(6)));
    EXPECT_EQ(f.l().MergedCount, 2);

    load(withBase(-1));
    EXPECT_FALSE(f.shown(f.l().picBaseSens));
    EXPECT_EQ(f.l().BaseIndex, -1);
    EXPECT_TRUE(f.shown(f.l().picBase[2]));

    // Frames are drawn on a loaded plate even with frame display off.
    f.l().ShowSensorFrames = false;
    load(EncodeLayoutFile(OnPlate()));
    EXPECT_EQ(f.l().picBaseSens->canvas().pixel(5, 20), 0x9F9FA0u);  // frame colour
}

// Every size and position at the edge of the layout area, and just beyond it: sensor 1 placed,
// sensor 5 in the box (which keeps a size of 0 when never placed, or its last one).
TEST(LayoutFileLimits, GeometryIsAcceptedUpToTheLayoutAreaAndRefusedJustBeyond) {
    const float up = std::nextafter(30900.0f, 1e9f);
    const float under = std::nextafter(15.0f, 0.0f);
    const float farLeft = std::nextafter(-61800.0f, -1e9f);
    const QString away = QStringLiteral("センサ1 が表示できる範囲の外にあります。");
    const struct {
        int16_t sensor;
        float top, left, width, height;
        QString fault;  // empty: the file is accepted
    } cases[] = {
        {0, 4500, 6000, 15, 15, {}},
        {0, 4500, 6000, under, 555,
         QStringLiteral("センサ1 の幅 14.999999 が範囲外です (15 〜 30900)。")},
        {0, 0, 0, 30900, 23700, {}},
        {0, 4500, 6000, up, 555,
         QStringLiteral("センサ1 の幅 30900.002 が範囲外です (15 〜 30900)。")},
        {0, 4500, 6000, 555, 23701,
         QStringLiteral("センサ1 の高さ 23701 が範囲外です (15 〜 23700)。")},
        {0, 4500, farLeft, 555, 555,
         QStringLiteral("センサ1 の左端 -61800.0039 が範囲外です (-61800 〜 61800)。")},
        {0, 47401, 6000, 555, 555,
         QStringLiteral("センサ1 の上端 47401 が範囲外です (-47400 〜 47400)。")},
        {0, -540, -540, 555, 555, {}},  // one pixel showing at the top left
        {0, 4500, -555, 555, 555, away},
        {0, -555, 6000, 555, 555, away},
        {0, 4500, 61800, 555, 555, away},
        {0, 47385, 61785, 555, 555, {}},  // the last pixel at the bottom right
        {0, NAN, 6000, 555, 555, QStringLiteral("センサ1 の上端が数値ではありません。")},
        {4, 0, 0, INFINITY, 0, QStringLiteral("センサ5 の幅が数値ではありません。")},
        {4, 0, 0, 0, 0, {}},
        {4, -47400, -61800, 30900, 23700, {}},
        {4, 0, 61801, 0, 0,
         QStringLiteral("センサ5 の左端 61801 が範囲外です (-61800 〜 61800)。")},
    };
    const auto decode = [](const LayoutFileData& d) {
        return DecodeLayoutFile(EncodeLayoutFile(d));
    };
    for (const auto& c : cases) {
        LayoutFileData d = OnPlate();
        SensorFileRecord& r = d.sensors[c.sensor];
        std::tie(r.Top, r.Left, r.Width, r.Height) = std::tie(c.top, c.left, c.width, c.height);
        const DecodedLayout decoded = decode(d);
        EXPECT_EQ(decoded.fault, c.fault) << c.sensor << ": " << c.top << ", " << c.left;
        EXPECT_EQ(decoded.data.has_value(), c.fault.isEmpty()) << c.width << " x " << c.height;
    }
    // The plate has the same size bounds; without a plate its geometry is not looked at.
    LayoutFileData d = OnPlate();
    d.base.Height = 14;
    EXPECT_EQ(decode(d).fault, QStringLiteral("ベース の高さ 14 が範囲外です (15 〜 23700)。"));
    d.base = {-1, 1e9f, NAN, -4, 0};
    EXPECT_TRUE(decode(d).data.has_value());
}

}  // namespace
}  // namespace korvi::test
