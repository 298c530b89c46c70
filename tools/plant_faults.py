#!/usr/bin/env python3
"""Plants single-point faults into the program one at a time and reports which tests catch them.

    python3 tools/plant_faults.py                 # every fault of the catalogue
    python3 tools/plant_faults.py --list          # the catalogue, without building
    python3 tools/plant_faults.py beep-base csv-header   # only these faults
    python3 tools/plant_faults.py --all-tests     # every failing test, not only the first ones

It configures its own build folder once (build-faults/, Debug without sanitizers, warnings not
fatal, ccache when present), builds, and checks that the suite passes untouched. Then, for each
fault: replace one piece of text in one source file, rebuild incrementally, run ctest (the tests
of the fault's own folders first, then the rest, stopping at the first failure), put the file
back. The file is restored in a finally block (also on Ctrl-C or SIGTERM) and checked with
`git diff` afterwards. A fault whose text is no longer in its file is reported as "stale": the
code moved on, and the catalogue entry needs updating.

Takes a few minutes per folder of faults; it is a developer's tool and not part of CI.
"""

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


@dataclass
class Fault:
    name: str
    file: str  # relative to the repository root
    find: str  # text that must occur exactly once in the file
    replace: str
    reason: str  # what a user would meet if this fault shipped


F = Fault
CATALOGUE = [
    # --- platform ------------------------------------------------------------------------------
    F("round-half-up", "platform/Units.h", "std::nearbyint(value)", "std::round(value)",
      "2.5 pixels rounds to 3 instead of 2: marks and ticks land one pixel off"),
    F("canvas-stretch-size", "platform/Canvas.cpp",
      "QRectF(toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height))",
      "QRectF(toPixelsX(x), toPixelsY(y), toPixelsX(height), toPixelsY(width))",
      "pictures stretched over a plate that is not square leave part of it bare"),
    F("canvas-box-fill", "platform/Canvas.cpp", "    if (filled) {", "    if (!filled) {",
      "filled boxes come out as outlines and outlines as filled boxes"),
    F("canvas-white-mask", "platform/Canvas.cpp", "== qRgb(255, 255, 255)", "== qRgb(0, 0, 0)",
      "footprints hide the panel behind their white instead of letting it show through"),
    F("colour-byte-order", "platform/Colors.cpp",
      "return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),\n"
      "                  static_cast<int>((bgr >> 16) & 0xFF));",
      "return QColor(static_cast<int>((bgr >> 16) & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),\n"
      "                  static_cast<int>(bgr & 0xFF));",
      "colours from the settings are shown with red and blue swapped"),
    F("utf8-before-cp932", "platform/TextCodec.cpp", "    if (!utf8.hasError()) {",
      "    if (utf8.hasError()) {", "settings written in UTF-8 are read as Shift-JIS"),
    F("home-folder-ignored", "platform/AppFolder.cpp", "    if (!home.isEmpty()) {",
      "    if (home.isEmpty()) {", "KORVISENSOR_HOME is ignored: the program reads the wrong folder"),
    # --- settings ------------------------------------------------------------------------------
    F("ini-last-value-wins", "settings/IniFile.cpp",
      "if (key.isEmpty() || current->contains(key)) {", "if (key.isEmpty()) {",
      "a key written twice takes its last value instead of its first"),
    F("ini-value-limit", "settings/IniFile.cpp", "if (bytes + charBytes > maxBytes) {",
      "if (bytes + charBytes >= maxBytes) {", "long settings lose their 255th byte"),
    F("ini-overflow-unreported", "settings/IniFile.cpp",
      "number > std::numeric_limits<int16_t>::max()) {",
      "number > std::numeric_limits<int32_t>::max()) {",
      "a value above 32767 wraps silently instead of being reported"),
    F("csv-field-off-by-one", "settings/DrawSetting.cpp", "    int field = 1;", "    int field = 0;",
      "every draw-setting list reads the field after the one it asks for"),
    F("press-band-decimal", "settings/DrawSetting.cpp",
      "entry.PressLow = Low16(value, 1, DrawFieldKind::Hex);",
      "entry.PressLow = Low16(value, 1, DrawFieldKind::Decimal);",
      "pressure bands written in hexadecimal start at the wrong pressure"),
    F("sampling-interval", "settings/DrawSetting.cpp", "RoundEven32(1000.0 / setting.Sampling)",
      "RoundEven32(100.0 / setting.Sampling)", "CSV sampling runs ten times too fast"),
    F("sound-x-decimal", "settings/DrawSetting.cpp",
      "range(3, DrawFieldKind::HexRange, entry.XLow, entry.XHigh);",
      "range(3, DrawFieldKind::DecimalRange, entry.XLow, entry.XHigh);",
      "the X range of a sound rule is read as decimal although written in hexadecimal"),
    F("hex-three-digits", "settings/NumberText.cpp", "ParseHexDigits(text, 4)",
      "ParseHexDigits(text, 3)", "four-digit hexadecimal values (FFF and up with a zero) refused"),
    F("hex-digit-weight", "settings/NumberText.cpp", "value = value * 16 + static_cast<uint32_t>(d);",
      "value = value * 10 + static_cast<uint32_t>(d);", "hexadecimal settings read as wrong numbers"),
    F("merge-mode-value", "settings/Settings.cpp",
      "QStringLiteral(\"MergeMode\"), 0, boxes) != 0;",
      "QStringLiteral(\"MergeMode\"), 0, boxes) > 1;", "MergeMode=1 no longer allows merging"),
    # --- recording -----------------------------------------------------------------------------
    F("csv-header", "recording/RecordingReader.cpp", "EncodeCp932(QStringLiteral(\"センサーNo.,圧力,X座標,Y座標\"))",
      "EncodeCp932(QStringLiteral(\"センサーNo,圧力,X座標,Y座標\"))",
      "the CSV header differs from what spreadsheets expect"),
    F("csv-line-end", "recording/CsvRecorder.cpp", "    *out++ = '\\r';\n    *out++ = '\\n';",
      "    *out++ = '\\n';", "CSV rows end in LF only"),
    F("csv-x-y-swapped", "recording/CsvRecorder.cpp",
      "out = std::to_chars(out, end, x).ptr;\n    *out++ = ',';\n"
      "    out = std::to_chars(out, end, y).ptr;",
      "out = std::to_chars(out, end, y).ptr;\n    *out++ = ',';\n"
      "    out = std::to_chars(out, end, x).ptr;", "the recording has X and Y swapped"),
    F("csv-row-limit", "recording/CsvRecorder.cpp",
      "    if (CsvRowCount_ > kRowLimit) {\n        Stop(Ended::ByRowLimit);",
      "    if (CsvRowCount_ >= kRowLimit) {\n        Stop(Ended::ByRowLimit);",
      "a full recording holds 32000 rows instead of 32001"),
    F("csv-end-timer-interval", "recording/CsvRecorder.cpp",
      "static_cast<int32_t>(setting_.AllTime) * 1000)", "static_cast<int32_t>(setting_.AllTime) * 100)",
      "a recording of AllTime seconds ends after a tenth of that"),
    F("csv-flush-never-started", "recording/CsvRecorder.cpp", "    flushTimer_.start();\n", "",
      "rows stay in memory until the recording stops: a crash loses them all"),
    F("csv-length-inclusive", "recording/CsvRecorder.cpp", "if (recordedMs >= lengthMs) {",
      "if (recordedMs > lengthMs) {", "a timed recording writes one row more than its length"),
    F("csv-release-keeps-sampling", "recording/CsvRecorder.cpp", "if (reading_.press == 0) {",
      "if (reading_.press < 0) {", "a released press is recorded again and again"),
    F("csv-mode-choice", "recording/CsvRecorder.cpp", "if (setting_.Sampling != 0) {",
      "if (setting_.Sampling > 1) {", "Sampling=1 records every reading instead of one a second"),
    F("csv-sampling-not-started", "recording/CsvRecorder.cpp",
      "if (CsvMode_ == 1 && !csvTimeOn_) {", "if (CsvMode_ == 1 && csvTimeOn_) {",
      "timed recording never starts sampling"),
    # --- layout --------------------------------------------------------------------------------
    F("overlap-tie-horizontal", "layout/AvoidOverlap.cpp", "if (h.size >= v.size) {",
      "if (h.size > v.size) {", "equal overlaps push the frame sideways instead of down"),
    F("overlap-push-direction", "layout/AvoidOverlap.cpp",
      "frame.Top = v.meet == Meet::CoversEnd ?", "frame.Top = v.meet == Meet::CoversStart ?",
      "a frame dropped over another's top is pushed below it instead of above"),
    F("overlap-covers-end", "layout/AvoidOverlap.cpp",
      "return {Meet::CoversEnd, static_cast<float>(end - otherStart)};",
      "return {Meet::CoversEnd, static_cast<float>(otherEnd - start)};",
      "a frame overlapping another's top is measured wrongly and pushed sideways"),
    F("overlap-hidden-frames", "layout/LayoutEditor.cpp",
      "if (i != frame && l_.picPressSens[i]->Visible()) {", "if (i != frame) {",
      "sensors back in the box still push placed frames away"),
    F("base-image-top", "layout/LayoutEditor.cpp",
      "image.Move(300, static_cast<float>(k * 675 + 120), 555, 555);",
      "image.Move(300, static_cast<float>(k * 675 + 100), 555, 555);",
      "base images sit 20 twips too high in the base box"),
    F("layout-top-left-order", "layout/LayoutFile.cpp",
      "        w.f32(r.Top);\n        w.f32(r.Left);", "        w.f32(r.Left);\n        w.f32(r.Top);",
      "layout files store Left where Top belongs: files are not exchangeable"),
    F("layout-visible-flag", "layout/LayoutEditorFiles.cpp", "r.Visible = frame.Visible() ? -1 : 0;",
      "r.Visible = frame.Visible() ? 1 : 0;", "placed sensors are stored as 1 instead of -1"),
    F("layout-save-nothing-placed", "layout/LayoutEditorFiles.cpp",
      "if (CountPlacedSensors() == 0) {", "if (CountPlacedSensors() < 0) {",
      "an empty layout is saved instead of refused with a message"),
    F("layout-base-index-range", "layout/LayoutFile.cpp", "d.base.BaseIndex > 15) {",
      "d.base.BaseIndex > 16) {", "a file naming base 16 is accepted and indexes past the images"),
    F("handle-5-top", "layout/StretchHandles.cpp", "        case 5:\n            return {centreX, bottom};",
      "        case 5:\n            return {centreX, top};",
      "the bottom-centre handle is drawn at the top"),
    F("resize-handle-3", "layout/StretchHandles.cpp", "std::min(px - target.Left, kLayoutLargestWidth)",
      "std::min(px - target.Top, kLayoutLargestWidth)", "stretching by the right handle gives a wrong width"),
    F("rotation-step", "layout/Rotation.cpp", "+ 90) % 360);", "+ 270) % 360);",
      "rotate turns the sensor the wrong way"),
    F("org-mark-90", "layout/SensorLayout.cpp", "x1 = w, y1 = halfH, x2 = w - 5, y2 = halfH;",
      "x1 = w, y1 = halfH, x2 = w - 2, y2 = halfH;", "the origin tick of a turned sensor is too short"),
    F("frame-colour", "layout/SensorLayout.cpp", "RoundEven32((part + mask) / 2.0)",
      "RoundEven32((part + mask) / 3.0)", "sensor outlines on the plate have the wrong colour"),
    F("frames-skip-hidden", "layout/SensorLayout.cpp",
      "    for (PictureBox* frame : layout.picPressSens) {\n        if (!frame->Visible()) {",
      "    for (PictureBox* frame : layout.picPressSens) {\n        if (false) {",
      "outlines of sensors in the box are drawn on the plate"),
    # --- display -------------------------------------------------------------------------------
    F("beep-step", "display/Beep.cpp", "static_cast<int32_t>(q) * 1540;",
      "static_cast<int32_t>(q) * 1504;", "beep pitches drift below the scale"),
    F("beep-base", "display/Beep.cpp", "scaled / 16.0 + 220.0", "scaled / 16.0 + 200.0",
      "every beep is 20 Hz too low"),
    F("beep-truncates", "display/Beep.cpp", "RoundEven16(pressure / 16.0)",
      "static_cast<int16_t>(pressure / 16)", "pressures just above a step get the lower pitch"),
    F("beep-length", "display/Beep.h", "kBeepMs = 40;", "kBeepMs = 50;", "beeps last 50 ms"),
    F("map-90-swapped", "display/PanelMapping.cpp",
      "            px = width - y * fx;\n            py = height - x * fy;",
      "            px = width - x * fx;\n            py = height - y * fy;",
      "presses on a sensor turned by 90 degrees show mirrored"),
    F("map-270-swapped", "display/PanelMapping.cpp",
      "            px = y * fx;\n            py = x * fy;", "            px = x * fx;\n            py = y * fy;",
      "presses on a sensor turned by 270 degrees show mirrored"),
    F("map-180-flipped", "display/PanelMapping.cpp", "            py = y * fy;\n",
      "            py = height - y * fy;\n", "presses on an upside-down sensor show flipped"),
    F("press-band-top-open", "display/PressLookup.cpp", "pressure <= entry.PressHigh",
      "pressure < entry.PressHigh", "the top pressure of each band takes the next band's colour"),
    F("press-image-number", "display/PressLookup.cpp", "return pressure / 16 + 1;",
      "return pressure / 15 + 1;", "footprints change at the wrong pressures"),
    F("sound-x-high-open", "display/SoundRules.cpp", "frame.X <= rule.XHigh",
      "frame.X < rule.XHigh", "a press on the right edge of a sound's area is not counted"),
    F("sound-y-low-open", "display/SoundRules.cpp", "rule.YLow <= frame.Y",
      "rule.YLow < frame.Y", "a press on the lower edge of a sound's area is not counted"),
    F("sound-press-high-open", "display/SoundRules.cpp", "frame.Press <= rule.PressHigh",
      "frame.Press < rule.PressHigh", "the strongest press of a sound's range is not counted"),
    F("sound-label-number", "display/SoundRules.cpp", "const int label = frame.Sensor + 1;",
      "const int label = frame.Sensor;", "sound rules name sensors by number, not by label"),
    F("sound-guard", "display/SoundRules.cpp", "kGuardTicks = 3;", "kGuardTicks = 2;",
      "the same sound repeats every other second"),
    F("sound-tick-interval", "display/SoundRules.cpp", "timSound_.start(1000);",
      "timSound_.start(100);", "sound rules are evaluated ten times a second"),
    F("clear-hidden-panels", "display/ClearDisplay.cpp",
      "        if (!panel.Visible()) {\n            continue;", "        if (false) {\n            continue;",
      "clearing paints the sensors kept in the box"),
    F("trace-full-ring", "display/TraceRing.cpp", "return {TraceNext, size_};",
      "return {0, size_};", "a trace that went round redraws its marks in the wrong order"),
    F("dot-threshold", "display/PressDisplay.cpp",
      "    if (pressure > setting_.PressThresh) {\n        circles.Draw(canvas, px, py",
      "    if (pressure >= setting_.PressThresh) {\n        circles.Draw(canvas, px, py",
      "a press at the threshold draws a dot instead of colouring the sensor"),
    F("plate-land-on-paint", "display/FrameRenderer.cpp",
      "        if (!flushing_ && scene_.HidesMarksIn(area)) {",
      "        if (area.isEmpty() && scene_.HidesMarksIn(area)) {",
      "trace marks under a panel stay missing when the panel is hidden"),
    F("plate-land-before-hiding", "display/TraceScene.cpp",
      "        // The plate is left as it stands, marks under the panels included.\n        LandHiddenPlateMarks();",
      "        // The plate is left as it stands, marks under the panels included.",
      "a plate hidden for a while comes back without the marks that lay under the panels"),
    F("plate-gone-under-panel", "display/TraceScene.cpp",
      "            plateHiddenStale_ = true;  // a mark left the trace under a panel",
      "            ;",
      "a trace mark that left the ring under a panel comes back when the panel is hidden"),
    F("plate-background-picture", "display/PlateBackground.cpp",
      "    key.picture = canvas.picture().cacheKey();\n", "",
      "a new plate picture does not show while the kept background is reused"),
    # --- link ----------------------------------------------------------------------------------
    F("decode-x-digit", "link/LineProtocol.cpp", "HexField(text, size, {5, 6, 9});",
      "HexField(text, size, {5, 6, 10});", "X positions take Y's lowest digit"),
    F("status-any-r", "link/LineProtocol.cpp", "line.at(0) == u'r' && line.at(1) == u'0';",
      "line.at(0) == u'r';", "a controller that is not ready is taken as ready"),
    F("skip-count", "link/LineProtocol.cpp", "return static_cast<int16_t>((digit < 0 ? 0 : digit) + 1);",
      "return static_cast<int16_t>(digit < 0 ? 0 : digit);",
      "the first reading after the handshake, not yet valid, is drawn"),
    F("line-split", "link/LineProtocol.cpp", "        lineStart = cr + 2;", "        lineStart = cr + 1;",
      "every line after the first starts with a stray LF"),
    F("buffer-count", "link/BufferClass.cpp", "return (writePos_ - readPos_ + slotCount_) % slotCount_;",
      "return writePos_ - readPos_;", "the queue length goes negative after wrapping"),
    F("retries", "link/CommunicationControl.cpp", "kRetries = 10;", "kRetries = 9;",
      "a silent controller is given up after nine requests"),
    F("reply-timeout", "link/CommunicationControl.cpp", "kReplyTimeoutMs = 300;",
      "kReplyTimeoutMs = 200;", "a slow controller is asked again before it could answer"),
    F("drain-time", "link/CommunicationControl.cpp", "kDrainMs = 500;", "kDrainMs = 50;",
      "stopping cuts off the controller's last lines"),
    F("command-line-end", "link/CommunicationControl.cpp", "command.toLatin1() + '\\r';",
      "command.toLatin1() + \"\\r\\n\";", "commands are sent with CR LF"),
    F("monitor-limit", "link/frmComData.cpp", "        if (length > kMonitorMaxChars) {",
      "        if (length >= kMonitorMaxChars) {", "the monitor cuts its text one append too early"),
    F("monitor-restore-fit", "link/frmComData.cpp",
      "    if (event->type() == QEvent::WindowStateChange) {",
      "    if (event->type() == QEvent::None) {",
      "after restoring the monitor its text box no longer fills it"),
    F("monitor-open-minimised", "link/frmComData.cpp", "        window_->showNormal();",
      "        window_->show();", "opening a minimised monitor leaves it minimised"),
    # --- sim -----------------------------------------------------------------------------------
    F("sim-low-digits", "sim/ReadingGenerator.cpp",
      "    line[8] = kHex[s.x & 0xF];\n    line[9] = kHex[s.y & 0xF];",
      "    line[8] = kHex[s.y & 0xF];\n    line[9] = kHex[s.x & 0xF];",
      "the simulator sends positions the controller would not"),
    F("sim-status-digit", "sim/Simulator.cpp", "\"0123456789ABCDEF\"[o.skip & 0xF]",
      "\"0123456789ABCDEF\"[(o.skip + 1) & 0xF]", "the simulator announces the wrong skip count"),
    F("sim-count", "sim/Simulator.cpp", "i < perUnit && (dataLimit <= 0 || generated < dataLimit)",
      "i < perUnit && (dataLimit <= 0 || generated <= dataLimit)",
      "the simulator sends one data line more than asked, so end-to-end counts are off"),
    # --- app -----------------------------------------------------------------------------------
    F("quit-keeps-recording", "app/frmDemo.cpp", "    csv_->StopCsvOutput();\n    close();",
      "    close();", "the quit button leaves the CSV recording open"),
    F("menu-quit-keeps-recording", "app/frmDemo.cpp",
      "    csv_->StopCsvOutput();\n    emit endProgram();", "    emit endProgram();",
      "quitting from the menu leaves the CSV recording open"),
    F("savadata-folder", "app/MainModule.cpp", "mkpath(QStringLiteral(\"SavaData\"))",
      "mkpath(QStringLiteral(\"SaveData\"))", "the recording folder is not made at start-up"),
    F("display-x-y-swapped", "app/frmDemo.cpp",
      "        display_->DrawReading(r.RxSensor, r.RxPress, r.RxX, r.RxY);\n        soundRules_",
      "        display_->DrawReading(r.RxSensor, r.RxPress, r.RxY, r.RxX);\n        soundRules_",
      "readings from the controller are drawn with X and Y swapped"),
    # --- written from the rules' tables: draw-setting fields, handles and the resize rule, the
    # frame colour, the label chain, status and data lines, line events, the beep -------------
    F("sound-prev-hex", "settings/DrawSetting.cpp",
      "range(1, DrawFieldKind::DecimalRange, entry.PrevLow, entry.PrevHigh);",
      "range(1, DrawFieldKind::HexRange, entry.PrevLow, entry.PrevHigh);",
      "a sound that follows sounds 10 to 12 waits for sounds 16 to 18 instead"),
    F("sound-sensor-bounds-swapped", "settings/DrawSetting.cpp",
      "range(2, DrawFieldKind::DecimalRange, entry.SensorLow, entry.SensorHigh);",
      "range(2, DrawFieldKind::DecimalRange, entry.SensorHigh, entry.SensorLow);",
      "a sound for sensors 10 to 16 never plays"),
    F("sound-period-from-count", "settings/DrawSetting.cpp",
      "entry.Period = Low16(value, 6, DrawFieldKind::Decimal);",
      "entry.Period = Low16(value, 7, DrawFieldKind::Decimal);",
      "a sound's period is taken from its count of readings"),
    F("press-radius-hex", "settings/DrawSetting.cpp",
      "entry.Radius = Low16(value, 4, DrawFieldKind::Decimal);",
      "entry.Radius = Low16(value, 4, DrawFieldKind::Hex);",
      "a press mark of radius 10 is drawn with radius 16"),
    F("handle-side-middle", "layout/StretchHandles.cpp",
      "const float middleY = t.Top + t.Height / 2 - hh / 2;",
      "const float middleY = t.Top + t.Width / 2 - hh / 2;",
      "the side handles of a frame that is not square sit off the middle of its edges"),
    F("resize-below-a-pixel", "layout/StretchHandles.cpp",
      "if (px < right && width >= kLayoutSmallestSize) {", "if (px < right && width > 0) {",
      "a left handle dragged to within a pixel of the right edge leaves a frame no layout file loads"),
    F("resize-no-largest-height", "layout/StretchHandles.cpp",
      "std::min(py - target.Top, kLayoutLargestHeight)", "(py - target.Top)",
      "a plate stretched down a tall screen saves a layout that is refused when loaded"),
    F("resize-largest-keeps-left", "layout/StretchHandles.cpp",
      "r.Left = width < kLayoutLargestWidth ? px : right - width;", "r.Left = px;",
      "a frame stretched leftwards past the largest size moves its right edge"),
    F("handle-cursor-diagonal", "layout/StretchHandles.cpp",
      "        case 2:\n        case 6:\n            return Qt::SizeBDiagCursor;",
      "        case 2:\n        case 6:\n            return Qt::SizeFDiagCursor;",
      "the top-right and bottom-left handles show the other diagonal's pointer"),
    F("frame-colour-truncates", "layout/SensorLayout.cpp", "RoundEven32((part + mask) / 2.0)",
      "static_cast<int32_t>((part + mask) / 2.0)",
      "outlines on a black plate are 0x7F7F7F instead of 0x7F7F80"),
    F("unmerge-chain-anchor", "layout/LayoutEditor.cpp",
      "    int previous = host;\n    for (int j = 0; j < SensorCount; ++j) {\n"
      "        if (l_.SensorMerged[j] && l_.LabelHost(j) == host) {",
      "    int previous = i;\n    for (int j = 0; j < SensorCount; ++j) {\n"
      "        if (l_.SensorMerged[j] && l_.LabelHost(j) == host) {",
      "after a number is dragged out of a chain the numbers left no longer follow the host's"),
    F("skip-count-decimal", "link/LineProtocol.cpp", "HexDigitValue(line.at(2))",
      "(line.at(2).isDigit() ? line.at(2).digitValue() : -1)",
      "after r0F one line is skipped instead of 16: readings not yet valid are drawn"),
    F("data-any-line", "link/CommunicationControl.cpp",
      "} else if (text.startsWith(QLatin1Char('d'))) {", "} else if (!text.isEmpty()) {",
      "status replies and stray lines are drawn as readings"),
    F("slice-long", "link/CommunicationControl.h", "kSliceMs = 2;", "kSliceMs = 500;",
      "a fast controller holds the window for half a second at a time: clicks and the stop wait"),
    F("event-text-overrun", "link/CommEventText.cpp", "        case 1006:", "        case 1005:",
      "an overrun error is shown in the monitor as an undefined event"),
    F("sound-x-y-swapped", "app/frmDemo.cpp",
      "CollectReading(r.RxSensor, r.RxX, r.RxY, r.RxPress);",
      "CollectReading(r.RxSensor, r.RxY, r.RxX, r.RxPress);",
      "sound rules test a press's X against their Y range"),
    F("beep-step-half-up", "display/Beep.cpp", "RoundEven16(pressure / 16.0)",
      "static_cast<int16_t>(std::round(pressure / 16.0))",
      "pressure 40 beeps at 509 Hz instead of 412"),
    F("beep-hz-half-up", "display/Beep.cpp", "RoundEven32(scaled / 16.0 + 220.0)",
      "static_cast<int32_t>(std::round(scaled / 16.0 + 220.0))",
      "pressure 24 beeps at 413 Hz instead of 412"),
    F("csv-fed-x-y-swapped", "app/frmDemo.cpp",
      "csv_->OnReading(r.RxSensor, r.RxPress, r.RxX, r.RxY);",
      "csv_->OnReading(r.RxSensor, r.RxPress, r.RxY, r.RxX);",
      "the recording of a live stream holds each reading's Y where its X belongs"),
    F("sound-y-from-x-field", "settings/DrawSetting.cpp",
      "range(4, DrawFieldKind::HexRange, entry.YLow, entry.YHigh);",
      "range(3, DrawFieldKind::HexRange, entry.YLow, entry.YHigh);",
      "a sound's Y range is taken from its X range"),
    F("sound-press-decimal", "settings/DrawSetting.cpp",
      "range(5, DrawFieldKind::HexRange, entry.PressLow, entry.PressHigh);",
      "range(5, DrawFieldKind::DecimalRange, entry.PressLow, entry.PressHigh);",
      "a sound's pressure range 20-FF is read as decimal: the sound waits for the wrong presses"),
    F("merge-chain-reversed", "layout/LayoutEditor.cpp",
      "        l_.ChainLabelAfter(j, previous);\n        previous = j;\n    }\n    ++l_.MergedCount;",
      "        l_.ChainLabelAfter(j, previous);\n        previous = host;\n    }\n    ++l_.MergedCount;",
      "numbers merged into a frame read 1,12,3 instead of 1,3,12"),
    F("frame-long", "display/FrameRenderer.h", "kFrameMs = 10;", "kFrameMs = 1000;",
      "marks reach the screen once a second instead of within a frame"),
    F("monitor-frame-long", "link/frmComData.h", "kFrameMs = 16;", "kFrameMs = 1000;",
      "the monitor shows the traffic a second late"),
    F("replay-step-keeps-playing", "app/ReplayControl.cpp",
      "void ReplayControl::Step() {\n    SetPlaying(false);", "void ReplayControl::Step() {",
      "1行送り while a replay plays steps one row and the replay runs on instead of pausing"),
    # --- panels, outlines, first start ----------------------------------------------------------
    F("panel-drawing-full-size", "platform/Widgets.h",
      "return border_ == FlatBorder::Inside ? 1 : 0;", "return 0;",
      "a frame's border hides the outermost pixels of its marks and W and H are two pixels too large"),
    F("plate-drawing-inside-border", "layout/SensorLayout.cpp",
      "-1, FlatBorder::OverDrawing);", "-1, FlatBorder::Inside);",
      "the outlines of the frames on the plate hide under the frames' own edges"),
    F("outline-corners-cut", "platform/Canvas.cpp", "pen.setJoinStyle(Qt::MiterJoin);",
      "pen.setJoinStyle(Qt::BevelJoin);", "the frame outlines on the plate miss their corners"),
    F("recent-layouts-twice", "platform/RecentLayouts.cpp", "if (SameFile(entry) != file) {",
      "if (!entry.isEmpty()) {", "a layout loaded again is listed twice among the recent ones"),
    F("first-start-no-layout", "app/MainModule.cpp", "if (QFileInfo::exists(demoLayout)) {",
      "if (!QFileInfo::exists(demoLayout)) {", "the first start shows an empty window instead of the demo"),
    # --- analysis: statistics, centre of pressure, chart, peak map ------------------------------
    F("stats-press-count", "analysis/PressStatistics.cpp", "            ++t.presses;\n", "",
      "the statistics table counts no presses however often a sensor is pressed"),
    F("stats-pressed-time", "analysis/PressStatistics.cpp",
      "t.pressedMs += static_cast<uint32_t>(nowMs - t.pressStartMs);",
      "t.pressedMs += static_cast<uint32_t>(nowMs - t.pressStartMs) / 2;",
      "the time pressed of every finished press is half what it was"),
    F("stats-centre-unweighted", "analysis/PressStatistics.cpp", "        t.xSum += w * x;",
      "        t.xSum += pressure > 0 ? x * t.pressureSum / t.pressedReadings : 0;",
      "a sensor's centre X ignores how hard each place was pressed"),
    F("layout-centre-weight", "analysis/CentreOfPressure.cpp", "const double w = layout.LastPress[static_cast<size_t>(k)].MarkPress;",
      "const double w = 1;",
      "the layout's centre of pressure is the plain mean of the marks, not weighted by pressure"),
    F("overlay-plate-origin", "app/CentreOverlay.cpp",
      "RoundEven32(TwipsToPixels(point.y - plate.Top()))",
      "RoundEven32(TwipsToPixels(point.y - plate.Left()))",
      "the centre's cross and path stand off their place on the plate"),
    F("overlay-path-span", "app/CentreOverlay.h", "uint32_t pathMs_ = 3000;",
      "uint32_t pathMs_ = 300;", "the centre's path shows a tenth of the 3 s it should"),
    F("peak-map-last-wins", "platform/Canvas.cpp", "            if (at[col] < level) {",
      "            if (level > 0) {",
      "the peak map shows the last press where dots overlap instead of the highest"),
    F("canvas-clear-uncounted", "platform/Canvas.cpp", "    landPending();\n    ++clears_;",
      "    landPending();",
      "the peak map keeps a cleared panel's old peaks: lighter presses no longer show on it"),
    F("chart-scroll-direction", "app/frmStatistics.cpp",
      "std::memmove(row, row + shift,", "std::memmove(row + shift, row,",
      "the pressure chart's old columns run the wrong way as time passes"),
    F("peak-map-kept-after-panel-clear", "display/PeakMap.cpp",
      "levels.clears != canvas.clears() || ", "",
      "a panel the layout editor cleared keeps its old peaks: lighter presses no longer show on it"),
    F("history-nothing-held", "analysis/PressureHistory.cpp",
      "for (uint32_t age = 1; age < static_cast<uint32_t>(kBuckets); ++age) {",
      "for (uint32_t age = 1; age < 1; ++age) {",
      "the chart draws a sensor held down since before its span as not pressed"),
    F("overlay-box-offset", "app/CentreOverlay.cpp", "layer_, part.translated(offset)",
      "layer_, part", "the centre's cross and path are drawn off their place over the frames"),
    F("overlay-frames-kept", "app/CentreOverlay.cpp",
      "frame->update(area.translated(-place.topLeft()) & frame->rect());", "",
      "the centre's old crosses and path stay on the frames it left"),
    # --- publish ---------------------------------------------------------------------------------
    F("osc-sensor-from-zero", "publish/PublishFrame.cpp", "packet.AddInt(r.sensor + 1);",
      "packet.AddInt(r.sensor);", "OSC listeners get sensors numbered 0-15 instead of 1-16"),
    F("tuio-y-over-width", "publish/PublishFrame.cpp",
      "(place->y - area.top) / area.height", "(place->y - area.top) / area.width",
      "TUIO cursors stand at the wrong height on a layout that is not square"),
    F("websocket-any-origin", "publish/WebSocketFeed.cpp",
      "const bool allowed = origin.isEmpty() || IsViewerOrigin(origin) ||",
      "const bool allowed = true ||",
      "any web page the user visits can read the presses from the WebSocket feed"),
]


class Interrupted(Exception):
    pass


def on_signal(signum, frame):  # noqa: ARG001
    raise Interrupted(f"signal {signum}")


def run(cmd, timeout=None, **kwargs):
    return subprocess.run(cmd, cwd=ROOT, capture_output=True, text=True, timeout=timeout, **kwargs)


def git_clean(path):
    return run(["git", "diff", "--quiet", "--", path]).returncode == 0


def configure(build_dir):
    if os.path.exists(os.path.join(build_dir, "build.ninja")):
        return
    cmd = ["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
           "-DKORVI_SANITIZE=OFF", "-DKORVI_WERROR=OFF"]
    if shutil.which("ccache"):
        cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    result = run(cmd)
    if result.returncode != 0:
        sys.exit("configure failed:\n" + result.stdout + result.stderr)


def build(build_dir, jobs):
    result = run(["cmake", "--build", build_dir, "-j", str(jobs)])
    return result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]


def list_tests(build_dir):
    """Test number -> (name, folder of tests/ its executable belongs to)."""
    result = run(["ctest", "--test-dir", build_dir, "--show-only=json-v1"])
    tests = {}
    for index, test in enumerate(json.loads(result.stdout)["tests"], start=1):
        command = test.get("command", [])
        executable = os.path.basename(command[0]) if command else ""
        folder = executable[: -len("_tests")] if executable.endswith("_tests") else "other"
        if "screenshot" in test["name"]:
            folder = "app"
        tests[index] = (test["name"], folder)
    return tests


def run_ctest(build_dir, numbers, jobs, timeout, stop):
    """Runs the given tests; returns the names of those that failed (None: nothing to run)."""
    if not numbers:
        return None
    cmd = ["ctest", "--test-dir", build_dir, "-j", str(jobs), "--timeout", str(timeout),
           "-I", "0,0,0," + ",".join(str(n) for n in sorted(numbers))]
    if stop:
        cmd.append("--stop-on-failure")
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
    try:
        result = run(cmd, timeout=timeout * 4 + 60, env=env)
    except subprocess.TimeoutExpired:
        return ["(ctest timed out)"]
    if VERBOSE:
        print(result.stdout[-2500:])
    failed = []
    listing = False
    for line in result.stdout.splitlines():
        if line.startswith("The following tests FAILED"):
            listing = True
        elif listing and " - " in line:
            name = line.split(" - ", 1)[1].rsplit(" (", 1)[0].strip()
            if not name.endswith("_NOT_BUILT"):
                failed.append(name)
    return failed


def confirmed_failures(numbers, tests, args):
    """Failures among the tests that fail again when run once more on their own: a test that
    only fails now and then on a loaded machine does not count as catching a fault."""
    by_name = {name: n for n, (name, _) in tests.items()}
    left = list(numbers)
    while left:
        failed = run_ctest(args.build_dir, left, args.jobs, args.timeout, not args.all_tests) or []
        if not failed:
            return []
        numbers_failed = [by_name[name] for name in failed if name in by_name]
        if not numbers_failed:  # ctest itself timed out: something hangs
            return failed
        again = run_ctest(args.build_dir, numbers_failed, args.jobs, args.timeout, False) or []
        if again:
            return again
        # Only flaky failures: run the rest of the tests once more without them.
        left = [n for n in left if n not in numbers_failed]
    return []


# The test folders that look after each source folder: run first, then everything else.
FIRST_FOLDERS = {
    "platform": ["platform", "layout", "display"],
    "settings": ["settings"],
    "recording": ["recording"],
    "layout": ["layout"],
    "display": ["display"],
    "link": ["link", "app"],
    "sim": ["sim"],
    "app": ["app"],
}


def try_fault(fault, args, tests):
    path = os.path.join(ROOT, fault.file)
    if not os.path.exists(path):
        return "stale", []
    with open(path, encoding="utf-8") as f:
        original = f.read()
    count = original.count(fault.find)
    if count != 1:
        return ("stale" if count == 0 else "ambiguous"), []
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original.replace(fault.find, fault.replace))
        ok, log = build(args.build_dir, args.jobs)
        if not ok:
            if args.verbose:
                print(log)
            return "does not build", []
        folder = fault.file.split("/")[0]
        first_folders = FIRST_FOLDERS.get(folder, [])
        first = [n for n, (_, f) in tests.items() if f in first_folders]
        rest = [n for n in tests if n not in first]
        caught = []
        for numbers in (first, rest):
            caught += confirmed_failures(numbers, tests, args)
            if caught and not args.all_tests:
                break
        return ("caught" if caught else "MISSED"), caught
    finally:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original)
        if not git_clean(fault.file) and original_was_clean.get(fault.file, False):
            sys.exit(f"{fault.file} differs from git after the fault was taken out: check it!")


original_was_clean = {}
VERBOSE = False


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("names", nargs="*", help="only these faults (default: all)")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build-faults"))
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=120, help="seconds per test")
    parser.add_argument("--all-tests", action="store_true",
                        help="run every test for every fault instead of stopping at a failure")
    parser.add_argument("--list", action="store_true", help="print the catalogue and stop")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()
    global VERBOSE
    VERBOSE = args.verbose

    faults = [f for f in CATALOGUE if not args.names or f.name in args.names]
    unknown = set(args.names) - {f.name for f in CATALOGUE}
    if unknown:
        sys.exit("unknown faults: " + ", ".join(sorted(unknown)))
    if args.list:
        for f in faults:
            path = os.path.join(ROOT, f.file)
            found = open(path, encoding="utf-8").read().count(f.find) if os.path.exists(path) else 0
            mark = "" if found == 1 else ("STALE " if found == 0 else "AMBIGUOUS ")
            print(f"{f.name:28} {f.file:32} {mark}{f.reason}")
        print(f"{len(faults)} faults")
        return

    for f in faults:
        original_was_clean[f.file] = git_clean(f.file)
        if not original_was_clean[f.file]:
            print(f"note: {f.file} has uncommitted changes; faults are planted on top of them")
    signal.signal(signal.SIGTERM, on_signal)

    configure(args.build_dir)
    ok, log = build(args.build_dir, args.jobs)
    if not ok:
        sys.exit("the untouched program does not build:\n" + log)
    tests = list_tests(args.build_dir)
    baseline = run_ctest(args.build_dir, list(tests), args.jobs, args.timeout, False) or []
    if baseline:
        print("tests failing without any fault (left out of every run): " + ", ".join(baseline))
        tests = {n: t for n, t in tests.items() if t[0] not in baseline}

    results = []
    start = time.monotonic()
    try:
        for n, fault in enumerate(faults, start=1):
            t0 = time.monotonic()
            outcome, failed = try_fault(fault, args, tests)
            results.append((fault, outcome, failed))
            shown = ", ".join(failed[:4]) + (" ..." if len(failed) > 4 else "")
            print(f"[{n}/{len(faults)}] {fault.name:28} {outcome:14} {time.monotonic() - t0:5.0f} s  "
                  f"{shown}", flush=True)
    except (KeyboardInterrupt, Interrupted):
        print("\ninterrupted: the file in work was restored; summary of the faults tried so far")
    finally:
        build(args.build_dir, args.jobs)  # leave the build matching the sources

    counted = [r for r in results if r[1] in ("caught", "MISSED")]
    caught = [r for r in counted if r[1] == "caught"]
    print()
    for fault, outcome, _ in results:
        if outcome not in ("caught",):
            print(f"{outcome:14} {fault.name}: {fault.file}: {fault.reason}")
    if counted:
        share = 100.0 * len(caught) / len(counted)
        print(f"\ncaught {len(caught)} of {len(counted)} faults ({share:.0f} %); "
              f"{len(results) - len(counted)} stale or not built; "
              f"{(time.monotonic() - start) / 60:.1f} min")
    return 0 if counted and len(caught) == len(counted) else 1


if __name__ == "__main__":
    sys.exit(main())
