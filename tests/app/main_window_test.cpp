
#include <QApplication>
#include <QLineEdit>
#include <QPrintDialog>
#include <QTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QProgressBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "main_window_fixture.h"
#include "../support/run_process.h"
#include "app/start_up_qt.h"
#include "base/folders.h"
#include "base/qt_host_qt.h"
#include "settings/ini_file.h"
#include "settings/setup_window.h"

namespace {

// The file dialogs answer from the test.
class ScriptedForm1 : public TForm1 {
public:
    using TForm1::TForm1;
    QString openAnswer, saveAnswer;
    int opened = 0;

protected:
    QString AskOpenPath(const QString&) override {
        ++opened;
        return openAnswer;
    }
    QString AskSavePath(const QString&, const QString&) override { return saveAnswer; }
    QString AskSaveDxfPath(const QString&, const QString&) override { return dxfAnswer; }

public:
    QString dxfAnswer;
};

struct Fixture : tolva::test::MainWindowFixture<ScriptedForm1> {
    void SetUp() override {
        // The mill's letters, as a machine file would give them.
        const char* letters[][2] = {{"12", "N"}, {"13", "R"}, {"14", "I"}, {"15", "J"},
                                    {"16", "K"}, {"17", "X"}, {"18", "Y"}, {"19", "Z"}};
        for (auto& l : letters) settings->SetCell(1, std::stoi(l[0]), l[1]);
        Open();
        form2->Image1->setFixedWidth(800);
    }
    // Typing at the end of the program (an undoable edit, unlike append()).
    void type(const char* text) {
        editor().SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
        editor().SendScintilla(QsciScintilla::SCI_ADDTEXT, std::strlen(text), text);
    }
};

}  // namespace

TEST_F(Fixture, StartsWithItsControlsAndCaption) {
    EXPECT_EQ(form1->windowTitle(), "Tolva [V30.08 Untitled]");
    EXPECT_EQ(form1->Panel2->text(), "Pos [ ] Sel [ ]");
    EXPECT_EQ(form1->Label1->text(), "The present ini file");
    EXPECT_EQ(form1->Gauge1->maximum(), 1000);
    EXPECT_TRUE(form1->Gauge1->isHidden());
    EXPECT_EQ(form1->ToolPanel->height(), 57);
    for (const char* name : {"RichEdit1", "RichEdit2", "Memo4", "FileListBox1", "Panel2", "Gauge1", "Label1"})
        EXPECT_NE(form1->findChild<QWidget*>(name), nullptr) << name;
    EXPECT_TRUE(form1->RichEdit2->isHidden());
    EXPECT_EQ(form2->windowTitle(), "Plot ");
    EXPECT_EQ(form2->SpinEdit1->maximum(), 999999);
}

TEST_F(Fixture, MenuItemsCarryTheirShortcuts) {
    const std::pair<const char*, const char*> items[] = {
        {"&New", "Ctrl+N"},       {"&Open ...", "Ctrl+O"},    {"&Save", "Ctrl+S"},
        {"Save &As ...", "Ctrl+Shift+S"}, {"Save As DXF Circles, Arcs,Lines", "Ctrl+F3"},
        {"&Print Text", "Ctrl+P"}, {"Print &Window", "Ctrl+Shift+W"}, {"Print P&lot", "Ctrl+L"},
        {"Print S&etup", "Ctrl+E"}, {"&Undo", "Ctrl+Z"},      {"&Redo", "Ctrl+Shift+Z"},
        {"Select All", "Ctrl+A"},  {"&Delete", "Ctrl+Del"},
        {"&Swap", "Ctrl+Alt+S"},  {"Compress", "Ctrl+Alt+C"}, {"&Add Line Numbers", "Ctrl+Alt+N"},
        {"Sort Objects Acending", "Ctrl+Shift+A"}, {"Line Order N G M X Y Z I J K R", "Ctrl+Shift+O"},
        {"Line Order N G X Y Z I J K R M", "Ctrl+Alt+L"}, {"Translate Using table from setup window", "Ctrl+T"},
        {"Edit Translate table", "Ctrl+Alt+T"}, {"Edit current line as Decimal Ascii", "Ctrl+I"},
        {"&Find ...", "Ctrl+F"},  {"Find &Next", "F3"},        {"&Replace ...", "Ctrl+R"},
        {"Insert Lines", "Ctrl+Alt+I"}, {"&Comm ", "F6"},      {"Use Another Layer", "F12"},
        {"&Use another Machine INI File", "F11"}, {"Edit or Create a New &INI File", "F10"},
        {"Default Windows", "F9"}, {"&Help", "F1"},          {"E&xit", "Ctrl+Q"},
        {"Hints Off", ""},        {"Super Compress", ""},      {"Convert to Absolute     G90", ""}};
    for (const auto& [caption, keys] : items) {
        QAction* a = form1->ActionByText(caption);
        ASSERT_NE(a, nullptr) << caption;
        EXPECT_EQ(a->shortcut(), QKeySequence(keys)) << caption;
    }
    // The function keys and Ctrl+U of old still work beside the desktop's keys.
    const std::pair<const char*, const char*> second[] = {
        {"&Open ...", "F4"}, {"&Save", "F2"}, {"Save &As ...", "Ctrl+F2"}, {"&Undo", "Ctrl+U"}, {"&Redo", "Ctrl+Y"}};
    for (const auto& [caption, keys] : second)
        EXPECT_TRUE(form1->ActionByText(caption)->shortcuts().contains(QKeySequence(keys))) << caption;
    EXPECT_TRUE(form1->ActionByText("&Swap")->isEnabled());
    EXPECT_TRUE(form1->ActionByText("Compress")->isEnabled());
    EXPECT_TRUE(form1->ActionByText("Line Order N G M X Y Z I J K R")->isEnabled());
    QStringList popup;
    for (QAction* a : form1->PopupMenu()->actions()) popup << a->text();
    EXPECT_EQ(popup, QStringList({"Undo", "Cut", "Copy", "Paste", "Delete", "Swap", "Compress", "Add Line Numbers",
                                  "Remove Numbers", "Convert to  G91", "Convert to  G90", "Inch to Metric",
                                  "Metric to Inch"}));
}

TEST_F(Fixture, MenuShortcutsWinOverTheEditorsKeys) {
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form1.get()));
    editor().LoadBytes("G01 X1 N10 M3\n");
    editor().setFocus();
    QTest::keyClick(&editor(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(editor().Bytes(), "N10 G01 M3 X1 \n");
    QTest::keyClick(&editor(), Qt::Key_U, Qt::ControlModifier);  // the editor's undo
    EXPECT_EQ(editor().Bytes(), "G01 X1 N10 M3\n");
    // F2 saves: with no file name it would open the dialog, so give one.
    tolva::App().CurrentFileName = dir + "/f2.nc";
    QTest::keyClick(&editor(), Qt::Key_F2);
    EXPECT_EQ(read(dir + "/f2.nc"), "G01 X1 N10 M3\n");
}

TEST_F(Fixture, LoadSetsCaptionNameAndScale) {
    std::string p = file("part.nc", "G00 X2 Y-1\r\nG01 X4 Y1\r\n");
    ASSERT_TRUE(form1->Load_file(QString::fromStdString(p)));
    EXPECT_EQ(form1->windowTitle(), "part.nc");
    EXPECT_EQ(tolva::App().CurrentFileName, p);
    EXPECT_EQ(form1->OpenDialogFileName(), " ");
    EXPECT_EQ(form2->SpinEdit1->value(), form2->CanvasWidth() / 4 * 500 > 999999 ? 999999
                                                                                  : form2->CanvasWidth() / 4 * 500);
    EXPECT_EQ(editor().LineEndStyle(), tolva::LineEnd::CRLF);
    EXPECT_EQ(editor().LineCount(), 2);
    // Saved as loaded, byte for byte.
    tolva::App().CurrentFileName = dir + "/copy.nc";
    ASSERT_TRUE(form1->SaveTheFile());
    EXPECT_EQ(read(dir + "/copy.nc"), read(p));
    EXPECT_EQ(form2->windowTitle(), "Saved & Archive bit set");
    EXPECT_EQ(host->beeps, 1);
}

TEST_F(Fixture, EmptyFilesAndProgramsWithoutWords) {
    form1->Load_file(QString::fromStdString(file("empty.nc", "")));
    EXPECT_EQ(form1->windowTitle(), "Tolva - [Untitled]");
    EXPECT_EQ(form1->OpenDialogFileName(), "");
    form1->Load_file(QString::fromStdString(file("words.nc", "%\nM30\n")));
    EXPECT_EQ(form2->SpinEdit1->value(), 1000);
}

TEST_F(Fixture, BadFilesLeaveTheProgramAlone) {
    form1->Load_file(QString::fromStdString(file("good.nc", "G00 X1\nG01 X2\n")));
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    EXPECT_FALSE(form1->Load_file(QString::fromStdString(file("bin.nc", garbage))));
    EXPECT_FALSE(form1->Load_file(QString::fromStdString(dir + "/missing.nc")));
    EXPECT_FALSE(form1->Load_file(QString::fromStdString(file("drawing.DxF", "0\nEOF\n"))));
    // Drawings whose pairs break: a code that is no number, a code without
    // its value.
    const std::string entities = "0\nSECTION\n2\nENTITIES\n0\nLINE\n";
    EXPECT_FALSE(form1->Load_file(QString::fromStdString(file("code.dxf", entities + "8\n0\nten\n1.0\n"))));
    EXPECT_FALSE(form1->Load_file(QString::fromStdString(file("cut.dxf", entities + "8\n0\n10\n"))));
    EXPECT_EQ(editor().Bytes(), "G00 X1\nG01 X2\n");
    EXPECT_EQ(form1->windowTitle(), "good.nc");
    ASSERT_EQ(host->messages.size(), 5u);
    EXPECT_NE(host->messages[0].find("not a text program"), std::string::npos);
    EXPECT_NE(host->messages[2].find("DXF"), std::string::npos);
    EXPECT_NE(host->messages[3].find("Line 9 of the DXF file"), std::string::npos) << host->messages[3];
    EXPECT_NE(host->messages[4].find("ends at line 9"), std::string::npos) << host->messages[4];
    EXPECT_TRUE(host->statuses.empty());

    // NUL bytes load and save as they are, with a word of warning.
    std::string withNul("G01 X1\n(\0\0)\n", 12);
    ASSERT_TRUE(form1->Load_file(QString::fromStdString(file("nul.nc", withNul))));
    EXPECT_EQ(editor().Bytes(), withNul);
    EXPECT_NE(host->messages.back().find("NUL"), std::string::npos);
}

TEST_F(Fixture, DrawingsTellInTheStatusBarWhatWasPassedOver) {
    settings->SetText("EditLayer", "*");
    const std::string d = "0\nSECTION\n2\nENTITIES\n0\nTEXT\n8\n0\n1\nLINE\n0\nPOINT\n8\n0\n10\n1\n20\n1\n"
                          "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDSEC\n0\nEOF\n";
    ASSERT_TRUE(form1->Load_file(QString::fromStdString(file("t.dxf", d))));
    ASSERT_EQ(host->statuses.size(), 1u);
    EXPECT_EQ(host->statuses[0].substr(0, 39), "Passed over on all layers: 1 POINT, 1 T");
    // The window's own host shows such a line in the status bar.
    QtHost shown(form1.get());
    shown.Status(host->statuses[0]);
    EXPECT_EQ(form1->statusBar()->currentMessage().toStdString(), host->statuses[0]);
}

TEST_F(Fixture, FailedSavesKeepTheOldFileAndTheModifiedFlag) {
    std::string target = file("ro.nc", "OLD\n");
    form1->Load_file(QString::fromStdString(file("new.nc", "G00 X1\nG01 X2\n")));
    type("G01 X3\n");
    ASSERT_TRUE(editor().IsModified());
    tolva::App().CurrentFileName = "/dev/full";
    EXPECT_FALSE(form1->SaveTheFile());
    EXPECT_TRUE(editor().IsModified());
    EXPECT_NE(host->messages.back().find("No space left"), std::string::npos);
    tolva::App().CurrentFileName = dir + "/no/such/folder/x.nc";
    EXPECT_FALSE(form1->SaveTheFile());
    EXPECT_TRUE(editor().IsModified());
    EXPECT_EQ(read(target), "OLD\n");
}

TEST_F(Fixture, NewThenSaveOffersToOverwriteTheLastFile) {
    std::string a = file("A.nc", "G00 X1\nG01 X2\n");
    form1->Load_file(QString::fromStdString(a));
    reply(true);
    form1->FileNewClick();
    EXPECT_EQ(form1->windowTitle(), "Tolva - [Untitled]");
    type("N1 G01 X9\n");
    form1->FileSaveClick();
    ASSERT_FALSE(host->questions.empty());
    EXPECT_EQ(host->questions.back(), "Overwrite " + a + " ");
    EXPECT_EQ(read(a), "N1 G01 X9\n");
}

TEST_F(Fixture, SaveQuestionOnlyForModifiedProgramsOfTwoLines) {
    type("G00 X1\n");
    form1->SaveoldFile();
    EXPECT_TRUE(host->questions.empty());
    type("G01 X2\n");
    form1->SaveoldFile();
    ASSERT_EQ(host->questions.size(), 1u);
    EXPECT_EQ(host->questions[0], "File has been modified. Save file?");
    form1->close();
    EXPECT_EQ(host->questions.size(), 2u);
}

TEST_F(Fixture, IndicatorFollowsTheCaret) {
    editor().LoadBytes("L1\nL2\nL3\nL4\nL5\nL6\n");
    editor().SetCaret(editor().PosOfLine(4));
    form1->ShowLineNum2(&editor(), form1.get());
    EXPECT_EQ(form1->Panel2->text(), "  Pos [5:1]   Sel : [0]   ");
    EXPECT_EQ(tolva::App().SelStartLine, 3);
    EXPECT_EQ(tolva::App().SelLineCount, 0);
    editor().setSelection(1, 1, 3, 1);  // from line 2, column 2 into line 4
    form1->ShowLineNum2(&editor(), form1.get());
    EXPECT_EQ(form1->Panel2->text(), "  Pos [2:2]   Sel : [3]   ");
    EXPECT_EQ(tolva::App().SelStartLine, 0);
}

TEST_F(Fixture, DroppingFilesLoadsOnlyTheFirst) {
    std::string first = file("first.nc", "G00 X1\n");
    std::string second = file("second.nc", "G00 X2\n");
    form1->FilesDropped(
        {QUrl::fromLocalFile(QString::fromStdString(first)), QUrl::fromLocalFile(QString::fromStdString(second))});
    EXPECT_EQ(editor().Bytes(), "G00 X1\n");
    EXPECT_EQ(form1->windowTitle(), "first.nc");
}

TEST_F(Fixture, ADropOnAModifiedProgramWhoseSaveFailsKeepsTheProgram) {
    type("G00 X5\nG01 X6\n");
    const std::string edited = editor().Bytes();
    reply(true);  // "Save file?" Yes
    tolva::App().CurrentFileName = "/dev/full";
    const std::string dropped = file("dropped.nc", "G00 X1\n");
    EXPECT_FALSE(form1->FilesDropped({QUrl::fromLocalFile(QString::fromStdString(dropped))}));
    ASSERT_FALSE(host->questions.empty());
    EXPECT_EQ(host->questions.front(), "File has been modified. Save file?");
    EXPECT_EQ(editor().Bytes(), edited);
    EXPECT_TRUE(editor().IsModified());
}

TEST_F(Fixture, PrintedListingCarriesPageHeaders) {
    std::string text;
    for (int i = 0; i < 120; ++i) text += "N" + std::to_string(i) + " G01 X" + std::to_string(i) + "\n";
    form1->Load_file(QString::fromStdString(file("list.nc", text)));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path("listing.pdf")));
    form1->PrintText(printer);
    const tolva::test::ProcessResult listing = tolva::test::RunProcess("pdftotext -layout '" + path("listing.pdf") + "' -");
    ASSERT_TRUE(listing.ok()) << "pdftotext (poppler-utils) cannot be run";
    const QString out = QString::fromStdString(listing.output);
    EXPECT_TRUE(out.contains("Page : 1"));
    EXPECT_TRUE(out.contains("File : " + QString::fromStdString(dir) + "/list.nc"));
    EXPECT_TRUE(out.contains("N0 G01 X0"));
    EXPECT_TRUE(out.contains("N119 G01 X119"));
    // A second page starts with a header whose number comes from its first line.
    EXPECT_GE(out.count("Page : "), 2);
}

TEST_F(Fixture, TranslateCommandsRewriteEveryLineAsOneEdit) {
    settings->SetCell(0, 29, "G01");
    settings->SetCell(1, 29, "G1");
    settings->SetCell(0, 49, "X");
    settings->SetCell(1, 49, "XX");
    editor().LoadBytes("G01 X1 G01\r\nN2 G01 Y2\r\n");
    form1->ActionByText("Translate Using table from setup window")->trigger();
    EXPECT_EQ(editor().Bytes(), "G1 XX1 G01\r\nN2 G1 Y2\r\n");
    form1->TranslateRows(29, 49);  // T1
    form1->TranslateRows(49, 69);  // T2: row 49 belongs to both
    EXPECT_EQ(editor().Bytes(), "G1 XXXX1 G1\r\nN2 G1 Y2\r\n");
    editor().undo();
    EXPECT_EQ(editor().Bytes(), "G1 XXX1 G1\r\nN2 G1 Y2\r\n");
}

TEST_F(Fixture, TranslateOnLoadWhenSet) {
    settings->SetCell(0, 30, "M6");
    settings->SetCell(1, 30, "M06");
    settings->SetFlag("TranslateLoad", true);
    form1->Load_file(QString::fromStdString(file("t.nc", "T1 M6\n")));
    EXPECT_EQ(editor().Bytes(), "T1 M06\n");
}

TEST_F(Fixture, ExitEndsTheApplicationAlsoWithThePlotWindowOpen) {
    form1->show();
    form2->show();
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(3);
    });
    guard.start(5000);
    form1->ExitClick();
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(timedOut);
    EXPECT_FALSE(form1->isVisible());
}

TEST_F(Fixture, ASaveThatIsCancelledOrFailsKeepsTheProgramAndTheWindow) {
    form1->show();
    type("G00 X1\nG01 X2\n");
    const std::string edited = editor().Bytes();
    reply(true);  // "Save file?" Yes, "Overwrite?" Yes

    // No file name yet: Save As, and the user cancels it.
    EXPECT_FALSE(form1->close());
    EXPECT_TRUE(form1->isVisible());
    form1->FileNewClick();
    EXPECT_EQ(editor().Bytes(), edited);

    // The save itself fails.
    tolva::App().CurrentFileName = "/dev/full";
    EXPECT_FALSE(form1->close());
    form1->FileNewClick();
    form1->openAnswer = QString::fromStdString(file("other.nc", "G00 X9\nG01 X8\n"));
    form1->FileOpenClick();
    EXPECT_EQ(form1->opened, 0);  // the program stays: no file is asked for
    EXPECT_EQ(editor().Bytes(), edited);
    EXPECT_TRUE(editor().IsModified());

    // Declining the save is the user's choice: the program goes.
    reply(false);
    form1->FileOpenClick();
    EXPECT_EQ(editor().Bytes(), "G00 X9\nG01 X8\n");
    EXPECT_FALSE(editor().IsModified());
    form1->hide();
}

TEST_F(Fixture, ARefusedOrCancelledOpenKeepsTheModifiedFlag) {
    type("G00 X1\nG01 X2\n");
    reply(false);
    form1->openAnswer = QString::fromStdString(dir + "/missing.nc");
    form1->FileOpenClick();
    EXPECT_TRUE(editor().IsModified());
    form1->openAnswer.clear();
    form1->FileOpenClick();
    EXPECT_TRUE(editor().IsModified());
    // So the close still asks.
    const std::size_t asked = host->questions.size();
    form1->close();
    EXPECT_EQ(host->questions.size(), asked + 1);
}

TEST_F(Fixture, FileNamesOver255CharactersAreRefusedNeverCut) {
    // A 260-character name whose first 255 characters name another file.
    const std::string folder = dir + "/" + std::string(200, 'd');
    std::filesystem::create_directory(folder);
    std::string longName = folder + "/";
    longName += std::string(260 - longName.size() - 3, 'p') + ".nc";
    ASSERT_EQ(longName.size(), 260u);
    const std::string decoy = longName.substr(0, 255);
    std::ofstream(decoy) << "DECOY\n";
    std::ofstream(longName) << "G00 X1\nG01 X2\n";

    form1->Load_file(QString::fromStdString(file("mine.nc", "G00 X5\nG01 X6\n")));
    EXPECT_FALSE(form1->Load_file(QString::fromStdString(longName)));
    EXPECT_EQ(editor().Bytes(), "G00 X5\nG01 X6\n");
    ASSERT_FALSE(host->messages.empty());
    EXPECT_NE(host->messages.back().find("longer than 255 characters"), std::string::npos);

    form1->saveAnswer = QString::fromStdString(longName);
    EXPECT_FALSE(form1->FileSaveAsClick());
    EXPECT_EQ(read(decoy), "DECOY\n");
    EXPECT_EQ(read(longName), "G00 X1\nG01 X2\n");
    EXPECT_EQ(tolva::App().CurrentFileName, dir + "/mine.nc");
    EXPECT_NE(host->messages.back().find("longer than 255 characters"), std::string::npos);
}

// A Save As that fails (a folder that is not there) says why and leaves the
// program's name, the caption and the target of the next "&Save" as they were.
TEST_F(Fixture, AFailedSaveAsKeepsTheNameAndTheCaption) {
    const std::string mine = file("mine.nc", "G00 X5\nG01 X6\n");
    ASSERT_TRUE(form1->Load_file(QString::fromStdString(mine)));
    type("G01 X7\n");
    const QString caption = form1->windowTitle();
    form1->saveAnswer = QString::fromStdString(dir + "/gone/other.nc");
    EXPECT_FALSE(form1->FileSaveAsClick());
    ASSERT_FALSE(host->messages.empty());
    EXPECT_NE(host->messages.back().find("No such file or directory"), std::string::npos) << host->messages.back();
    EXPECT_EQ(tolva::App().CurrentFileName, mine);
    EXPECT_EQ(form1->windowTitle(), caption);
    EXPECT_TRUE(editor().IsModified());
    reply(true);  // "Overwrite ..."
    EXPECT_TRUE(form1->FileSaveClick());
    EXPECT_EQ(read(mine), editor().Bytes());
    EXPECT_FALSE(std::filesystem::exists(dir + "/gone"));
}

// A program opened from the command line is guarded by the close question
// like any other; only a conversion (source and target) closes unasked.
TEST_F(Fixture, TheCloseQuestionGuardsAProgramOpenedFromTheCommandLine) {
    const std::string source = file("cmd.nc", "G00 X1\nG01 X2\n");
    for (int count : {1, 2}) {
        QStringList args{QString::fromStdString(source)};
        if (count == 2) args << QString::fromStdString(dir + "/out.nc");
        ScriptedForm1 form(*settings, args);
        auto h = std::make_unique<tolva::RecordingHost>(false);
        tolva::RecordingHost* asked = h.get();
        form.SetHost(std::move(h));
        ASSERT_TRUE(form.CommandLineRun());
        form.RichEdit1->SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
        form.RichEdit1->SendScintilla(QsciScintilla::SCI_ADDTEXT, 7, "G01 X3\n");
        ASSERT_TRUE(form.RichEdit1->IsModified());
        form.close();
        EXPECT_EQ(asked->questions, count == 1 ? std::vector<std::string>{"File has been modified. Save file?"}
                                               : std::vector<std::string>{})
            << count << " argument(s)";
    }
}

// A DXF drawing written under a name other than .dxf would replace what may
// be a program: the user is asked first, and No leaves the file as it was.
TEST_F(Fixture, ADxfDrawingUnderAProgramNameIsAskedFirst) {
    const std::string program = "G00 X0 Y0\nG01 X5 Y5\nG01 X9 Y5\n";
    const std::string part = file("part.nc", program);
    ASSERT_TRUE(form1->Load_file(QString::fromStdString(part)));
    form1->dxfAnswer = QString::fromStdString(part);
    reply(false);
    EXPECT_FALSE(form1->SaveAsDxfClick(false));
    ASSERT_EQ(host->questions.size(), 1u);
    EXPECT_NE(host->questions[0].find(part), std::string::npos) << host->questions[0];
    EXPECT_EQ(read(part), program);
    reply(true);
    EXPECT_TRUE(form1->SaveAsDxfClick(false));
    EXPECT_NE(read(part).find("ENTITIES"), std::string::npos);
    // A .dxf name is written without a question.
    reply(false);
    form1->dxfAnswer = QString::fromStdString(dir + "/part.DXF");
    EXPECT_TRUE(form1->SaveAsDxfClick(false));
    EXPECT_TRUE(host->questions.empty());
    EXPECT_NE(read(dir + "/part.DXF").find("ENTITIES"), std::string::npos);
}

TEST_F(Fixture, PrintSetupChoosesThePrinterPrintTextUses) {
    form1->Load_file(QString::fromStdString(file("p.nc", "N1 G01 X1\nN2 G01 X2\n")));
    QPrinter* shown = nullptr;
    QTimer closer;  // answers the dialog once it is up
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QPrintDialog*>(w); d && d->isVisible()) {
                shown = d->printer();
                d->reject();
                closer.stop();
            }
    });
    closer.start(20);
    form1->ActionByText("Print S&etup")->trigger();
    ASSERT_EQ(shown, &form1->Printer());
    // What the set-up chose (here a PDF file) is where the text goes.
    const QString pdf = QString::fromStdString(dir + "/chosen.pdf");
    form1->Printer().setOutputFormat(QPrinter::PdfFormat);
    form1->Printer().setOutputFileName(pdf);
    form1->ActionByText("&Print Text")->trigger();
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST_F(Fixture, SuperCompressCarriesItsWarningHint) {
    QAction* a = form1->ActionByText("Super Compress");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->statusTip(), "Warning Some Tolva functions will not work on a super compressed files");
}

TEST_F(Fixture, LoadingAMachineFileKeepsThePlotWindowsSpeeds) {
    file("LastIni.ini", "[LineInsert]\nF2Edit1=5.5\nF2Edit2=20\n");
    file("other.ini", "[Plotting]\nangstep=15\n");
    LinkPlotWindowToSettings(*form2, *settings);
    settings->StartUp();
    ShowRecalledSpeeds(*form2, *settings);
    EXPECT_EQ(form2->CutSpeedEdit->text(), "5.5");
    EXPECT_EQ(form2->RapidSpeedEdit->text(), "20");

    form2->CutSpeedEdit->setText("7.25");
    ASSERT_TRUE(settings->UseMachineFile(dir + "/other.ini").ok);
    EXPECT_EQ(form2->CutSpeedEdit->text(), "7.25");
    EXPECT_EQ(form2->RapidSpeedEdit->text(), "20");
    EXPECT_EQ(form2->SlideEdit1->text(), "15.000");
    // The recall file written by that load keeps what the window shows.
    EXPECT_EQ(tolva::IniFile(read(dir + "/LastIni.ini")).Read("LineInsert", "F2Edit1"), "7.25");
}

// The three windows as the start-up places them, grabbed into the folder
// TOLVA_SHOTS (run under a real display to see the window frames' sizes).
TEST_F(Fixture, Screenshots) {
    const char* out = std::getenv("TOLVA_SHOTS");
    if (!out) GTEST_SKIP() << "set TOLVA_SHOTS to a folder";
    std::string shipped;
    tolva::ReadFileBytes(std::string(TOLVA_TEST_DATA) + "/../../data/tolva.ini", shipped);
    file("tolva.ini", shipped);
    TForm3 form3(*settings);
    LinkPlotWindowToSettings(*form2, *settings);
    form3.StartUp([this] { form2->FlatClick(); });
    ShowRecalledSpeeds(*form2, *settings);
    form2->Image1->setMinimumWidth(0);
    form2->Image1->setMaximumWidth(QWIDGETSIZE_MAX);
    form2->Image1->resize(form2->Canvas().Image().size());
    ASSERT_TRUE(form1->Load_file(QString::fromStdString(std::string(TOLVA_TEST_DATA) + "/../../data/examples/plate.dxf")));
    form1->show();
    form1->DefaultWindowsClick();
    form3.show();
    for (QWidget* w : std::initializer_list<QWidget*>{form1.get(), form2.get(), &form3})
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    form2->Redraw();
    QApplication::processEvents();
    const QString dirOut = QString::fromLocal8Bit(out);
    EXPECT_TRUE(form1->grab().save(dirOut + "/main_window.png"));
    EXPECT_TRUE(form2->grab().save(dirOut + "/plot_window.png"));
    EXPECT_TRUE(form3.grab().save(dirOut + "/setup_window.png"));
    // The whole screen as the user sees it (under a real or virtual display),
    // the main and plot windows side by side, the caret marking a line.
    form3.hide();
    form1->RichEdit1->SetCaret(form1->RichEdit1->PosOfLine(std::min(12, form1->RichEdit1->LineCount() - 1)));
    form1->MainCaretMoved();
    QApplication::processEvents();
    if (QScreen* screen = QGuiApplication::primaryScreen()) EXPECT_TRUE(screen->grabWindow(0).save(dirOut + "/screen.png"));
    std::printf("main %dx%d, plot %dx%d, setup %dx%d\n", form1->width(), form1->height(), form2->width(),
                form2->height(), form3.width(), form3.height());
    form3.hide();
    form1->hide();
    form2->hide();
}
