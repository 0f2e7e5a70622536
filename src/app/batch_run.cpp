#include "app/batch_run.h"

#include <algorithm>

#include "app/document.h"
#include "base/folders.h"
#include "settings/machine_settings.h"
#include "text/number_format.h"

namespace tolva {

namespace {

std::string trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return std::string(s);
}

std::vector<std::string> words(std::string_view s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        std::size_t j = i;
        while (j < s.size() && s[j] != ' ' && s[j] != '\t') ++j;
        if (j > i) out.emplace_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

std::string joined(const std::vector<std::string>& w, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += (i ? " " : "") + w[i];
    return out;
}

std::string usage(const ProgramOperation& op) {
    std::string s(op.caption);
    s.erase(std::remove(s.begin(), s.end(), '&'), s.end());
    if (op.values) s += " " + std::string(op.valueName);
    return s;
}

// The step `text` names: the longest leading run of words that is a caption,
// followed by exactly the numbers one operation of that caption takes.
std::string parseStep(const std::string& text, BatchStep& step) {
    const std::vector<std::string> w = words(text);
    for (std::size_t n = w.size(); n >= 1; --n) {
        const std::string caption = joined(w, n);
        const ProgramOperation* any = FindProgramOperation(caption);
        if (!any) continue;
        const ProgramOperation* op = FindProgramOperation(caption, static_cast<int>(w.size() - n));
        if (!op) {
            std::string forms;
            for (const ProgramOperation& o : ProgramOperations())
                if (FindProgramOperation(caption, o.values) == &o) forms += (forms.empty() ? "\"" : " or \"") + usage(o) + "\"";
            return "\"" + text + "\": write it as " + forms;
        }
        step.op = op;
        step.text = text;
        step.values.clear();
        for (std::size_t k = n; k < w.size(); ++k) {
            double v = 0;
            if (!ReadPlainReal(w[k], v)) return "\"" + text + "\": \"" + w[k] + "\" is not a number";
            step.values.push_back(v);
        }
        if (op->check) {
            const std::string why = op->check(step.values);
            if (!why.empty()) return "\"" + text + "\": " + why;
        }
        return {};
    }
    return "\"" + text + "\" is not an operation; tolva --list prints them";
}

bool isOption(const std::string& a) { return a.size() > 2 && a.compare(0, 2, "--") == 0; }

}  // namespace

std::string ParsePipeline(std::string_view text, std::vector<BatchStep>& steps) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string piece = trimmed(text.substr(start, end - start));
        if (!piece.empty()) {
            BatchStep step;
            std::string problem = parseStep(piece, step);
            if (!problem.empty()) return problem;
            steps.push_back(std::move(step));
        }
        start = end + 1;
    }
    return {};
}

bool ParseBlock(std::string_view text, int& start, int& count) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return false;
    const auto whole = [](std::string_view s, int& out) {
        if (s.empty() || s.size() > 9) return false;
        out = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return false;
            out = out * 10 + (c - '0');
        }
        return true;
    };
    return whole(text.substr(0, comma), start) && whole(text.substr(comma + 1), count) && start >= 1 && count >= 1;
}

std::string OperationList() {
    std::string out;
    for (const ProgramOperation& op : ProgramOperations()) {
        out += usage(op);
        if (op.needsBlock) out += "    (with --sel START,COUNT)";
        out += "\n";
    }
    return out;
}

int RunBatchCommand(const std::vector<std::string>& args, MachineSettings& settings, Host& host,
                    const std::string& scratchFolder) {
    std::vector<std::string> files;
    std::string sel;
    bool haveSel = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--sel") {
            if (i + 1 >= args.size()) {
                host.Message("--sel needs START,COUNT");
                return 2;
            }
            sel = args[++i];
            haveSel = true;
        } else if (args[i].rfind("--sel=", 0) == 0) {
            sel = args[i].substr(6);
            haveSel = true;
        } else if (isOption(args[i])) {
            host.Message("unknown option " + args[i]);
            return 2;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() < 3 || files.size() > 4) {
        host.Message("usage: tolva --run \"OP;OP;...\" SOURCE TARGET [MACHINE.ini] [--sel START,COUNT]");
        return 2;
    }
    std::vector<BatchStep> steps;
    const std::string problem = ParsePipeline(files[0], steps);
    if (!problem.empty()) {
        host.Message(problem);
        return 2;
    }
    if (steps.empty()) {
        host.Message("no operation given; tolva --list prints them");
        return 2;
    }
    int selStart = 0, selCount = 0;
    if (haveSel && !ParseBlock(sel, selStart, selCount)) {
        host.Message("--sel " + sel + ": give the first line's number and the number of lines, as 12,5");
        return 2;
    }
    for (const BatchStep& s : steps)
        if (s.op->needsBlock && !haveSel) {
            host.Message("\"" + s.text + "\" works on a block of lines: give it with --sel START,COUNT");
            return 2;
        }
    const std::string& source = files[1];
    const std::string& target = files[2];
    if (UpperExtension(target) == ".DXF") {
        host.Message("--run writes a program; write a DXF drawing of it with: tolva PROGRAM " + target);
        return 2;
    }
    // The limit the source is held to holds for the target too.
    if (target.size() > kMaxFileName) {
        host.Message(FileNameTooLongMessage(target));
        return 1;
    }

    if (files.size() == 4) {
        if (!FileExists(files[3])) {
            host.Message("INI File Not Found: " + files[3]);
            return 1;
        }
        const FileStatus st = settings.UseCommandLineMachineFile(files[3]);
        if (!st.ok) {
            host.Message(st.message);
            return 1;
        }
    }
    if (!FileExists(source)) {
        host.Message("Source File Not Found");
        return 1;
    }

    PlotState plot;
    OperationContext ctx(settings, host, plot);
    ctx.scratchFolder = scratchFolder;
    Document program;
    const LoadOutcome loaded = LoadDocument(source, ctx, program);
    if (!loaded.message.empty()) host.Message(loaded.message);
    if (loaded.kind != LoadOutcome::Loaded) return 1;
    std::vector<std::string>& lines = program.lines;
    if (haveSel) {
        if (static_cast<long long>(selStart) + selCount - 1 > static_cast<long long>(lines.size())) {
            host.Message("--sel " + sel + ": the program has " + std::to_string(lines.size()) + " lines");
            return 2;
        }
        ctx.selStartLine = selStart - 2;
        ctx.selLineCount = selCount;
        ctx.highlighted = true;
    }
    // The window plots the program after a load and after every change; the
    // plot leaves its line counter at the last line, and Swap reads it.
    const auto plotted = [&] { plot.CurLine = std::max(0, static_cast<int>(lines.size()) - 1); };
    plotted();
    for (const BatchStep& step : steps) {
        const OperationResult r = step.op->run(lines, ctx, step.values);
        if (r.refused) {
            if (!r.note.empty()) host.Message(r.note);
            host.Message("\"" + step.text + "\" refused; " + target + " was not written");
            return 1;
        }
        if (r.changed) plotted();
    }
    const FileStatus st = WriteFileAtomic(target, program.Text());
    if (!st.ok) {
        host.Message(st.message);
        return 1;
    }
    return 0;
}

}  // namespace tolva
