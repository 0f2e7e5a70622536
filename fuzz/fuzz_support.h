// What every fuzz target shares: a private program and scratch folder for
// the run, a machine's settings loaded once from the shipped mill, and the
// first input byte read as a set of switches.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "../tests/support/temp_folder.h"
#include "base/folders.h"
#include "settings/machine_settings.h"

namespace tolva::fuzz {

// A folder of this process that nothing else writes, removed at exit with
// the scratch folder made inside it.
inline const std::string& RunFolder() {
    static const test::TempFolder folder("tolva-fuzz");
    static const bool ready = [] {
        if (folder.path().empty()) std::abort();
        ::setenv("TMPDIR", folder.path().c_str(), 1);
        std::atexit([] { tolva::RemoveScratchFolder(); });  // runs before the folder goes
        return true;
    }();
    (void)ready;
    return folder.path();
}

// The shipped mill's settings: every code of the label table a real machine
// has, so the readers meet the codes they search for.
inline MachineSettings& Mill() {
    static MachineSettings* settings = [] {
        auto* s = new MachineSettings(RunFolder());
        s->SetMachineFile(TOLVA_DATA_DIR "/tolva.ini");
        if (!s->Ldini().ok) std::abort();
        return s;
    }();
    return *settings;
}

// Bit `n` of the first byte, which the targets spend on settings.
inline bool Switch(const std::uint8_t* data, std::size_t size, int n) { return size > 0 && (data[0] >> n & 1); }

}  // namespace tolva::fuzz
