#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

int main(int argc, char* argv[]) {
    // The window keeps its recent files in the desktop's settings store; the tests keep a
    // store of their own.
    QTemporaryDir settings;
    // The window tests run headless, also when test discovery starts them, on the smallest
    // screen the windows are made for, whatever the platform's own default.
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen"));
    if (platform == QStringLiteral("offscreen")) {
        QFile screen(settings.filePath(QStringLiteral("screen.json")));
        if (screen.open(QIODevice::WriteOnly))
            screen.write(R"({"screens": [{"name": "small", "width": 800, "height": 600}]})");
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screen.fileName().toLocal8Bit());
    }
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dabro"));
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
