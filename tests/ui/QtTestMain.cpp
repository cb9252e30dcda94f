// Qt tests need an application object; listing the tests must not need a display.
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) return RUN_ALL_TESTS();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
