// A machine file of arbitrary bytes through `Ldini`, then the round trip a
// user makes by saving and loading again: whatever the file held, the
// settings saved once load back to themselves, so a second save writes the
// same bytes as the first.
#include <cstdint>
#include <optional>
#include <string>

#include "base/program_file.h"
#include "fuzz_support.h"

namespace {

// Loads `bytes` as a machine file, then saves the settings over a copy of
// them (Save ini keeps what else a file holds); the saved bytes, or nothing
// when a file could not be written.
std::optional<std::string> LoadThenSave(const std::string& bytes, const std::string& name) {
    using namespace tolva;
    const std::string& dir = fuzz::RunFolder();
    const std::string path = dir + "/" + name;
    if (!WriteFileAtomic(path, bytes).ok) return std::nullopt;
    MachineSettings settings(dir);
    settings.SetMachineFile(path);
    settings.Ldini();
    if (!WriteFileAtomic(path + ".saved", bytes).ok) return std::nullopt;
    settings.SetMachineFile(path + ".saved");
    std::string saved;
    if (!settings.Svini().ok || !ReadFileBytes(path + ".saved", saved).ok) return std::nullopt;
    return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string> once = LoadThenSave(std::string(reinterpret_cast<const char*>(data), size), "given.ini");
    if (!once) return 0;
    const std::optional<std::string> twice = LoadThenSave(*once, "once.ini");
    if (twice && *once != *twice) __builtin_trap();
    return 0;
}
