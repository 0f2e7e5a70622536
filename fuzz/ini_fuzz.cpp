// A machine file of arbitrary bytes through `Ldini`, then the round trip a
// user makes by saving and loading again: whatever the file held, the
// settings saved once load back to themselves, so a second save writes the
// same bytes as the first. And the first load reads each text setting as an
// independent reading of the same bytes finds it.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <string>

#include "base/program_file.h"
#include "fuzz_support.h"
#include "settings/settings_table.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The value of `key` in `section` as a machine file is read: lines end at
// CR LF, LF or CR; "[name]" (the first "]" closing, blanks around the line
// and the name trimmed) starts a section; any other line with an "=" whose
// first non-blank character is neither ";" nor "[" is an entry, its key the
// trimmed text before the first "=" (an empty key makes no entry), its value
// the trimmed rest. Names match without regard to ASCII case; the first
// entry of the key in the sections of that name wins.
std::optional<std::string> ReadEntry(std::string_view bytes, std::string_view section, std::string_view key) {
    bool inSection = false;
    while (!bytes.empty()) {
        const std::size_t stop = std::min(bytes.find_first_of("\r\n"), bytes.size());
        const std::string_view line = bytes.substr(0, stop);
        bytes.remove_prefix(stop);
        if (bytes.rfind("\r\n", 0) == 0) bytes.remove_prefix(2);
        else if (!bytes.empty()) bytes.remove_prefix(1);
        const std::string_view t = Trim(line);
        if (t.empty() || t.front() == ';') continue;
        if (t.front() == '[') {
            const std::size_t close = t.find(']');
            if (close != std::string_view::npos) inSection = SameName(Trim(t.substr(1, close - 1)), section);
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || eq == std::string_view::npos || Trim(line.substr(0, eq)).empty()) continue;
        if (SameName(Trim(line.substr(0, eq)), key)) return std::string(Trim(line.substr(eq + 1)));
    }
    return std::nullopt;
}

// Every text setting of the first load against ReadEntry.
void CheckTexts(const tolva::MachineSettings& settings, std::string_view bytes) {
    for (const tolva::SettingSpec& s : tolva::SettingsTable()) {
        if (s.read != tolva::ReadMode::Text) continue;
        const std::string expected = ReadEntry(bytes, s.section, s.key).value_or(std::string(s.missing));
        if (settings.Text(s.name) != expected) __builtin_trap();
    }
}

// Loads `bytes` as a machine file, then saves the settings over a copy of
// them (Save ini keeps what else a file holds); the saved bytes, or nothing
// when a file could not be written.
std::optional<std::string> LoadThenSave(const std::string& bytes, const std::string& name, bool check = false) {
    using namespace tolva;
    const std::string& dir = fuzz::RunFolder();
    const std::string path = dir + "/" + name;
    if (!WriteFileAtomic(path, bytes).ok) return std::nullopt;
    MachineSettings settings(dir);
    settings.SetMachineFile(path);
    if (settings.Ldini().ok && check) CheckTexts(settings, bytes);
    if (!WriteFileAtomic(path + ".saved", bytes).ok) return std::nullopt;
    settings.SetMachineFile(path + ".saved");
    std::string saved;
    if (!settings.Svini().ok || !ReadFileBytes(path + ".saved", saved).ok) return std::nullopt;
    return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string> once = LoadThenSave(std::string(reinterpret_cast<const char*>(data), size), "given.ini", true);
    if (!once) return 0;
    const std::optional<std::string> twice = LoadThenSave(*once, "once.ini");
    if (twice && *once != *twice) __builtin_trap();
    return 0;
}
