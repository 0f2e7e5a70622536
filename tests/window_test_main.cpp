// Window tests run on the offscreen platform with a private program folder.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

int main(int argc, char** argv) {
    char dir[] = "/tmp/tolva-window-tests-XXXXXX";
    std::string root = ::mkdtemp(dir);
    ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    std::filesystem::remove_all(root);
    return rc;
}
