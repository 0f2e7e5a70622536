// The program folder and the scratch folder.
#include "base/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "../support/temp_folder.h"

using namespace tolva;

TEST(Folders, ProgramFolderIsSeededWithoutOverwriting) {
    const tolva::test::TempFolder folder("tolva-cfg");
    const std::string root = folder.path();
    std::string shipped = root + "/shipped";
    std::filesystem::create_directories(shipped);
    std::ofstream(shipped + "/tolva.ini") << "[Labels]\nLine=G01\n";
    std::ofstream(shipped + "/Tolvamax.Htm") << "<html></html>";
    ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    std::filesystem::create_directories(root + "/tolva");
    std::ofstream(root + "/tolva/Tolva.ini") << "mine";  // the user's own, other spelling

    ASSERT_TRUE(PrepareProgramFolder(shipped));
    EXPECT_EQ(ProgramFolder(), root + "/tolva");
    EXPECT_TRUE(FileExists(root + "/tolva/Tolvamax.Htm"));
    EXPECT_FALSE(FileExists(root + "/tolva/tolva.ini"));
    EXPECT_EQ(FindFileNoCase(root + "/tolva", "TOLVA.INI"), root + "/tolva/Tolva.ini");
    std::ifstream in(root + "/tolva/Tolva.ini");
    std::string mine;
    in >> mine;
    EXPECT_EQ(mine, "mine");
}

TEST(Folders, ScratchFolderIsPrivateAndRemoved) {
    std::string s = ScratchFolder();
    struct stat st {};
    ASSERT_EQ(::stat(s.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(ScratchFolder(), s);
    std::filesystem::remove_all(s);  // removed under the running program
    EXPECT_EQ(ScratchFolder(), s);
    EXPECT_EQ(::stat(s.c_str(), &st), 0);
    RemoveScratchFolder();
    EXPECT_NE(::stat(s.c_str(), &st), 0);
}
