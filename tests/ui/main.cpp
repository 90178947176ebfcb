// The widget tests need one QApplication for the whole run (offscreen
// platform when QT_QPA_PLATFORM=offscreen is set, as ctest does).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Run without a display unless a platform was asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
