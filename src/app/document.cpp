#include "app/document.h"

#include "app/program_operations.h"
#include "base/folders.h"
#include "dxf/dxf_import.h"
#include "settings/machine_settings.h"
#include "text/number_format.h"

namespace tolva {

std::string FileNameTooLongMessage(const std::string& name) {
    return "The file name is longer than " + std::to_string(kMaxFileName) +
           " characters; choose a shorter name or folder:\n" + name;
}

FileStatus LoadProgramBytes(const std::string& path, std::string& bytes, std::string* warning) {
    FileStatus st = ReadFileBytes(path, bytes);
    if (!st.ok) return st;
    TextCheck check = CheckText(bytes);
    if (check.binary) {
        const std::size_t counted = bytes.size() - check.nulBytes;
        bytes.clear();
        if (counted == 0)
            return FileStatus::Fail("\"" + BaseName(path) + "\" holds nothing but NUL bytes (" +
                                    std::to_string(check.nulBytes) + "); it was not opened.");
        return FileStatus::Fail("\"" + BaseName(path) + "\" is not a text program: " +
                                std::to_string(check.controlBytes) + " of its " + std::to_string(counted) +
                                " bytes other than NUL are control codes; it was not opened.");
    }
    if (check.longestLine > kMaxEditorLine) {
        bytes.clear();
        return FileStatus::Fail("\"" + BaseName(path) + "\" has a line of " + std::to_string(check.longestLine) +
                                " characters; a program line may have at most " + std::to_string(kMaxEditorLine) +
                                ". It was not opened.");
    }
    if (warning) {
        warning->clear();
        if (check.nulBytes)
            *warning = "\"" + BaseName(path) + "\" holds " + std::to_string(check.nulBytes) +
                       " NUL byte(s); they are kept as they are.";
        if (check.longestLine > kMaxLine) {
            if (!warning->empty()) *warning += "\n";
            *warning += "\"" + BaseName(path) + "\" has lines of up to " + std::to_string(check.longestLine) +
                        " characters; Translate and the ASCII editor use a line's first 255.";
        }
    }
    return {};
}

std::string Document::Text() const { return JoinLines(lines, style, finalEnd && !lines.empty()); }

FileStatus LoadProgramFile(const std::string& path, Document& out, std::string* warning) {
    out = Document{};
    std::string bytes;
    FileStatus st = LoadProgramBytes(path, bytes, warning);
    if (!st.ok) return st;
    out.name = path;
    out.style = DetectLineEnd(bytes);
    out.lines = SplitLines(bytes, &out.finalEnd);
    return {};
}

LoadOutcome LoadDocument(const std::string& path, OperationContext& ctx, Document& doc) {
    LoadOutcome outcome;
    if (path.size() > kMaxFileName) {
        outcome.message = FileNameTooLongMessage(path);
        return outcome;
    }
    ctx.settings.Setaxis();
    Document loaded;
    outcome.drawing = UpperExtension(path) == ".DXF";
    if (outcome.drawing) {
        if (!FileExists(path)) {
            outcome.message = "Cannot open file \"" + path + "\": No such file or directory";
            return outcome;
        }
        DxfImportResult r = ImportDxf(path, ctx.settings, &ctx.host);
        outcome.layers = std::move(r.layers);
        if (r.kind != DxfImportResult::Program) {
            if (r.kind == DxfImportResult::NoUsableData) outcome.kind = LoadOutcome::NoUsableData;
            outcome.message = std::move(r.message);
            return outcome;
        }
        loaded.lines = std::move(r.lines);
        AfterDxfImport(loaded.lines, ctx);
        // The program is saved next to the drawing, under its name without ".DXF".
        loaded.name = path.substr(0, path.size() - 4);
    } else {
        const FileStatus st = LoadProgramFile(path, loaded, &outcome.message);
        if (!st.ok) {
            outcome.message = st.message;
            return outcome;
        }
    }
    if (ctx.settings.Flag("TranslateLoad")) TranslateProgram(loaded.lines, ctx.settings, 29, 69);
    doc = std::move(loaded);
    outcome.kind = LoadOutcome::Loaded;
    return outcome;
}

}  // namespace tolva
