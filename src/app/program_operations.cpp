#include "app/program_operations.h"

#include <cctype>

#include "app/swap_block.h"
#include "dxf/path_assembly.h"
#include "plot/canvas.h"
#include "plot/interpreter.h"
#include "plot/modifiers.h"
#include "plot/object_sort.h"
#include "settings/label_table.h"
#include "settings/machine_settings.h"
#include "text/compress.h"
#include "text/gcode_words.h"
#include "text/label_code.h"
#include "text/line_edits.h"
#include "tools/array.h"
#include "tools/offset.h"

namespace tolva {

namespace {

using Lines = std::vector<std::string>;
using Values = std::vector<double>;

OperationResult changed(bool c) { return {c, false, {}}; }

// ------------------------------------------------------------ text edits

OperationResult compress(Lines& lines, OperationContext& ctx, int super) {
    const AxisCodes codes = ctx.settings.Setaxis();
    const CompressPlotLink link{ctx.plot.AbsMode, ctx.plot.CurLine};
    const CompressResult r = CompressProgram(super, lines, codes, ctx.host, &link);
    return {r.ok && r.changed, !r.ok, {}};
}

// A line that is the File Start code alone ("%") marks the tape's start and
// end: a control takes it only as it stands, so the line-number and
// line-end operations leave it so.
template <typename Edit>
bool besideFileStart(Lines& lines, OperationContext& ctx, Edit edit) {
    const std::string fileStart = ctx.settings.Setaxis().Code(LabelRow::FileStart);
    std::vector<std::pair<std::size_t, std::string>> kept;
    for (std::size_t k = 0; k < lines.size(); ++k)
        if (!fileStart.empty() && StripChar('B', ' ', lines[k]) == fileStart) kept.push_back({k, lines[k]});
    const bool c = edit();
    for (auto& [k, line] : kept)
        if (k < lines.size()) lines[k] = std::move(line);
    return c;
}

OperationResult addNumbers(Lines& lines, OperationContext& ctx, const Values&) {
    const AxisCodes codes = ctx.settings.Setaxis();
    return changed(besideFileStart(lines, ctx, [&] {
        return Renumber(lines, codes.letters.N, ctx.settings.Int("StartLine"), ctx.settings.Int("LineNum"));
    }));
}

OperationResult removeNumbers(Lines& lines, OperationContext& ctx, const Values&) {
    return changed(RemoveNumbers(lines, ctx.settings.Setaxis().letters.N));
}

OperationResult removeComments(Lines& lines, OperationContext& ctx, const Values&) {
    const AxisCodes codes = ctx.settings.Setaxis();
    return changed(RemoveComments(lines, codes.Code(LabelRow::CommentStart), codes.Code(LabelRow::CommentEnd)));
}

OperationResult pack(Lines& lines, OperationContext&, const Values&) { return changed(RemoveSpaces(lines)); }

OperationResult addEnds(Lines& lines, OperationContext& ctx, const Values&) {
    return changed(besideFileStart(lines, ctx, [&] { return AddLineEnds(lines, ctx.settings.Text("LineEnds")); }));
}

OperationResult removeEnds(Lines& lines, OperationContext& ctx, const Values&) {
    return changed(RemoveLineEnds(lines, ctx.settings.Text("LineEnds")));
}

OperationResult orderMFirst(Lines& lines, OperationContext& ctx, const Values&) {
    OrderAllLinesMFirst(lines, ctx.settings.Setaxis().letters);
    return changed(true);
}

OperationResult orderMLast(Lines& lines, OperationContext& ctx, const Values&) {
    OrderAllLinesMLast(lines, ctx.settings.Setaxis().letters);
    return changed(true);
}

OperationResult translate(Lines& lines, OperationContext& ctx, const Values&) {
    TranslateProgram(lines, ctx.settings, 29, 69);
    return changed(true);
}

OperationResult findAndInsert(Lines& lines, OperationContext& ctx, const Values&) {
    InsertTexts texts;
    const InsertTexts& from = ctx.insertTexts ? *ctx.insertTexts : ctx.settings.RecallData().edit;
    for (std::size_t k = 0; k < texts.size(); ++k) texts[k] = from[k].substr(0, kMaxLine);
    return changed(FindAndInsertRun(lines, texts, ctx.settings.Setaxis(), &ctx.host));
}

// ------------------------------------------------------------ modifiers

// The modifier settings of the moment; the plot's decimals follow them.
ModifierSettings modifierSettings(OperationContext& ctx) {
    ModifierSettings s = ReadModifierSettings(ctx.settings);
    s.selStartLine = ctx.selStartLine;
    s.selLineCount = ctx.selLineCount;
    s.appendCopies = ctx.appendCopies;
    ctx.plot.DecimalPlaces = s.decimals;
    return s;
}

OperationResult modifierResult(const ModifierResult& r) { return {!r.refused && r.changed, r.refused, {}}; }

OperationResult toIncremental(Lines& lines, OperationContext& ctx, const Values&) {
    const AxisCodes codes = ctx.settings.Setaxis();
    const ModifierSettings s = modifierSettings(ctx);
    return modifierResult(ConvertToIncremental(lines, codes, s, ctx.host));
}

OperationResult toAbsolute(Lines& lines, OperationContext& ctx, const Values&) {
    const AxisCodes codes = ctx.settings.Setaxis();
    const ModifierSettings s = modifierSettings(ctx);
    return modifierResult(ConvertToAbsolute(lines, codes, s, ctx.host));
}

// Inch to Metric and back: the size operation on the whole program,
// whatever is highlighted, by 25.4 or exactly its inverse (so that a program
// converted there and back has its numbers again), and the unit code
// exchanged so that a control runs the result in the new unit.
OperationResult units(Lines& lines, OperationContext& ctx, bool toMetric) {
    const AxisCodes codes = ctx.settings.Setaxis();
    ModifierSettings s = modifierSettings(ctx);
    s.selLineCount = 0;
    s.factor = toMetric ? kMillimetresPerInch : 1.0 / kMillimetresPerInch;
    const ModifierResult r = SLIDE2(Modifier::Size, lines, codes, s, ctx.host);
    if (r.refused) return {false, true, {}};
    const bool exchanged = ExchangeUnitCode(lines, ctx.settings.Text("UnitsInch"), ctx.settings.Text("UnitsMetric"), toMetric);
    return {r.changed || exchanged, false, {}};
}

// The plot window's keypad, spin, flip, flop and size: `values[0]` is the
// slide amount (degrees for the spin) or the size factor, as the fields give it.
template <char Mode>
OperationResult modify(Lines& lines, OperationContext& ctx, const Values& values) {
    const AxisCodes codes = ctx.settings.Setaxis();
    ModifierSettings s = modifierSettings(ctx);
    ctx.plot.XSign = codes.xSign;
    ctx.plot.YSign = codes.ySign;
    ctx.plot.ZSign = codes.zSign;
    const double v = values.empty() ? 1.0 : values[0];
    if (Mode == Modifier::Size)
        s.factor = v;
    else
        s.amount = v;
    const ModifierResult r = SLIDE2(Mode, lines, codes, s, ctx.host);
    ctx.plot.CurLine = r.lastLine;
    return {!r.refused && r.changed, r.refused, {}};
}

// ------------------------------------------------------------ ordering

// The sorts measure the objects with an interpreter of their own that draws
// nothing, at the caller's view scale, from a copy of the plot's state.
class SortView : public PlotView {
public:
    explicit SortView(int scale) : scale_(scale) {}
    int ViewScaleValue() override { return scale_; }

private:
    int scale_;
};

template <typename Op>
OperationResult objects(Lines& lines, OperationContext& ctx, Op op) {
    PlotState state = ctx.plot;
    NullCanvas canvas;
    SortView view(ctx.viewScale);
    Interpreter interp(state, canvas, &ctx.settings, &view);
    const ObjectSortResult r = op(lines, interp);
    if (!r.file.ok) ctx.host.Message(r.file.message);
    return {r.file.ok && r.changed, !r.file.ok, {}};
}

OperationResult sortAscending(Lines& lines, OperationContext& ctx, const Values&) {
    return objects(lines, ctx, [&](Lines& l, Interpreter& interp) {
        return SortObjects(l, ObjectOrder::Ascending, interp, ctx.host, ctx.scratchFolder);
    });
}

OperationResult sortDescending(Lines& lines, OperationContext& ctx, const Values&) {
    return objects(lines, ctx, [&](Lines& l, Interpreter& interp) {
        return SortObjects(l, ObjectOrder::Descending, interp, ctx.host, ctx.scratchFolder);
    });
}

OperationResult largestToBottom(Lines& lines, OperationContext& ctx, const Values&) {
    return objects(lines, ctx, [&](Lines& l, Interpreter& interp) { return LargestObjectToBottom(l, interp, ctx.host); });
}

OperationResult moveStart(Lines& lines, OperationContext& ctx, const Values&) {
    const bool moved =
        MoveStartForward(lines, ctx.selStartLine, ctx.selLineCount, ctx.settings.Setaxis().letters, ctx.host);
    return {moved, !moved, {}};
}

OperationResult swap(Lines& lines, OperationContext& ctx, const Values&) {
    SwapOptions options;
    const AxisCodes codes = ctx.settings.Setaxis();
    options.cleanUp = ReadPathAssemblySettings(ctx.settings, codes);
    options.Bridgeport = ctx.settings.Flag("Bridgeport");
    options.SwapXY = ctx.settings.Flag("SwapXY");
    options.DecimalPlaces = ctx.plot.DecimalPlaces;
    options.CurLine = ctx.plot.CurLine;
    const SwapResult r =
        SwapBlock(lines, ctx.selStartLine, ctx.selLineCount, ctx.highlighted, options, ctx.host, ctx.scratchFolder);
    if (!r.file.ok) ctx.host.Message(r.file.message);
    OperationResult out{r.file.ok && r.changed, r.refused || !r.file.ok, {}};
    if (!out.refused && !r.changed && !ctx.highlighted) {
        out.refused = true;
        out.note = "Swap: nothing is highlighted.";
    }
    return out;
}

// ------------------------------------------------------------ tools

// The offset window's automatic run over every cut block (or the block of
// at least two lines), its result then put before the last line as its
// "Copy to File end" does. An incremental program is refused as the main
// window's "Offset" refuses it, and so is a program with a contour the
// offset cannot take.
OperationResult offset(Lines& lines, OperationContext& ctx, const Values& values) {
    const OffsetSettings s = ReadOffsetSettings(ctx.settings);
    // Refused when a move in X or Y runs incremental; an incremental stretch
    // without one (the mill's home return "G91 Z0. G28", "G28 X0. Y0.")
    // offsets nothing.
    const std::string& absolute = s.codes.Code(LabelRow::Absolute);
    const std::string& incremental = s.codes.Code(LabelRow::Incremental);
    const WordReader plane{s.codes.letters.X, s.codes.letters.Y};
    bool incrementalMode = false;
    for (const std::string& line : lines) {
        if (HasCode(line, absolute)) incrementalMode = false;
        if (HasCode(line, incremental)) incrementalMode = true;
        WordRead w[2];
        if (incrementalMode) plane.Read(line, w);
        if (incrementalMode && ((w[0].found && w[0].value != 0.0f) || (w[1].found && w[1].value != 0.0f))) {
            IncMessageErr(ctx.host);
            return {false, true, {}};
        }
    }
    if (lines.size() <= 1) return changed(false);
    ctx.plot.DecimalPlaces = s.decimals;
    OffsetReport report;
    const float d = static_cast<float>(values.empty() ? -0.125 : values[0]);
    const Lines result = OffsetAuto(lines, ctx.selStartLine, ctx.selLineCount, d, s, report);
    if (report.radiusWarning) ctx.host.Status(report.Caption());
    // A contour left out would leave the program without its offset: nothing is written.
    if (!report.refused.empty()) {
        ctx.host.Message(report.RefusalText());
        return {false, true, {}};
    }
    if (result.empty()) return changed(false);
    InsertBeforeLastLine(lines, result);
    return changed(true);
}

// The plot window's slide amount and size factor fields take no more than
// 100 (a larger value is used as 100, which a script would never see).
std::string amountField(const Values& values) {
    if (!values.empty() && values[0] > 100.0) return "the plot window takes at most 100 here";
    return {};
}

// The array window: "Array column down" with the vertical quantity and
// increment (`values` 2), or "Grid down right" with the vertical quantity
// and increment (X) and the horizontal ones (Y) (`values` 4). Negative
// increments reverse the direction, as in the window's fields.
OperationResult array(Lines& lines, OperationContext& ctx, const Values& values) {
    const AxisCodes codes = ctx.settings.Setaxis();
    const ModifierSettings s = modifierSettings(ctx);
    ArraySteps steps{{Modifier::Down, static_cast<int>(values[0]), values[1]}};
    if (values.size() == 4) steps.push_back({Modifier::Right, static_cast<int>(values[2]), values[3]});
    const ArrayResult r = ArrayProgram(lines, codes, s, steps, ctx.host);
    return {!r.refused && r.changed, r.refused, {}};
}

// The quantity fields take whole numbers from 1 to 999.
std::string arrayFields(const Values& values) {
    for (std::size_t k = 0; k < values.size(); k += 2)
        if (values[k] != static_cast<double>(static_cast<long long>(values[k])) || values[k] < 1 || values[k] > 999)
            return "a quantity is a whole number from 1 to 999";
    return {};
}

std::string normalised(std::string_view caption) {
    std::string out;
    for (char c : caption) {
        if (c == '&') continue;
        if (c == ' ' || c == '\t') {
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace

void AfterDxfImport(Lines& lines, OperationContext& ctx) {
    if (ctx.settings.Flag("ExecuteInsert")) {
        RunProgramOperation("Compress", lines, ctx);
        RunProgramOperation("Find and Insert", lines, ctx);
    }
    if (ctx.settings.Flag("SwapXY")) RunProgramOperation("Line Order N G X Y Z I J K R M", lines, ctx);
}

void TranslateProgram(Lines& lines, const MachineSettings& settings, int first, int last) {
    for (auto& line : lines)
        if (line.size() > kMaxLine) line.resize(kMaxLine);
    TranslateLines(settings.Labels(), first, last, lines);
}

const std::vector<ProgramOperation>& ProgramOperations() {
    static const std::vector<ProgramOperation> table = {
        // "&Edit"
        {"&Swap", 0, {}, true, 0, swap},
        {"Compress", 0, {}, false, 0, [](Lines& l, OperationContext& c, const Values&) { return compress(l, c, 0); }},
        {"Super Compress", 0, {}, false, 0,
         [](Lines& l, OperationContext& c, const Values&) { return compress(l, c, 1); }},
        {"&Add Line Numbers", 0, {}, false, 0, addNumbers},
        {"&Remove Line Numbers", 0, {}, false, 0, removeNumbers},
        {"Convert to Incremental G91", 0, {}, false, 0, toIncremental},
        {"Convert to Absolute     G90", 0, {}, false, 0, toAbsolute},
        {"Inch to Metric", 0, {}, false, 0,
         [](Lines& l, OperationContext& c, const Values&) { return units(l, c, true); }},
        {"Metric to Inch", 0, {}, false, 0,
         [](Lines& l, OperationContext& c, const Values&) { return units(l, c, false); }},
        // "&Misc"
        {"Move starting point Forward on highlighted code", 0, {}, true, 0, moveStart},
        {"Add Chars  to line end", 0, {}, false, 0, addEnds},
        {"Remove Chars from line end", 0, {}, false, 0, removeEnds},
        {"Pack the file remove all spaces", 0, {}, false, 0, pack},
        {"Remove Comments enclosed by labels (71-72)", 0, {}, false, 0, removeComments},
        {"Sort Objects Acending", 0, {}, false, 0, sortAscending},
        {"Sort Objects Decending", 0, {}, false, 0, sortDescending},
        {"Largest Object to bottom Only", 0, {}, false, 0, largestToBottom},
        {"Line Order N G M X Y Z I J K R", 0, {}, false, 0, orderMFirst},
        {"Line Order N G X Y Z I J K R M", 0, {}, false, 0, orderMLast},
        {"Translate Using table from setup window", 0, {}, false, 0, translate},
        // The find-and-insert window's button.
        {"Find and Insert", 0, {}, false, 0, findAndInsert},
        // The plot window's keypad, spin, flip, flop and size.
        {"Slide Up", 1, "AMOUNT", false, Modifier::Up, modify<Modifier::Up>, amountField},
        {"Slide Down", 1, "AMOUNT", false, Modifier::Down, modify<Modifier::Down>, amountField},
        {"Slide Left", 1, "AMOUNT", false, Modifier::Left, modify<Modifier::Left>, amountField},
        {"Slide Right", 1, "AMOUNT", false, Modifier::Right, modify<Modifier::Right>, amountField},
        {"Slide Up Left", 1, "AMOUNT", false, Modifier::UpLeft, modify<Modifier::UpLeft>, amountField},
        {"Slide Up Right", 1, "AMOUNT", false, Modifier::UpRight, modify<Modifier::UpRight>, amountField},
        {"Slide Down Left", 1, "AMOUNT", false, Modifier::DownLeft, modify<Modifier::DownLeft>, amountField},
        {"Slide Down Right", 1, "AMOUNT", false, Modifier::DownRight, modify<Modifier::DownRight>, amountField},
        {"Spin", 1, "DEGREES", false, Modifier::Spin, modify<Modifier::Spin>, amountField},
        {"Flip", 0, {}, false, Modifier::Flip, modify<Modifier::Flip>},
        {"Flop", 0, {}, false, Modifier::Flop, modify<Modifier::Flop>},
        {"Size", 1, "FACTOR", false, Modifier::Size, modify<Modifier::Size>, amountField},
        // The offset window.
        {"Offset", 1, "DISTANCE", false, 0, offset},
        // The array window.
        {"Array", 2, "QUANTITY X-INCREMENT", false, 0, array, arrayFields},
        {"Array", 4, "X-QUANTITY X-INCREMENT Y-QUANTITY Y-INCREMENT", false, 0, array, arrayFields},
    };
    return table;
}

const ProgramOperation* FindProgramOperation(std::string_view caption, int values) {
    const std::string wanted = normalised(caption);
    for (const ProgramOperation& op : ProgramOperations())
        if (normalised(op.caption) == wanted && (values < 0 || op.values == values)) return &op;
    return nullptr;
}

const ProgramOperation* ModifierOperation(char mode) {
    for (const ProgramOperation& op : ProgramOperations())
        if (op.modifier == mode) return &op;
    return nullptr;
}

OperationResult RunProgramOperation(std::string_view caption, Lines& lines, OperationContext& ctx,
                                    const Values& values) {
    const ProgramOperation* op = FindProgramOperation(caption);
    return op->run(lines, ctx, values);
}

}  // namespace tolva
