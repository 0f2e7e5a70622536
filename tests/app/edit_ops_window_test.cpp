#include "app/edit_ops_window.h"

#include <QAction>
#include <QProgressBar>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "settings/machine_settings.h"
#include "edit_ops_fixture.h"

using EditOps = EditorFixture;

TEST_F(EditOps, CompressWritesBackOnceUndoablyAndPutsTheCaretBack) {
    editor().LoadBytes("G01 X1 Y2\r\nG01 X1 Y2\r\nX1 Y2\r\n\r\nG01 X1 Y3\r\n");
    editor().SetCaret(5);
    CompressClick(*form1, *settings, 0);
    EXPECT_EQ(editor().Bytes(), "G01 X1 Y2\r\nX1 Y2\r\nG01 X1 Y3\r\n");
    EXPECT_EQ(editor().SelStart(), 5);
    EXPECT_TRUE(form1->Gauge1->isHidden());
    EXPECT_TRUE(editor().IsModified());
    editor().undo();
    EXPECT_EQ(editor().Bytes(), "G01 X1 Y2\r\nG01 X1 Y2\r\nX1 Y2\r\n\r\nG01 X1 Y3\r\n");
}

TEST_F(EditOps, SuperCompressDropsRepeatedXWords) {
    editor().LoadBytes("G01 X1 Y2\nG01 X1 Y3\n");
    CompressClick(*form1, *settings, 1);
    EXPECT_EQ(editor().Lines(), (std::vector<std::string>{"G01 X1 Y2", "G01 Y3 "}));
}

TEST_F(EditOps, NothingToCompressLeavesTheDocumentUnmodified) {
    editor().LoadBytes("G01 X1\nG01 X2\n");
    CompressClick(*form1, *settings, 0);
    EXPECT_FALSE(editor().IsModified());
    EXPECT_TRUE(host->messages.empty());
}

TEST_F(EditOps, AnIncrementalProgramKeepsItsRepeatedMoves) {
    // In G91 a repeated line is a move again: nothing to compress, nothing refused.
    editor().LoadBytes("G91\nX1\nX1\n");
    CompressClick(*form1, *settings, 1);
    CompressClick(*form1, *settings, 0);
    EXPECT_TRUE(host->messages.empty());
    EXPECT_EQ(editor().Bytes(), "G91\nX1\nX1\n");
    EXPECT_FALSE(editor().isHidden());
}

TEST_F(EditOps, WordOrderKeepsCommentsWhole) {
    editor().LoadBytes("N10 G01 X1 (CUT PART)\n(JOB 2)\nM03 S1000 G00 X0\n\n(HELLO)\n");
    form1->ActionByText("Line Order N G M X Y Z I J K R")->trigger();
    EXPECT_EQ(editor().Lines(),
              (std::vector<std::string>{"N10 G01 X1 (CUT PART)", "(JOB 2)", "G00 M03 X0 S1000", "", "(HELLO)"}));
    form1->ActionByText("Line Order N G X Y Z I J K R M")->trigger();
    EXPECT_EQ(editor().Lines()[2], "G00 X0 M03 S1000");
}
