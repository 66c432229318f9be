#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

// Every test program runs inside an offscreen QApplication, so that widgets,
// timers, sockets and serial ports behave as in the program.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // NESMO_TEST_LOCALE=de_DE runs the program's pages with a decimal comma.
    if (const QString locale = qEnvironmentVariable("NESMO_TEST_LOCALE"); !locale.isEmpty())
        QLocale::setDefault(QLocale(locale));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
