#include "dxf/dxf_reader.h"

#include <cmath>
#include <cstdio>

#include "base/folders.h"
#include "base/host.h"
#include "dxf/dxf_line_source.h"
#include "dxf/segment_writer.h"
#include "text/geometry.h"
#include "text/number_format.h"

namespace tolva {

const char* const kNoUsableData = " No Usable Data found in dxf file ";
const char* const kVariantMismatch = " No Usable Data found in dxf file  Check or Uncheck AutoSketch1";

namespace {

// Rows of DxfGroupTags.
enum Tag { T0, T8, T10, T20, T21, T30, T31, T40, T42, T50, T51, T70, T90, T220, T230 };

// A line with every blank removed, in a fixed buffer (lines are at most 255
// characters), so the point searches allocate nothing.
class Compact {
public:
    explicit Compact(std::string_view s) {
        for (char c : s)
            if (c != ' ' && n_ < sizeof buf_) buf_[n_++] = c;
    }
    std::string_view view() const { return {buf_, n_}; }

private:
    char buf_[256];
    std::size_t n_ = 0;
};

// A search tag with its blanks, and the "L" that marks the lightweight
// search, removed.
std::string searchTag(std::string_view s) {
    std::string t;
    for (char c : s)
        if (c != ' ' && c != 'L') t.push_back(c);
    return t;
}

enum class Found { Point, Bulge, NoPoint, End };

// ReadDxfReal for the plain decimal form of nearly every DXF value
// ("-123.456789"): up to 19 digits make an exact integer m and e decimals; when
// m <= 2^53 and e <= 22 both m and 10^e are exact doubles, so m / 10^e is the
// correctly rounded double, the very double from_chars gives, and so the same
// float. Anything else (exponents, long mantissas, odd forms) goes to
// ReadDxfReal itself.
bool readValue(std::string_view text, float& out) {
    static constexpr double kTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char* p = text.data();
    const char* end = p + text.size();
    while (p != end && (*p == ' ' || *p == '\t')) ++p;
    while (end != p && (end[-1] == ' ' || end[-1] == '\t')) --end;
    if (p != end && *p == '+') ++p;
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    unsigned long long m = 0;
    int digits = 0, decimals = 0;
    const char* intStart = p;
    for (; p != end && *p >= '0' && *p <= '9'; ++p, ++digits) m = m * 10 + static_cast<unsigned>(*p - '0');
    bool plain = p != intStart;
    if (plain && p != end && *p == '.') {
        const char* fracStart = ++p;
        for (; p != end && *p >= '0' && *p <= '9'; ++p, ++digits) m = m * 10 + static_cast<unsigned>(*p - '0');
        decimals = static_cast<int>(p - fracStart);
        plain = decimals > 0;
    }
    if (!plain || p != end || digits > 19 || m > (1ull << 53) || decimals > 22) return ReadDxfReal(text, out);
    const double v = static_cast<double>(m) / kTen[decimals];
    out = static_cast<float>(negative ? -v : v);
    return true;
}

class Reader {
public:
    Reader(const DxfImportSettings& s, DxfLineSource& src, Host* host)
        : s_(s), src_(src), w_(s), host_(host), tags_(MakeDxfGroupTags(s.ashlar, s.autosketch, s.corel)),
          includeZ_(s.includeZ), layers_(LayerListHead()) {
        allLayers_ = s_.layer == "*";
    }

    DxfReadResult Run();

private:
    // ---- Line reading. Every read returns false at the end of the file or
    // after a failure, so every scan ends there.
    bool line() {
        if (stop_) return false;
        if (!src_.Next(cur_)) {
            stop_ = true;
            return false;
        }
        if (host_ && (src_.LineNumber() & 0xFFFF) == 0) host_->ProcessEvents();
        return true;
    }
    bool skip() { return line(); }
    bool until(std::string_view text) {
        while (line())
            if (cur_ == text) return true;
        return false;
    }
    bool readReal(float& v) {
        if (!line()) return false;
        if (readValue(cur_, v)) return true;
        fail();
        return false;
    }
    bool readInt(long long& v) {
        float f;
        if (!readReal(f)) return false;
        v = static_cast<long long>(std::trunc(f));
        return true;
    }
    void fail() {
        char buf[64];
        std::snprintf(buf, sizeof buf, "Line %lld of the DXF file", src_.LineNumber());
        message_ = std::string(buf) + " should hold a number but holds \"" + std::string(cur_) +
                   "\". The file cannot be read.";
        failed_ = stop_ = true;
    }

    // ---- Steps shared by the handlers.
    bool layerStep(bool listIt, bool isLine);
    bool readLayerName(bool listIt);
    Found READYXZ(std::string_view tag, bool lightweight);
    Found readyxzLightweight(std::string_view tag);
    bool readPointValues();
    bool READJustYXZ(std::string_view tag, int decimals, float v[3]);
    int READYXZ200();
    void GETUCSORG();
    void arcStep(const std::string (&p)[3], const std::string (&q)[3], float bulge);
    void closingStep(const std::string (&last)[3], const std::string (&first)[3], float bulge);
    bool readCentreAndRadius(float& xc, float& yc, float& zc, float& r);

    // ---- Entity handlers.
    void doLine();
    void doPolyline();
    void doLwPolyline();
    void doTraceSolid();
    void doArc();
    void doCircle();
    void doEllipse();

    std::string coordinate(long double v) const { return CoordinateText(static_cast<float>(v), s_.decimals); }

    const DxfImportSettings& s_;
    DxfLineSource& src_;
    SegmentWriter w_;
    Host* host_;
    DxfGroupTags tags_;
    std::string_view cur_;
    bool stop_ = false, failed_ = false, variantMismatch_ = false;
    std::string message_;
    bool includeZ_;
    bool allLayers_;

    std::vector<std::string> layers_;
    std::string layer_;     // the current layer ("*" when every layer is read)
    bool used_ = false;     // the current layer is the one to read
    bool closed_ = false;   // polyline closed flag, also set inside READYXZ
    bool lwEnded_ = false;  // the lightweight search met the entity's end
    // The current point: machine X, machine Y, Z as coordinate texts.
    std::string pt_[3] = {"0", "0", "0.00"};
    float ucs_[3] = {0, 0, 0};
};

DxfReadResult Reader::Run() {
    GETUCSORG();
    w_.UcsX = ucs_[0];
    w_.UcsY = ucs_[1];
    w_.UcsZ = ucs_[2];
    DxfReadResult r;
    r.xScale = s_.xScale;
    r.yScale = s_.yScale;
    r.zScale = s_.zScale;
    r.zOffset = s_.zOffset;
    r.UcsX = ucs_[0];
    r.UcsY = ucs_[1];
    r.UcsZ = ucs_[2];

    bool entities = !failed_ && until("ENTITIES");
    while (entities && line()) {
        const std::string_view l = cur_;
        if (l.size() < 3 || l.size() > 10) continue;
        if (l == "LINE") doLine();
        else if (l == "POLYLINE") doPolyline();
        else if (l == "LWPOLYLINE") doLwPolyline();
        else if (l == "TRACE" || l == "SOLID") doTraceSolid();
        else if (l == "ARC") doArc();
        else if (l == "ELLIPSE") doEllipse();
        else if (l == "CIRCLE") doCircle();
    }

    r.layers = std::move(layers_);
    if (failed_) {
        r.status = DxfReadStatus::Failed;
        r.message = message_;
    } else if (!entities) {
        r.status = DxfReadStatus::NoEntities;
        r.message = "The DXF file has no ENTITIES section: there is no drawing to read.";
    } else if (variantMismatch_) {
        r.status = DxfReadStatus::VariantHint;
        r.message = kVariantMismatch;
    } else if (w_.NothingWritten) {
        r.status = DxfReadStatus::NoUsableData;
        r.message = kNoUsableData;
    } else {
        r.status = DxfReadStatus::Read;
        r.segmentLineCount = w_.LineCount();
        r.segmentText = w_.TakeText();  // the caller writes it out
    }
    return r;
}

// $UCSORG in the header moves the drawing's origin. Without it the file is
// read again from its start.
void Reader::GETUCSORG() {
    // Most drawings have no $UCSORG: a byte search proves that far faster
    // than the line-by-line scan, which only runs when the text is there.
    const auto events = [this] {
        if (host_) host_->ProcessEvents();
    };
    if (!src_.RestContains("$UCSORG", events)) {
        src_.Rewind();
        return;
    }
    src_.Rewind();
    if (!until("$UCSORG")) {
        if (failed_) return;
        src_.Rewind();
        stop_ = false;
        return;
    }
    for (float& v : ucs_)
        if (!skip() || !readReal(v)) break;
    if (stop_ && !failed_) {  // the header ended inside $UCSORG
        src_.Rewind();
        stop_ = false;
        ucs_[0] = ucs_[1] = ucs_[2] = 0;
    }
}

bool Reader::readLayerName(bool listIt) {
    if (!line()) return false;
    if (listIt) {
        static constexpr std::string_view kTry = "Try Layer : ";
        const std::string& last = layers_.back();
        if (!(last.size() == kTry.size() + cur_.size() && last.compare(0, kTry.size(), kTry) == 0 &&
              std::string_view(last).substr(kTry.size()) == cur_))
            layers_.push_back(std::string(kTry) + std::string(cur_));
    }
    if (allLayers_) {
        layer_ = "*";
    } else {
        layer_.assign(cur_.data(), cur_.size());
    }
    used_ = layer_ == s_.layer;
    return true;
}

// Finds the entity's layer line. Reaching the end of the file here usually
// means the group codes are spelt otherwise than the variant expects; the
// LINE handler says so.
bool Reader::layerStep(bool listIt, bool isLine) {
    if (!until(tags_[T8])) {
        if (isLine && !failed_) variantMismatch_ = true;
        return false;
    }
    return readLayerName(listIt);
}

bool Reader::readPointValues() {
    float x, y;
    if (!readReal(x)) return false;
    pt_[1] = coordinate((static_cast<long double>(x) - ucs_[0]) * s_.yScale);
    if (!skip() || !readReal(y)) return false;
    pt_[0] = coordinate((static_cast<long double>(y) - ucs_[1]) * s_.xScale);
    if (includeZ_) {
        float z;
        if (!skip() || !readReal(z)) return false;
        pt_[2] = coordinate((static_cast<long double>(z) - ucs_[2] + s_.zOffset) * s_.zScale);
    }
    return true;
}

// The point search. `tag` is compared with every line with all blanks
// removed from both, so it does not depend on the variant.
Found Reader::READYXZ(std::string_view tagIn, bool lightweight) {
    const std::string tag = searchTag(tagIn);
    pt_[2] = "0.00";
    if (lightweight) return readyxzLightweight(tag);
    const bool seventy = s_.ashlar || s_.autosketch || s_.corel;
    for (;;) {
        if (!line()) return Found::End;
        if (cur_ == "         7") {
            for (int i = 0; i < 3; ++i)
                if (!skip()) return Found::End;
            continue;
        }
        const Compact c(cur_);
        if (seventy && c.view() == "70") {
            long long flags;
            if (!readInt(flags)) return Found::End;
            if (flags % 2 != 0) closed_ = true;
            if (!s_.ashlar) return Found::NoPoint;
            continue;
        }
        if (c.view() == tag) break;
    }
    return readPointValues() ? Found::Point : Found::End;
}

// The vertex search of a lightweight polyline. From its flags line on, the
// entity is read as code/value pairs, so a value ("0" of a constant width
// 43, a coordinate 42) is never taken for a group code.
Found Reader::readyxzLightweight(std::string_view tag) {
    if (lwEnded_) return Found::NoPoint;
    const bool seventy = s_.ashlar || s_.autosketch || s_.corel;
    for (;;) {
        if (!line()) return Found::End;
        const Compact code(cur_);
        const std::string_view c = code.view();
        if (c == "0") {
            lwEnded_ = true;  // the next line names the next entity
            return Found::NoPoint;
        }
        if (c == "42") return Found::Bulge;  // the caller reads the value
        if (seventy && c == "70") {
            long long flags;
            if (!readInt(flags)) return Found::End;
            if (flags % 2 != 0) closed_ = true;
            if (!s_.ashlar) return Found::NoPoint;
            continue;
        }
        if (c == tag) return readPointValues() ? Found::Point : Found::End;
        if (!skip()) return Found::End;
    }
}

bool Reader::READJustYXZ(std::string_view tagIn, int decimals, float v[3]) {
    const std::string tag = searchTag(tagIn);
    for (;;) {
        if (!line()) return false;
        if (cur_ == "         7") {
            for (int i = 0; i < 3; ++i)
                if (!skip()) return false;
            continue;
        }
        if (Compact(cur_).view() == tag) break;
    }
    const int count = includeZ_ ? 3 : 2;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !skip()) return false;
        if (!readReal(v[i])) return false;
        // The values pass through their text form, 7 significant digits.
        float back;
        if (readValue(FixedText(v[i], decimals, 7), back)) v[i] = back;
    }
    return true;
}

// The extrusion of an arc or circle, read from the line after its radius.
// 3/-3: machine XY plane; 1/-1: XZ; 2/-2: YZ; 0: none given; 50: none given
// and the start-angle line already read. Only the signs of the scales enter:
// a component counts when its magnitude is 1 or more.
int Reader::READYXZ200() {
    if (!line()) return 0;
    if (cur_ == "210") {
        float e[3];
        if (!readReal(e[0]) || !skip() || !readReal(e[1]) || !skip() || !readReal(e[2])) return 0;
        auto sign = [](float f) { return f < 0 ? -1.0f : 1.0f; };
        int code = 0;
        if (int t = static_cast<int>(std::trunc(e[0] * sign(s_.yScale)))) code = t;
        if (int t = static_cast<int>(std::trunc(e[1] * sign(s_.xScale)))) code = 2 * t;
        if (int t = static_cast<int>(std::trunc(e[2] * sign(s_.zScale)))) code = 3 * t;
        return code;
    }
    if (cur_ == tags_[T0] || cur_ == "1001") return 0;
    if (cur_ != tags_[T50]) until(tags_[T50]);
    return 50;
}

// The segment that closes a polyline, from its last vertex back to its first.
void Reader::closingStep(const std::string (&last)[3], const std::string (&first)[3], float bulge) {
    if (bulge == 0) {
        w_.ADDLINE(last[0], last[1], last[2]);
        w_.ADDLINE(first[0], first[1], first[2]);
    } else {
        arcStep(last, first, bulge);
    }
}

// A polyline segment with a bulge from p to q (machine coordinate texts). The
// points are scaled already, so the centre is found from them as they are;
// only the scales' signs enter, as a mirrored axis turns the direction over.
void Reader::arcStep(const std::string (&p)[3], const std::string (&q)[3], float bulge) {
    const float fX = s_.xScale < 0 ? -1.0f : (s_.xScale > 0 ? 1.0f : 0.0f);
    const float fY = s_.yScale < 0 ? -1.0f : (s_.yScale > 0 ? 1.0f : 0.0f);
    const BulgeArcResult a = BulgeArc(p[0], p[1], q[0], q[1], bulge, bulge < 0, fX, fY, s_.decimals);
    w_.ADDLINE(p[0], p[1], p[2]);
    if (a.centreComputed) {
        w_.centreX = a.CentreXText;
        w_.centreY = a.CentreYText;
    } else {
        w_.centreX = p[0];
        w_.centreY = p[1];
    }
    w_.AddArcIJ(q[0], q[1], q[2], w_.centreX, w_.centreY, a.RadiusText, "", bulge < 0 ? 2 : 3);
}

void Reader::doLine() {
    if (!layerStep(true, true) || !used_) return;
    // Both ends are read before either is written, so a file that ends
    // between them leaves no unpaired line.
    if (READYXZ(" 10", false) != Found::Point) return;
    const std::string start[3] = {pt_[0], pt_[1], pt_[2]};
    if (READYXZ(" 11", false) != Found::Point) return;
    w_.ADDLINE(start[0], start[1], start[2]);
    w_.ADDLINE(pt_[0], pt_[1], pt_[2]);
}

void Reader::doPolyline() {
    closed_ = false;
    int n = 0;
    float prevBulge = 0, curBulge = 0;
    std::string prev[3], first[3];
    while (line()) {
        if (cur_ == "SEQEND") break;
        if (cur_ == tags_[T8] && !readLayerName(true)) break;
        if (!used_) continue;
        if (READYXZ(tags_[T10], false) != Found::Point) break;
        if (n == 1 || (s_.ashlar && n == 0)) std::copy(pt_, pt_ + 3, first);
        bool seqend = false;
        while (line()) {
            if (cur_ == "VERTEX") break;
            if (cur_ == "SEQEND") {
                seqend = true;
                break;
            }
            if (cur_ == tags_[T70]) {
                long long flags;
                if (!readInt(flags)) break;
                if (flags % 2 != 0) closed_ = true;
            } else if (cur_ == tags_[T42]) {
                if (!readReal(curBulge)) break;
            }
        }
        if (stop_) break;
        ++n;
        if (s_.ashlar && n == 1) n = 2;
        if (prevBulge != 0) {
            arcStep(prev, pt_, prevBulge);
        } else if (n >= 3) {
            w_.ADDLINE(prev[0], prev[1], prev[2]);
            w_.ADDLINE(pt_[0], pt_[1], pt_[2]);
        }
        prevBulge = curBulge;
        curBulge = 0;
        std::copy(pt_, pt_ + 3, prev);
        if (seqend) break;
    }
    if (stop_ || !closed_ || n < 2) return;
    closingStep(prev, first, prevBulge);
}

void Reader::doLwPolyline() {
    closed_ = false;
    lwEnded_ = false;
    float prevBulge = 0;
    if (!layerStep(true, false) || !used_) return;
    // A lightweight polyline is flat: no Z is read or written for it.
    const bool savedZ = includeZ_;
    includeZ_ = w_.includeZ = false;
    struct Restore {
        Reader* r;
        bool z;
        ~Restore() { r->includeZ_ = r->w_.includeZ = z; }
    } restore{this, savedZ};

    long long count = 0;
    for (;;) {
        if (!line()) return;
        if (cur_ == tags_[T90]) {
            if (!readInt(count)) return;
        } else if (cur_ == tags_[T70]) {
            break;
        }
    }
    long long flags;
    if (!readInt(flags)) return;
    if (flags % 2 != 0) closed_ = true;

    std::string prev[3], first[3];
    long long k = 1;
    for (;;) {
        const Found f = READYXZ(" 10L", true);
        if (f == Found::End || f == Found::NoPoint) break;
        if (f == Found::Bulge) {
            float b;
            if (!readReal(b)) return;
            // A bulge follows the vertex it starts from; before any vertex
            // there is no segment for it.
            if (k > 1) prevBulge = b;
            continue;
        }
        if (k == 1) std::copy(pt_, pt_ + 3, first);
        if (prevBulge != 0) {
            arcStep(prev, pt_, prevBulge);
        } else if (k > 1) {
            w_.ADDLINE(prev[0], prev[1], prev[2]);
            w_.ADDLINE(pt_[0], pt_[1], pt_[2]);
        }
        prevBulge = 0;
        std::copy(pt_, pt_ + 3, prev);
        if (++k > count) break;
    }
    if (stop_ || !closed_ || k == 1) return;
    // The last vertex's bulge, which closes the outline, comes after it.
    if (READYXZ(" 10L", true) == Found::Bulge) {
        float b;
        if (!readReal(b)) return;
        prevBulge = b;
    }
    if (stop_) return;
    closingStep(prev, first, prevBulge);
}

void Reader::doTraceSolid() {
    if (!layerStep(false, false) || !used_) return;
    std::string p[4][3];
    static constexpr std::string_view kTags[4] = {" 10", " 11", " 12", " 13"};
    for (int i = 0; i < 4; ++i) {
        if (READYXZ(kTags[i], false) != Found::Point) return;
        std::copy(pt_, pt_ + 3, p[i]);
    }
    // The outline runs through the corners in the order 1, 2, 4, 3.
    static constexpr int kPieces[4][2] = {{0, 1}, {1, 3}, {2, 3}, {2, 0}};
    for (const auto& piece : kPieces) {
        const auto& a = p[piece[0]];
        const auto& b = p[piece[1]];
        w_.ADDLINE(a[0], a[1], a[2]);
        w_.ADDLINE(b[0], b[1], b[2]);
    }
}

bool Reader::readCentreAndRadius(float& xc, float& yc, float& zc, float& r) {
    if (READYXZ(" 10", false) != Found::Point) return false;
    w_.centreX = pt_[0];
    w_.centreY = pt_[1];
    w_.centreZ = pt_[2];
    if (!readValue(pt_[0], xc) || !readValue(pt_[1], yc) || !readValue(pt_[2], zc)) return false;
    return until(tags_[T40]) && readReal(r);
}

void Reader::doArc() {
    if (!layerStep(false, false) || !used_) return;
    float xc, yc, zc, r, a, b;
    if (!readCentreAndRadius(xc, yc, zc, r)) return;
    const int p = READYXZ200();
    if (stop_) return;
    if (p != 50 && !until(tags_[T50])) return;
    if (!readReal(a) || !until(tags_[T51]) || !readReal(b)) return;
    switch (p) {
        case 3: case -3: case 50: w_.BuildDXFArcIJ(p, xc, yc, zc, r, a, b); break;
        case 1: case -1: w_.BuildDXFArcIK(p, xc, yc, zc, r, a, b); break;
        case 2: case -2: w_.BuildDXFArcJK(p, xc, yc, zc, r, a, b); break;
        default: break;  // an oblique extrusion: not written
    }
}

void Reader::doCircle() {
    if (!layerStep(false, false) || !used_) return;
    float xc, yc, zc, r;
    if (!readCentreAndRadius(xc, yc, zc, r)) return;
    const int p = READYXZ200();
    if (stop_) return;
    switch (p) {
        case 3: case -3: case 0: w_.CircleXY(p, xc, yc, zc, r); break;
        case 1: case -1: w_.BuildDXFArcIK(p, xc, yc, zc, r, 90, 90); break;
        case 2: case -2: w_.BuildDXFArcJK(p, xc, yc, zc, r, 90, 90); break;
        default: break;
    }
}

void Reader::doEllipse() {
    if (!layerStep(false, false) || !used_) return;
    // The three-value reads below take their third value.
    const bool savedZ = includeZ_;
    includeZ_ = true;
    float xc, yc, zc, axis[3] = {0, 0, 0}, shape[3] = {0, 0, 0};
    bool ok = READYXZ(" 10", false) == Found::Point;
    if (ok) {
        w_.centreX = pt_[0];
        w_.centreY = pt_[1];
        w_.centreZ = pt_[2];
        ok = readValue(pt_[0], xc) && readValue(pt_[1], yc) && readValue(pt_[2], zc) &&
             READJustYXZ(" 11", 7, axis) && READJustYXZ(" 40", 7, shape);
    }
    includeZ_ = savedZ;
    if (!ok || stop_) return;
    // The major axis in machine axes, signed: machine Y from the drawing X,
    // machine X from the drawing Y.
    const float a = static_cast<float>(static_cast<long double>(axis[0]) * s_.yScale);
    const float b = static_cast<float>(static_cast<long double>(axis[1]) * s_.xScale);
    const float major = Hypot2(a, b);
    const float angle = Calc_VectorIJ(0, 0, b, a);
    const float minor = static_cast<float>(static_cast<long double>(major) * std::fabs(shape[0]));
    w_.NothingWritten = false;
    w_.EllipseIJ(xc, yc, zc, std::fabs(shape[1]), shape[2], major, minor, -angle);
}

std::string removeFile(const std::string& path) {
    std::remove(path.c_str());
    return {};
}

}  // namespace

std::vector<std::string> DxfReadResult::SegmentLines() const { return SplitSegmentText(segmentText); }

DxfGroupTags MakeDxfGroupTags(bool ashlar, bool autosketch, bool corel) {
    DxfGroupTags t = {"  0", "  8", " 10", " 20", " 21", " 30", " 31", " 40",
                      " 42", " 50", " 51", " 70", " 90", "220", "230"};
    static const DxfGroupTags kAshlar = {"   0", "   8", "  10", "  20", "  21", "  30", "  31", "  40",
                                         "  42", "  50", "  51", "  70", "  90", " 220", " 230"};
    static const DxfGroupTags kAutosketch = {"0",  "8",  "10", "20", "21", "30", "31", "40",
                                             "42", "50", "51", "70", "90", "220", "230"};
    if (ashlar) t = kAshlar;
    if (autosketch) t = kAutosketch;
    if (corel) {
        // Corel leaves row 0 as it is and spells the layer code as R12 does.
        for (int i = 2; i < 15; ++i) t[i] = kAshlar[i];
        t[T8] = "  8";
    }
    return t;
}

std::vector<std::string> LayerListHead() {
    return {"Data was found on the following layers. Change Layer to one of these on the setup window.",
            "Remember layer names are case sensitive.", "Try Layer : 0  or  *  for all."};
}

FileStatus AddZtoDXF(const std::string& path, const std::string& target, const DxfGroupTags& tags) {
    DxfLineSource src;
    if (FileStatus st = src.Open(path); !st.ok) return st;
    std::string out;
    int last = -1;         // T20 or T21: the last of the two codes met
    long long since = 0;   // lines read since it
    std::string_view l;
    while (src.Next(l)) {
        if (l == tags[T20]) {
            last = T20;
            since = 0;
        } else {
            ++since;
        }
        if (l == tags[T21]) {
            last = T21;
            since = 0;
        }
        if (last == T20 && since == 2 && l != tags[T30]) out.append(tags[T30]).append("\n0\n");
        if (last == T21 && since == 2 && l != tags[T31]) out.append(tags[T31]).append("\n0\n");
        out.append(l).push_back('\n');
    }
    return WriteFileAtomic(target, out);
}

DxfReadResult ReadDxfEntities(const std::string& path, const DxfImportSettings& settings,
                              const std::string& scratchFolder, Host* host) {
    const std::string segmentPath = scratchFolder + "/DXF1.$$$";
    const std::string corelCopy = scratchFolder + "/NewDXF.$$$";
    removeFile(segmentPath);
    std::string input = path;
    if (settings.corel) {
        FileStatus st = AddZtoDXF(path, corelCopy, MakeDxfGroupTags(false, false, true));
        if (!st.ok) {
            removeFile(corelCopy);
            DxfReadResult r;
            r.layers = LayerListHead();
            r.message = st.message;
            return r;
        }
        input = corelCopy;
    }

    DxfReadResult result;
    {
        DxfLineSource src;
        FileStatus st = src.Open(input);
        if (!st.ok) {
            result.layers = LayerListHead();
            result.message = st.message;
        } else {
            Reader reader(settings, src, host);
            result = reader.Run();
        }
    }
    if (settings.corel) removeFile(corelCopy);

    if (result.status == DxfReadStatus::Read) {
        // A scratch file of this run's private folder: a plain write, no
        // flush to disk, is enough.
        FileStatus st;
        if (std::FILE* f = std::fopen(segmentPath.c_str(), "wb")) {
            const bool ok = std::fwrite(result.segmentText.data(), 1, result.segmentText.size(), f) ==
                            result.segmentText.size();
            if (std::fclose(f) != 0 || !ok) st = FileStatus::Fail("Cannot write " + segmentPath);
        } else {
            st = FileStatus::Fail("Cannot create " + segmentPath);
        }
        if (!st.ok) {
            removeFile(segmentPath);
            result.status = DxfReadStatus::Failed;
            result.message = st.message;
            result.segmentText.clear();
            result.segmentLineCount = 0;
            return result;
        }
        result.segmentFile = segmentPath;
    }
    return result;
}

DxfReadResult LOAD_DXF_FILE(const std::string& path, const MachineSettings& settings, Host* host) {
    return ReadDxfEntities(path, ReadDxfImportSettings(settings), ScratchFolder(), host);
}

}  // namespace tolva
