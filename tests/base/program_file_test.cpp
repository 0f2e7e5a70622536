#include "app/document.h"
#include "base/program_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tolva;
namespace fs = std::filesystem;

namespace {

struct TempDir {
    std::string path;
    TempDir() {
        char buf[] = "/tmp/tolva-test-XXXXXX";
        path = ::mkdtemp(buf);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string file(const std::string& name) const { return path + "/" + name; }
};

void writeRaw(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
std::string readRaw(const std::string& path) {
    std::string b;
    ReadFileBytes(path, b);
    return b;
}

}  // namespace

TEST(LineEnds, SplitAndJoinKeepEveryStyle) {
    for (LineEnd style : {LineEnd::LF, LineEnd::CRLF, LineEnd::CR}) {
        for (bool finalEnd : {true, false}) {
            std::vector<std::string> lines = {"G00 X1", "", "N20 M30"};
            std::string text = JoinLines(lines, style, finalEnd);
            EXPECT_EQ(DetectLineEnd(text), style);
            bool ended = !finalEnd;
            EXPECT_EQ(SplitLines(text, &ended), lines);
            EXPECT_EQ(ended, finalEnd);
        }
    }
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(DetectLineEnd("no end"), LineEnd::LF);
}

TEST(LineEnds, EveryByteValueSurvivesSplitAndJoin) {
    std::mt19937 rng(7);
    for (LineEnd style : {LineEnd::LF, LineEnd::CRLF, LineEnd::CR}) {
        std::vector<std::string> lines;
        for (int l = 0; l < 50; ++l) {
            std::string line;
            for (int c = 0; c < 40; ++c) {
                unsigned char b = static_cast<unsigned char>(rng() % 256);
                if (b == '\r' || b == '\n') b = 0;
                line.push_back(static_cast<char>(b));
            }
            lines.push_back(line);
        }
        std::string text = JoinLines(lines, style, true);
        EXPECT_EQ(JoinLines(SplitLines(text), DetectLineEnd(text), true), text);
    }
}

TEST(ProgramFiles, LoadAndSaveAreByteIdentical) {
    TempDir dir;
    for (const char* eol : {"\n", "\r\n", "\r"}) {
        // Every byte value but the line ends, each in a comment of its own.
        std::string bytes = "G00 X1";
        for (int b = 0; b < 256; ++b)
            if (b != '\r' && b != '\n')
                bytes += eol + ("N" + std::to_string(b) + " G01 X1.5 Y2.25 (") + static_cast<char>(b) + ")";
        bytes += std::string(eol) + "M30";
        std::string path = dir.file("p.nc");
        ASSERT_TRUE(WriteFileAtomic(path, bytes).ok);
        std::string back = readRaw(path);
        EXPECT_EQ(back, bytes);
        Document program;
        std::string warning;
        ASSERT_TRUE(LoadProgramFile(path, program, &warning).ok);
        EXPECT_EQ(JoinLines(program.lines, program.style, program.finalEnd), bytes);
        EXPECT_NE(warning.find("NUL"), std::string::npos);
    }
}

TEST(ProgramFiles, BadInputIsRefusedOrWarnedWithoutLoss) {
    TempDir dir;
    std::mt19937 rng(11);
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>(rng() % 256));
    writeRaw(dir.file("bin.nc"), garbage);
    Document program;
    FileStatus st = LoadProgramFile(dir.file("bin.nc"), program);
    EXPECT_FALSE(st.ok);
    EXPECT_NE(st.message.find("not a text program"), std::string::npos);
    EXPECT_TRUE(program.lines.empty());

    std::string longLine(300, 'X');
    writeRaw(dir.file("long.nc"), longLine);
    std::string warning;
    ASSERT_TRUE(LoadProgramFile(dir.file("long.nc"), program, &warning).ok);
    ASSERT_EQ(program.lines.size(), 1u);
    EXPECT_EQ(program.lines[0].size(), longLine.size());
    EXPECT_NE(warning.find("255"), std::string::npos);

    // A line of 10 MB would stall the editor: refused with a reason.
    writeRaw(dir.file("huge.nc"), "G00 X1\n" + std::string(10 * 1024 * 1024, 'X') + "\n");
    st = LoadProgramFile(dir.file("huge.nc"), program);
    EXPECT_FALSE(st.ok);
    EXPECT_NE(st.message.find("10485760"), std::string::npos);
    EXPECT_TRUE(program.lines.empty());

    st = LoadProgramFile(dir.file("missing.nc"), program);
    EXPECT_FALSE(st.ok);
    EXPECT_NE(st.message.find("No such file"), std::string::npos);
}

TEST(ProgramFiles, LatinAndTapeProgramsOpen) {
    TempDir dir;
    // German comments in Latin-1, dense in umlauts, on a punched tape's
    // image: NUL leader and trailer, DC2 and DC4 around the program.
    std::string program;
    for (int i = 0; i < 20; ++i)
        program += "N" + std::to_string(i) + " G01 X" + std::to_string(i) +
                   " (\xC4\xD6\xDC\xDF \xE4\xF6\xFC \xDC\x42\x45RGR\xD6\xDF\x45 \xC4NDERN \xD6L)\r\n";
    const std::string tape = std::string(600, '\0') + "\x12%\r\n" + program + "%\x14" + std::string(600, '\0');
    writeRaw(dir.file("tape.nc"), tape);
    Document p;
    FileStatus st = LoadProgramFile(dir.file("tape.nc"), p);
    ASSERT_TRUE(st.ok) << st.message;
    EXPECT_EQ(JoinLines(p.lines, p.style, p.finalEnd), tape);

    // The same comments in UTF-8 ("Ä" is C3 84: its second byte alone would
    // be a control code).
    writeRaw(dir.file("utf8.nc"), "(\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F \xC3\x84\xC3\x96\xC3\x9C\xC3\x9F)\nG01 X1\n");
    EXPECT_TRUE(LoadProgramFile(dir.file("utf8.nc"), p).ok);
}

TEST(ProgramFiles, RefusalSaysWhatTheFileHolds) {
    TempDir dir;
    Document p;
    // A real executable.
    std::string exe;
    ASSERT_TRUE(ReadFileBytes("/bin/ls", exe).ok);
    writeRaw(dir.file("exe.nc"), exe);
    FileStatus st = LoadProgramFile(dir.file("exe.nc"), p);
    EXPECT_FALSE(st.ok);
    EXPECT_NE(st.message.find("bytes other than NUL are control codes"), std::string::npos) << st.message;

    // 100 control codes in 400 bytes.
    std::string mixed;
    for (int i = 0; i < 100; ++i) mixed += "AB\x01\n";
    writeRaw(dir.file("mixed.nc"), mixed);
    st = LoadProgramFile(dir.file("mixed.nc"), p);
    EXPECT_FALSE(st.ok);
    EXPECT_NE(st.message.find("100 of its 400 bytes"), std::string::npos) << st.message;

    writeRaw(dir.file("blank.tap"), std::string(1000, '\0'));
    st = LoadProgramFile(dir.file("blank.tap"), p);
    EXPECT_FALSE(st.ok);
    EXPECT_NE(st.message.find("nothing but NUL bytes"), std::string::npos) << st.message;
}

TEST(ProgramFiles, FailedWritesLeaveTheOldFile) {
    TempDir dir;
    std::string path = dir.file("keep.nc");
    writeRaw(path, "OLD\n");

    FileStatus full = WriteFileAtomic("/dev/full", "G00 X1\n");
    EXPECT_FALSE(full.ok);
    EXPECT_NE(full.message.find("No space left"), std::string::npos);

    // A folder that cannot take the temporary file: the old file stays.
    if (::geteuid() != 0) {
        ::chmod(dir.path.c_str(), 0500);
        FileStatus st = WriteFileAtomic(path, "NEW\n");
        ::chmod(dir.path.c_str(), 0700);
        EXPECT_FALSE(st.ok);
        EXPECT_EQ(readRaw(path), "OLD\n");
        ::chmod(path.c_str(), 0400);
        st = WriteFileAtomic(path, "NEW\n");
        EXPECT_FALSE(st.ok);
        EXPECT_NE(st.message.find("Permission denied"), std::string::npos);
        EXPECT_EQ(readRaw(path), "OLD\n");
    }
    EXPECT_FALSE(WriteFileAtomic(dir.path, "x").ok);

    // A successful write replaces the file and keeps its permissions.
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomic(path, "NEW\n").ok);
    EXPECT_EQ(readRaw(path), "NEW\n");
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary file is left beside it.
    int files = 0;
    for (auto& e : fs::directory_iterator(dir.path)) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

// Over a file-size limit the save fails with the system's reason, in a
// process that lives on (the kernel's SIGXFSZ would end it), and neither
// the old file nor a partial new one is touched or left.
TEST(ProgramFiles, AFileSizeLimitFailsTheSaveAndTheProcessLives) {
    TempDir dir;
    const std::string path = dir.file("big.nc");
    writeRaw(path, "OLD\n");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The limit holds in the child only; gtest's checks cannot run there.
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const FileStatus st = WriteFileAtomic(path, std::string(10000, 'X'));
        const bool reason = st.message.find("File too large") != std::string::npos;
        ::_exit(st.ok ? 3 : reason ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFSIGNALED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: the save reported success; 4: not the system's reason";
    EXPECT_EQ(readRaw(path), "OLD\n");
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir.path)) names.push_back(e.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"big.nc"});
}

// A save through a symbolic link (relative or absolute, a chain of them, one
// whose file does not exist yet) replaces the file at the end of the chain in
// its own folder; every link stays a link. A target name as long as a name
// may be still leaves room for the temporary file.
TEST(ProgramFiles, SavesGoThroughSymbolicLinks) {
    TempDir dir;
    fs::create_directory(dir.file("share"));
    fs::create_directory(dir.file("work"));
    const std::string real = dir.file("share/part.nc");
    writeRaw(real, "OLD\n");
    ::chmod(real.c_str(), 0640);
    fs::create_symlink("../share/part.nc", dir.file("work/relative.nc"));
    fs::create_symlink(dir.file("work/relative.nc"), dir.file("work/chain.nc"));
    ASSERT_TRUE(WriteFileAtomic(dir.file("work/chain.nc"), "NEW\n").ok);
    EXPECT_TRUE(fs::is_symlink(dir.file("work/chain.nc")));
    EXPECT_TRUE(fs::is_symlink(dir.file("work/relative.nc")));
    EXPECT_EQ(readRaw(real), "NEW\n");
    struct stat st {};
    ::stat(real.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("share")), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("work")), fs::directory_iterator()), 2);

    fs::create_symlink("new.nc", dir.file("work/dangling.nc"));
    ASSERT_TRUE(WriteFileAtomic(dir.file("work/dangling.nc"), "MADE\n").ok);
    EXPECT_TRUE(fs::is_symlink(dir.file("work/dangling.nc")));
    EXPECT_EQ(readRaw(dir.file("work/new.nc")), "MADE\n");

    const std::string longest = dir.file(std::string(255, 'n'));
    ASSERT_TRUE(WriteFileAtomic(longest, "LONG\n").ok) << WriteFileAtomic(longest, "LONG\n").message;
    EXPECT_EQ(readRaw(longest), "LONG\n");
}

TEST(Names, ExtensionsAndBaseNames) {
    EXPECT_EQ(UpperExtension("/work/part.dxf"), ".DXF");
    EXPECT_EQ(UpperExtension("/work.d/part"), "");
    EXPECT_EQ(BaseName("/a/b/c.nc"), "c.nc");
    EXPECT_EQ(BaseName("c.nc"), "c.nc");
}
