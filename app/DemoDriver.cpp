#include "app/DemoDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <array>

#include "app/frmDemo.h"
#include "layout/LayoutEditor.h"
#include "link/CommunicationControl.h"
#include "platform/AppFolder.h"
#include "recording/CsvRecorder.h"

namespace korvi {

void LoggingMessageBoxes::show(const QString& text, const QString& title, BoxIcon) {
    ++count_;
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" / ")).replace(QLatin1Char('\n'), " / ");
    log_ << "[" << title << "] " << line << Qt::endl;
}

std::optional<QString> QueuedFileDialogs::saveFile(const FileDialogOptions&) {
    return next();
}

std::optional<QString> QueuedFileDialogs::openFile(const FileDialogOptions&) {
    return next();
}

std::optional<QString> QueuedFileDialogs::next() {
    if (answers.empty()) {
        return std::nullopt;
    }
    QString answer = answers.front();
    answers.pop_front();
    return answer;
}

namespace gesture {

namespace {

// Delivered to the top-level window, as the pointer's events are: the toolkit finds the widget
// under the pointer, keeps the press's implicit grab or a drag's explicit one, and sends enter
// and leave. A widget whose window has no native window yet gets the event itself.
void Send(QWidget* widget, QEvent::Type type, QPoint local, Qt::MouseButton button,
          Qt::MouseButtons held) {
    const QPointF global = widget->mapToGlobal(QPointF(local));
    QWidget* top = widget->window();
    if (QWindow* window = top->windowHandle()) {
        const QPointF inWindow = window->mapFromGlobal(global);
        QMouseEvent event(type, inWindow, inWindow, global, button, held, Qt::NoModifier);
        QApplication::sendEvent(window, &event);
        return;
    }
    QMouseEvent event(type, QPointF(local), global, button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A point of `over` in the coordinates of `widget`.
QPoint Map(QWidget* over, QPoint to, QWidget* widget) {
    return widget->mapFromGlobal(over->mapToGlobal(to));
}

}  // namespace

void Click(QWidget* widget, QPoint at, Qt::MouseButton button) {
    Send(widget, QEvent::MouseButtonPress, at, button, button);
    Send(widget, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

void Drag(QWidget* source, QPoint grab, QWidget* over, QPoint to) {
    const QPoint drop = Map(over, to, source);
    Send(source, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    // The first move starts the drag, the second is delivered where the pointer now is.
    Send(source, QEvent::MouseMove, drop, Qt::NoButton, Qt::LeftButton);
    Send(source, QEvent::MouseMove, drop, Qt::NoButton, Qt::LeftButton);
    Send(source, QEvent::MouseButtonRelease, drop, Qt::LeftButton, Qt::NoButton);
}

void Stretch(QWidget* handle, QWidget* over, QPoint to) {
    const QPoint end = Map(over, to, handle);
    Send(handle, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
    Send(handle, QEvent::MouseMove, QPoint(3, 3), Qt::NoButton, Qt::LeftButton);
    Send(handle, QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
    Send(handle, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
}

}  // namespace gesture

void Pump(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool PumpUntil(const std::function<bool()>& done, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        Pump(20);
    }
    return true;
}

namespace {

constexpr QPoint kPlateTopLeft(120, 20);
constexpr QPoint kPlateBottomRight(920, 690);
constexpr int kFrameSize = 150;

struct Placement {
    int sensor;
    QPoint topLeft;  // pixels of the window background
};

// Forefoot and heel of each insole, and one sensor between them; sensor 3 (index 2) joins
// sensor 1 afterwards.
constexpr std::array<Placement, 5> kPlacements = {{
    {0, {225, 110}},
    {1, {615, 110}},
    {3, {235, 470}},
    {4, {625, 470}},
    {5, {445, 290}},
}};

}  // namespace

void BuildDemoLayout(frmDemo& window) {
    SensorLayout& l = window.layout();
    QWidget* form = &window.form();

    // The base picture, grabbed near its corner, laid out and then pulled over the free area.
    const QPoint grab(5, 5);
    gesture::Drag(l.picBase[0], grab, form, kPlateTopLeft + grab);
    gesture::Click(l.picBaseSens, QPoint(10, 10));
    gesture::Stretch(l.picStretchPtr[4], form, kPlateBottomRight);

    for (const Placement& p : kPlacements) {
        gesture::Drag(l.picSensor[p.sensor], QPoint(1, 1), form, p.topLeft + QPoint(1, 1));
        PictureBox* frame = l.picPressSens[p.sensor];
        gesture::Click(frame, QPoint(kFrameSize / 4, kFrameSize / 2));
        gesture::Stretch(l.picStretchPtr[4], form, p.topLeft + QPoint(kFrameSize, kFrameSize));
    }
    gesture::Drag(l.picSensor[2], QPoint(3, 3), l.picPressSens[0], QPoint(20, 30));
    // Nothing stays selected: the handles would hide part of the plate.
    gesture::Click(form, QPoint(form->width() - 5, form->height() - 5));
}

DemoDriver::DemoDriver(frmDemo& window, QueuedFileDialogs& dialogs, QString appFolder,
                       QString outDir, QTextStream& log)
    : window_(window),
      dialogs_(dialogs),
      appFolder_(std::move(appFolder)),
      outDir_(std::move(outDir)),
      log_(log) {}

bool DemoDriver::LoadLayout() {
    const QString path = InApplicationFolder(appFolder_, QStringLiteral("DemoLayout.lay"));
    if (!QFile::exists(path)) {
        log_ << "no demo layout at " << path << "; running without placed sensors" << Qt::endl;
        return false;
    }
    dialogs_.answers.push_back(path);
    window_.cmdLoad->click();
    const int16_t placed = window_.editor().CountPlacedSensors();
    log_ << "layout " << path << ": " << placed << " sensors placed" << Qt::endl;
    return placed > 0;
}

bool DemoDriver::StartCommunication() {
    window_.cmdComm->click();
    const CommunicationControl& comm = window_.comm();
    // Waits for the first reading, or until the start has been given up (the port did not open,
    // the controller did not answer: the reason is in the log).
    PumpUntil(
        [&comm] {
            return comm.ReadingCount() > 0 || comm.state() == CommunicationControl::State::Idle;
        },
        8000);
    if (comm.ReadingCount() == 0) {
        log_ << "communication produced no readings ("
             << (comm.IsCommunicating() ? "none within 8 s" : "it did not start")
             << "); is the simulator running and Setting.ini's Device= pointing at it?" << Qt::endl;
        return false;
    }
    return true;
}

void DemoDriver::StopCommunication() {
    if (window_.comm().IsCommunicating()) {
        window_.cmdComm->click();
    }
    const CommunicationControl& comm = window_.comm();
    if (!PumpUntil([&comm] { return comm.state() == CommunicationControl::State::Idle; }, 3000)) {
        log_ << "communication did not stop within 3 s" << Qt::endl;
    }
}

bool DemoDriver::HandOverRecording() {
    if (window_.csv().CsvMode() != 0) {
        window_.btnSaveCsv->click();
    }
    const QString from = window_.csv().FilePath();
    const QString to = QDir(outDir_).filePath(QStringLiteral("KorviData.csv"));
    QFile::remove(to);
    if (!QFile::copy(from, to)) {
        log_ << "could not copy the recording " << from << " to " << to << Qt::endl;
        return false;
    }
    return true;
}

int DemoDriver::Run(int seconds) {
    if (!QDir().mkpath(outDir_)) {
        log_ << "cannot make the output folder " << outDir_ << Qt::endl;
        return 1;
    }
    QWindow* handle = window_.windowHandle();
    PumpUntil([handle] { return handle != nullptr && handle->isExposed(); }, 5000);
    Pump(300);

    LoadLayout();
    window_.chkTrace->click();
    if (!StartCommunication()) {
        StopCommunication();
        return 2;
    }
    // Recording starts once readings flow: the start of communication loads the draw setting
    // that says how long the recording runs.
    window_.btnSaveCsv->click();

    QScreen* screen = QGuiApplication::primaryScreen();
    for (int second = 1; second <= seconds; ++second) {
        Pump(1000);
        const QString name = QStringLiteral("screen-%1.png").arg(second, 2, 10, QLatin1Char('0'));
        if (!screen->grabWindow(0).save(QDir(outDir_).filePath(name))) {
            log_ << "could not save " << name << Qt::endl;
        }
    }
    const int64_t readings = window_.comm().ReadingCount();
    StopCommunication();
    if (!HandOverRecording()) {
        return 1;
    }
    log_ << readings << " readings in " << seconds << " s" << Qt::endl;
    return 0;
}

}  // namespace korvi
