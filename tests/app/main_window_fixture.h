// The main window, and the plot window beside it, on a private program
// folder with a recording host: what the window tests start from. A test
// sets the settings' cells and boxes first (every axis sign and swap box is
// off until it does), then opens the windows.
#pragma once

#include <QAction>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../support/temp_folder.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "base/host.h"
#include "base/program_editor_qt.h"
#include "base/program_file.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"

namespace tolva::test {

// `Form1` is the main window or a test's subclass of it that answers the
// file dialogs.
template <class Form1 = TForm1>
struct MainWindowFixture : ::testing::Test {
    TempFolder folder{"tolva-mw"};  // short: printed headers hold the path
    const std::string dir = folder.path();
    std::unique_ptr<MachineSettings> settings = std::make_unique<MachineSettings>(dir);
    std::unique_ptr<Form1> form1;
    std::unique_ptr<TForm2> form2;
    RecordingHost* host = nullptr;

    // Opens the main window on the settings as they stand, its questions
    // answered `yes`, and with `plot` the plot window; the program's state
    // starts afresh.
    void Open(bool yes = false, bool plot = true) {
        form1 = std::make_unique<Form1>(*settings, QStringList{});
        reply(yes);
        if (plot) form2 = std::make_unique<TForm2>(*settings);
        App() = AppState{};
    }
    void TearDown() override {
        form2.reset();
        form1.reset();
    }
    // A fresh host answering every question `yes`.
    void reply(bool yes) {
        auto h = std::make_unique<RecordingHost>(yes);
        host = h.get();
        form1->SetHost(std::move(h));
    }
    ProgramEditor& editor() { return *form1->RichEdit1; }
    // Writes a file into the folder and returns its path.
    std::string file(const std::string& name, const std::string& bytes) { return folder.write(name, bytes); }
    std::string path(const std::string& name) const { return folder.file(name); }
    static std::string read(const std::string& path) {
        std::string bytes;
        ReadFileBytes(path, bytes);
        return bytes;
    }
    // Triggers the main window's action with `caption`, which must be enabled.
    void menu(const char* caption) {
        QAction* a = form1->ActionByText(caption);
        ASSERT_TRUE(a && a->isEnabled()) << caption;
        a->trigger();
    }
};

}  // namespace tolva::test
