// The settings record: every machine-dependent choice, declared once.
//
// Each entry is one control of the setup window, named by its control name.
// The machine file stores it under `section`/`key` (new files get `saveKey`
// where that differs, for compatibility with files written by earlier
// versions). The table is in the order a save writes the keys; the load order
// differs and is given by `LoadOrder()`.
#pragma once

#include <string_view>
#include <vector>

namespace tolva {

enum class SettingKind {
    Flag,     // check box
    Choice,   // radio button; stored as its own flag, `group` holds its siblings
    Text,     // edit box, free text
    Integer,  // spin edit, clamped to [min, max]
    Font,     // the editor font (section "Font", keys "Name" and "Size")
};

// How a load turns the stored text into the value.
enum class ReadMode {
    Flag,            // integer, non-zero is on; non-integer reads as missing
    Integer,         // decimal integer; non-integer reads as missing
    LeadingInteger,  // text; the sign and digits of its first 40 characters, 0 when none
    Text,            // verbatim
    Font,
};

struct SettingSpec {
    std::string_view name;     // control name, also the widget's objectName
    SettingKind kind = SettingKind::Flag;
    ReadMode read = ReadMode::Flag;
    std::string_view section;
    std::string_view key;      // read with this key
    std::string_view saveKey;  // written with this key
    int min = 0, max = 0, step = 1;  // integers only
    std::string_view initial;  // before any load: "0"/"1" for flags, decimal for integers
    std::string_view missing;  // the value a load gives when the key is absent
    std::string_view caption;
    std::string_view caption2;  // a second label beside the control, or empty
    std::string_view hint;
    std::string_view group;     // caption of the group box holding the control
    int maxLength = 0;          // texts the user may type, 0 = no limit
    bool hidden = false;        // kept and stored, never shown
    std::string_view radioGroup;  // choices: buttons that clear each other
};

// All settings, in save order.
const std::vector<SettingSpec>& SettingsTable();
// Indices into SettingsTable() in load order.
const std::vector<int>& LoadOrder();
// The index of a control name, or -1.
int SettingIndex(std::string_view name);

}  // namespace tolva
