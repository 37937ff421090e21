// Entry point of every test executable: Qt application object, then GoogleTest.
#include <gtest/gtest.h>
#include <cstdlib>
#ifdef QUORVANE_UI_TEST
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char** argv)
{
#ifdef QUORVANE_UI_TEST
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
