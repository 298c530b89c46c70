// korvisensor: the viewer and demonstration tool for the pressure-position sensor system.
#include <QApplication>
#include <cstdio>

#include "app/MainModule.h"
#include "app/frmDemo.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/QtSerialLine.h"
#include "platform/QtSoundOutput.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("KorviSensor"));
    app.setApplicationVersion(QStringLiteral(KORVI_VERSION));
    korvi::StartOptions options;
    QString text;
    switch (korvi::ParseCommandLine(app.arguments().mid(1), options, text)) {
        case korvi::CommandLine::Exit:
            std::fputs(text.toLocal8Bit().constData(), stdout);
            return 0;
        case korvi::CommandLine::Error:
            std::fprintf(stderr, "korvisensor: %s\n", text.toLocal8Bit().constData());
            return 2;
        case korvi::CommandLine::Run:
            break;
    }
    korvi::LoadToolkitTranslations();
    korvi::QtMessageBoxes boxes;
    korvi::QtFileDialogs dialogs;
    korvi::QtSoundOutput sound;
    korvi::SteadyClock clock;
    korvi::QtSerialLine serial;
    korvi::MainModule program(boxes, dialogs, sound, clock, serial);
    if (!program.Main(options)) {
        return 1;
    }
    boxes.setParent(program.window());
    // "No audio device" and the like: said once, in the status bar, never in a box.
    sound.setNoticeHandler(
        [window = program.window()](const QString& notice) { window->ShowNotice(notice, 15000); });
    dialogs.setParent(program.window());
    QObject::connect(program.window(), &korvi::frmDemo::endProgram, &app,
                     [] { QApplication::exit(0); });
    return QApplication::exec();
}
