// The table of operations the batch run reads is the menus' own: every
// operation of the main window's menus is a menu item of exactly that
// caption, and the plot window's buttons reach the program through it.
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/program_operations.h"
#include "edit_ops_fixture.h"
#include "plot/plot_window.h"

namespace {

using Operations = EditorFixture;

TEST_F(Operations, EveryMenuOperationOfTheTableIsAMenuItemOfThatCaption) {
    int menuItems = 0;
    for (const tolva::ProgramOperation& op : tolva::ProgramOperations()) {
        // The plot window's buttons and the tool windows' operations have
        // no main-menu item of their own ("Offset" and "Array" open windows).
        if (op.modifier || op.caption == "Offset" || op.caption == "Array" || op.caption == "Find and Insert") continue;
        const QString caption = QString::fromLatin1(op.caption.data(), static_cast<int>(op.caption.size()));
        QAction* item = form1->ActionByText(caption);
        ASSERT_NE(item, nullptr) << caption.toStdString();
        EXPECT_TRUE(item->isEnabled()) << caption.toStdString();
        ++menuItems;
    }
    EXPECT_EQ(menuItems, 20);
}

TEST_F(Operations, ThePlotWindowsButtonsRunTheTablesModifiers) {
    TForm2 form2(*settings);
    editor().LoadBytes("G00 X1 Y2\nG01 X3 Y4\n");
    form2.SlideEdit1->setText("2.5");
    form2.SpeedButton6->click();  // slide right
    EXPECT_EQ(editor().Bytes(), "G00 X1.0000 Y4.5000\nG01 X3.0000 Y6.5000\n");
    form2.X_Edit1->setText("2");
    form2.SpeedButton12->click();  // size
    EXPECT_EQ(editor().Bytes(), "G00 X2.0000 Y9.0000\nG01 X6.0000 Y13.0000\n");
}

}  // namespace
