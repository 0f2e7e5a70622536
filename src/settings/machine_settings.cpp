#include "settings/machine_settings.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/folders.h"
#include "settings/ini_file.h"

namespace tolva {
namespace {

constexpr std::string_view kRecallFile = "LastIni.ini";
constexpr std::string_view kDefaultMachineFile = "tolva.ini";
// The name the indicator shows for the default machine file, and the recall
// file's fallback; the lookup ignores case, so both find the same file.
constexpr std::string_view kDefaultMachineName = "Tolva.ini";
constexpr std::size_t kRecallLength = 255;
// Stored text of the view angles and line numbers: only this much is parsed.
constexpr std::size_t kLeadingDigitsWindow = 40;

// Controls that switch others off when they become on. Switching a control
// off, by the user or by one of these, switches nothing else off, so a chain
// ends after one step.
struct Interlock {
    std::string_view trigger;
    std::vector<std::string_view> off;
    std::string_view on;  // forced on, without running its own interlocks
};

const std::vector<Interlock>& interlockTable() {
    static const std::vector<Interlock> t = {
        {"Bridgeport", {"RCheckbox"}, {}},
        {"RCheckbox", {"DesignCad", "Bridgeport"}, "IJFOURQUAD"},
        {"DesignCad", {"RCheckbox"}, {}},
        {"Autosketch", {"IncludeZCheckBox"}, {}},
        {"Corel", {"IncludeZCheckBox"}, {}},
        // The five lead-in styles exclude each other; none on is allowed.
        {"CircleCheckBox", {"EditOnlyCheckBox", "ArcleadinCheckBox", "ArcinLineOutCheckBox", "LineArcleadinCheckBox"}, {}},
        {"EditOnlyCheckBox", {"CircleCheckBox", "ArcleadinCheckBox", "ArcinLineOutCheckBox", "LineArcleadinCheckBox"}, {}},
        {"ArcleadinCheckBox", {"EditOnlyCheckBox", "CircleCheckBox", "ArcinLineOutCheckBox", "LineArcleadinCheckBox"}, {}},
        {"LineArcleadinCheckBox", {"EditOnlyCheckBox", "CircleCheckBox", "ArcinLineOutCheckBox", "ArcleadinCheckBox"}, {}},
        {"ArcinLineOutCheckBox", {"EditOnlyCheckBox", "CircleCheckBox", "LineArcleadinCheckBox", "ArcleadinCheckBox"}, {}},
        {"SwapXY", {"SwapYZ"}, {}},
        {"SwapYZ", {"SwapXY"}, {}},
    };
    return t;
}

// The axis swaps relabel the controls whose axis they exchange; the settings
// themselves keep their keys and the axis their readers apply them to.
struct CaptionPair {
    std::string_view control, whenOn, whenOff;
};

const std::vector<CaptionPair>& swapCaptionTable(std::string_view swap) {
    static const std::vector<CaptionPair> xy = {
        {"XmultCheckBox", "Y * -1   Y scale", "X * -1   X scale"},
        {"YmultCheckBox", "X * -1   X scale", "Y * -1   Y scale"},
        {"XsignCheckBox", "Y * -1", "X * -1"},
        {"YsignCheckBox", "X * -1", "Y * -1"},
        {"Xdiv2", "Y div  2", "X div  2"},
        {"Idiv2", "J div  2", "I div  2"},
        {"XViewangle", "Y Angle", "X Angle"},
        {"YViewangle", "X Angle", "Y Angle"},
    };
    static const std::vector<CaptionPair> yz = {
        {"ZmultCheckBox", "Y * -1   Y scale", "Z * -1   Z scale"},
        {"YmultCheckBox", "Z * -1   Z scale", "Y * -1   Y scale"},
        {"ZsignCheckBox", "Y * -1", "Z * -1"},
        {"YsignCheckBox", "Z * -1", "Y * -1"},
        {"YViewangle", "Z Angle", "Y Angle"},
        {"ZViewAngle", "Y Angle", "Z Angle"},
        {"ZoffsetEdit", "Y Offset +/-", "Z Offset +/-"},
    };
    static const std::vector<CaptionPair> none;
    if (swap == "SwapXY") return xy;
    if (swap == "SwapYZ") return yz;
    return none;
}

std::string cut(std::string s, std::size_t n) {
    if (s.size() > n) s.resize(n);
    return s;
}

int clampTo(const SettingSpec& s, long long v) {
    return static_cast<int>(std::clamp<long long>(v, s.min, s.max));
}

const std::string kEmpty;

}  // namespace

MachineSettings::MachineSettings(std::string programFolder) : folder_(std::move(programFolder)) { reset(); }

void MachineSettings::reset() {
    const auto& table = SettingsTable();
    values_.assign(table.size(), {});
    for (std::size_t i = 0; i < table.size(); ++i) {
        const SettingSpec& s = table[i];
        Value& v = values_[i];
        v.caption = std::string(s.caption);
        switch (s.kind) {
            case SettingKind::Flag:
            case SettingKind::Choice: v.on = s.initial == "1"; break;
            case SettingKind::Integer: v.number = ParseInteger(s.initial).value_or(s.min); break;
            case SettingKind::Text: v.text = std::string(s.initial); break;
            case SettingKind::Font: v.text = font_.name; break;
        }
    }
}

const MachineSettings::Value* MachineSettings::value(std::string_view name) const {
    int i = SettingIndex(name);
    return i < 0 ? nullptr : &values_[i];
}

bool MachineSettings::Flag(std::string_view name) const {
    const Value* v = value(name);
    return v && v->on;
}

int MachineSettings::Int(std::string_view name) const {
    const Value* v = value(name);
    return v ? v->number : 0;
}

const std::string& MachineSettings::Text(std::string_view name) const {
    const Value* v = value(name);
    return v ? v->text : kEmpty;
}

const std::string& MachineSettings::Caption(std::string_view name) const {
    const Value* v = value(name);
    return v ? v->caption : kEmpty;
}

void MachineSettings::SetFlag(std::string_view name, bool on) {
    int i = SettingIndex(name);
    if (i < 0) return;
    SettingKind k = SettingsTable()[i].kind;
    if (k != SettingKind::Flag && k != SettingKind::Choice) return;
    setFlag(i, on, true);
}

void MachineSettings::setFlag(int index, bool on, bool runInterlocks) {
    const SettingSpec& entry = SettingsTable()[index];
    if (values_[index].on == on) return;
    values_[index].on = on;
    notify({SettingsChange::Value, entry.name, -1, -1});

    if (on && entry.kind == SettingKind::Choice) {
        const auto& table = SettingsTable();
        for (int j = 0; j < static_cast<int>(table.size()); ++j)
            if (j != index && table[j].kind == SettingKind::Choice && table[j].radioGroup == entry.radioGroup)
                setFlag(j, false, false);
    }
    // SwapXY going on first switches SwapYZ off, whose captions return to
    // their plain set; only then are the XY captions applied.
    if (on && runInterlocks) interlocks(entry.name);
    swapCaptions(entry.name, on);
}

void MachineSettings::interlocks(std::string_view name) {
    for (const Interlock& lock : interlockTable()) {
        if (lock.trigger != name) continue;
        for (std::string_view off : lock.off) setFlag(SettingIndex(off), false, false);
        if (!lock.on.empty()) setFlag(SettingIndex(lock.on), true, false);
    }
}

void MachineSettings::swapCaptions(std::string_view name, bool on) {
    for (const CaptionPair& p : swapCaptionTable(name)) setCaption(p.control, on ? p.whenOn : p.whenOff);
}

void MachineSettings::RunSwapCaptions(std::string_view name) { swapCaptions(name, Flag(name)); }

void MachineSettings::setCaption(std::string_view name, std::string_view caption) {
    int i = SettingIndex(name);
    if (i < 0 || values_[i].caption == caption) return;
    values_[i].caption = std::string(caption);
    notify({SettingsChange::Caption, SettingsTable()[i].name, -1, -1});
}

void MachineSettings::SetInt(std::string_view name, int number) {
    int i = SettingIndex(name);
    if (i < 0 || SettingsTable()[i].kind != SettingKind::Integer) return;
    int v = clampTo(SettingsTable()[i], number);
    if (values_[i].number == v) return;
    values_[i].number = v;
    notify({SettingsChange::Value, SettingsTable()[i].name, -1, -1});
}

void MachineSettings::SetText(std::string_view name, std::string text) {
    int i = SettingIndex(name);
    if (i < 0 || SettingsTable()[i].kind != SettingKind::Text) return;
    if (values_[i].text == text) return;
    values_[i].text = std::move(text);
    notify({SettingsChange::Value, SettingsTable()[i].name, -1, -1});
}

void MachineSettings::SetCell(int column, int row, std::string text) {
    if (labels_.Cell(column, row) == text) return;
    labels_.SetCell(column, row, std::move(text));
    notify({SettingsChange::Cell, {}, row, column});
}

void MachineSettings::SetFont(const FontSetting& font) {
    font_ = font;
    values_[SettingIndex("Label_font")].text = font_.name;
    notify({SettingsChange::Font, "Label_font", -1, -1});
}

AxisCodes MachineSettings::Setaxis() {
    std::array<std::string, kLabelRows> before;
    for (int r = 0; r < kLabelRows; ++r) before[r] = labels_.Cell(1, r);
    AxisCodes a = MakeAxisCodes(labels_, Flag("SwapXY"), Flag("SwapYZ"));
    for (int r = 0; r < kLabelRows; ++r)
        if (before[r] != labels_.Cell(1, r)) notify({SettingsChange::Cell, {}, r, 1});

    a.xSign = Flag("XsignCheckBox") ? -1 : 1;
    a.ySign = Flag("YsignCheckBox") ? -1 : 1;
    a.zSign = Flag("ZsignCheckBox") ? -1 : 1;

    auto ms = ParseInteger(Text("Edit5"));
    if (!ms) {
        SetText("Edit5", "125");
        ms = 125;
    }
    a.singleStepMs = std::clamp(*ms, 55, 1000);
    return a;
}

FileStatus MachineSettings::Ldini() {
    IniFile ini;
    FileStatus status = ini.Load(machineFile_);

    labels_.Load(ini);
    notify({SettingsChange::Cell, {}, -1, -1});

    const auto& table = SettingsTable();
    for (int i : LoadOrder()) {
        const SettingSpec& s = table[i];
        switch (s.read) {
            case ReadMode::Flag:
                setFlag(i, ini.ReadBool(s.section, s.key, s.missing == "1"), true);
                break;
            case ReadMode::Integer:
                SetInt(s.name, ini.ReadInteger(s.section, s.key, ParseInteger(s.missing).value_or(s.min)));
                break;
            case ReadMode::LeadingInteger: {
                std::string text = cut(ini.ReadString(s.section, s.key, s.missing), kLeadingDigitsWindow);
                SetInt(s.name, LeadingInteger(text));
                break;
            }
            case ReadMode::Text: SetText(s.name, ini.ReadString(s.section, s.key, s.missing)); break;
            case ReadMode::Font: {
                FontSetting f = font_;
                std::string name = ini.ReadString("Font", "Name", "");
                if (!name.empty()) f.name = name;
                f.size = ini.ReadInteger("Font", "Size", -1);
                if (f.size < 6 || f.size > 20) f.size = 10;
                f.bold = true;
                SetFont(f);
                break;
            }
        }
    }
    slideAmount_ = std::to_string(Int("AngStepSpinEdit")) + ".000";
    labels_.NumberRows();
    notify({SettingsChange::Loaded, {}, -1, -1});
    return status;
}

FileStatus MachineSettings::Svini() {
    if (machineFile_.empty()) return FileStatus::Fail("No machine file is in use.");
    IniFile ini;
    // An existing file is read first so that a save keeps what it does not
    // own; one that cannot be read is not overwritten.
    FileStatus st = ini.Load(machineFile_);
    if (!st.ok) return st;

    labels_.Save(ini);
    const auto& table = SettingsTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const SettingSpec& s = table[i];
        const Value& v = values_[i];
        switch (s.kind) {
            case SettingKind::Flag:
            case SettingKind::Choice: ini.WriteBool(s.section, s.saveKey, v.on); break;
            case SettingKind::Integer: ini.WriteInteger(s.section, s.saveKey, v.number); break;
            case SettingKind::Text: ini.Write(s.section, s.saveKey, v.text); break;
            case SettingKind::Font:
                ini.Write("Font", "Name", font_.name);
                ini.WriteInteger("Font", "Size", font_.size);
                break;
        }
    }
    return ini.Save(machineFile_);
}

namespace {

void readRecall(const IniFile& ini, Recall& r) {
    r.lastUsedFile = cut(ini.ReadString("Files", "LastUsedFile", ""), kRecallLength);
    for (int i = 0; i < 12; ++i)
        r.edit[i] = cut(ini.ReadString("LineInsert", "Edit" + std::to_string(i), ""), kRecallLength);
    r.f2Edit1 = cut(ini.ReadString("LineInsert", "F2Edit1", "1.00"), kRecallLength);
    r.f2Edit2 = cut(ini.ReadString("LineInsert", "F2Edit2", "2.00"), kRecallLength);
}

}  // namespace

FileStatus MachineSettings::LoadLastini() {
    IniFile ini;
    ini.Load(FindFileNoCase(folder_, std::string(kRecallFile)));
    readRecall(ini, recall_);

    // A bare name is looked up in the program folder, and a relative folder
    // part is dropped so it cannot lead the load out of it. A full path is a
    // machine file named on the command line that lives elsewhere.
    const std::string& stored = recall_.lastUsedFile;
    std::string name = BaseName(stored);
    if (name.empty()) name = std::string(kDefaultMachineName);
    const bool fullPath = !stored.empty() && stored.front() == '/' && !BaseName(stored).empty();
    machineFile_ = fullPath ? stored : FindFileNoCase(folder_, name);
    if (!stored.empty() && !FileExists(machineFile_)) {
        // Loaded, a missing file would leave an empty machine: no codes, no
        // letters, operations that silently change nothing. The default is
        // taken instead; the recall file keeps the name until the user picks
        // another machine file.
        const std::string missing = machineFile_;
        machineFile_ = FindFileNoCase(folder_, std::string(kDefaultMachineFile));
        const bool haveDefault = FileExists(machineFile_);
        if (haveDefault) Ldini();
        setIndicator(std::string(kDefaultMachineName));
        return FileStatus::Fail("The machine file \"" + missing + "\" used last is missing; " +
                                (haveDefault ? "the default machine file \"" + machineFile_ + "\" is used instead."
                                             : "the default machine file \"" + machineFile_ +
                                                   "\" is missing too, so no machine codes are set."));
    }
    FileStatus st = Ldini();
    setIndicator(name);
    return st;
}

FileStatus MachineSettings::Savelastini() {
    if (collectRecall_) collectRecall_(recall_);
    recall_.lastUsedFile = cut(recall_.lastUsedFile, kRecallLength);
    recall_.f2Edit1 = cut(recall_.f2Edit1, kRecallLength);
    recall_.f2Edit2 = cut(recall_.f2Edit2, kRecallLength);
    for (auto& e : recall_.edit) e = cut(e, kRecallLength);

    std::string path = FindFileNoCase(folder_, std::string(kRecallFile));
    IniFile ini;
    FileStatus st = ini.Load(path);
    if (!st.ok) return st;
    ini.Write("LineInsert", "F2Edit1", recall_.f2Edit1);
    ini.Write("LineInsert", "F2Edit2", recall_.f2Edit2);
    ini.Write("Files", "LastUsedFile", recall_.lastUsedFile);
    for (int i = 0; i < 12; ++i) ini.Write("LineInsert", "Edit" + std::to_string(i), recall_.edit[i]);
    return ini.Save(path);
}

FileStatus MachineSettings::StartUp(const std::function<void()>& pressFlat) {
    machineFile_ = FindFileNoCase(folder_, std::string(kDefaultMachineFile));
    Ldini();
    setIndicator(std::string(kDefaultMachineName));
    // The default file is always read first, even when the recall file names
    // another one, so keys missing from that one keep their missing values
    // rather than the default file's.
    recall_.lastUsedFile = std::string(kDefaultMachineFile);
    const FileStatus recalled = LoadLastini();
    notify({SettingsChange::Loaded, {}, -1, -1});
    RunSwapCaptions("SwapYZ");
    if (pressFlat) pressFlat();
    RunSwapCaptions("SwapXY");
    if (pressFlat) pressFlat();
    return recalled;
}

FileStatus MachineSettings::UseMachineFile(const std::string& chosenPath) {
    FileStatus st;
    if (!chosenPath.empty()) {
        machineFile_ = chosenPath;
        recall_.lastUsedFile = cut(BaseName(chosenPath), kRecallLength);
        setIndicator(BaseName(chosenPath));
        st = Ldini();
    }
    FileStatus recall = Savelastini();
    return st.ok ? recall : st;
}

FileStatus MachineSettings::SaveIniAs(const std::string& path) {
    std::string previous = machineFile_;
    machineFile_ = path;
    FileStatus st = Svini();
    if (!st.ok) {
        // A file that was not written must not become the one the next start loads.
        machineFile_ = previous;
        return st;
    }
    recall_.lastUsedFile = cut(BaseName(path), kRecallLength);
    FileStatus recall = Savelastini();
    setIndicator(BaseName(path));
    return recall;
}

std::string MachineSettings::rememberedName(const std::string& path) const {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path full = fs::weakly_canonical(fs::absolute(path, ec), ec);
    if (ec) return {};
    const fs::path folder = fs::weakly_canonical(fs::absolute(folder_, ec), ec);
    if (!ec && full.parent_path() == folder) return BaseName(path);
    // Anywhere else the next start needs the whole path; one too long for
    // the recall file is not remembered rather than cut to another name.
    return full.string().size() <= kRecallLength ? full.string() : std::string();
}

FileStatus MachineSettings::UseCommandLineMachineFile(const std::string& path) {
    if (path.empty() || !FileExists(path))
        return FileStatus::Fail("INI File Not Found ( Last INI file will be used )");
    const std::string remembered = rememberedName(path);
    if (!remembered.empty()) recall_.lastUsedFile = remembered;
    FileStatus st = Savelastini();
    // The recall file keeps only the bare name, so the file is loaded from
    // where it was given rather than looked up in the program folder.
    IniFile ini;
    ini.Load(FindFileNoCase(folder_, std::string(kRecallFile)));
    readRecall(ini, recall_);
    machineFile_ = path;
    FileStatus load = Ldini();
    setIndicator(BaseName(path));
    if (st.ok && load.ok && remembered.empty())
        return FileStatus::Fail("The machine file \"" + path +
                                "\" is used now, but its full name is longer than " +
                                std::to_string(kRecallLength) +
                                " characters and cannot be remembered for the next start.");
    return st.ok ? load : st;
}

void MachineSettings::setIndicator(const std::string& name) {
    indicator_ = "Using " + name;
    setupCaption_ = "Setup       " + indicator_;
    notify({SettingsChange::Indicator, {}, -1, -1});
}

int MachineSettings::Subscribe(Listener listener) {
    listeners_.emplace_back(nextListener_, std::move(listener));
    return nextListener_++;
}

void MachineSettings::Unsubscribe(int id) {
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                    [id](const auto& l) { return l.first == id; }),
                     listeners_.end());
}

void MachineSettings::notify(const SettingsChange& change) {
    for (auto& l : listeners_) l.second(change);
}

}  // namespace tolva
