// The window and the batch run load a program the same way: the window's
// command-line conversion (a load, then "Line Order N G M X Y Z I J K R")
// and `--run` of that same operation must write the same text and say the
// same things, for every kind of source.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../settings/temp_folder.h"
#include "app/batch_run.h"
#include "app/main_window.h"
#include "base/folders.h"
#include "base/host.h"
#include "settings/machine_settings.h"

namespace {

using tolva::test::TempFolder;

std::string replaced(std::string bytes, const std::string& from, const std::string& to) {
    const std::size_t at = bytes.find(from);
    if (at != std::string::npos) bytes.replace(at, from.size(), to);
    return bytes;
}

// A shipped machine file with translate-on-load (G01 to G1) and the
// find-and-insert run on drawings switched on; `plain`: also every axis sign
// and swap box off.
std::string machineFile(const TempFolder& dir, const std::string& name, bool plain) {
    std::string bytes;
    tolva::ReadFileBytes(std::string(TOLVA_TEST_DATA) + "/../../data/" + name, bytes);
    bytes = replaced(bytes, "TranslateLoad=0", "TranslateLoad=1");
    bytes = replaced(bytes, "ExecuteInsert=0", "ExecuteInsert=1");
    bytes = replaced(bytes, "Trans029=\n", "Trans029=G01\n");
    bytes = replaced(bytes, "Trans129=\n", "Trans129=G1\n");
    if (plain) bytes = tolva::test::WithoutSignsAndSwaps(bytes);
    return dir.write((plain ? "plain-" : "") + name, bytes);
}

struct LoadRun {
    bool ok = false;
    std::vector<std::string> messages;
    std::string written;  // empty when nothing was written
};

LoadRun conversion(const TempFolder& dir, const std::string& source, const std::string& machine) {
    TempFolder programFolder("tolva-load-window");
    tolva::MachineSettings settings(programFolder.path());
    const std::string target = dir.file("window.out");
    std::remove(target.c_str());
    TForm1 form1(settings, {QString::fromLocal8Bit(source.c_str()), QString::fromLocal8Bit(target.c_str()),
                            QString::fromLocal8Bit(machine.c_str())});
    auto host = std::make_unique<tolva::RecordingHost>();
    tolva::RecordingHost& said = *host;
    form1.SetHost(std::move(host));
    LoadRun r;
    r.ok = form1.CommandLineRun();
    r.messages = said.messages;
    tolva::ReadFileBytes(target, r.written);
    return r;
}

LoadRun batch(const TempFolder& dir, const std::string& source, const std::string& machine) {
    TempFolder programFolder("tolva-load-batch");
    tolva::MachineSettings settings(programFolder.path());
    const std::string target = dir.file("batch.out");
    std::remove(target.c_str());
    tolva::RecordingHost host;
    LoadRun r;
    r.ok = tolva::RunBatchCommand({"Line Order N G M X Y Z I J K R", source, target, machine}, settings, host,
                                  tolva::ScratchFolder()) == 0;
    r.messages = host.messages;
    tolva::ReadFileBytes(target, r.written);
    return r;
}

}  // namespace

TEST(OneLoadPath, TheWindowAndTheBatchRunLoadEverySourceAlike) {
    TempFolder dir("tolva-load");
    const std::string data = TOLVA_TEST_DATA;
    std::string garbage;
    for (int i = 0; i < 3000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    // A real file whose path is longer than a file name may be.
    std::string deep = dir.path();
    for (int i = 0; i < 5; ++i) {
        deep += "/" + std::string(60, static_cast<char>('a' + i));
        std::filesystem::create_directory(deep);
    }
    deep += "/deep.nc";
    tolva::WriteFileAtomic(deep, "G01 X1\n");
    std::string drawing;
    tolva::ReadFileBytes(data + "/e2e/mill_arcs.dxf", drawing);
    std::string crlf;
    for (char c : drawing) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);

    struct Source {
        std::string path;
        bool loads;
    };
    const std::vector<Source> sources = {
        {dir.write("crlf.nc", "%\r\nG00 X1 Y2\r\nG01 X3.5 Y-4 F100\r\ny5 g01 x2 (G01 here too)\r\nM30\r\n%\r\n"), true},
        {dir.write("cr-no-final-end.nc", "G01 X1\rG01 Y2"), true},
        {dir.write("nul.nc", std::string("G01 X1\0 Y2\nM30\n", 16)), true},
        {dir.write("part.dxf", drawing), true},
        {dir.write("crlf-twin.DXF", crlf), true},
        {dir.write("empty.dxf", "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n"), false},
        {dir.write("binary.nc", garbage), false},
        {dir.file("missing.nc"), false},
        {deep, false},
    };
    for (const char* name : {"tolva.ini", "plasma.ini", "lathe.ini"})
        for (bool plain : {false, true}) {
            const std::string machine = machineFile(dir, name, plain);
            for (const Source& s : sources) {
                SCOPED_TRACE(std::string(plain ? "plain " : "") + name + " " + s.path.substr(s.path.rfind('/')));
                const LoadRun window = conversion(dir, s.path, machine);
                const LoadRun batchRun = batch(dir, s.path, machine);
                EXPECT_EQ(window.ok, s.loads);
                EXPECT_EQ(batchRun.ok, s.loads);
                EXPECT_EQ(window.written, batchRun.written);
                EXPECT_EQ(window.messages, batchRun.messages);
                if (!s.loads) {
                    EXPECT_EQ(window.written, "");
                    EXPECT_FALSE(window.messages.empty());
                    continue;
                }
                // Translated on load: the G01 of the file, or of the import, is G1.
                EXPECT_EQ(window.written.find("G01"), std::string::npos) << window.written;
                EXPECT_NE(window.written.find("G1 "), std::string::npos) << window.written;
            }
        }
}
