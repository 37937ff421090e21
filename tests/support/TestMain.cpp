// Entry point of every test executable: Qt application object, then GoogleTest.
#include <gtest/gtest.h>
#include <cstdlib>
#ifdef QUORVANE_GUARDED_APP
#include "app/GuardedApplication.h"
#elif defined(QUORVANE_UI_TEST)
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char** argv)
{
#ifdef QUORVANE_UI_TEST
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
#ifdef QUORVANE_GUARDED_APP
    CGuardedApplication app(argc, argv);
#else
    QApplication app(argc, argv);
#endif
#else
    QCoreApplication app(argc, argv);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
