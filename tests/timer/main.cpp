// The timer delivers its ticks through the Qt event queue of the main
// thread, so the tests need a QCoreApplication on the thread running them.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
