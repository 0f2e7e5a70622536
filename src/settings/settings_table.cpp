#include "settings/settings_table.h"

#include <tuple>
#include <unordered_map>

namespace tolva {
namespace {

using K = SettingKind;
using R = ReadMode;

struct Group {
    std::string_view caption, hint;
};

constexpr Group kBaud{" Baud ", "Communication speed"};
constexpr Group kData{" Data ", "The number of data bits sent to the serial port"};
constexpr Group kParity{" Parity ", "Type of parity check to use"};
constexpr Group kFlow{" Flow ", "Type of flow to use. Usually None"};
constexpr Group kStop{" Stop Bits ", "Number of stop bits"};
constexpr Group kPort{" Com Port ", "The serial port to be used usually 2 to 4"};
constexpr Group kBuffer{"Com Buffer", "Communications Buffer size.  Set to more than incoming file size."};
constexpr Group kPlot{" Plotting ", "Used to orient the plot with the machine tool.  See Flat X Y Z"};
constexpr Group kLathe{" Lathe Plotting ", ""};
constexpr Group kTransmit{" Transmit ", ""};
constexpr Group kDxf{" Dxf    Reading and Writing ", "Settings for Dxf file input"};
constexpr Group kOptions{" Options ", "Options for display and communication"};
constexpr Group kTape{" Punched Tape ", "Setting for a paper tape punch"};
constexpr Group kDir{"  Initial Working Directory ", "This directory is checked first for files if it exists"};
constexpr Group kFont{"", ""};

SettingSpec base(std::string_view name, SettingKind kind, ReadMode read, std::string_view section,
                 std::string_view key) {
    SettingSpec s;
    s.name = name;
    s.kind = kind;
    s.read = read;
    s.section = section;
    s.key = key;
    s.saveKey = key;
    return s;
}

SettingSpec flag(std::string_view name, std::string_view section, std::string_view key,
                 std::string_view caption, const Group& g, std::string_view hint = {}) {
    SettingSpec s = base(name, K::Flag, R::Flag, section, key);
    s.initial = "0";
    s.missing = "0";
    s.caption = caption;
    s.group = g.caption;
    s.hint = hint.empty() ? g.hint : hint;
    return s;
}

SettingSpec choice(std::string_view name, std::string_view section, std::string_view key,
                   std::string_view caption, const Group& g, std::string_view radioGroup) {
    SettingSpec s = flag(name, section, key, caption, g);
    s.kind = K::Choice;
    s.radioGroup = radioGroup;
    return s;
}

SettingSpec integer(std::string_view name, std::string_view section, std::string_view key, int min,
                    int max, std::string_view initial, std::string_view missing,
                    std::string_view caption, const Group& g, std::string_view hint = {}) {
    SettingSpec s = base(name, K::Integer, R::Integer, section, key);
    s.min = min;
    s.max = max;
    s.initial = initial;
    s.missing = missing;
    s.caption = caption;
    s.group = g.caption;
    s.hint = hint.empty() ? g.hint : hint;
    return s;
}

SettingSpec text(std::string_view name, std::string_view section, std::string_view key,
                 std::string_view initial, std::string_view missing, std::string_view caption,
                 const Group& g, int maxLength = 0) {
    SettingSpec s = base(name, K::Text, R::Text, section, key);
    s.initial = initial;
    s.missing = missing;
    s.caption = caption;
    s.group = g.caption;
    s.hint = g.hint;
    s.maxLength = maxLength;
    return s;
}

SettingSpec withSaveKey(SettingSpec s, std::string_view saveKey) {
    s.saveKey = saveKey;
    return s;
}

SettingSpec hidden(SettingSpec s) {
    s.hidden = true;
    return s;
}

// Stored as text and read by leading digits, so "12abc" gives 12.
SettingSpec leadingInteger(SettingSpec s) {
    s.read = R::LeadingInteger;
    return s;
}

std::vector<SettingSpec> makeTable() {
    std::vector<SettingSpec> t;
    auto add = [&](SettingSpec s) { t.push_back(s); };

    add(choice("RadioButton1", "Baud", "300", "300", kBaud, "Baud"));
    add(choice("RadioButton2", "Baud", "600", "600", kBaud, "Baud"));
    add(choice("RadioButton3", "Baud", "1200", "1200", kBaud, "Baud"));
    add(choice("RadioButton4", "Baud", "2400", "2400", kBaud, "Baud"));
    add(choice("RadioButton5", "Baud", "4800", "4800", kBaud, "Baud"));
    add(choice("RadioButton6", "Baud", "9600", "9600", kBaud, "Baud"));
    add(choice("RadioButton24", "Baud", "14400", "14400", kBaud, "Baud"));
    add(choice("RadioButton7", "Baud", "19200", "19200", kBaud, "Baud"));
    add(choice("RadioButton25", "Baud", "38400", "38400", kBaud, "Baud"));
    add(choice("RadioButton26", "Baud", "56000", "56000", kBaud, "Baud"));

    add(choice("RadioButton19", "Data", "7 Bits", "7 Data", kData, "Data"));
    add(choice("RadioButton18", "Data", "8 Bits", "8 Data", kData, "Data"));

    add(choice("RadioButton8", "Parity", "None", "None", kParity, "Parity"));
    add(choice("RadioButton9", "Parity", "Even", "Even", kParity, "Parity"));
    add(choice("RadioButton10", "Parity", "Odd", "Odd", kParity, "Parity"));

    add(choice("RadioButton11", "Flow", "None", "None", kFlow, "Flow"));
    add(choice("RadioButton20", "Flow", "Rts", "Rts Cts", kFlow, "Flow"));
    add(choice("RadioButton21", "Flow", "Xon", "Xon Xoff", kFlow, "Flow"));
    add(withSaveKey(choice("RadioButton28", "Flow", "XonCts", "XonOffCtsRts", kFlow, "Flow"), "Xoncts"));
    {
        // Seconds; 0 waits for ever.
        SettingSpec s = integer("OutputTimeoutSpinEdit", "Flow", "Output Timeout", 0, 9999, "4", "4", "Output Timeout",
                                kFlow,
                                "Seconds a send waits for a machine that takes no characters. 0 = wait for ever. "
                                "With Xon Xoff a machine holding XOFF is waited for however long it holds");
        s.caption2 = "s  0 = for ever";
        add(s);
    }

    add(choice("RadioButton12", "Stop Bits", "One", "One", kStop, "Stop Bits"));
    add(choice("RadioButton13", "Stop Bits", "Two", "Two", kStop, "Stop Bits"));
    add(choice("RadioButton27", "Stop Bits", "OneHalf", "One 1/2", kStop, "Stop Bits"));

    add(choice("RadioButton14", "Com Port", "Com 1", "Com 1", kPort, "Com Port"));
    add(choice("RadioButton15", "Com Port", "Com 2", "Com 2", kPort, "Com Port"));
    add(choice("RadioButton22", "Com Port", "Com 3", "Com 3", kPort, "Com Port"));
    add(choice("RadioButton23", "Com Port", "Com 4", "Com 4", kPort, "Com Port"));

    // Units of 1024 bytes.
    add(integer("BufferSpinEdit1", "Buffer", "BufferSize", 2, 999, "2", "5", "", kBuffer));

    add(flag("XsignCheckBox", "Plotting", "X*-1", "X * -1", kPlot));
    add(flag("YsignCheckBox", "Plotting", "Y*-1", "Y * -1", kPlot));
    add(flag("ZsignCheckBox", "Plotting", "Z*-1", "Z * -1", kPlot));
    add(hidden(flag("AngACheckBox", "Plotting", "A*-1", "Angle A *-1", kPlot)));
    add(hidden(flag("AngBCheckBox", "Plotting", "B*-1", "Angle B *-1", kPlot)));
    add(hidden(flag("AngCCheckBox", "Plotting", "C*-1", "Angle C *-1", kPlot)));
    add(flag("Xdiv2", "Plotting", "Xdiv2", "X div  2", kLathe));
    add(flag("Idiv2", "Plotting", "Idiv2", "I  div 2", kLathe,
             "If not checked then I is not multiplied by X Scale in DXF load"));
    add(flag("ShowXYZCheckBox", "Plotting", "ShowXYZ", "Show XYZ", kPlot));
    {
        SettingSpec s = withSaveKey(integer("PlotResSpinEdit", "Plotting", "CirRes", 1, 20, "1", "5",
                                            " Cir Res", kPlot), "Cirres");
        s.caption2 = " 1 = Best";
        add(s);
    }
    // Degrees per step of the plot window's view-angle scroll bars.
    add(integer("AngStepSpinEdit", "Plotting", "angstep", 1, 45, "1", "5", "Inc Angle", kPlot));

    add(integer("FileStartSpinEdit", "Transmit", "Start", -1, 255, "-1", "-1",
                "Transmit as First Ascii Char if > -1", kTransmit,
                "Activated if above -1   2 = STX Start of text"));
    add(integer("FileEndSpinEdit", "Transmit", "End", -1, 255, "-1", "-1",
                "Transmit as Last Ascii Char if > -1", kTransmit,
                "Activated if above -1   4 = EOT End of transmission"));

    add(flag("Autosketch", "Dxf", "Autosketch", "AutoSketch 1 Dxf", kDxf));
    add(flag("DesignCad", "Dxf", "DesignCad", "DesignCad Dxf", kDxf));
    add(flag("Corel", "Dxf", "Corel", "Corel /TurboCad Dxf", kDxf));
    add(flag("Ashlar", "Dxf", "Ashlar", "Ashlar Velum", kDxf));
    add(flag("WriteBlueLine", "Dxf", "WriteBlueLine", "Write Blue lines to dxf", kDxf));
    add(flag("SwapXY", "Dxf", "SwapXY", "Swap X Y ", kDxf));
    add(flag("SwapYZ", "Dxf", "SwapYZ", "Swap Y Z ", kDxf, "Usually for a lathe"));
    add(flag("ArcinLineOutCheckBox", "Dxf", "ArcLineLead In", "Circle Arc in Line out Leadin + Edit Line", kDxf));
    add(flag("LineArcleadinCheckBox", "Dxf", "LineArcLead In", "Circle Line in Arc out Leadin + Edit Line", kDxf));
    // "Lead In" is the key of this flag, not a lead-in length.
    add(flag("EditOnlyCheckBox", "Dxf", "Lead In", "Edit Line only", kDxf));
    add(flag("CircleCheckBox", "Dxf", "Circle Lead In", "Circle Line  Lead In + Edit Line", kDxf));
    add(flag("ArcleadinCheckBox", "Dxf", "Arc Circle Lead In", "Circle Arc Leadin + Edit line", kDxf));
    add(flag("RCheckbox", "Dxf", "R Instead", "R instead of I J K", kDxf));
    add(flag("IncludeZCheckBox", "Dxf", "Z Include", "Z Included", kDxf));
    add(flag("XmultCheckBox", "Dxf", "X*-1", "X * -1   X scale", kDxf));
    add(flag("YmultCheckBox", "Dxf", "Y*-1", "Y * -1   Y scale", kDxf));
    add(flag("ZmultCheckBox", "Dxf", "Z*-1", "Z * -1   Z scale", kDxf));
    add(flag("VectorCheckBox2", "Dxf", "VectorCheckBox", "Line comp", kDxf));

    add(text("ZoffsetEdit", "Dxf", "Z Offset", "0", "", "Z Offset +/-", kDxf));
    add(text("EditLayer", "Dxf", "Layer", "FLAMECUT", "", "Acad Layer ", kDxf));
    add(text("LineEnds", "Options", "LineEnds", "$;", "$;", "Chars added to line ends", kOptions));
    add(text("DpEdit", "Dxf", "Decimal Places", "4", "", "Dec Places", kDxf, 1));
    add(text("ConnectEdit", "Dxf", "Connect Error", "0.005", "", "Connect Error", kDxf));
    add(text("Xscale", "Dxf", "Xscale", "1.000", "", "X Scale", kDxf));
    add(text("Yscale", "Dxf", "Yscale", "1.000", "", "Y Scale", kDxf));
    add(text("Zscale", "Dxf", "Zscale", "1.000", "", "Z Scale", kDxf));
    add(text("VectorErr", "Dxf", "VectorErr", "0.50", "", "Vector Error Deg", kDxf));
    add(text("EllipseEdit", "Dxf", "EllipsePoints", "360", "360", "Ellipse Points", kDxf));
    add(text("LeadInEdit", "Dxf", "LeadInLen", "0.500", "0.500", "Circle Leadin length", kDxf));
    // Off: closed paths are turned so that the frame's "Kerf Comp Left" cuts
    // every outline outside and every hole inside. On: as chained.
    add(flag("KeepDrawnDirection", "Dxf", "Keep drawn direction", "Keep drawn direction", kDxf,
             "Off: outlines run clockwise, holes counter-clockwise, so left compensation cuts outside"));
    // "mm", "inch" or "as drawn": a drawing whose $INSUNITS names the other
    // unit is converted when the X and Y scales are 1.
    add(text("MachineUnits", "Dxf", "Machine Units", "as drawn", "as drawn", "Machine Units", kDxf));

    add(leadingInteger(integer("LineNum", "Options", "Linenum", 1, 20, "1", "1", "Line Num Inc", kOptions)));
    {
        SettingSpec s = leadingInteger(integer("StartLine", "Options", "StartLine", 1, 200000, "1000", "1",
                                               "Start ", kOptions));
        s.caption2 = "Line Num";
        add(s);
    }
    // The keys end in a small "l"; files in the field are spelled so.
    for (auto [name, key, caption] : {std::tuple{"XViewangle", "XViewAnglel", "X Angle"},
                                      std::tuple{"YViewangle", "YViewAnglel", "Y Angle"},
                                      std::tuple{"ZViewAngle", "ZViewAnglel", "Z Angle"}}) {
        SettingSpec s = leadingInteger(integer(name, "Options", key, -180, 180, "0", "0", caption, kOptions));
        s.step = 90;
        add(s);
    }

    add(flag("NoModifiers", "Options", "NoModifiers", "Disable all Modifiers", kOptions,
             "Disable Spin Slide Scale Etc"));
    add(flag("IJFOURQUAD", "Options", "IJFOURQUAD", "Make  I J Circles 4 Quadrants", kOptions));
    add(flag("Bridgeport", "Options", "Bridgeport IJ", "Incremental  Type I J", kOptions));
    add(flag("CheckBox4", "Options", "Strip Spaces", "Strip spaces  on Transmit", kOptions));
    add(choice("RadioButton16", "Options", "Cr", "CR on Transmit", kOptions, "Line End"));
    add(choice("RadioButton17", "Options", "CrLf", "CR LF on Transmit", kOptions, "Line End"));
    add(flag("CheckBox1", "Options", "WantCr", "Want CR Receive", kOptions));
    add(flag("StripBlankCheckBox", "Options", "StripBlank", "Strip Blanks On Receive", kOptions));
    add(flag("TranslateCheckBox", "Options", "Translate", "Enabel Translate output file On Transmit", kOptions));
    add(flag("TranslateLoad", "Options", "TranslateLoad", "Enable Translate on File load  DXF and Text", kOptions));
    add(flag("ExecuteInsert", "Options", "ExecuteInsert", "Run Insert Lines on File Load DXF ", kOptions));
    add(flag("TransFileCheckBox", "Options", "TransFile", "Transmit File name in (xx) instead of line 1", kOptions));
    // Milliseconds.
    add(text("Edit3", "Options", "Line Del", "0", "", "Line Delay Ms", kOptions, 4));
    add(text("Edit4", "Options", "Char Del", "0", "", "Char Delay Ms", kOptions, 4));
    add(text("Edit5", "Options", "SingleStep Del", "0", "", "Single Step Ms", kOptions));

    add(flag("TapeCheckBox", "Tape", "TapeYes", "Output to tape Punch", kTape));
    add(choice("TapeRadioButtonNone", "Tape", "None", "Track 8 Parity None", kTape, "Tape Parity"));
    add(choice("TapeRadioButtonEven", "Tape", "Even", "Track 8 Parity Even", kTape, "Tape Parity"));
    add(choice("TapeRadioButtonOdd", "Tape", "Odd", "Track 8 Parity Odd", kTape, "Tape Parity"));
    add(flag("ReadableCheckBox", "Tape", "ReadableHeader", "Readable Header", kTape));
    add(integer("HeaderLenSpinEdit", "Tape", "HeaderLen", 0, 1000, "0", "0", "Head /Tail Len", kTape));
    add(integer("HeaderCharSpinEdit", "Tape", "HeaderChar", 0, 255, "0", "0", "Ascii Char", kTape));

    add(text("Edit1", "InitialDir", "Initial Dir", "Edit1", "", "", kDir));

    SettingSpec font = base("Label_font", K::Font, R::Font, "Font", "Name");
    font.caption = "Font";
    font.group = kFont.caption;
    add(font);

    // The machine's units codes, for the inch/metric conversion and the units
    // read-out. Not shown in the setup window; a file without them gets
    // G-code's own.
    add(hidden(text("UnitsInch", "Units", "Inch", "G20", "G20", "Inch", kOptions)));
    add(hidden(text("UnitsMetric", "Units", "Metric", "G21", "G21", "Metric", kOptions)));
    return t;
}

}  // namespace

const std::vector<SettingSpec>& SettingsTable() {
    static const std::vector<SettingSpec> table = makeTable();
    return table;
}

int SettingIndex(std::string_view name) {
    static const std::unordered_map<std::string_view, int> index = [] {
        std::unordered_map<std::string_view, int> m;
        const auto& t = SettingsTable();
        for (int i = 0; i < static_cast<int>(t.size()); ++i) m.emplace(t[i].name, i);
        return m;
    }();
    auto it = index.find(name);
    return it == index.end() ? -1 : it->second;
}

const std::vector<int>& LoadOrder() {
    // A key read later overrides what an interlock did to one read earlier, so
    // this order decides the outcome of files that hold conflicting flags.
    static const std::vector<int> order = [] {
        static constexpr std::string_view names[] = {
            "RadioButton1", "RadioButton2", "RadioButton3", "RadioButton4", "RadioButton5",
            "RadioButton6", "RadioButton24", "RadioButton7", "RadioButton25", "RadioButton26",
            "RadioButton19", "RadioButton18",
            "RadioButton8", "RadioButton9", "RadioButton10",
            "RadioButton11", "RadioButton20", "RadioButton21", "RadioButton28", "OutputTimeoutSpinEdit",
            "RadioButton12", "RadioButton13", "RadioButton27",
            "RadioButton14", "RadioButton15", "RadioButton22", "RadioButton23",
            "BufferSpinEdit1",
            "XsignCheckBox", "YsignCheckBox", "ZsignCheckBox", "AngACheckBox", "AngBCheckBox",
            "AngCCheckBox", "Xdiv2", "Idiv2", "ShowXYZCheckBox", "PlotResSpinEdit", "AngStepSpinEdit",
            "FileStartSpinEdit", "FileEndSpinEdit",
            "Autosketch", "DesignCad", "Ashlar", "Corel", "WriteBlueLine", "SwapXY", "SwapYZ",
            "EditOnlyCheckBox", "ArcinLineOutCheckBox", "LineArcleadinCheckBox", "CircleCheckBox",
            "ArcleadinCheckBox", "RCheckbox", "IncludeZCheckBox", "XmultCheckBox", "YmultCheckBox",
            "ZmultCheckBox", "VectorCheckBox2",
            "ZoffsetEdit", "LineEnds", "EditLayer", "DpEdit", "ConnectEdit", "Xscale", "Yscale",
            "Zscale", "VectorErr", "EllipseEdit", "LeadInEdit", "KeepDrawnDirection", "MachineUnits",
            "NoModifiers", "IJFOURQUAD", "Bridgeport", "CheckBox4", "RadioButton16", "RadioButton17",
            "CheckBox1", "StripBlankCheckBox", "TranslateCheckBox", "TranslateLoad", "ExecuteInsert",
            "TransFileCheckBox",
            "Edit3", "Edit4", "Edit5",
            "LineNum", "StartLine", "XViewangle", "YViewangle", "ZViewAngle",
            "TapeCheckBox", "TapeRadioButtonNone", "TapeRadioButtonEven", "TapeRadioButtonOdd",
            "ReadableCheckBox", "HeaderLenSpinEdit", "HeaderCharSpinEdit",
            "Edit1",
            "Label_font",
            "UnitsInch", "UnitsMetric",
        };
        std::vector<int> v;
        for (auto n : names) v.push_back(SettingIndex(n));
        return v;
    }();
    return order;
}

}  // namespace tolva
