// Window tests run on the offscreen platform with a private program folder.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_folder.h"

int main(int argc, char** argv) {
    const tolva::test::TempFolder root("tolva-window-tests");
    ::setenv("XDG_CONFIG_HOME", root.path().c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
