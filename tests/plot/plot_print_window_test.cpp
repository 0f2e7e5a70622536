// Plot printing into PDF files, read back with poppler's pdftotext and
// rendered with pdftoppm (poppler-utils).
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "interpreter_rig.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"

namespace {

std::string run(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
    return out;
}

struct PlotPrint : ::testing::Test {
    std::string dir;
    std::unique_ptr<tolva::MachineSettings> settings;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    tolva::RecordingHost* host = nullptr;

    void SetUp() override {
        char buf[] = "/tmp/tolva-plotprint-XXXXXX";
        dir = ::mkdtemp(buf);
        settings = std::make_unique<tolva::MachineSettings>(dir);
        tolva::test::MillLabels(*settings);
        form1 = std::make_unique<TForm1>(*settings, QStringList{});
        auto h = std::make_unique<tolva::RecordingHost>(false);
        host = h.get();
        form1->SetHost(std::move(h));
        form1->setWindowTitle("bracket.nc");
        form2 = std::make_unique<TForm2>(*settings);
        tolva::App() = tolva::AppState{};
        form1->RichEdit1->LoadBytes("G00 X0 Y0\nM03\nG01 X50 Y0\nG01 X50 Y80\nM05\nG00 X0 Y0\n");
        form2->Redraw();
    }
    void TearDown() override {
        form2.reset();
        form1.reset();
        if (!std::getenv("TOLVA_PRINT_KEEP")) std::filesystem::remove_all(dir);
    }
    std::string printTo(const std::string& name, QPageLayout::Orientation o) {
        QPrinter& p = form1->Printer();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setPageSize(QPageSize(QPageSize::A4));
        p.setPageOrientation(o);
        p.setFullPage(true);
        const std::string path = dir + "/" + name;
        p.setOutputFileName(QString::fromStdString(path));
        return path;
    }
    // The page's text, blanks between words shown as one.
    static std::string text(const std::string& pdf) {
        std::string t = run("pdftotext -raw '" + pdf + "' -");
        return QString::fromStdString(t).replace(QRegularExpression("[ \t]+"), " ").toStdString();
    }
};

TEST_F(PlotPrint, PrintsTheInformationLinesAndOnlyTheNotesFilledIn) {
    form2->PageNotes1Click();
    EXPECT_TRUE(form2->Edit1->isVisibleTo(form2.get()));
    form2->Edit1->setText("0.25 Steel");
    form2->Edit3->setText("PN-7");
    const std::string pdf = printTo("plot.pdf", QPageLayout::Portrait);
    form1->PrintPlotClick();
    const std::string t = text(pdf);
    // In the order printed, top to bottom.
    const char* lines[] = {"File : bracket.nc",
                           "Cut 224.340 Rapid 0.000 Total Distance 224.340",
                           "Time 224.340 + 0.000 = 224.340",
                           "Rectangle Area Area 4000 Horizontal Max 80.0 Vertical Max 50.0",
                           "Matl Thk 0.25 Steel",
                           "Part # PN-7"};
    std::size_t at = 0;
    for (const char* l : lines) {
        const std::size_t found = t.find(l, at);
        EXPECT_NE(found, std::string::npos) << l << "\nin:\n" << t;
        if (found != std::string::npos) at = found;
    }
    EXPECT_EQ(t.find("Note:"), std::string::npos) << t;
    EXPECT_NE(t.find("Date : "), std::string::npos);
    EXPECT_TRUE(host->messages.empty());
}

TEST_F(PlotPrint, TheSquarePlotFitsPortraitPagesAndStandsRightOnLandscapeOnes) {
    // The columns of the drawn lines on the page rendered at 100 dpi, below
    // the information lines (which end 3 inches down).
    auto drawnColumns = [](const std::string& pdf, int& minX, int& maxX, int& width, int& height) {
        const std::string png = pdf + ".png";
        run("pdftoppm -r 100 -png -singlefile '" + pdf + "' '" + pdf + "'");
        QImage im(QString::fromStdString(png));
        width = im.width();
        height = im.height();
        minX = width, maxX = -1;
        for (int y = 300; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x) {
                const QColor c = im.pixelColor(x, y);
                if (std::min({c.red(), c.green(), c.blue()}) < 200) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                }
            }
    };
    const int side = form2->Canvas().Image().width();
    int minX, maxX, w, h;
    const std::string portrait = printTo("portrait.pdf", QPageLayout::Portrait);
    ASSERT_TRUE(form2->PrintPlot(form1->Printer()));
    drawnColumns(portrait, minX, maxX, w, h);
    ASSERT_GT(w, 0) << "pdftoppm (poppler-utils) rendered nothing";
    ASSERT_LT(w, h);
    // The plot's Y run from canvas column 100 to 180, scaled by width / side.
    EXPECT_NEAR(minX, 100.0 * w / side, 3.0);
    EXPECT_NEAR(maxX, 180.0 * w / side, 3.0);

    const std::string landscape = printTo("landscape.pdf", QPageLayout::Landscape);
    ASSERT_TRUE(form2->PrintPlot(form1->Printer()));
    drawnColumns(landscape, minX, maxX, w, h);
    ASSERT_GT(w, h);
    EXPECT_NEAR(minX, (w - h) + 100.0 * h / side, 3.0);
    EXPECT_NEAR(maxX, (w - h) + 180.0 * h / side, 3.0);
}

TEST_F(PlotPrint, APrinterThatCannotOpenIsReportedAndPrintWindowPrintsThePlotWindow) {
    QPrinter& p = form1->Printer();
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QString::fromStdString(dir + "/no/such/folder/plot.pdf"));
    form1->PrintPlotClick();
    ASSERT_EQ(host->messages.size(), 1u);
    EXPECT_EQ(host->messages[0], "The printer could not be opened.");

    form2->setWindowTitle("Plot window to print");
    const std::string pdf = printTo("window.pdf", QPageLayout::Portrait);
    form1->PrintWindowClick();
    EXPECT_EQ(host->messages.size(), 1u);
    EXPECT_TRUE(std::filesystem::file_size(pdf) > 1000);
}

}  // namespace
