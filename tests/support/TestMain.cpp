// One QApplication per test process, under the offscreen platform unless a test run chose
// another (the screenshot test runs under Xvfb).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

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
    // A runtime folder of this process's own (private, as the user's would be): the program's
    // single-copy lock lives there, and test processes running side by side, of this tree or of
    // another, must not see each other's program as a running copy.
    const QTemporaryDir runtime(QDir::temp().filePath(QStringLiteral("korvi-runtime-XXXXXX")));
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    g_defaultHandler = qInstallMessageHandler(QuietAboutOffscreenGrabs);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
