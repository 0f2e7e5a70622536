// The main window on a private program folder, with a mill's codes and a
// recording host: what the edit-operation window tests start from.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "settings/machine_settings.h"

struct EditorFixture : ::testing::Test {
    std::string dir;
    std::unique_ptr<tolva::MachineSettings> settings;
    std::unique_ptr<TForm1> form1;
    tolva::RecordingHost* host = nullptr;

    void SetUp() override {
        char buf[] = "/tmp/tolva-edit-XXXXXX";
        dir = ::mkdtemp(buf);
        settings = std::make_unique<tolva::MachineSettings>(dir);
        const char* letters = "NRIJKXYZ";
        for (int i = 0; i < 8; ++i) settings->SetCell(1, 12 + i, std::string(1, letters[i]));
        settings->SetCell(1, 2, "G02");
        settings->SetCell(1, 3, "G03");
        settings->SetCell(1, 7, "G91");
        form1 = std::make_unique<TForm1>(*settings, QStringList{});
        auto h = std::make_unique<tolva::RecordingHost>();
        host = h.get();
        form1->SetHost(std::move(h));
    }
    void TearDown() override {
        form1.reset();
        std::filesystem::remove_all(dir);
    }
    ProgramEditor& editor() { return *form1->RichEdit1; }
};
