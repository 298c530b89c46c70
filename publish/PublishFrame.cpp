#include "publish/PublishFrame.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <charconv>

#include "analysis/CentreOfPressure.h"
#include "platform/Colors.h"
#include "platform/Units.h"
#include "publish/OscPacket.h"

namespace korvi {

namespace {

PublishedRect RectOf(const Control& control) {
    return {control.Left(), control.Top(), control.Width(), control.Height()};
}

// The smallest rectangle holding both.
PublishedRect Union(const PublishedRect& a, const PublishedRect& b) {
    const double left = std::min(a.left, b.left);
    const double top = std::min(a.top, b.top);
    const double right = std::max(a.left + a.width, b.left + b.width);
    const double bottom = std::max(a.top + a.height, b.top + b.height);
    return {left, top, right - left, bottom - top};
}

void Append(std::string& text, double value) {
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

void Append(std::string& text, int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

QJsonObject RectJson(const PublishedRect& r) {
    return {{"left", r.left}, {"top", r.top}, {"width", r.width}, {"height", r.height}};
}

// A colour of the settings (0x00BBGGRR) as a page writes it: "#rrggbb".
QString ColourJson(uint32_t color) {
    return ToQColor(color).name();
}

}  // namespace

bool PublishedLayout::operator==(const PublishedLayout& other) const {
    const auto sameColours = [](const PressColorEntry& a, const PressColorEntry& b) {
        return a.PressLow == b.PressLow && a.PressHigh == b.PressHigh && a.Color == b.Color &&
               a.Radius == b.Radius;
    };
    return plate == other.plate && plateShown == other.plateShown &&
           plateColor == other.plateColor && frames == other.frames && shownOn == other.shownOn &&
           area == other.area && threshold == other.threshold &&
           std::equal(colors.begin(), colors.end(), other.colors.begin(), other.colors.end(),
                      sameColours);
}

PublishedLayout SnapshotLayout(const SensorLayout& layout, const DrawSetting& drawSetting) {
    PublishedLayout published;
    published.plate = RectOf(*layout.picBaseSens);
    published.plateShown = layout.picBaseSens->Visible();
    published.plateColor = layout.BaseColor;
    bool any = published.plateShown;
    if (any) {
        published.area = published.plate;
    }
    for (int k = 0; k < SensorCount; ++k) {
        const PictureBox& frame = *layout.picPressSens[static_cast<size_t>(k)];
        if (!frame.Visible()) {
            continue;
        }
        const PublishedRect rect = RectOf(frame);
        published.frames.push_back({k + 1, rect, layout.SensorRotation[static_cast<size_t>(k)]});
        published.area = any ? Union(published.area, rect) : rect;
        any = true;
    }
    for (int k = 0; k < SensorCount; ++k) {
        const int host = layout.SensorMerged[static_cast<size_t>(k)] ? 0 : k;
        published.shownOn[static_cast<size_t>(k)] =
            layout.picPressSens[static_cast<size_t>(host)]->Visible() ? host + 1 : 0;
    }
    published.colors = drawSetting.PressColorTable;
    published.threshold = drawSetting.PressThresh;
    return published;
}

int PressedCursors(const SensorLayout& layout, const FrameGather& gather,
                   const PublishedLayout& published,
                   std::array<PublishedCursor, SensorCount>& cursors) {
    const PublishedRect& area = published.area;
    if (area.width <= 0 || area.height <= 0) {
        return 0;
    }
    int count = 0;
    for (int k = 0; k < SensorCount; ++k) {
        if (!gather.IsDown(k)) {
            continue;
        }
        const std::optional<WindowPoint> place = MarkInWindow(layout, k);
        if (!place) {
            continue;
        }
        PublishedCursor& c = cursors[static_cast<size_t>(count++)];
        c.sensor = k;
        c.session = gather.Session(k);
        c.windowX = place->x;
        c.windowY = place->y;
        c.x = static_cast<float>(std::clamp((place->x - area.left) / area.width, 0.0, 1.0));
        c.y = static_cast<float>(std::clamp((place->y - area.top) / area.height, 0.0, 1.0));
        c.press = layout.LastPress[static_cast<size_t>(k)].MarkPress;
    }
    return count;
}

void BuildReadingsBundle(OscPacket& packet, std::span<const PublishedReading> readings) {
    packet.BeginBundle();
    for (const PublishedReading& r : readings) {
        packet.BeginMessage("/korvi/reading", "iiii");
        packet.AddInt(r.sensor + 1);
        packet.AddInt(r.press);
        packet.AddInt(r.x);
        packet.AddInt(r.y);
        packet.EndMessage();
    }
}

void BuildLayoutMessage(OscPacket& packet, const PublishedLayout& layout) {
    std::string types = "iiii";
    for (size_t n = 0; n < layout.frames.size(); ++n) {
        types += "iiiiii";
    }
    packet.BeginSingle("/korvi/layout", types);
    const auto addRect = [&packet](const PublishedRect& r) {
        packet.AddInt(RoundEven32(r.left));
        packet.AddInt(RoundEven32(r.top));
        packet.AddInt(RoundEven32(r.width));
        packet.AddInt(RoundEven32(r.height));
    };
    addRect(layout.plate);
    for (const PublishedFrame& frame : layout.frames) {
        packet.AddInt(frame.number);
        addRect(frame.rect);
        packet.AddInt(frame.rotation);
    }
    packet.EndMessage();
}

void BuildTuioBundle(OscPacket& packet, std::span<const PublishedCursor> cursors, int32_t fseq) {
    packet.BeginBundle();
    packet.BeginMessage("/tuio/2Dcur", "ss");
    packet.AddString("source");
    packet.AddString("korvisensor");
    packet.EndMessage();
    // The alive message's type tags: "s" and one "i" per cursor (at most 16).
    char aliveTypes[SensorCount + 2] = "s";
    for (size_t n = 0; n < cursors.size(); ++n) {
        aliveTypes[n + 1] = 'i';
    }
    aliveTypes[cursors.size() + 1] = '\0';
    packet.BeginMessage("/tuio/2Dcur", aliveTypes);
    packet.AddString("alive");
    for (const PublishedCursor& c : cursors) {
        packet.AddInt(c.session);
    }
    packet.EndMessage();
    for (const PublishedCursor& c : cursors) {
        packet.BeginMessage("/tuio/2Dcur", "sifffff");
        packet.AddString("set");
        packet.AddInt(c.session);
        packet.AddFloat(c.x);
        packet.AddFloat(c.y);
        packet.AddFloat(0);
        packet.AddFloat(0);
        packet.AddFloat(0);
        packet.EndMessage();
    }
    packet.BeginMessage("/tuio/2Dcur", "si");
    packet.AddString("fseq");
    packet.AddInt(fseq);
    packet.EndMessage();
}

// Sent once per connection and per change of the layout: made with the toolkit's JSON writer.
std::string LayoutJson(const PublishedLayout& layout) {
    QJsonArray frames;
    for (const PublishedFrame& frame : layout.frames) {
        frames.append(QJsonObject{{"number", frame.number},
                                  {"rotation", frame.rotation},
                                  {"rect", RectJson(frame.rect)}});
    }
    QJsonArray shownOn;
    for (const int number : layout.shownOn) {
        shownOn.append(number);
    }
    QJsonArray colors;
    for (const PressColorEntry& e : layout.colors) {
        colors.append(QJsonObject{{"low", e.PressLow},
                                  {"high", e.PressHigh},
                                  {"color", ColourJson(static_cast<uint32_t>(e.Color))},
                                  {"radius", e.Radius}});
    }
    const QJsonObject message{{"type", "layout"},
                              {"plate", RectJson(layout.plate)},
                              {"plateShown", layout.plateShown},
                              {"plateColor", ColourJson(layout.plateColor)},
                              {"area", RectJson(layout.area)},
                              {"frames", frames},
                              {"shownOn", shownOn},
                              {"threshold", layout.threshold},
                              {"colors", colors}};
    return QJsonDocument(message).toJson(QJsonDocument::Compact).toStdString();
}

void FrameJson(std::string& text, int64_t frame, std::span<const PublishedReading> readings,
               std::span<const PublishedCursor> cursors) {
    text.clear();
    text += "{\"type\":\"frame\",\"frame\":";
    Append(text, frame);
    text += ",\"readings\":[";
    for (size_t n = 0; n < readings.size(); ++n) {
        const PublishedReading& r = readings[n];
        text += n == 0 ? "[" : ",[";
        Append(text, int64_t{r.sensor} + 1);
        text += ',';
        Append(text, int64_t{r.press});
        text += ',';
        Append(text, int64_t{r.x});
        text += ',';
        Append(text, int64_t{r.y});
        text += ']';
    }
    text += "],\"marks\":[";
    for (size_t n = 0; n < cursors.size(); ++n) {
        const PublishedCursor& c = cursors[n];
        text += n == 0 ? "[" : ",[";
        Append(text, int64_t{c.sensor} + 1);
        text += ',';
        Append(text, c.windowX);
        text += ',';
        Append(text, c.windowY);
        text += ',';
        Append(text, int64_t{c.press});
        text += ']';
    }
    text += "]}";
}

}  // namespace korvi
