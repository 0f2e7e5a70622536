#include "plot/plot_print.h"

namespace tolva {

std::vector<PrintedLine> PlotPrintLines(const PlotPrintInfo& i) {
    std::vector<PrintedLine> out = {
        {100, "Date : " + i.Date + "    Time : " + i.Time + "    File : " + i.MainCaption},
        {200, i.PlotCaption},
        {300, i.CutTime + i.RapidTime + i.TotalTime},
        {400, "Rectangle Area " + i.Area + "   Horizontal " + i.Bigy + "   Vertical " + i.Bigx},
    };
    for (std::size_t k = 0; k < i.Notes.size(); ++k)
        if (!i.Notes[k].second.empty())
            out.push_back({500 + 100 * static_cast<int>(k), i.Notes[k].first + i.Notes[k].second});
    return out;
}

}  // namespace tolva
