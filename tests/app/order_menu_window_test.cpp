// The main window's sort, move-start and swap items: wired to their keys,
// one undoable edit each, the block grown and highlighted after a move.
#include "app/order_menu_qt.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "edit_ops_fixture.h"

namespace {

struct OrderMenu : EditorFixture {
    void SetUp() override {
        EditorFixture::SetUp();
        settings->SetCell(1, 1, "G01");
        settings->SetCell(1, 8, "M03");
        settings->SetCell(1, 9, "M05");
    }
    QAction* item(const char* caption) { return form1->ActionByText(caption); }
    void select(int pos, int length) {
        editor().SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(pos),
                               static_cast<long>(pos + length));
        form1->ShowLineNum2(&editor(), form1.get());
    }
};

TEST_F(OrderMenu, SortsAreOneUndoableEditOnTheirKeys) {
    const std::string program =
        "G90\nG00 X0 Y0\nM03\nG01 X5 Y0\nG01 X0 Y0\nM05\nG00 X9 Y0\nM03\nG01 X10 Y0\nG01 X9 Y0\nM05\nM30\n";
    editor().LoadBytes(program);
    ASSERT_EQ(item("Sort Objects Acending")->shortcut(), QKeySequence("Ctrl+Shift+A"));
    EXPECT_EQ(item("Sort Objects Decending")->shortcut(), QKeySequence("Ctrl+D"));
    EXPECT_EQ(item("Largest Object to bottom Only")->shortcut(), QKeySequence("Ctrl+B"));
    EXPECT_EQ(item("Sort Objects Acending")->statusTip(), "Smallest closed paths move to the top");
    item("Sort Objects Acending")->trigger();
    EXPECT_EQ(editor().Bytes(),
              "G90\nG00 X9 Y0\nM03\nG01 X10 Y0\nG01 X9 Y0\nM05\nG00 X0 Y0\nM03\nG01 X5 Y0\nG01 X0 Y0\nM05\nM30\n");
    editor().undo();
    EXPECT_EQ(editor().Bytes(), program);
    item("Largest Object to bottom Only")->trigger();
    EXPECT_EQ(editor().Lines()[1], "G00 X9 Y0");
    EXPECT_TRUE(host->messages.empty());
}

TEST_F(OrderMenu, MoveStartGrowsAndHighlightsTheBlock) {
    editor().LoadBytes("G90\nG00 X0 Y0\nG01 X1 Y0 F20\nX1 Y1\nX0 Y0\nM30\n");
    select(4, 36);  // lines 1 to 4
    ASSERT_EQ(tolva::App().SelLineCount, 4);
    item("Move starting point Forward on highlighted code")->trigger();
    EXPECT_EQ(editor().Bytes(), "G90\nG01 X1 Y0 F20\nX1 Y1\nX0 Y0\nG00 X0 Y0\nG01 X1 Y0 F20\nM30\n");
    EXPECT_EQ(tolva::App().SelStartLine, 0);
    EXPECT_EQ(tolva::App().SelLineCount, 5);
    editor().undo();
    EXPECT_EQ(editor().Bytes(), "G90\nG00 X0 Y0\nG01 X1 Y0 F20\nX1 Y1\nX0 Y0\nM30\n");
}

TEST_F(OrderMenu, SwapBeepsWithoutHighlightAndReversesTheBlock) {
    editor().LoadBytes("G90\nG01 X1 Y0\nG01 X2 Y0\nG01 X3 Y0\nM30\n");
    QAction* swap = item("&Swap");
    EXPECT_EQ(swap->shortcut(), QKeySequence("Ctrl+Alt+S"));
    editor().SetCaret(6);
    form1->ShowLineNum2(&editor(), form1.get());
    swap->trigger();
    EXPECT_EQ(host->beeps, 1);
    EXPECT_FALSE(editor().IsModified());
    select(4, 30);  // lines 1 to 3
    // The pop-up item does what the menu item does.
    for (QAction* a : form1->PopupMenu()->actions())
        if (a->text() == "Swap") a->trigger();
    EXPECT_EQ(editor().Lines()[1], "G01 X3 Y0 ");
    EXPECT_EQ(editor().Lines()[2], "G01 X2 Y0 ");
    EXPECT_EQ(editor().Lines()[3], "G01 X1 Y0 ");
    EXPECT_EQ(editor().Lines()[4], "M30");
    editor().undo();
    EXPECT_EQ(editor().Bytes(), "G90\nG01 X1 Y0\nG01 X2 Y0\nG01 X3 Y0\nM30\n");
}

}  // namespace
