// korvi-demo-driver: the unattended demo on a real screen (an X server such as Xvfb).
//   korvi-demo-driver OUTDIR SECONDS      runs the demo, leaves screenshots and the CSV in OUTDIR
//   korvi-demo-driver --make-layout FILE  builds the demo layout with the mouse and saves it
// The application folder comes from KORVISENSOR_HOME, as for the program itself.
#include <QApplication>
#include <QFile>
#include <QTextStream>
#include <QWindow>

#include "app/DemoDriver.h"
#include "app/MainModule.h"
#include "app/frmDemo.h"
#include "layout/LayoutEditor.h"
#include "platform/Clock.h"
#include "platform/QtSerialLine.h"
#include "platform/QtSoundOutput.h"

namespace {

int Usage(QTextStream& err) {
    err << "usage: korvi-demo-driver OUTDIR SECONDS\n"
           "       korvi-demo-driver --make-layout FILE"
        << Qt::endl;
    return 64;
}

int MakeLayout(korvi::frmDemo& window, korvi::QueuedFileDialogs& dialogs, const QString& file,
               QTextStream& err) {
    QWindow* handle = window.windowHandle();
    korvi::PumpUntil([handle] { return handle != nullptr && handle->isExposed(); }, 5000);
    korvi::BuildDemoLayout(window);
    QFile::remove(file);
    dialogs.answers.push_back(file);
    window.cmdSave->click();
    if (!QFile::exists(file)) {
        err << "the layout was not saved to " << file << Qt::endl;
        return 1;
    }
    err << "saved " << window.editor().CountPlacedSensors() << " placed sensors to " << file
        << Qt::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("KorviSensor"));
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2) {
        return Usage(err);
    }
    const bool makeLayout = args[0] == QLatin1String("--make-layout");
    bool ok = true;
    const int seconds = makeLayout ? 0 : args[1].toInt(&ok);
    if (!ok || (!makeLayout && seconds < 1)) {
        return Usage(err);
    }

    korvi::LoggingMessageBoxes boxes(err);
    korvi::QueuedFileDialogs dialogs;
    korvi::QtSoundOutput sound;
    sound.setNoticeHandler([&err](const QString& notice) { err << notice << Qt::endl; });
    korvi::SteadyClock clock;
    korvi::QtSerialLine serial;
    korvi::MainModule program(boxes, dialogs, sound, clock, serial);
    if (!program.Main()) {
        err << "the program did not start (see the messages above)" << Qt::endl;
        return 1;
    }
    korvi::frmDemo& window = *program.window();
    if (makeLayout) {
        return MakeLayout(window, dialogs, args[1], err);
    }
    korvi::DemoDriver driver(window, dialogs, program.context().appFolder, args[0], err);
    return driver.Run(seconds);
}
