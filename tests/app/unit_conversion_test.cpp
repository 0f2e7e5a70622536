// Inch to Metric and Metric to Inch through the operation table, as the
// menus and the batch run start them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <unistd.h>

#include "app/program_operations.h"
#include "settings/machine_settings.h"
#include "text/label_code.h"

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

}  // namespace
