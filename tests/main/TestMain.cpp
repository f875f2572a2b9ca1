// Shared main of the test executables: a QGuiApplication (offscreen) so that QImage painting and
// resources work, or a QApplication for the executables that test widgets, then GoogleTest.
#include <cstdlib>
#include <gtest/gtest.h>
#ifdef KIWI_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
