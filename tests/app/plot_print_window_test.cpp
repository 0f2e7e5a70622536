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
#include <filesystem>

#include "../plot/interpreter_rig.h"
#include "../support/run_process.h"
#include "main_window_fixture.h"

namespace {

struct PlotPrint : tolva::test::MainWindowFixture<> {
    void SetUp() override {
        tolva::test::MillLabels(*settings);
        Open();
        form1->setWindowTitle("bracket.nc");
        form1->RichEdit1->LoadBytes("G00 X0 Y0\nM03\nG01 X50 Y0\nG01 X50 Y80\nM05\nG00 X0 Y0\n");
        form2->Redraw();
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
        std::string t = tolva::test::RunProcess("pdftotext -raw '" + pdf + "' -").output;
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

TEST_F(PlotPrint, TheTextStandsBelowThePlotOnPortraitPagesAndBesideItOnLandscapeOnes) {
    // The page rendered at 100 dpi: the drawn path is coloured (red, blue),
    // the text black.
    struct Page {
        int w = 0, h = 0;
        QRect colour, text;
    };
    auto render = [](const std::string& pdf) {
        tolva::test::RunProcess("pdftoppm -r 100 -png -singlefile '" + pdf + "' '" + pdf + "'");
        QImage im(QString::fromStdString(pdf + ".png"));
        Page p;
        p.w = im.width();
        p.h = im.height();
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x) {
                const QColor c = im.pixelColor(x, y);
                const int hi = std::max({c.red(), c.green(), c.blue()}), lo = std::min({c.red(), c.green(), c.blue()});
                if (hi - lo > 60)
                    p.colour |= QRect(x, y, 1, 1);
                else if (hi < 110 && hi - lo < 30)
                    p.text |= QRect(x, y, 1, 1);
            }
        return p;
    };
    // A long note, to be wrapped where the text has little room.
    form2->Edit2->setText(QString("Deburr every edge after cutting, check the holes with a gauge ").repeated(2));
    const int side = form2->Canvas().Image().width();

    const std::string portrait = printTo("portrait.pdf", QPageLayout::Portrait);
    ASSERT_TRUE(form2->PrintPlot(form1->Printer()));
    Page p = render(portrait);
    ASSERT_GT(p.w, 0) << "pdftoppm (poppler-utils) rendered nothing";
    ASSERT_LT(p.w, p.h);
    ASSERT_FALSE(p.colour.isEmpty());
    ASSERT_FALSE(p.text.isEmpty());
    // The plot's Y runs from canvas column 100 to 180: the image's side s
    // follows from the drawn width (to about ten pixels: the canvas is ten
    // times the 80 columns), the image centred across the page.
    const double s = (p.colour.right() - p.colour.left()) * side / 80.0;
    EXPECT_LE(s, p.w + 12);
    EXPECT_GT(s, p.w * 0.8);
    EXPECT_NEAR(p.colour.left(), (p.w - s) / 2 + 100.0 * s / side, 3.0);
    // Every piece of text lies below the image.
    EXPECT_GE(p.text.top(), s - 12) << "text from row " << p.text.top() << ", image to row " << s;
    EXPECT_LT(p.text.bottom(), p.h);

    const std::string landscape = printTo("landscape.pdf", QPageLayout::Landscape);
    ASSERT_TRUE(form2->PrintPlot(form1->Printer()));
    p = render(landscape);
    ASSERT_GT(p.w, p.h);
    // As high as the page against the right edge; the text in the strip on
    // its left, long lines wrapped there instead of running into the plot.
    EXPECT_NEAR(p.colour.left(), (p.w - p.h) + 100.0 * p.h / side, 3.0);
    EXPECT_NEAR(p.colour.right(), (p.w - p.h) + 180.0 * p.h / side, 3.0);
    EXPECT_LE(p.text.right(), p.w - p.h);
    const std::string t = text(landscape);
    EXPECT_NE(t.find("Note: Deburr"), std::string::npos) << t;
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
