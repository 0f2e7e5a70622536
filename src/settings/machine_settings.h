// The settings of the machine in use: the settings record, the label and
// translate table, the machine file they come from and the recall file.
//
// One instance lives for the whole run. The main window owns it; the setup
// window `TForm3` shows and edits it; every other reader asks it for a value
// at the moment of use (there is no other copy, except the codes `Setaxis`
// hands out). Nothing here touches a window: a load behaves exactly like
// clicks on the controls, and windows follow through `Subscribe`.
//
// Files: machine files and the recall file "LastIni.ini" live in the program
// folder given to the constructor; names are looked up there without regard
// to letter case. A missing or unreadable file reads as a file whose every
// key is missing. Operations return a FileStatus; none throws.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/program_file.h"
#include "settings/label_table.h"
#include "settings/settings_table.h"

namespace tolva {

// The editor font. Only name and size are stored; a load makes it bold.
struct FontSetting {
    std::string name = "Monospace";
    int size = 10;  // points
    bool bold = false;
};

// What the recall file remembers between runs. Each string holds at most 255
// characters.
struct Recall {
    // The machine file to load at the next start: a bare name in the program
    // folder, or the full path of one named on the command line elsewhere.
    std::string lastUsedFile;
    std::array<std::string, 12> edit;      // "Edit0".."Edit11": the find-and-insert fields
    std::string f2Edit1 = "1.00";          // plot window: cut speed
    std::string f2Edit2 = "2.00";          // plot window: rapid speed
};

// A change a window may have to show.
struct SettingsChange {
    enum Kind {
        Value,      // `name`: the control's value
        Caption,    // `name`: the control's caption
        Cell,       // `row`, `column`: one cell; row -1 means the whole table
        Font,       // the editor font
        Indicator,  // Indicator() and SetupCaption()
        Loaded,     // a machine file was loaded: SlideAmountText(), Text("Edit1"), recall speeds
    };
    Kind kind;
    std::string_view name;
    int row = -1, column = -1;
};

class MachineSettings {
public:
    explicit MachineSettings(std::string programFolder);
    MachineSettings(const MachineSettings&) = delete;
    MachineSettings& operator=(const MachineSettings&) = delete;

    const std::string& ProgramFolder() const { return folder_; }

    // ---- The settings record, by control name. An unknown name reads as
    // false / 0 / "" and ignores writes.
    bool Flag(std::string_view name) const;
    // Turning a flag or choice on runs its interlocks (and clears the other
    // choices of its group) exactly as a click would; setting the value it
    // already has does nothing.
    void SetFlag(std::string_view name, bool on);
    int Int(std::string_view name) const;
    void SetInt(std::string_view name, int value);  // clamped to the control's range
    const std::string& Text(std::string_view name) const;
    void SetText(std::string_view name, std::string text);
    // The caption now shown (the axis swaps exchange some).
    const std::string& Caption(std::string_view name) const;
    // Re-applies the caption set of "SwapXY" or "SwapYZ" for its current state.
    void RunSwapCaptions(std::string_view name);

    // ---- The label and translate table.
    const LabelTable& Labels() const { return labels_; }
    void SetCell(int column, int row, std::string text);
    // `Setaxis`: removes the blanks from the code rows (written back) and
    // returns the codes and letters in force, the plot signs and the
    // single-step interval. A "SingleStep Del" that is not an integer is
    // replaced by "125" in the record.
    AxisCodes Setaxis();

    // ---- The editor font.
    const FontSetting& Font() const { return font_; }
    void SetFont(const FontSetting& font);

    // ---- Machine file, recall file.
    const std::string& MachineFile() const { return machineFile_; }  // full path
    void SetMachineFile(std::string path) { machineFile_ = std::move(path); }
    Recall& RecallData() { return recall_; }
    const Recall& RecallData() const { return recall_; }
    // "Using " + the machine file's name, shown by the main window.
    const std::string& Indicator() const { return indicator_; }
    // The setup window's caption: "Setup of INI files" until a machine file
    // is in use, then "Setup       " + Indicator().
    const std::string& SetupCaption() const { return setupCaption_; }
    // What the plot window's slide amount receives after a load: the
    // "Inc Angle" value followed by ".000".
    const std::string& SlideAmountText() const { return slideAmount_; }

    // Loads every setting and the table from MachineFile(). A missing file
    // gives every key its missing value; the status tells of an unreadable one.
    FileStatus Ldini();
    // Writes every setting and the table into MachineFile(), keeping whatever
    // else the file holds. An existing file that cannot be read is left
    // untouched and the save fails.
    FileStatus Svini();
    // Reads the recall file and loads the machine file it names (empty:
    // "Tolva.ini") from the program folder. A named file that is missing is
    // not loaded: the default machine file is, and the status names both.
    FileStatus LoadLastini();
    // Writes the recall file, after asking `onCollectRecall` (if set) to copy
    // the plot window's speed fields into RecallData().
    FileStatus Savelastini();
    void SetRecallCollector(std::function<void(Recall&)> onCollectRecall) {
        collectRecall_ = std::move(onCollectRecall);
    }

    // The setup window's creation: load "tolva.ini", then the recall file's
    // machine file over it, then re-run the SwapYZ and SwapXY caption
    // handlers, each followed by `pressFlat` (the plot window's "Flat" view
    // button; may be empty). Fails, with the message for the user, when the
    // remembered machine file is missing (the default is then in use).
    FileStatus StartUp(const std::function<void()>& pressFlat = {});

    // "Load ini" and "Use another Machine INI File" after the dialog: when
    // `chosenPath` is not empty it becomes the machine file and is loaded;
    // the recall file is written in every case.
    FileStatus UseMachineFile(const std::string& chosenPath);
    // "Save ini" after the dialog: writes `path` and makes it the machine
    // file, then writes the recall file.
    FileStatus SaveIniAs(const std::string& path);
    // The third command-line argument. An existing file becomes the machine
    // file in use (loaded from where it is) and stays in use for later
    // starts: the recall file keeps its bare name when it lies in the program
    // folder, its full path otherwise. A missing file changes nothing and the
    // status carries "INI File Not Found ( Last INI file will be used )".
    FileStatus UseCommandLineMachineFile(const std::string& path);

    // ---- Notification. Listeners run synchronously after each change; a
    // listener must not subscribe or unsubscribe from within a call.
    using Listener = std::function<void(const SettingsChange&)>;
    int Subscribe(Listener listener);
    void Unsubscribe(int id);

private:
    struct Value {
        bool on = false;
        int number = 0;
        std::string text;
        std::string caption;
    };

    void reset();
    void setFlag(int index, bool on, bool runInterlocks);
    void interlocks(std::string_view name);
    void swapCaptions(std::string_view name, bool on);
    void setCaption(std::string_view name, std::string_view caption);
    void setIndicator(const std::string& name);
    // What the recall file keeps for `path`; empty when it cannot keep it.
    std::string rememberedName(const std::string& path) const;
    void notify(const SettingsChange& change);
    const Value* value(std::string_view name) const;

    std::string folder_;
    std::vector<Value> values_;  // parallel to SettingsTable()
    LabelTable labels_;
    FontSetting font_;
    std::string machineFile_;
    Recall recall_;
    std::string indicator_;
    std::string setupCaption_ = "Setup of INI files";
    std::string slideAmount_;
    std::function<void(Recall&)> collectRecall_;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListener_ = 1;
};

}  // namespace tolva
