#include "app/find_window.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "settings/machine_settings.h"
#include "edit_ops_fixture.h"

namespace {

struct FindWindow : EditorFixture {
    std::string selected() {
        return editor().Bytes().substr(static_cast<std::size_t>(editor().SelStart()),
                                       static_cast<std::size_t>(editor().SelLength()));
    }
};

}  // namespace

TEST_F(FindWindow, FindSelectsTheNextMatchAndSaysWhenThereIsNone) {
    editor().LoadBytes("G01 X10 Y2\r\nX1 Y3\r\n");
    FindDialog& d = FindDialogOf(*form1);
    d.FindEdit->setText("X1");
    d.WholeWord->setChecked(true);
    EXPECT_TRUE(d.FindNext());
    EXPECT_EQ(editor().SelStart(), 12);  // CR LF counts two
    EXPECT_EQ(selected(), "X1");
    EXPECT_FALSE(d.FindNext());
    ASSERT_EQ(host->messages.size(), 1u);
    EXPECT_EQ(host->messages[0], "Cannot find \"X1\".");
    EXPECT_FALSE(editor().IsModified());  // finding leaves the document alone
    // Up from the end, without whole word: the X1 of X10 comes second.
    d.UpButton->setChecked(true);
    d.WholeWord->setChecked(false);
    editor().SetCaret(static_cast<int>(editor().Bytes().size()));
    EXPECT_TRUE(d.FindNext());
    EXPECT_EQ(editor().SelStart(), 12);
    EXPECT_TRUE(d.FindNext());
    EXPECT_EQ(editor().SelStart(), 4);
}

TEST_F(FindWindow, FindNextWithoutATextOpensTheDialog) {
    editor().LoadBytes("G00\n");
    FindNextClick(*form1);
    EXPECT_TRUE(FindDialogOf(*form1).isVisible());
    EXPECT_TRUE(host->messages.empty());
}

TEST_F(FindWindow, ReplaceReplacesTheSelectedMatchThenSelectsTheNext) {
    editor().LoadBytes("G00 X1\nG00 X2\n");
    FindDialog& d = ReplaceDialogOf(*form1);
    d.FindEdit->setText("G00");
    d.ReplaceEdit->setText("G0");
    d.Replace(false);  // nothing selected: selects the first
    EXPECT_EQ(selected(), "G00");
    EXPECT_EQ(editor().SelStart(), 0);
    d.Replace(false);
    EXPECT_EQ(editor().Bytes(), "G0 X1\nG00 X2\n");
    EXPECT_EQ(editor().SelStart(), 6);
    d.Replace(false);
    EXPECT_EQ(editor().Bytes(), "G0 X1\nG0 X2\n");
    ASSERT_EQ(host->messages.size(), 1u);
    EXPECT_EQ(host->messages[0], "Cannot find \"G00\".");
}

TEST_F(FindWindow, ReplaceAllIsOneUndoableEditFromTheCaret) {
    editor().LoadBytes("G00 X1\nG00 X2\nG00 X3\n");
    editor().SetCaret(7);
    FindDialog& d = ReplaceDialogOf(*form1);
    d.FindEdit->setText("G00");
    d.ReplaceEdit->setText("G0");
    d.Replace(true);
    EXPECT_EQ(editor().Bytes(), "G00 X1\nG0 X2\nG0 X3\n");
    EXPECT_EQ(editor().SelStart(), 15);
    EXPECT_TRUE(host->messages.empty());
    editor().undo();
    EXPECT_EQ(editor().Bytes(), "G00 X1\nG00 X2\nG00 X3\n");
}

TEST_F(FindWindow, HugeTextsAndHugeLinesNeitherCrashNorHang) {
    std::string line(10 * 1024 * 1024, 'A');
    line += "X1";
    editor().LoadBytes(line);
    FindDialog& d = FindDialogOf(*form1);
    d.FindEdit->setMaxLength(20000);
    d.FindEdit->setText(QString(10000, 'A'));
    EXPECT_TRUE(d.FindNext());
    EXPECT_EQ(editor().SelLength(), 10000);
    d.FindEdit->setText(QString(10000, 'B'));
    EXPECT_FALSE(d.FindNext());
    ASSERT_FALSE(host->messages.empty());
    EXPECT_LT(host->messages.back().size(), 120u);
    d.FindEdit->setText("X1");
    d.WholeWord->setChecked(true);
    // Back to the start without scrolling (SetCaret would lay the line out).
    editor().SendScintilla(QsciScintilla::SCI_SETSELECTIONSTART, 0UL);
    editor().SendScintilla(QsciScintilla::SCI_SETSELECTIONEND, 0UL);
    EXPECT_FALSE(d.FindNext());  // X1 is the end of one long word
}
