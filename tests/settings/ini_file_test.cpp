#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <random>

#include "../support/temp_folder.h"

using namespace tolva;

TEST(IniRead, NamesIgnoreCaseAndValuesAreTrimmed) {
    IniFile ini("[Flow]\n  XonCts =  1 \t\n[Dxf]\nLayer= CUT 1 \n");
    EXPECT_EQ(ini.Read("flow", "xoncts"), "1");
    EXPECT_EQ(ini.Read("FLOW", "XONCTS"), "1");
    EXPECT_EQ(ini.Read("dxf", "layer"), "CUT 1");
    EXPECT_FALSE(ini.Read("Dxf", "Missing"));
    EXPECT_FALSE(ini.Read("Nowhere", "Layer"));
    EXPECT_EQ(ini.ReadString("Dxf", "Missing", "dflt"), "dflt");
}

TEST(IniRead, IntegersAndFlagsFallBackToMissingWhenNotIntegers) {
    IniFile ini("[S]\na=12\nb=12abc\nc=-3\nd=\ne=0\nf=7\ng=99999999999\n");
    EXPECT_EQ(ini.ReadInteger("S", "a", 5), 12);
    EXPECT_EQ(ini.ReadInteger("S", "b", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "c", 5), -3);
    EXPECT_EQ(ini.ReadInteger("S", "d", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "g", 5), 5);
    EXPECT_FALSE(ini.ReadBool("S", "e", true));
    EXPECT_TRUE(ini.ReadBool("S", "f", false));   // any non-zero integer
    EXPECT_TRUE(ini.ReadBool("S", "c", false));
    EXPECT_TRUE(ini.ReadBool("S", "b", true));    // not an integer: missing value
}

TEST(IniRead, DuplicatesGiveTheFirstOccurrenceAndWritesHitTheSameOne) {
    IniFile ini("[A]\nk=1\nk=2\n[B]\nx=0\n[a]\nk=3\nonly=4\n");
    EXPECT_EQ(ini.Read("A", "k"), "1");
    EXPECT_EQ(ini.Read("A", "only"), "4");  // found in the second section of that name
    ini.Write("A", "only", "5");
    ini.Write("A", "k", "9");
    EXPECT_EQ(ini.Read("A", "k"), "9");
    EXPECT_EQ(ini.Read("A", "only"), "5");
    EXPECT_EQ(ini.Bytes(), "[A]\nk=9\nk=2\n[B]\nx=0\n[a]\nk=3\nonly=5\n");
}

TEST(IniWrite, ReplacesInPlaceAppendsKeysToTheirSectionAndSectionsAtTheEnd) {
    std::string original =
        "; machine file\n[Dxf]\nLayer = OLD\nUnknown=keep me\n\n[Other]\nz=1\n";
    IniFile ini(original);
    EXPECT_EQ(ini.Bytes(), original);
    ini.Write("dxf", "layer", "NEW");
    ini.Write("Dxf", "Xscale", "2.5");
    ini.Write("Font", "Name", "Courier");
    EXPECT_EQ(ini.Bytes(),
              "; machine file\n[Dxf]\nLayer =NEW\nUnknown=keep me\nXscale=2.5\n\n[Other]\nz=1\n"
              "[Font]\nName=Courier\n");
}

TEST(IniWrite, KeepsCrLfAndTerminatesAnUnterminatedLastLine) {
    IniFile ini("[A]\r\nk=1\r\nlast=2");
    ini.Write("A", "n", "3");
    ini.Write("B", "m", "4");
    EXPECT_EQ(ini.Bytes(), "[A]\r\nk=1\r\nlast=2\r\nn=3\r\n[B]\r\nm=4\r\n");
}

TEST(IniWrite, LineBreaksInsideAValueCannotStartNewEntries) {
    IniFile ini;
    ini.Write("A", "k", "one\r\n[Evil]\nx=1");
    EXPECT_FALSE(ini.HasSection("Evil"));
    EXPECT_EQ(ini.Read("A", "k"), "one  [Evil] x=1");
}

TEST(IniBadInput, GarbageSurvivesByteForByteAndWritesOnlyAdd) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(4096, '\0');
        for (char& c : bytes) c = static_cast<char>(rng() & 0xFF);
        IniFile ini(bytes);
        EXPECT_EQ(ini.Bytes(), bytes);
        ini.Write("Labels", "File Start", "%");
        ini.ReadInteger("Baud", "9600", 0);
        std::string out = ini.Bytes();
        // Only a line end may be added to the last line before the new section.
        ASSERT_GE(out.size(), bytes.size());
        EXPECT_EQ(out.substr(0, bytes.size()), bytes);
        EXPECT_EQ(IniFile(out).Read("Labels", "File Start"), "%");
    }
}

TEST(IniBadInput, LinesWithoutEqualsAndHugeValues) {
    std::string huge(1 << 20, 'x');
    std::string text = "[A]\nno equals here\n[not a header\nbig=" + huge + "\n=novalue\n";
    IniFile ini(text);
    EXPECT_EQ(ini.Read("A", "big")->size(), huge.size());
    EXPECT_FALSE(ini.Read("A", "no equals here"));
    EXPECT_FALSE(ini.Read("A", ""));
    ini.Write("A", "new", "1");
    EXPECT_EQ(ini.Bytes(), text + "new=1\n");
}

TEST(IniFileIo, MissingFileIsEmptyAndSaveRoundTrips) {
    test::TempFolder dir;
    IniFile ini;
    EXPECT_TRUE(ini.Load(dir.file("none.ini")).ok);
    EXPECT_EQ(ini.Bytes(), "");
    ini.Write("S", "k", "v");
    ASSERT_TRUE(ini.Save(dir.file("x.ini")).ok);
    EXPECT_EQ(dir.read("x.ini"), "[S]\nk=v\n");
    IniFile again;
    EXPECT_TRUE(again.Load(dir.file("x.ini")).ok);
    EXPECT_EQ(again.Read("s", "K"), "v");
}

TEST(IniNumbers, ParseIntegerAndLeadingInteger) {
    EXPECT_EQ(ParseInteger(" 42 "), 42);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_FALSE(ParseInteger("4 2"));
    EXPECT_FALSE(ParseInteger("-"));
    EXPECT_FALSE(ParseInteger("1.0"));
    EXPECT_EQ(LeadingInteger("12abc"), 12);
    EXPECT_EQ(LeadingInteger("abc"), 0);
    EXPECT_EQ(LeadingInteger("-90"), -90);
    EXPECT_EQ(LeadingInteger("  270deg"), 270);
    EXPECT_EQ(LeadingInteger("99999999999999999999"), 2147483647);
}
