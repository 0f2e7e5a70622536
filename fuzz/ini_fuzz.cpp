// A machine file of arbitrary bytes through `Ldini`, then the round trip a
// user makes by saving and loading again: whatever the file held, the
// settings saved once load back to themselves, so a second save writes the
// same bytes as the first.
#include <cstdint>
#include <string>

#include "base/program_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tolva;
    const std::string& dir = fuzz::RunFolder();
    const std::string given(reinterpret_cast<const char*>(data), size);
    if (!WriteFileAtomic(dir + "/given.ini", given).ok) return 0;

    MachineSettings first(dir);
    first.SetMachineFile(dir + "/given.ini");
    first.Ldini();
    // Saved over a copy of the file, as Save ini keeps what else it holds.
    if (!WriteFileAtomic(dir + "/once.ini", given).ok) return 0;
    first.SetMachineFile(dir + "/once.ini");
    if (!first.Svini().ok) return 0;
    std::string once;
    if (!ReadFileBytes(dir + "/once.ini", once).ok) return 0;

    MachineSettings second(dir);
    second.SetMachineFile(dir + "/once.ini");
    second.Ldini();
    if (!WriteFileAtomic(dir + "/twice.ini", once).ok) return 0;
    second.SetMachineFile(dir + "/twice.ini");
    if (!second.Svini().ok) return 0;
    std::string twice;
    if (!ReadFileBytes(dir + "/twice.ini", twice).ok) return 0;
    if (once != twice) __builtin_trap();
    return 0;
}
