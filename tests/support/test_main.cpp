#include <gtest/gtest.h>

#include <QApplication>

// Every test program runs inside an offscreen QApplication, so that widgets,
// timers, sockets and serial ports behave as in the program.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
