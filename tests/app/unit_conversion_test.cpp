// Inch to Metric and Metric to Inch through the operation table, as the
// menus and the batch run start them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <unistd.h>

#include "../plot/rs274_oracle.h"
#include "../settings/temp_folder.h"
#include "app/program_operations.h"
#include "settings/machine_settings.h"
#include "text/label_code.h"
#include "text/program_units.h"

namespace {

using Lines = std::vector<std::string>;

struct UnitRig {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tolva-units-test-" + std::to_string(::getpid()));
    std::unique_ptr<tolva::MachineSettings> settings;
    tolva::RecordingHost host;
    tolva::PlotState plot;
    UnitRig() {
        std::filesystem::create_directories(dir);
        settings = std::make_unique<tolva::MachineSettings>(dir.string());
    }
    ~UnitRig() { std::filesystem::remove_all(dir); }
    tolva::OperationResult run(const char* caption, Lines& lines) {
        tolva::OperationContext ctx(*settings, host, plot);
        return tolva::RunProgramOperation(caption, lines, ctx);
    }
};

TEST(UnitConversion, InchToMetricAndBackGivesEveryNumberAgain) {
    // Numbers as a program prints them at the decimals in force, up to a few
    // thousand inches: there and back must print each one again.
    for (int decimals : {3, 4}) {
        UnitRig rig;
        rig.settings->SetText("DpEdit", std::to_string(decimals));
        std::mt19937 rng(static_cast<unsigned>(decimals));
        Lines source;
        for (int n = 0; n < 5000; ++n) {
            auto number = [&] {
                const long long scale = decimals == 3 ? 1000 : 10000;
                const long long v = static_cast<long long>(rng() % (5000 * scale)) - 2500 * scale;
                char buf[40];
                std::snprintf(buf, sizeof buf, "%.*f", decimals, static_cast<double>(v) / static_cast<double>(scale));
                return std::string(buf);
            };
            source.push_back("G01 X" + number() + " Y" + number());
        }
        Lines lines = source;
        ASSERT_FALSE(rig.run("Inch to Metric", lines).refused);
        ASSERT_FALSE(rig.run("Metric to Inch", lines).refused);
        // Blanks carry no meaning.
        auto packed = [](std::string s) {
            std::erase(s, ' ');
            return s;
        };
        int changed = 0;
        for (std::size_t k = 0; k < lines.size(); ++k) changed += packed(lines[k]) != packed(source[k]);
        EXPECT_EQ(changed, 0) << "for example " << source[0] << " -> " << lines[0];
    }
}

TEST(UnitConversion, TheUnitCodeIsExchanged) {
    UnitRig rig;
    Lines lines{"G20 G17 G90 (G20 INCH)", "g20", "G01 X1 ;G20", "G21"};
    ASSERT_FALSE(rig.run("Inch to Metric", lines).refused);
    // Every G20 outside a comment is now G21; the comments are as they were.
    EXPECT_TRUE(tolva::HasCode(lines[0], "G21") && !tolva::HasCode(lines[0], "G20")) << lines[0];
    EXPECT_NE(lines[0].find("(G20 INCH)"), std::string::npos) << lines[0];
    EXPECT_TRUE(tolva::HasCode(lines[1], "G21")) << lines[1];
    EXPECT_NE(lines[2].find(";G20"), std::string::npos) << lines[2];
    ASSERT_FALSE(rig.run("Metric to Inch", lines).refused);
    for (const std::string& l : lines) EXPECT_FALSE(tolva::HasCode(l, "G21")) << l;
    EXPECT_TRUE(tolva::HasCode(lines[3], "G20"));
}

// The units rs274 has in force after each line marked "(Lk)", k from 0:
// 'I', 'M', or '-' before the program sets any.
std::string rs274UnitsAtMarks(const Lines& program) {
    std::vector<tolva::test::CanonMove> moves;
    std::string text;
    EXPECT_TRUE(tolva::test::Rs274Run(program, moves, text)) << text;
    std::string out;
    char units = 0;
    bool started = false;  // rs274's own initial units do not count
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        const std::string_view line = std::string_view(text).substr(at + 1, text.find('\n', at + 1) - at - 1);
        if (line.find("COMMENT(\"L") != std::string_view::npos) out += units ? units : '-';
        started = started || line.find("COMMENT(\"START") != std::string_view::npos;
        if (started) {
            if (line.find("CANON_UNITS_INCHES") != std::string_view::npos) units = 'I';
            if (line.find("CANON_UNITS_MM") != std::string_view::npos) units = 'M';
        }
    }
    return out;
}

// The read-out's units after each marked line.
std::string unitsAtMarks(const Lines& program, const std::string& inch, const std::string& metric) {
    std::string out, text;
    for (const std::string& line : program) {
        text += line + "\n";
        if (line.rfind("(L", 0) != 0) continue;
        const tolva::Units u = tolva::UnitsInForce(text, inch, metric);
        out += u == tolva::Units::Inch ? 'I' : u == tolva::Units::Metric ? 'M' : '-';
    }
    return out;
}

// Programs with unit codes in every spelling a control takes and look-alikes
// that are none (comments, other words' numbers, a longer G number): the
// read-out and the conversion, both with the machine file's pair of codes,
// agree with rs274 about the units in force after every line, under each
// shipped machine file and with every sign and swap box off.
TEST(UnitConversion, TheReadOutAndTheConversionAgreeWithRs274) {
    const std::vector<std::string> codes = {"G20", "G21", "g20", "g21", "G 21", "G020", "G0 G21 X0", "G21 G90"};
    const std::vector<std::string> others = {"(G21)", "(g20 inch)", "; G20", "G01 X21 Y20", "G01 X2 (G20) Y1",
                                             "G01 X20.5", "(G210)", "G90"};
    tolva::test::TempFolder dir("tolva-units");
    std::mt19937 rng(20);
    for (const char* name : {"tolva.ini", "plasma.ini", "lathe.ini"})
        for (bool plain : {false, true}) {
            SCOPED_TRACE(std::string(plain ? "plain " : "") + name);
            std::string bytes;
            tolva::ReadFileBytes(std::string(TOLVA_SOURCE_DIR) + "/data/" + name, bytes);
            if (plain) bytes = tolva::test::WithoutSignsAndSwaps(bytes);
            UnitRig rig;
            rig.settings->SetMachineFile(dir.write(name, bytes));
            ASSERT_TRUE(rig.settings->Ldini().ok);
            const std::string& inch = rig.settings->Text("UnitsInch");
            const std::string& metric = rig.settings->Text("UnitsMetric");
            for (int n = 0; n < 6; ++n) {
                Lines program = {"(START)", "G17 G90 G01 F100"};
                for (int k = 0; k < 14; ++k) {
                    const int pick = static_cast<int>(rng() % 3);
                    if (pick == 0) program.push_back(codes[rng() % codes.size()]);
                    if (pick == 1) program.push_back(others[rng() % others.size()]);
                    if (pick == 2) program.push_back(codes[rng() % codes.size()] + " " + others[rng() % 3]);
                    program.push_back("(L" + std::to_string(k) + ")");
                }
                program.push_back("M2");
                const std::string expected = rs274UnitsAtMarks(program);
                EXPECT_EQ(unitsAtMarks(program, inch, metric), expected);
                // After Inch to Metric every inch code is a metric one, and the
                // read-out follows; Metric to Inch the other way.
                for (const char* op : {"Inch to Metric", "Metric to Inch"}) {
                    Lines converted = program;
                    ASSERT_FALSE(rig.run(op, converted).refused);
                    std::string after = expected;
                    for (char& c : after)
                        if (c != '-') c = op[0] == 'I' ? 'M' : 'I';
                    EXPECT_EQ(rs274UnitsAtMarks(converted), after) << op;
                    EXPECT_EQ(unitsAtMarks(converted, inch, metric), after) << op;
                }
            }
        }
}

// A machine of other codes: the conversion and the read-out use its pair.
TEST(UnitConversion, TheMachineFilesPairIsUsed) {
    tolva::test::TempFolder dir("tolva-units");
    std::string bytes;
    tolva::ReadFileBytes(std::string(TOLVA_SOURCE_DIR) + "/data/tolva.ini", bytes);
    bytes.replace(bytes.find("Inch=G20"), 8, "Inch=G70");
    bytes.replace(bytes.find("Metric=G21"), 10, "Metric=G71");
    UnitRig rig;
    rig.settings->SetMachineFile(dir.write("old.ini", bytes));
    ASSERT_TRUE(rig.settings->Ldini().ok);
    Lines lines{"G70 G90", "G20 (G70)", "G01 X1"};
    ASSERT_FALSE(rig.run("Inch to Metric", lines).refused);
    EXPECT_EQ(lines[0].substr(0, 7), "G71 G90");
    EXPECT_EQ(lines[1].substr(0, 9), "G20 (G70)");
    EXPECT_EQ(tolva::UnitsInForce("G70\nG71 (G70)\n", "G70", "G71"), tolva::Units::Metric);
}

}  // namespace
