#include "settings/setup_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "base/folders.h"
#include "settings/ini_file.h"
#include "../support/temp_folder.h"

using namespace tolva;

namespace {

// The file dialogs answer from the test.
class ScriptedForm3 : public TForm3 {
public:
    using TForm3::TForm3;
    std::string loadAnswer, saveAnswer;

protected:
    std::string AskLoadIniPath() override { return loadAnswer; }
    std::string AskSaveIniPath() override { return saveAnswer; }
};

class SetupWindow : public ::testing::Test {
protected:
    test::TempFolder dir;
    MachineSettings settings{dir.path()};
    ScriptedForm3 form{settings};

    template <class W>
    W* control(const char* name) {
        W* w = form.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

}  // namespace

TEST_F(SetupWindow, EveryControlComesFromTheTable) {
    EXPECT_EQ(form.windowTitle(), "Setup of INI files");
    for (const auto& s : SettingsTable()) {
        QString name = QString::fromLatin1(s.name.data(), s.name.size());
        QWidget* w = form.findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << s.name;
        if (s.kind == SettingKind::Font) continue;
        EXPECT_EQ(w->toolTip().toStdString(), std::string(s.hint)) << s.name;
        // Each sits in the group the table names (the output timeout beside the flow choices).
        QWidget* box = w->parentWidget();
        while (box && !qobject_cast<QGroupBox*>(box)) box = box->parentWidget();
        ASSERT_NE(box, nullptr) << s.name;
        EXPECT_EQ(static_cast<QGroupBox*>(box)->title().toStdString(), std::string(s.group)) << s.name;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_EQ(b->text().toStdString(), std::string(s.caption));
        }
        if (auto* sp = qobject_cast<QSpinBox*>(w)) {
            EXPECT_EQ(sp->minimum(), s.min);
            EXPECT_EQ(sp->maximum(), s.max);
            EXPECT_EQ(form.findChild<QLabel*>(name + "_label")->text().toStdString(), std::string(s.caption));
        }
    }
    auto* grid = control<QTableWidget>("StringGrid1");
    EXPECT_EQ(grid->rowCount(), 99);
    EXPECT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->item(29, 2)->text(), "30");
    QStringList menus;
    for (QAction* a : form.menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&Files", "Help"}));
    QStringList items;
    for (QAction* a : form.menuBar()->actions()[0]->menu()->actions()) items << a->text();
    EXPECT_EQ(items, (QStringList{"Save ini", "Load ini", "Font", "Print Form"}));
}

TEST_F(SetupWindow, ClicksRunTheInterlocksAndEveryWidgetFollows) {
    auto* bridgeport = control<QCheckBox>("Bridgeport");
    auto* r = control<QCheckBox>("RCheckbox");
    bridgeport->click();
    EXPECT_TRUE(settings.Flag("Bridgeport"));
    r->click();
    EXPECT_TRUE(r->isChecked());
    EXPECT_FALSE(bridgeport->isChecked());
    EXPECT_TRUE(control<QCheckBox>("IJFOURQUAD")->isChecked());

    control<QCheckBox>("SwapXY")->click();
    EXPECT_EQ(control<QCheckBox>("XmultCheckBox")->text(), "Y * -1   Y scale");
    EXPECT_EQ(control<QLabel>("XViewangle_label")->text(), "Y Angle");
    control<QCheckBox>("SwapYZ")->click();
    EXPECT_FALSE(control<QCheckBox>("SwapXY")->isChecked());
    EXPECT_EQ(control<QLabel>("ZoffsetEdit_label")->text(), "Y Offset +/-");
    EXPECT_EQ(control<QLabel>("XViewangle_label")->text(), "X Angle");
}

TEST_F(SetupWindow, RadioButtonsFollowTheCore) {
    auto* b300 = control<QRadioButton>("RadioButton1");
    auto* b9600 = control<QRadioButton>("RadioButton6");
    b300->click();
    b9600->click();
    EXPECT_FALSE(b300->isChecked());
    EXPECT_TRUE(settings.Flag("RadioButton6"));
    b9600->click();  // a click on the button that is on keeps it on
    EXPECT_TRUE(b9600->isChecked());
    EXPECT_TRUE(settings.Flag("RadioButton6"));
    settings.SetFlag("RadioButton6", false);
    EXPECT_FALSE(b9600->isChecked());
}

TEST_F(SetupWindow, EditsSpinsAndCellsGoBothWays) {
    auto* layer = control<QLineEdit>("EditLayer");
    layer->clear();
    QTest::keyClicks(layer, "PART");
    EXPECT_EQ(settings.Text("EditLayer"), "PART");
    settings.SetText("EditLayer", "FROMCORE");
    EXPECT_EQ(layer->text(), "FROMCORE");

    auto* dp = control<QLineEdit>("DpEdit");
    dp->clear();
    QTest::keyClicks(dp, "35");
    EXPECT_EQ(settings.Text("DpEdit"), "3");  // one character may be typed
    settings.SetText("DpEdit", "10");         // a loaded text is kept whole
    EXPECT_EQ(dp->text(), "10");

    auto* buffer = control<QSpinBox>("BufferSpinEdit1");
    buffer->setValue(40);
    EXPECT_EQ(settings.Int("BufferSpinEdit1"), 40);
    settings.SetInt("BufferSpinEdit1", 100000);
    EXPECT_EQ(buffer->value(), 999);

    auto* grid = control<QTableWidget>("StringGrid1");
    grid->item(2, 1)->setText("G02");
    EXPECT_EQ(settings.Labels().Cell(1, 2), "G02");
    settings.SetCell(0, 29, "G01");
    EXPECT_EQ(grid->item(29, 0)->text(), "G01");
}

TEST_F(SetupWindow, TranslateTableIsAquaUntilTheNextClick) {
    auto* grid = control<QTableWidget>("StringGrid1");
    form.ShowTranslateTableAqua();
    EXPECT_TRUE(form.GridIsAqua());
    EXPECT_EQ(grid->palette().color(QPalette::Base), QColor(0, 255, 255));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(form.GridIsAqua());
    EXPECT_EQ(grid->palette().color(QPalette::Base), QColor(Qt::white));
}

TEST_F(SetupWindow, StartUpLoadAndSaveThroughTheMenus) {
    dir.write("tolva.ini", "[Dxf]\nLayer=MILL\nSwapXY=1\n[Labels]\nArc Cw=G02\n[Font]\nName=Courier\nSize=12\n");
    dir.write("other.ini", "[Dxf]\nLayer=OTHER\n");
    int flats = 0;
    form.StartUp([&] { ++flats; });
    EXPECT_EQ(flats, 2);
    EXPECT_EQ(form.windowTitle(), "Setup       Using Tolva.ini");
    EXPECT_EQ(control<QLineEdit>("EditLayer")->text(), "MILL");
    EXPECT_EQ(control<QCheckBox>("XsignCheckBox")->text(), "Y * -1");
    EXPECT_EQ(control<QTableWidget>("StringGrid1")->item(2, 1)->text(), "G02");
    EXPECT_EQ(control<QLabel>("Label_font")->text(), "Courier");

    form.loadAnswer = "";  // cancelled: the recall file is written all the same
    form.LoadIniClick();
    EXPECT_TRUE(FileExists(dir.file("LastIni.ini")));
    EXPECT_EQ(settings.Text("EditLayer"), "MILL");

    form.loadAnswer = dir.file("other.ini");
    form.LoadIniClick();
    EXPECT_EQ(control<QLineEdit>("EditLayer")->text(), "OTHER");
    EXPECT_EQ(form.windowTitle(), "Setup       Using other.ini");

    form.saveAnswer = dir.file("saved.ini");
    form.SaveIniClick();
    EXPECT_EQ(IniFile(dir.read("saved.ini")).Read("Dxf", "Layer"), "OTHER");
    EXPECT_EQ(form.windowTitle(), "Setup       Using saved.ini");
}

TEST_F(SetupWindow, DefaultSizeShowsEverySettingWithoutScrolling) {
    form.resize(form.DefaultSize());
    form.show();
    QApplication::processEvents();
    auto* scroll = qobject_cast<QScrollArea*>(form.centralWidget());
    ASSERT_NE(scroll, nullptr);
    QWidget* view = scroll->viewport();
    for (const SettingSpec& s : SettingsTable()) {
        QWidget* w = form.Control(std::string(s.name));
        if (!w || s.hidden) continue;
        const QRect where(w->mapTo(view, QPoint(0, 0)), w->size());
        EXPECT_TRUE(view->rect().contains(where)) << s.name << " at " << where.x() << "," << where.y();
    }
    form.hide();
}

TEST_F(SetupWindow, Screenshot) {
    const char* out = std::getenv("TOLVA_SCREENSHOT");
    if (!out) GTEST_SKIP() << "set TOLVA_SCREENSHOT to a PNG path";
    std::string shipped;
    ReadFileBytes(std::string(TOLVA_TEST_DATA) + "/../../data/tolva.ini", shipped);
    dir.write("tolva.ini", shipped);
    form.StartUp();
    form.resize(1600, 1000);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.grab().save(out));
}
