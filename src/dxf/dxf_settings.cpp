#include "dxf/dxf_settings.h"

#include "text/number_format.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "settings/machine_settings.h"

namespace tolva {
namespace {

double realOr(const MachineSettings& s, std::string_view name, double fallback) {
    double v;
    return ReadDxfReal(s.Text(name), v) ? v : fallback;
}

// An integer field: a real with its fraction dropped, `fallback` otherwise.
int integerOr(const MachineSettings& s, std::string_view name, int fallback, int lo, int hi) {
    double v;
    if (!ReadDxfReal(s.Text(name), v)) return fallback;
    const double t = std::trunc(v);
    if (t < lo) return lo;
    if (t > hi) return hi;
    return static_cast<int>(t);
}

}  // namespace

int DxfDecimalPlaces(const MachineSettings& s) { return integerOr(s, "DpEdit", 3, 0, 18); }

bool ReadDxfReal(std::string_view text, double& out) {
    double v = 0.0;
    // No drawing reaches past a 32-bit float's range; a value beyond it is
    // a damaged file, not a coordinate to write with 39 digits.
    if (!ReadPlainReal(text, v) || !(std::fabs(v) <= std::numeric_limits<float>::max())) return false;
    out = v;
    return true;
}

DxfImportSettings ReadDxfImportSettings(const MachineSettings& s) {
    DxfImportSettings d;
    d.leadIn = realOr(s, "LeadInEdit", 0.5);
    d.xScale = realOr(s, "Xscale", 1.0);
    d.yScale = realOr(s, "Yscale", 1.0);
    d.zScale = realOr(s, "Zscale", 1.0);
    if (s.Flag("XmultCheckBox")) d.xScale = -d.xScale;
    if (s.Flag("YmultCheckBox")) d.yScale = -d.yScale;
    if (s.Flag("ZmultCheckBox")) d.zScale = -d.zScale;
    d.zOffset = realOr(s, "ZoffsetEdit", 0.0);
    d.xDiameter = s.Flag("Xdiv2");
    d.decimals = DxfDecimalPlaces(s);
    d.layer = s.Text("EditLayer");
    d.machineUnits = s.Text("MachineUnits");
    d.fitTolerance = realOr(s, "ConnectEdit", 0.005);
    // More points than this only stall the import; a chord of an ellipse of
    // 100000 points is far below any machine's resolution.
    d.ellipsePoints = integerOr(s, "EllipseEdit", 360, 1, 100000);

    d.includeZ = s.Flag("IncludeZCheckBox");
    d.autosketch = s.Flag("Autosketch");
    d.ashlar = s.Flag("Ashlar");
    d.corel = s.Flag("Corel");
    d.designCad = s.Flag("DesignCad");
    d.rMode = s.Flag("RCheckbox");
    d.bridgeport = s.Flag("Bridgeport") && !d.rMode;
    d.ijFourQuad = s.Flag("IJFOURQUAD") || d.rMode;
    d.swapYZ = s.Flag("SwapYZ");
    d.swapXY = s.Flag("SwapXY");
    d.lineLeadIn = s.Flag("CircleCheckBox");
    d.arcLeadIn = s.Flag("ArcleadinCheckBox");
    d.lineInArcOut = s.Flag("LineArcleadinCheckBox");
    d.arcInLineOut = s.Flag("ArcinLineOutCheckBox");
    d.editLineOnly = s.Flag("EditOnlyCheckBox");

    LabelTable table = s.Labels();
    d.codes = MakeAxisCodes(table, d.swapXY, d.swapYZ);
    return d;
}

void ApplyRadiusInterlock(MachineSettings& s) {
    if (!s.Flag("RCheckbox")) return;
    s.SetFlag("Bridgeport", false);
    s.SetFlag("IJFOURQUAD", true);
}

}  // namespace tolva
