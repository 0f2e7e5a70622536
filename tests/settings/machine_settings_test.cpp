#include "settings/machine_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <unistd.h>

#include "base/folders.h"
#include "settings/ini_file.h"
#include "temp_folder.h"

using namespace tolva;
using test::Fixture;
using test::TempFolder;

namespace {

// The lines of a text, without their line ends.
std::vector<std::string> linesOf(const std::string& bytes) { return SplitLines(bytes); }

bool holdsInOrder(const std::vector<std::string>& haystack, const std::vector<std::string>& needles) {
    auto it = haystack.begin();
    for (const auto& n : needles) {
        it = std::find(it, haystack.end(), n);
        if (it == haystack.end()) return false;
        ++it;
    }
    return true;
}

}  // namespace

TEST(SettingsTable, DeclaresEveryControlOnceAndLoadsEachOnce) {
    const auto& t = SettingsTable();
    std::set<std::string_view> names;
    std::set<std::string> keys;
    for (const auto& s : t) {
        EXPECT_TRUE(names.insert(s.name).second) << s.name;
        std::string key = std::string(s.section) + "/" + std::string(s.key);
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(keys.insert(key).second) << key;
    }
    std::vector<int> order = LoadOrder();
    EXPECT_EQ(order.size(), t.size());
    std::sort(order.begin(), order.end());
    for (int i = 0; i < static_cast<int>(order.size()); ++i) EXPECT_EQ(order[i], i);
}

class Settings : public ::testing::Test {
protected:
    TempFolder dir;
    MachineSettings s{dir.path()};

    void load(const std::string& bytes, const std::string& name = "m.ini") {
        dir.write(name, bytes);
        s.SetMachineFile(dir.file(name));
        s.Ldini();
    }
};

TEST_F(Settings, StartWithoutAnyFileGivesTheEmptyState) {
    int flats = 0;
    s.StartUp([&] { ++flats; });
    EXPECT_EQ(flats, 2);
    for (int r = 0; r < kLabelRows; ++r) {
        EXPECT_EQ(s.Labels().Cell(0, r), "");
        EXPECT_EQ(s.Labels().Cell(1, r), "");
        EXPECT_EQ(s.Labels().Cell(2, r), std::to_string(r + 1));
    }
    for (const auto& entry : SettingsTable()) {
        if (entry.kind == SettingKind::Flag || entry.kind == SettingKind::Choice) {
            EXPECT_FALSE(s.Flag(entry.name)) << entry.name;
        }
    }
    EXPECT_EQ(s.Int("BufferSpinEdit1"), 5);
    EXPECT_EQ(s.Int("PlotResSpinEdit"), 5);
    EXPECT_EQ(s.Int("AngStepSpinEdit"), 5);
    EXPECT_EQ(s.Int("FileStartSpinEdit"), -1);
    EXPECT_EQ(s.Int("FileEndSpinEdit"), -1);
    EXPECT_EQ(s.Int("HeaderLenSpinEdit"), 0);
    EXPECT_EQ(s.Int("HeaderCharSpinEdit"), 0);
    EXPECT_EQ(s.Int("LineNum"), 1);
    EXPECT_EQ(s.Int("StartLine"), 1);
    EXPECT_EQ(s.Int("XViewangle"), 0);
    EXPECT_EQ(s.Int("YViewangle"), 0);
    EXPECT_EQ(s.Int("ZViewAngle"), 0);
    EXPECT_EQ(s.Text("LineEnds"), "$;");
    EXPECT_EQ(s.Text("EllipseEdit"), "360");
    EXPECT_EQ(s.Text("LeadInEdit"), "0.500");
    for (const char* t : {"ZoffsetEdit", "EditLayer", "DpEdit", "ConnectEdit", "Xscale", "Yscale", "Zscale",
                          "VectorErr", "Edit3", "Edit4", "Edit5", "Edit1"})
        EXPECT_EQ(s.Text(t), "") << t;
    EXPECT_EQ(s.Font().size, 10);
    EXPECT_TRUE(s.Font().bold);
    EXPECT_EQ(s.Indicator(), "Using Tolva.ini");
    EXPECT_EQ(s.SetupCaption(), "Setup       Using Tolva.ini");
    EXPECT_EQ(s.SlideAmountText(), "5.000");
    EXPECT_EQ(s.RecallData().f2Edit1, "1.00");
    EXPECT_EQ(s.RecallData().f2Edit2, "2.00");
}

TEST_F(Settings, BeforeAnyLoadTheControlsHoldTheirInitialContent) {
    EXPECT_EQ(s.Int("BufferSpinEdit1"), 2);
    EXPECT_EQ(s.Int("StartLine"), 1000);
    EXPECT_EQ(s.Text("EditLayer"), "FLAMECUT");
    EXPECT_EQ(s.Text("DpEdit"), "4");
    EXPECT_EQ(s.Text("Edit1"), "Edit1");
    EXPECT_EQ(s.SetupCaption(), "Setup of INI files");
}

TEST_F(Settings, InterlocksRunWhenAControlBecomesOn) {
    s.SetFlag("ArcleadinCheckBox", true);
    s.SetFlag("CircleCheckBox", true);
    for (const char* n : {"ArcleadinCheckBox", "EditOnlyCheckBox", "ArcinLineOutCheckBox", "LineArcleadinCheckBox"})
        EXPECT_FALSE(s.Flag(n)) << n;
    EXPECT_TRUE(s.Flag("CircleCheckBox"));

    s.SetFlag("Bridgeport", true);
    s.SetFlag("DesignCad", true);
    s.SetFlag("RCheckbox", true);
    EXPECT_FALSE(s.Flag("Bridgeport"));
    EXPECT_FALSE(s.Flag("DesignCad"));
    EXPECT_TRUE(s.Flag("IJFOURQUAD"));
    s.SetFlag("RCheckbox", false);  // going off changes nothing else
    EXPECT_TRUE(s.Flag("IJFOURQUAD"));
    EXPECT_FALSE(s.Flag("Bridgeport"));

    s.SetFlag("RCheckbox", true);
    s.SetFlag("Bridgeport", true);
    EXPECT_FALSE(s.Flag("RCheckbox"));
    EXPECT_TRUE(s.Flag("IJFOURQUAD"));

    s.SetFlag("IncludeZCheckBox", true);
    s.SetFlag("Corel", true);
    EXPECT_FALSE(s.Flag("IncludeZCheckBox"));
    s.SetFlag("IncludeZCheckBox", true);
    EXPECT_TRUE(s.Flag("Corel"));  // Z Included has no reaction
}

TEST_F(Settings, AxisSwapsExcludeEachOtherAndRelabel) {
    s.SetFlag("SwapXY", true);
    EXPECT_EQ(s.Caption("XmultCheckBox"), "Y * -1   Y scale");
    EXPECT_EQ(s.Caption("Idiv2"), "J div  2");
    EXPECT_EQ(s.Caption("XViewangle"), "Y Angle");
    s.SetFlag("SwapYZ", true);
    EXPECT_FALSE(s.Flag("SwapXY"));
    EXPECT_EQ(s.Caption("XmultCheckBox"), "X * -1   X scale");
    EXPECT_EQ(s.Caption("XsignCheckBox"), "X * -1");
    EXPECT_EQ(s.Caption("Xdiv2"), "X div  2");
    EXPECT_EQ(s.Caption("Idiv2"), "I div  2");
    EXPECT_EQ(s.Caption("XViewangle"), "X Angle");
    EXPECT_EQ(s.Caption("YmultCheckBox"), "Z * -1   Z scale");
    EXPECT_EQ(s.Caption("ZmultCheckBox"), "Y * -1   Y scale");
    EXPECT_EQ(s.Caption("YsignCheckBox"), "Z * -1");
    EXPECT_EQ(s.Caption("YViewangle"), "Z Angle");
    EXPECT_EQ(s.Caption("ZViewAngle"), "Y Angle");
    EXPECT_EQ(s.Caption("ZoffsetEdit"), "Y Offset +/-");
    s.SetFlag("SwapYZ", false);
    EXPECT_EQ(s.Caption("YmultCheckBox"), "Y * -1   Y scale");
    EXPECT_EQ(s.Caption("ZoffsetEdit"), "Z Offset +/-");
    // Only the captions change: keys stay where they were.
    EXPECT_EQ(SettingsTable()[SettingIndex("XmultCheckBox")].key, "X*-1");
}

TEST_F(Settings, RadioGroupsAndClampedIntegers) {
    s.SetFlag("RadioButton6", true);
    s.SetFlag("RadioButton7", true);
    EXPECT_FALSE(s.Flag("RadioButton6"));
    EXPECT_TRUE(s.Flag("RadioButton7"));
    s.SetFlag("RadioButton7", false);  // a group may have none on
    EXPECT_FALSE(s.Flag("RadioButton7"));
    s.SetFlag("RadioButton16", true);
    s.SetFlag("TapeRadioButtonNone", true);
    EXPECT_TRUE(s.Flag("RadioButton16"));  // other groups untouched

    s.SetInt("BufferSpinEdit1", 5000);
    EXPECT_EQ(s.Int("BufferSpinEdit1"), 999);
    s.SetInt("FileStartSpinEdit", -40);
    EXPECT_EQ(s.Int("FileStartSpinEdit"), -1);
    s.SetInt("NoSuchControl", 3);
    EXPECT_EQ(s.Int("NoSuchControl"), 0);
    s.SetFlag("EditLayer", true);  // wrong kind: ignored
    EXPECT_FALSE(s.Flag("EditLayer"));
}

TEST_F(Settings, ListenersHearInterlocksAndCaptions) {
    std::vector<std::string> heard;
    int id = s.Subscribe([&](const SettingsChange& c) {
        if (c.kind == SettingsChange::Value || c.kind == SettingsChange::Caption) heard.emplace_back(c.name);
    });
    s.SetFlag("Bridgeport", true);
    s.SetFlag("RCheckbox", true);
    EXPECT_EQ(heard, (std::vector<std::string>{"Bridgeport", "RCheckbox", "Bridgeport", "IJFOURQUAD"}));
    heard.clear();
    s.Unsubscribe(id);
    s.SetFlag("SwapXY", true);
    EXPECT_TRUE(heard.empty());
}

TEST_F(Settings, LoadMatchesNamesWithoutCaseAndParsesLikeTheControls) {
    load(Fixture("lowercase.ini"));
    EXPECT_TRUE(s.Flag("RadioButton28"));
    EXPECT_EQ(s.Int("StartLine"), 12);
    EXPECT_EQ(s.Int("LineNum"), 1);       // "abc": no digits, clamped to the minimum
    EXPECT_EQ(s.Int("XViewangle"), 180);  // 270 clamped
    EXPECT_EQ(s.Int("YViewangle"), -90);  // a stored negative angle survives
    EXPECT_EQ(s.Int("ZViewAngle"), 0);
    EXPECT_EQ(s.Int("BufferSpinEdit1"), 999);
    EXPECT_EQ(s.Int("PlotResSpinEdit"), 1);
    EXPECT_EQ(s.Int("AngStepSpinEdit"), 5);  // not an integer: missing value
    EXPECT_EQ(s.SlideAmountText(), "5.000");
    EXPECT_EQ(s.Font().name, "Courier");
    EXPECT_EQ(s.Font().size, 10);
}

TEST_F(Settings, LaterKeysOverrideEarlierInterlocks) {
    load("[Dxf]\nDesignCad=1\nR Instead=1\n[Options]\nBridgeport IJ=1\nIJFOURQUAD=0\n");
    EXPECT_FALSE(s.Flag("RCheckbox"));
    EXPECT_TRUE(s.Flag("Bridgeport"));
    EXPECT_FALSE(s.Flag("DesignCad"));  // cleared by R Instead, read before it
    EXPECT_FALSE(s.Flag("IJFOURQUAD")); // forced on, then read again
}

TEST_F(Settings, SeveralButtonsOfAGroupLeaveTheLastOneRead) {
    load("[Baud]\n300=1\n9600=1\n1200=1\n");
    EXPECT_FALSE(s.Flag("RadioButton1"));
    EXPECT_FALSE(s.Flag("RadioButton3"));
    EXPECT_TRUE(s.Flag("RadioButton6"));
}

namespace {

// Puts a value other than the default into every setting and every stored cell.
void fillEverything(MachineSettings& s) {
    int n = 0;
    for (const auto& entry : SettingsTable()) {
        ++n;
        switch (entry.kind) {
            case SettingKind::Flag: break;
            case SettingKind::Choice: break;
            case SettingKind::Integer: s.SetInt(entry.name, entry.min + (n * 7919) % (entry.max - entry.min + 1)); break;
            case SettingKind::Text: s.SetText(entry.name, "T" + std::to_string(n) + " a=b ;[x]"); break;
            case SettingKind::Font: s.SetFont({"Courier New", 14, true}); break;
        }
    }
    s.SetInt("XViewangle", -90);
    // Flags that do not conflict with each other, one button per group.
    for (const char* f : {"XsignCheckBox", "ZsignCheckBox", "AngBCheckBox", "Idiv2", "ShowXYZCheckBox", "Ashlar",
                          "Corel", "SwapYZ", "CircleCheckBox", "RCheckbox", "XmultCheckBox", "VectorCheckBox2",
                          "NoModifiers", "CheckBox4", "TranslateLoad", "TransFileCheckBox", "ReadableCheckBox",
                          "RadioButton25", "RadioButton18", "RadioButton10", "RadioButton28", "RadioButton27",
                          "RadioButton22", "RadioButton17", "TapeRadioButtonOdd"})
        s.SetFlag(f, true);
    s.SetFlag("IJFOURQUAD", false);  // a state no interlock makes
    for (int r = 0; r < kStoredLabelRows; ++r) {
        s.SetCell(0, r, "title " + std::to_string(r));
        s.SetCell(1, r, "C" + std::to_string(r) + " = (code)");
    }
}

}  // namespace

TEST_F(Settings, SaveThenLoadReproducesEverySettingAndCell) {
    fillEverything(s);
    s.SetMachineFile(dir.file("round.ini"));
    ASSERT_TRUE(s.Svini().ok);

    MachineSettings back(dir.path());
    back.SetMachineFile(dir.file("round.ini"));
    ASSERT_TRUE(back.Ldini().ok);
    for (const auto& entry : SettingsTable()) {
        EXPECT_EQ(back.Flag(entry.name), s.Flag(entry.name)) << entry.name;
        EXPECT_EQ(back.Int(entry.name), s.Int(entry.name)) << entry.name;
        EXPECT_EQ(back.Text(entry.name), s.Text(entry.name)) << entry.name;
        EXPECT_EQ(back.Caption(entry.name), s.Caption(entry.name)) << entry.name;
    }
    EXPECT_EQ(back.Font().name, "Courier New");
    EXPECT_EQ(back.Font().size, 14);
    for (int r = 0; r < kStoredLabelRows; ++r)
        for (int c = 0; c < 2; ++c) EXPECT_EQ(back.Labels().Cell(c, r), s.Labels().Cell(c, r)) << r << "," << c;

    // Saving what was loaded changes no byte.
    std::string first = dir.read("round.ini");
    ASSERT_TRUE(back.Svini().ok);
    EXPECT_EQ(dir.read("round.ini"), first);
}

TEST_F(Settings, NewFileHasTheSectionsInSaveOrderAndTheSaveSpellings) {
    s.SetMachineFile(dir.file("new.ini"));
    ASSERT_TRUE(s.Svini().ok);
    std::vector<std::string> lines = linesOf(dir.read("new.ini"));
    std::vector<std::string> sections;
    for (const auto& l : lines)
        if (!l.empty() && l[0] == '[') sections.push_back(l);
    EXPECT_EQ(sections, (std::vector<std::string>{"[Labels]", "[Baud]", "[Data]", "[Parity]", "[Flow]",
                                                  "[Stop Bits]", "[Com Port]", "[Buffer]", "[Plotting]",
                                                  "[Transmit]", "[Dxf]", "[Options]", "[Tape]", "[InitialDir]",
                                                  "[Font]", "[Units]"}));
    EXPECT_TRUE(holdsInOrder(lines, {"XY Plane=", "XZ Plane=", "YZ Plane="}));
    EXPECT_TRUE(holdsInOrder(lines, {"[Flow]", "Xoncts=0", "[Plotting]", "Cirres=1", "angstep=1"}));
    EXPECT_TRUE(holdsInOrder(lines, {"[Dxf]", "Autosketch=0", "DesignCad=0", "Corel=0", "Ashlar=0", "Z Offset=0",
                                     "Layer=FLAMECUT", "Decimal Places=4"}));
    EXPECT_TRUE(holdsInOrder(lines, {"[Options]", "LineEnds=$;", "Linenum=1", "StartLine=1000", "XViewAnglel=0",
                                     "NoModifiers=0", "TransFile=0", "Line Del=0", "SingleStep Del=0"}));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "[Labels]"), 1);
}

TEST_F(Settings, UnknownSectionsAndKeysSurviveASaveByteForByte) {
    std::string original = Fixture("unknown.ini");
    load(original);
    EXPECT_FALSE(s.Flag("RCheckbox"));
    EXPECT_TRUE(s.Flag("Bridgeport"));
    ASSERT_TRUE(s.Svini().ok);
    std::string saved = dir.read("m.ini");
    for (const char* block : {"; Written by hand for the shop floor\n[Labels]\nFile Start=%\nLine=G01\nMy Own Label=keep this\n",
                              "\n[Vendor Extras]\nSpindle=S12000\n  odd spacing  =  still here  \nno equals sign on this line\n\n[Dxf]\nLayer=CUT\nColour=7\n"})
        EXPECT_NE(saved.find(block), std::string::npos) << block;
}

TEST_F(Settings, CrLfFileLoadsAndStaysCrLf) {
    std::string original = Fixture("crlf.ini");
    ASSERT_NE(original.find("\r\n"), std::string::npos);
    load(original);
    EXPECT_EQ(s.Labels().Cell(1, 0), "%");
    EXPECT_TRUE(s.Flag("RadioButton6"));
    EXPECT_EQ(s.Text("EditLayer"), "PLASMA");
    EXPECT_FALSE(s.Flag("RCheckbox"));
    EXPECT_TRUE(s.Flag("Bridgeport"));
    ASSERT_TRUE(s.Svini().ok);
    std::string saved = dir.read("m.ini");
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i] == '\n') {
            ASSERT_TRUE(i > 0 && saved[i - 1] == '\r') << "bare LF at " << i;
        }
    }
    EXPECT_NE(saved.find("[Custom]\r\nkeep=yes\r\n"), std::string::npos);
}

TEST_F(Settings, DuplicateSectionsReadTheFirstAndLoseNothing) {
    std::string original = Fixture("duplicates.ini");
    load(original);
    EXPECT_EQ(s.Text("EditLayer"), "FIRST");
    EXPECT_EQ(s.Text("Yscale"), "3.0");
    EXPECT_EQ(s.Text("Zscale"), "4.0");
    ASSERT_TRUE(s.Svini().ok);
    std::vector<std::string> saved = linesOf(dir.read("m.ini"));
    EXPECT_TRUE(holdsInOrder(saved, {"[Dxf]", "Layer=FIRST", "Xscale=2.0", "[Baud]", "9600=1", "[dxf]",
                                     "Layer=SECOND", "Yscale=3.0", "[DXF]", "Zscale=4.0"}));
}

TEST_F(Settings, GarbageAndHugeValuesLoadWithoutHarmAndSurviveASave) {
    std::mt19937 rng(77);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage) c = static_cast<char>(rng() & 0xFF);
    load(garbage);
    EXPECT_EQ(s.Int("BufferSpinEdit1"), 5);
    ASSERT_TRUE(s.Svini().ok);
    std::string saved = dir.read("m.ini");
    EXPECT_EQ(saved.substr(0, garbage.size()), garbage);

    std::string huge(1 << 20, 'L');
    std::string text = "[Dxf]\nLayer=" + huge + "\nthis line has no equals\n[Labels]\nTrans129=" + huge + "\n";
    load(text);
    EXPECT_EQ(s.Text("EditLayer"), huge);
    EXPECT_EQ(s.Labels().Cell(1, 29).size(), huge.size());
    EXPECT_EQ(s.Labels().Code(29).size(), 255u);  // readers see 255 characters
    ASSERT_TRUE(s.Svini().ok);
    IniFile after;
    after.Load(dir.file("m.ini"));
    EXPECT_EQ(after.Read("Dxf", "Layer"), huge);
    EXPECT_EQ(after.Read("Labels", "Trans129"), huge);
    EXPECT_NE(dir.read("m.ini").find("\nthis line has no equals\n"), std::string::npos);
}

TEST_F(Settings, AnExistingFileThatCannotBeReadIsNotOverwritten) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    dir.write("locked.ini", "[Vendor]\nx=1\n");
    ::chmod(dir.file("locked.ini").c_str(), 0);
    s.SetMachineFile(dir.file("locked.ini"));
    EXPECT_FALSE(s.Svini().ok);
    ::chmod(dir.file("locked.ini").c_str(), 0600);
    EXPECT_EQ(dir.read("locked.ini"), "[Vendor]\nx=1\n");
}

TEST_F(Settings, SaveIntoAFolderThatDoesNotExistFailsWithAMessage) {
    EXPECT_FALSE(s.SaveIniAs(dir.file("no/such/folder/x.ini")).ok);
    EXPECT_FALSE(FileExists(dir.file("LastIni.ini")));  // the recall file still names the old machine file
}

TEST_F(Settings, RecallFileRoundTripAndTheStartUpOrder) {
    dir.write("TOLVA.INI", "[Dxf]\nLayer=DEFAULT\nXscale=2\n");
    dir.write("lathe.ini", "[Dxf]\nLayer=LATHE\n[Labels]\nX Letter=X\n");
    dir.write("lastini.ini",
              "[Files]\nLastUsedFile=lathe.ini\n[LineInsert]\nEdit3=M08\nF2Edit1=5.5\n[Mine]\nkeep=1\n");
    s.StartUp();
    EXPECT_EQ(s.Text("EditLayer"), "LATHE");
    EXPECT_EQ(s.Text("Xscale"), "");  // the second load gives missing values, not the default file's
    EXPECT_EQ(s.Indicator(), "Using lathe.ini");
    EXPECT_EQ(s.RecallData().edit[3], "M08");
    EXPECT_EQ(s.RecallData().f2Edit1, "5.5");
    EXPECT_EQ(s.RecallData().f2Edit2, "2.00");

    s.SetRecallCollector([](Recall& r) { r.f2Edit2 = "9.9"; });
    s.RecallData().edit[11] = std::string(300, 'e');
    ASSERT_TRUE(s.Savelastini().ok);
    IniFile recall(dir.read("lastini.ini"));
    EXPECT_EQ(recall.Read("LineInsert", "F2Edit2"), "9.9");
    EXPECT_EQ(recall.Read("LineInsert", "Edit11")->size(), 255u);
    EXPECT_EQ(recall.Read("Files", "LastUsedFile"), "lathe.ini");
    EXPECT_EQ(recall.Read("Mine", "keep"), "1");
    EXPECT_FALSE(FileExists(dir.file("LastIni.ini")));  // the existing file was found and written
}

// A machine file the recall file names but that has gone (renamed, on a
// share not mounted) is named to the user and the default taken instead of
// an empty machine; the recall file keeps the name until another is picked.
TEST_F(Settings, AMissingRememberedMachineFileIsNamedAndTheDefaultTaken) {
    dir.write("tolva.ini", "[Dxf]\nLayer=DEFAULT\n[Labels]\nX Letter=X\n");
    for (const std::string& remembered : {std::string("gone.ini"), dir.file("elsewhere/gone.ini")}) {
        const std::string recall = "[Files]\nLastUsedFile=" + remembered + "\n";
        dir.write("LastIni.ini", recall);
        const FileStatus st = s.StartUp();
        EXPECT_FALSE(st.ok);
        EXPECT_NE(st.message.find("gone.ini\" used last is missing"), std::string::npos) << st.message;
        EXPECT_NE(st.message.find(dir.file("tolva.ini")), std::string::npos) << st.message;
        EXPECT_EQ(s.Text("EditLayer"), "DEFAULT");
        EXPECT_EQ(s.Indicator(), "Using Tolva.ini");
        EXPECT_EQ(dir.read("LastIni.ini"), recall);
    }
    // Without the default too, the message says that no codes are set.
    std::filesystem::remove(dir.file("tolva.ini"));
    const FileStatus st = s.StartUp();
    EXPECT_NE(st.message.find("missing too"), std::string::npos) << st.message;
}

TEST_F(Settings, RecallNameWithoutFileFallsBackToTolvaIni) {
    dir.write("tolva.ini", "[Dxf]\nLayer=DEFAULT\n");
    dir.write("LastIni.ini", "[Files]\nLastUsedFile=\n");
    s.StartUp();
    EXPECT_EQ(s.Text("EditLayer"), "DEFAULT");
    EXPECT_EQ(s.Indicator(), "Using Tolva.ini");
}

TEST_F(Settings, LoadIniChosenOrCancelledAndSaveIni) {
    dir.write("plasma.ini", "[Dxf]\nLayer=PLASMA\n");
    s.StartUp();
    s.SetText("EditLayer", "EDITED");
    ASSERT_TRUE(s.UseMachineFile("").ok);  // cancelled
    EXPECT_EQ(s.Text("EditLayer"), "EDITED");
    EXPECT_TRUE(FileExists(dir.file("LastIni.ini")));

    ASSERT_TRUE(s.UseMachineFile(dir.file("plasma.ini")).ok);
    EXPECT_EQ(s.Text("EditLayer"), "PLASMA");
    EXPECT_EQ(s.Indicator(), "Using plasma.ini");
    EXPECT_EQ(IniFile(dir.read("LastIni.ini")).Read("Files", "LastUsedFile"), "plasma.ini");

    s.SetText("EditLayer", "SAVED");
    ASSERT_TRUE(s.SaveIniAs(dir.file("mine.ini")).ok);
    EXPECT_EQ(s.MachineFile(), dir.file("mine.ini"));
    EXPECT_EQ(s.SetupCaption(), "Setup       Using mine.ini");
    EXPECT_EQ(IniFile(dir.read("mine.ini")).Read("Dxf", "Layer"), "SAVED");
    EXPECT_EQ(IniFile(dir.read("LastIni.ini")).Read("Files", "LastUsedFile"), "mine.ini");
}

TEST_F(Settings, CommandLineMachineFileStaysInUseForLaterStartsWhereverItLives) {
    s.StartUp();
    auto st = s.UseCommandLineMachineFile(dir.file("absent.ini"));
    EXPECT_FALSE(st.ok);
    EXPECT_EQ(st.message, "INI File Not Found ( Last INI file will be used )");

    // A file of the same bare name in the program folder must not be taken
    // for the one named on the command line.
    dir.write("shop.ini", "[Dxf]\nLayer=DECOY\n");
    TempFolder elsewhere;
    elsewhere.write("shop.ini", "[Dxf]\nLayer=SHOP\n");
    ASSERT_TRUE(s.UseCommandLineMachineFile(elsewhere.file("shop.ini")).ok);
    EXPECT_EQ(s.Text("EditLayer"), "SHOP");
    EXPECT_EQ(s.Indicator(), "Using shop.ini");
    MachineSettings next(dir.path());
    next.StartUp();
    EXPECT_EQ(next.Text("EditLayer"), "SHOP");
    EXPECT_EQ(next.Indicator(), "Using shop.ini");

    // One inside the program folder is remembered by its bare name, as a
    // file chosen with "Load ini" is.
    dir.write("lathe.ini", "[Dxf]\nLayer=LATHE\n");
    ASSERT_TRUE(s.UseCommandLineMachineFile(dir.path() + "/./lathe.ini").ok);
    EXPECT_EQ(IniFile(dir.read("LastIni.ini")).Read("Files", "LastUsedFile"), "lathe.ini");
    MachineSettings third(dir.path());
    third.StartUp();
    EXPECT_EQ(third.Text("EditLayer"), "LATHE");
}

TEST_F(Settings, SetaxisGivesCodesSignsAndTheSingleStepInterval) {
    load("[Labels]\nX Letter=X\nY Letter=Y\nLine=G 01\n[Plotting]\nX*-1=1\n[Dxf]\nSwapXY=1\n[Options]\nSingleStep Del=abc\n");
    s.SetCell(1, LabelRow::XLetter, " X");
    std::vector<std::pair<int, int>> cells;
    s.Subscribe([&](const SettingsChange& c) {
        if (c.kind == SettingsChange::Cell) cells.emplace_back(c.row, c.column);
    });
    AxisCodes a = s.Setaxis();
    EXPECT_EQ(a.letters.X, "Y");
    EXPECT_EQ(a.letters.Y, "X");
    EXPECT_EQ(a.Code(LabelRow::Line), "G01");
    EXPECT_EQ(s.Labels().Cell(1, LabelRow::Line), "G01");
    EXPECT_EQ(cells, (std::vector<std::pair<int, int>>{{1, 1}, {17, 1}}));
    EXPECT_EQ(a.xSign, -1);
    EXPECT_EQ(a.ySign, 1);
    EXPECT_EQ(a.singleStepMs, 125);
    EXPECT_EQ(s.Text("Edit5"), "125");
    s.SetText("Edit5", "5000");
    EXPECT_EQ(s.Setaxis().singleStepMs, 1000);
    s.SetText("Edit5", "10");
    EXPECT_EQ(s.Setaxis().singleStepMs, 55);
    EXPECT_EQ(s.Text("Edit5"), "10");
}
