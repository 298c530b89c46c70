// One QApplication per test process, under the offscreen platform unless a test run chose
// another (the screenshot test runs under Xvfb).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

namespace {

QtMessageHandler g_defaultHandler = nullptr;

// The offscreen platform has no mouse grab to give and says so at every drag; the grab itself
// still routes the drag's events, so the notice is noise in a test log.
void QuietAboutOffscreenGrabs(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (message == QLatin1String("This plugin does not support grabbing the mouse")) {
        return;
    }
    g_defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::temp().filePath(QStringLiteral("korvi-runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(
            runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    g_defaultHandler = qInstallMessageHandler(QuietAboutOffscreenGrabs);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
