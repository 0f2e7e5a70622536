#include "dxf/dxf_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <unordered_map>

#include "base/folders.h"
#include "base/host.h"
#include "dxf/dxf_corel.h"
#include "dxf/dxf_line_source.h"
#include "dxf/dxf_pair_scanner.h"
#include "dxf/segment_writer.h"
#include "dxf/spline_fit.h"
#include "text/geometry.h"
#include "text/number_format.h"

namespace tolva {

const char* const kNoUsableData = " No Usable Data found in dxf file ";

namespace {

constexpr long double kTwoPi = 6.283185307179586476925286766559L;

enum class Kind { Other, Line, Polyline, Vertex, Seqend, LwPolyline, TraceSolid, Arc, Circle, Ellipse, Insert, Spline };
constexpr int kKinds = static_cast<int>(Kind::Spline) + 1;

// Every entity name the reader acts on. The kinds read are named in this
// order after a passed-over count; VERTEX and SEQEND are parts of a
// POLYLINE, not kinds of their own. `held` names the kind in the note of
// what a drawing held, when that is not its name.
struct KindName {
    std::string_view name;
    Kind kind;
    bool listed;
    std::string_view held = {};
};
constexpr KindName kKindNames[] = {
    {"LINE", Kind::Line, true},         {"ARC", Kind::Arc, true},
    {"CIRCLE", Kind::Circle, true},     {"ELLIPSE", Kind::Ellipse, true},
    {"POLYLINE", Kind::Polyline, true}, {"LWPOLYLINE", Kind::LwPolyline, true},
    {"SOLID", Kind::TraceSolid, true, "TRACE or SOLID"},
    {"TRACE", Kind::TraceSolid, true, "TRACE or SOLID"},
    {"INSERT", Kind::Insert, true},     {"SPLINE", Kind::Spline, true},
    {"VERTEX", Kind::Vertex, false},    {"SEQEND", Kind::Seqend, false},
};

Kind kindOf(std::string_view name) {
    for (const KindName& k : kKindNames)
        if (k.name == name) return k.kind;
    return Kind::Other;
}

// The group codes an entity is read from, each kept in its own slot.
enum Slot { S2, S10, S20, S30, S11, S21, S31, S12, S22, S32, S13, S23, S33,
            S40, S41, S42, S43, S44, S45, S50, S51, S70, S71, S90, S210, S220, S230, kSlots };

int slotOf(int code) {
    switch (code) {
        case 2: return S2;
        case 10: return S10; case 20: return S20; case 30: return S30;
        case 11: return S11; case 21: return S21; case 31: return S31;
        case 12: return S12; case 22: return S22; case 32: return S32;
        case 13: return S13; case 23: return S23; case 33: return S33;
        case 40: return S40; case 41: return S41; case 42: return S42;
        case 43: return S43; case 44: return S44; case 45: return S45; case 71: return S71;
        case 50: return S50; case 51: return S51;
        case 70: return S70; case 90: return S90;
        case 210: return S210; case 220: return S220; case 230: return S230;
        default: return -1;
    }
}

using Value = GroupValue;

struct Block {
    double base[3] = {0, 0, 0};
    std::vector<RawPair> pairs;  // its entities, from the first code 0 on
};

// Block coordinates to the drawing's: p' = m p + t in the plane, z' = sz z + tz.
struct Placement {
    long double m00 = 1, m01 = 0, m10 = 0, m11 = 1, tx = 0, ty = 0, sz = 1, tz = 0;
    void apply(long double& x, long double& y) const {
        const long double nx = m00 * x + m01 * y + tx;
        y = m10 * x + m11 * y + ty;
        x = nx;
    }
    long double det() const { return m00 * m11 - m01 * m10; }
    bool mirrored() const { return det() < 0; }
    // Same scale in every direction (a circle stays a circle).
    bool similar() const {
        const long double a = m00 * m00 + m10 * m10, b = m01 * m01 + m11 * m11, c = m00 * m01 + m10 * m11;
        return std::fabs(a - b) <= 1e-9L * (a + b) && std::fabs(c) <= 1e-9L * (a + b);
    }
    long double scale() const { return std::sqrt(std::fabs(det())); }
    // The direction of the block's X axis in the drawing, degrees.
    long double turnDegrees() const { return std::atan2(m10, m00) * 180.0L / 3.14159265358979323846L; }
    // this after `inner` (inner first).
    Placement then(const Placement& inner) const {
        Placement r;
        r.m00 = m00 * inner.m00 + m01 * inner.m10;
        r.m01 = m00 * inner.m01 + m01 * inner.m11;
        r.m10 = m10 * inner.m00 + m11 * inner.m10;
        r.m11 = m10 * inner.m01 + m11 * inner.m11;
        r.tx = m00 * inner.tx + m01 * inner.ty + tx;
        r.ty = m10 * inner.tx + m11 * inner.ty + ty;
        r.sz = sz * inner.sz;
        r.tz = sz * inner.tz + tz;
        return r;
    }
};

// A lightweight polyline's vertex: its 10 and 20, and the 42 after it.
struct Vertex {
    Value x, y, bulge;
};

// The entity being read. Values are kept as text until a handler uses them,
// so a value of an entity that is not read is never judged.
struct Entity {
    Kind kind = Kind::Other;
    std::string name;  // for kinds not read
    Value layer;
    Value v[kSlots];
    std::vector<Vertex> vertices;  // reused; the first `vertexCount` are this entity's
    std::size_t vertexCount = 0;
    // A SPLINE's control points (10, 20, 30: x, y, bulge as z), knots (40)
    // and weights (41), each list reused like `vertices`.
    std::vector<Vertex> controls, fits;  // fit points: 11, 21, 31
    std::size_t controlCount = 0, fitCount = 0;
    std::vector<Value> knots, weights;
    std::size_t knotCount = 0, weightCount = 0;

    void reset(Kind k) {
        kind = k;
        layer.present = false;
        for (Value& x : v) x.present = false;
        vertexCount = controlCount = fitCount = knotCount = weightCount = 0;
    }
};

class Reader : DxfPairScanner {
public:
    Reader(const DxfImportSettings& s, DxfLineSource& src, Host* host, const std::vector<long long>* added)
        : DxfPairScanner(src, host, added), s_(s), w_(s_), includeZ_(s.includeZ), layers_(LayerListHead()) {
        allLayers_ = s_.layer == "*";
        // Before any layer line the layer is "*" when every layer is read.
        if (allLayers_) layer_ = "*";
        used_ = allLayers_;
    }

    DxfReadResult Run();

private:
    // ---- Entities.
    bool collect();
    void handle();
    void readLayerName(const std::string& name, bool listIt);
    bool point(Slot x, Slot y, Slot z, std::string (&out)[3]);
    void GETUCSORG();
    bool findEntities();
    // Header variables met on the way to the entities ($INSUNITS).
    void headerPair();
    void applyUnits();
    int planeCode();
    bool seenFromBelow();
    void arcStep(const std::string (&p)[3], const std::string (&q)[3], double bulge);
    void closingStep(const std::string (&last)[3], const std::string (&first)[3], double bulge);
    bool centreAndRadius(double& xc, double& yc, double& zc, double& r);
    void arcAcrossZ(int plane, double a, double b);

    void doLine();
    void polylineStep(bool header);
    void endPolyline();
    void doLwPolyline();
    void doTraceSolid();
    void doArc();
    void doCircle();
    void doEllipse();
    void doInsert();
    void doSpline();

    // Blocks: definitions collected from the BLOCKS section, replayed by
    // INSERT through the entity handlers with a placement.
    void blockPair();
    void replay(const std::vector<RawPair>& pairs);
    // The drawing coordinates of a block's point (the identity outside one).
    void place(long double& x, long double& y, long double& z) const {
        if (depth_ == 0) return;
        xf_.apply(x, y);
        z = xf_.sz * z + xf_.tz;
    }
    // A bulge as drawn in the drawing: a mirroring placement turns it.
    double bulgeSign() const { return depth_ > 0 && xf_.mirrored() ? -1.0 : 1.0; }
    // An arc or circle of a block placed with unequal scales is an ellipse
    // in the drawing: written as one (centre in machine coordinates, radius
    // and angles, degrees counter-clockwise, in the block's).
    void placedEllipse(double xc, double yc, double zc, double r, double a, double b) {
        long double jx = r, jy = 0, nx = 0, ny = r;
        const Placement m = {xf_.m00, xf_.m01, xf_.m10, xf_.m11, 0, 0, 1, 0};
        m.apply(jx, jy);
        m.apply(nx, ny);
        constexpr long double kRad = 3.14159265358979323846L / 180.0L;
        long double s = a * kRad, e = b * kRad;
        while (e <= s) e += 2 * 3.14159265358979323846L;
        w_.EllipseIJ(xc, yc, zc, s, e, jy * static_cast<long double>(s_.xScale),
                     jx * static_cast<long double>(s_.yScale), ny * static_cast<long double>(s_.xScale),
                     nx * static_cast<long double>(s_.yScale));
    }
    // Bulges under a placement that is not a similarity are elliptic arcs;
    // they are passed over and named.
    bool unevenArc(const char* kind) {
        if (depth_ == 0 || xf_.similar()) return false;
        ++passedOver_[std::string(kind) + " in a block scaled unevenly"];
        return true;
    }

    std::string coordinate(long double v) const { return DecimalText(static_cast<double>(v), s_.decimals); }

    // A copy: the drawing's units may change its scales (applyUnits).
    DxfImportSettings s_;
    SegmentWriter w_;
    bool includeZ_;
    bool allLayers_;
    Entity e_;

    std::vector<std::string> layers_;
    std::string layer_;     // the current layer ("*" when every layer is read)
    bool used_ = false;     // the current layer is the one to read
    std::map<std::string, long long> passedOver_;
    // Every entity of the ENTITIES section, on any layer, by kind: what the
    // drawing held, told when nothing of it could be used.
    long long heldKinds_[kKinds] = {};
    std::map<std::string, long long> heldOthers_;

    // An old-style polyline runs over several entities: POLYLINE, VERTEX...,
    // SEQEND.
    bool inPolyline_ = false;
    bool polylineMirrored_ = false;  // the polyline's extrusion is (0, 0, -1)
    // The entity's points are in an object coordinate system seen from below:
    // its X and Z run the other way from the drawing's.
    bool mirrored_ = false;
    bool closed_ = false;
    int n_ = 0;
    double prevBulge_ = 0;
    std::string pt_[3] = {"0", "0", "0.00"};  // the polyline's current point
    std::string prev_[3], first_[3];

    double ucs_[3] = {0, 0, 0};

    std::unordered_map<std::string, Block> blocks_;
    Block pending_;
    std::string pendingName_;
    bool inBlock_ = false, blockHeader_ = false;
    int depth_ = 0;             // INSERTs being expanded, nested
    Placement xf_;              // of the innermost one
    std::string insertLayer_;   // its layer, which entities on layer "0" take
    std::string lastLayer_ = "0";  // the current layer's own name (also when reading "*")

    bool inUnits_ = false;   // the pairs of $INSUNITS are being read
    long long insUnits_ = -1;  // $INSUNITS, -1 when the drawing has none
    std::string unitsNote_;
};

DxfReadResult Reader::Run() {
    GETUCSORG();
    DxfReadResult r;
    r.UcsX = ucs_[0];
    r.UcsY = ucs_[1];
    r.UcsZ = ucs_[2];

    const bool entities = !failed_ && findEntities();
    if (entities) applyUnits();
    r.xScale = s_.xScale;
    r.yScale = s_.yScale;
    r.zScale = s_.zScale;
    r.zOffset = s_.zOffset;
    r.unitsNote = unitsNote_;
    if (entities) {
        // Pairs before the first code 0 belong to no entity.
        bool more = pair();
        while (more && code_ != 0) more = pair();
        while (more) {
            // Here code_ is 0 and value_ names the entity; ENDSEC ends the
            // section, and everything after it is passed over.
            if (value_ == "ENDSEC" || value_ == "EOF") break;
            e_.reset(kindOf(value_));
            if (e_.kind == Kind::Other) {
                e_.name.assign(value_);
                ++heldOthers_[e_.name];
            } else {
                ++heldKinds_[static_cast<int>(e_.kind)];
            }
            more = collect();
            if (failed_) break;
            handle();
            if (failed_) break;
        }
        if (!failed_ && inPolyline_) endPolyline();
    }

    r.layers = std::move(layers_);
    r.passedOver.assign(passedOver_.begin(), passedOver_.end());
    if (failed_) {
        r.status = DxfReadStatus::Failed;
        r.message = message_;
    } else if (!entities) {
        r.status = DxfReadStatus::NoEntities;
        r.message = "The DXF file has no ENTITIES section: there is no drawing to read.";
    } else if (w_.NothingWritten) {
        r.status = DxfReadStatus::NoUsableData;
        r.message = kNoUsableData;
        std::vector<std::pair<std::string, long long>> held(heldOthers_.begin(), heldOthers_.end());
        bool named[kKinds] = {};
        for (const KindName& k : kKindNames) {
            const int i = static_cast<int>(k.kind);
            if (k.listed && heldKinds_[i] > 0 && !named[i])
                held.emplace_back(k.held.empty() ? k.name : k.held, heldKinds_[i]);
            named[i] = true;
        }
        std::sort(held.begin(), held.end());
        r.heldNote = HeldNote(held, s_.layer);
    } else {
        r.status = DxfReadStatus::Read;
        r.segmentLineCount = w_.LineCount();
        r.segmentText = w_.TakeText();  // the caller writes it out
    }
    return r;
}

bool Reader::findEntities() {
    bool section = false, blocks = false;
    while (pair()) {
        if (section && code_ == 2) {
            if (value_ == "ENTITIES") return true;
            blocks = value_ == "BLOCKS";
        }
        section = code_ == 0 && value_ == "SECTION";
        if (blocks)
            blockPair();
        else
            headerPair();
    }
    return false;
}

// A BLOCK's own pairs give its name (2) and base point (10, 20, 30); the
// entities up to ENDBLK are kept as pairs. A later definition of a name
// replaces an earlier one.
void Reader::blockPair() {
    if (code_ == 0) {
        if (value_ == "BLOCK") {
            inBlock_ = blockHeader_ = true;
            pending_ = Block{};
            pendingName_.clear();
            return;
        }
        if (value_ == "ENDBLK" || value_ == "ENDSEC") {
            if (inBlock_ && !pendingName_.empty()) blocks_[pendingName_] = std::move(pending_);
            inBlock_ = blockHeader_ = false;
            return;
        }
        blockHeader_ = false;
    }
    if (!inBlock_) return;
    if (blockHeader_) {
        if (code_ == 2) pendingName_.assign(value_);
        const int axis = code_ == 10 ? 0 : code_ == 20 ? 1 : code_ == 30 ? 2 : -1;
        if (axis >= 0) {
            Value v{std::string(value_), valueLine_, true};
            real(v, pending_.base[axis]);
        }
        return;
    }
    pending_.pairs.push_back({code_, std::string(value_), valueLine_});
}

void Reader::headerPair() {
    if (code_ == 9) {
        inUnits_ = value_ == "$INSUNITS";
    } else if (inUnits_ && code_ == 70) {
        inUnits_ = false;
        Value v{std::string(value_), valueLine_, true};
        long long units;
        if (integer(v, units)) insUnits_ = units;
    } else if (code_ == 0) {
        inUnits_ = false;
    }
}

// $INSUNITS 1 is inches, 4 millimetres; with "Machine Units" naming the
// other unit and scales of 1 (the lathe's X: 2, a diameter) the drawing is
// converted by scaling every length. Lengths the machine file gives (the
// lead-in, the Z offset) stay in the machine's unit.
void Reader::applyUnits() {
    const std::string& machine = s_.machineUnits;
    const bool wantMm = machine == "mm", wantInch = machine == "inch";
    if (!(wantMm || wantInch) || (insUnits_ != 1 && insUnits_ != 4)) return;
    const bool drawnInch = insUnits_ == 1;
    if (drawnInch == wantInch) return;
    const char* from = drawnInch ? "inches" : "mm";
    const char* to = drawnInch ? "mm" : "inches";
    const double unitX = s_.xDiameter ? 2.0 : 1.0;
    if (std::fabs(s_.xScale) != unitX || std::fabs(s_.yScale) != 1.0) {
        unitsNote_ = std::string("The drawing is in ") + from + " and the machine in " + to +
                     ": not converted, as the X and Y scales are set (the scales give the program's units).";
        return;
    }
    const double f = drawnInch ? 25.4 : 1.0 / 25.4;
    s_.xScale *= f;
    s_.yScale *= f;
    s_.zScale *= f;
    s_.zOffset /= f;
    s_.leadIn /= f;
    unitsNote_ = std::string("The drawing is in ") + from + ": converted to " + to + (drawnInch ? " (x 25.4)." : " (/ 25.4).");
}

// $UCSORG in the header moves the drawing's origin. Without it the file is
// read again from its start.
void Reader::GETUCSORG() {
    // Most drawings have no $UCSORG: a byte search proves that far faster
    // than reading the pairs, which only happens when the text is there.
    const auto events = [this] {
        if (host_) host_->ProcessEvents();
    };
    if (!src_.RestContains("$UCSORG", events)) {
        src_.Rewind();
        return;
    }
    src_.Rewind();
    bool found = false;
    while (!found && pair()) {
        found = code_ == 9 && value_ == "$UCSORG";
        if (!found) headerPair();
    }
    if (!found) {
        if (failed_) return;
        src_.Rewind();
        stop_ = false;
        return;
    }
    // The variable's pairs run to the next variable or the section's end.
    inUnits_ = false;
    while (pair() && code_ != 9 && code_ != 0) {
        const int axis = code_ == 10 ? 0 : code_ == 20 ? 1 : code_ == 30 ? 2 : -1;
        if (axis < 0) continue;
        Value v{std::string(value_), valueLine_, true};
        if (!real(v, ucs_[axis])) return;
    }
    if (stop_ && !failed_) {  // the file ended inside the header
        src_.Rewind();
        stop_ = false;
        ucs_[0] = ucs_[1] = ucs_[2] = 0;
        insUnits_ = -1;
    } else if (!failed_) {
        headerPair();  // the pair that ended the variable may start the next
    }
}

// Reads the entity's pairs up to the next code 0 (true) or the end of the
// file (false). A code met twice keeps its first value; a lightweight
// polyline's 10, 20 and 42 go to its vertices.
bool Reader::collect() {
    Entity& e = e_;
    const bool kept = e.kind != Kind::Other;
    const bool lw = e.kind == Kind::LwPolyline;
    const bool spline = e.kind == Kind::Spline;
    while (pair()) {
        if (code_ == 0) return true;
        if (code_ == 8) {
            if (!e.layer.present) {
                e.layer.text.assign(value_.data(), value_.size());
                e.layer.present = true;
            }
            continue;
        }
        if (!kept) continue;
        if (spline && (code_ == 10 || code_ == 20 || code_ == 30 || code_ == 40 || code_ == 41 || code_ == 11 ||
                       code_ == 21 || code_ == 31)) {
            auto put = [&](std::vector<Value>& list, std::size_t& count) {
                if (count == list.size()) list.emplace_back();
                list[count++] = {std::string(value_), valueLine_, true};
            };
            if (code_ == 40) {
                put(e.knots, e.knotCount);
            } else if (code_ == 41) {
                put(e.weights, e.weightCount);
            } else {
                // Control points (10, 20, 30) and fit points (11, 21, 31).
                const bool fit = code_ % 10 == 1;
                std::vector<Vertex>& list = fit ? e.fits : e.controls;
                std::size_t& count = fit ? e.fitCount : e.controlCount;
                if (code_ / 10 == 1) {
                    if (count == list.size()) list.emplace_back();
                    Vertex& c = list[count++];
                    c.x = {std::string(value_), valueLine_, true};
                    c.y.present = c.bulge.present = false;
                } else if (count > 0) {
                    Value& target = code_ / 10 == 2 ? list[count - 1].y : list[count - 1].bulge;
                    if (!target.present) target = {std::string(value_), valueLine_, true};
                }
            }
            continue;
        }
        if (lw && (code_ == 10 || code_ == 20 || code_ == 42)) {
            if (code_ == 10) {
                if (e.vertexCount == e.vertices.size()) e.vertices.emplace_back();
                Vertex& v = e.vertices[e.vertexCount++];
                v.x = {std::string(value_), valueLine_, true};
                v.y.present = v.bulge.present = false;
            } else if (e.vertexCount > 0) {
                // A 20 or 42 belongs to the vertex whose 10 came last; before
                // any vertex there is nothing for it to belong to.
                Value& target = code_ == 20 ? e.vertices[e.vertexCount - 1].y : e.vertices[e.vertexCount - 1].bulge;
                if (!target.present) {
                    target.text.assign(value_.data(), value_.size());
                    target.line = valueLine_;
                    target.present = true;
                }
            }
            continue;
        }
        const int slot = slotOf(code_);
        if (slot < 0) continue;
        Value& v = e.v[slot];
        if (v.present) continue;
        v.text.assign(value_.data(), value_.size());
        v.line = valueLine_;
        v.present = true;
    }
    return false;
}

void Reader::handle() {
    const Kind k = e_.kind;
    // Any entity but a VERTEX or SEQEND ends an old-style polyline.
    if (inPolyline_ && k != Kind::Vertex && k != Kind::Seqend) endPolyline();
    const bool listIt = k == Kind::Line || k == Kind::Polyline || k == Kind::Vertex || k == Kind::LwPolyline;
    if (depth_ > 0) {
        // Inside a block an entity on layer "0" (or on none) is on the
        // layer of the INSERT that places it.
        const std::string own = e_.layer.present ? e_.layer.text : std::string("0");
        readLayerName(own == "0" ? insertLayer_ : own, listIt);
    } else if (e_.layer.present) {
        readLayerName(e_.layer.text, listIt);
    }
    if (k == Kind::Polyline) polylineMirrored_ = seenFromBelow();
    if (k == Kind::Polyline || k == Kind::Vertex)
        mirrored_ = polylineMirrored_;
    else
        mirrored_ = (k == Kind::Arc || k == Kind::Circle || k == Kind::LwPolyline || k == Kind::TraceSolid) &&
                    seenFromBelow();
    w_.ocsMirror = mirrored_;
    if (failed_) return;
    switch (k) {
        case Kind::Line: if (used_) doLine(); break;
        case Kind::Polyline:
            inPolyline_ = true;
            closed_ = false;
            n_ = 0;
            prevBulge_ = 0;
            polylineStep(true);
            break;
        case Kind::Vertex: if (inPolyline_) polylineStep(false); break;
        case Kind::Seqend: if (inPolyline_) endPolyline(); break;
        case Kind::LwPolyline: doLwPolyline(); break;
        case Kind::TraceSolid: if (used_) doTraceSolid(); break;
        case Kind::Arc: if (used_) doArc(); break;
        case Kind::Circle: if (used_) doCircle(); break;
        case Kind::Ellipse: if (used_) doEllipse(); break;
        case Kind::Insert: doInsert(); break;
        case Kind::Spline: if (used_) doSpline(); break;
        case Kind::Other: if (used_) ++passedOver_[e_.name]; break;
    }
}

// The layer rule: the entity's layer line sets the current layer, which an
// entity without one keeps. LINE, POLYLINE and LWPOLYLINE add it to the list.
void Reader::readLayerName(const std::string& name, bool listIt) {
    lastLayer_ = name;
    if (listIt) {
        static constexpr std::string_view kTry = "Try Layer : ";
        const std::string& last = layers_.back();
        if (!(last.size() == kTry.size() + name.size() && last.compare(0, kTry.size(), kTry) == 0 &&
              std::string_view(last).substr(kTry.size()) == name))
            layers_.push_back(std::string(kTry) + name);
    }
    if (!allLayers_) layer_ = name;
    used_ = layer_ == s_.layer;
}

// The point of groups x, y, z in machine coordinates; false when the entity
// has no such point (or a value is not a number). Without "Z Included" Z is
// "0.00"; with it, a missing Z group reads as 0.
bool Reader::point(Slot x, Slot y, Slot z, std::string (&out)[3]) {
    const Value &vx = e_.v[x], &vy = e_.v[y];
    if (!vx.present || !vy.present) return false;
    double fx, fy, fz = 0;
    if (!real(vx, fx) || !real(vy, fy)) return false;
    if (includeZ_ && e_.v[z].present && !real(e_.v[z], fz)) return false;
    // Seen from below, the entity's own X runs along the drawing's -X (and
    // its Z down); a block's placement comes after.
    if (mirrored_) {
        fx = -fx;
        fz = -fz;
    }
    long double wx = fx, wy = fy, wz = fz;
    place(wx, wy, wz);
    out[1] = coordinate((wx - ucs_[0]) * s_.yScale);
    out[0] = coordinate((wy - ucs_[1]) * s_.xScale);
    if (includeZ_) {
        out[2] = coordinate((wz - ucs_[2] + s_.zOffset) * s_.zScale);
    } else {
        out[2] = "0.00";
    }
    return true;
}

// The plane of an arc or circle from its extrusion (210, 220, 230).
// 3/-3: machine XY plane; 1/-1: XZ; 2/-2: YZ; 0: none given; 50: none given
// and a start angle present. Only the signs of the scales enter: a component
// counts when its magnitude is 1 or more.
int Reader::planeCode() {
    const Value* ext = &e_.v[S210];
    if (!ext[0].present && !ext[1].present && !ext[2].present) return e_.v[S50].present ? 50 : 0;
    double c[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i)
        if (ext[i].present && !real(ext[i], c[i])) return 0;
    auto sign = [](double f) { return f < 0 ? -1.0 : 1.0; };
    // A unit normal's components truncate to -1, 0 or 1; a damaged file's
    // huge ones are held where the integer and 3 times it still fit.
    auto whole = [](double f) { return static_cast<int>(std::clamp(std::trunc(f), -1000.0, 1000.0)); };
    int code = 0;
    if (int t = whole(c[0] * sign(s_.yScale))) code = t;
    if (int t = whole(c[1] * sign(s_.xScale))) code = 2 * t;
    if (int t = whole(c[2] * sign(s_.zScale))) code = 3 * t;
    return code;
}

// Whether the entity's extrusion is (0, 0, -1): its object coordinate system
// (the DXF arbitrary axis rule) then has X = -drawing X, Y = drawing Y and Z
// = -drawing Z, and its arcs turn clockwise seen from above. Other oblique
// directions are left to planeCode.
bool Reader::seenFromBelow() {
    const Value* ext = &e_.v[S210];
    if (!ext[2].present) return false;
    double c[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i)
        if (ext[i].present && !real(ext[i], c[i])) return false;
    return c[2] < 0.0 && std::fabs(c[0]) < 1.0 / 64 && std::fabs(c[1]) < 1.0 / 64;
}

// The segment that closes a polyline, from its last vertex back to its first.
void Reader::closingStep(const std::string (&last)[3], const std::string (&first)[3], double bulge) {
    if (bulge == 0) {
        w_.ADDLINE(last[0], last[1], last[2]);
        w_.ADDLINE(first[0], first[1], first[2]);
    } else {
        arcStep(last, first, bulge);
    }
}

// A polyline segment with a bulge from p to q (machine coordinate texts). A
// positive bulge turns counter-clockwise in the polyline's own plane, so
// clockwise seen from above when that plane is seen from below.
void Reader::arcStep(const std::string (&p)[3], const std::string (&q)[3], double bulge) {
    const bool ccw = (bulge > 0) != mirrored_;
    const BulgeArcResult a = BulgeArc(p[0], p[1], q[0], q[1], bulge, !ccw, s_.xScale, s_.yScale, s_.decimals);
    w_.ADDLINE(p[0], p[1], p[2]);
    if (a.centreComputed) {
        w_.centreX = a.CentreXText;
        w_.centreY = a.CentreYText;
    } else {
        w_.centreX = p[0];
        w_.centreY = p[1];
    }
    w_.AddArcIJ(q[0], q[1], q[2], w_.centreX, w_.centreY, w_.XYRadius(a.Radius), "", w_.DirectionOf(ccw));
}

void Reader::doLine() {
    std::string start[3], end[3];
    if (!point(S10, S20, S30, start) || !point(S11, S21, S31, end)) return;
    w_.ADDLINE(start[0], start[1], start[2]);
    w_.ADDLINE(end[0], end[1], end[2]);
}

// The POLYLINE entity itself (`header`) or one of its VERTEX entities. The
// counter passes over the header's own point: the first vertex arrives with
// n = 1, and the first segment is written with the second (n = 3 after the
// count). With Ashlar the header's point is the first vertex.
void Reader::polylineStep(bool header) {
    if (!used_) return;
    std::string p[3];
    if (point(S10, S20, S30, p)) {
        std::copy(p, p + 3, pt_);
    } else if (failed_ || !header) {
        return;  // a vertex without a point is no vertex
    }
    if (n_ == 1 || (s_.ashlar && n_ == 0)) std::copy(pt_, pt_ + 3, first_);
    long long flags = 0;
    if (e_.v[S70].present && !integer(e_.v[S70], flags)) return;
    if (flags % 2 != 0) closed_ = true;
    double bulge = 0;
    if (e_.v[S42].present && !real(e_.v[S42], bulge)) return;
    bulge *= bulgeSign();
    if (bulge != 0 && unevenArc("POLYLINE arc")) bulge = 0;
    ++n_;
    if (s_.ashlar && n_ == 1) n_ = 2;
    if (prevBulge_ != 0) {
        arcStep(prev_, pt_, prevBulge_);
    } else if (n_ >= 3) {
        w_.ADDLINE(prev_[0], prev_[1], prev_[2]);
        w_.ADDLINE(pt_[0], pt_[1], pt_[2]);
    }
    prevBulge_ = bulge;
    std::copy(pt_, pt_ + 3, prev_);
}

void Reader::endPolyline() {
    inPolyline_ = false;
    if (closed_ && n_ >= 2) closingStep(prev_, first_, prevBulge_);
}

void Reader::doLwPolyline() {
    bool closed = false;
    if (!used_) return;
    // A lightweight polyline is flat: no Z is read or written for it.
    const bool savedZ = includeZ_;
    includeZ_ = w_.includeZ = false;
    struct Restore {
        Reader* r;
        bool z;
        ~Restore() { r->includeZ_ = r->w_.includeZ = z; }
    } restore{this, savedZ};

    long long count = 0, flags = 0;
    if (e_.v[S90].present && !integer(e_.v[S90], count)) return;
    if (e_.v[S70].present && !integer(e_.v[S70], flags)) return;
    if (flags % 2 != 0) closed = true;
    // The vertex count bounds the vertices read; at least one is read.
    const long long limit = count < 1 ? 1 : count;

    std::string prev[3], first[3], p[3];
    double prevBulge = 0;
    long long k = 1;
    for (std::size_t i = 0; i < e_.vertexCount && k <= limit; ++i) {
        const Vertex& v = e_.vertices[i];
        if (!v.y.present) continue;
        double x, y;
        if (!real(v.x, x) || !real(v.y, y)) return;
        if (mirrored_) x = -x;
        long double wx = x, wy = y, wz = 0;
        place(wx, wy, wz);
        p[1] = coordinate((wx - ucs_[0]) * s_.yScale);
        p[0] = coordinate((wy - ucs_[1]) * s_.xScale);
        p[2] = "0.00";
        if (k == 1) std::copy(p, p + 3, first);
        if (prevBulge != 0) {
            arcStep(prev, p, prevBulge);
        } else if (k > 1) {
            w_.ADDLINE(prev[0], prev[1], prev[2]);
            w_.ADDLINE(p[0], p[1], p[2]);
        }
        prevBulge = 0;
        if (v.bulge.present && !real(v.bulge, prevBulge)) return;
        prevBulge *= bulgeSign();
        if (prevBulge != 0 && unevenArc("LWPOLYLINE arc")) prevBulge = 0;
        std::copy(p, p + 3, prev);
        ++k;
    }
    if (!closed || k == 1) return;
    closingStep(prev, first, prevBulge);
}

void Reader::doTraceSolid() {
    std::string p[4][3];
    static constexpr Slot kCorners[4][3] = {{S10, S20, S30}, {S11, S21, S31}, {S12, S22, S32}, {S13, S23, S33}};
    for (int i = 0; i < 3; ++i)
        if (!point(kCorners[i][0], kCorners[i][1], kCorners[i][2], p[i])) return;
    // Without a fourth corner the fourth is the third (a triangle).
    if (!point(S13, S23, S33, p[3])) {
        if (failed_) return;
        std::copy(p[2], p[2] + 3, p[3]);
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

bool Reader::centreAndRadius(double& xc, double& yc, double& zc, double& r) {
    std::string c[3];
    if (!point(S10, S20, S30, c) || !e_.v[S40].present) return false;
    w_.centreX = c[0];
    w_.centreY = c[1];
    w_.centreZ = c[2];
    if (!ReadGroupReal(c[0], xc) || !ReadGroupReal(c[1], yc) || !ReadGroupReal(c[2], zc)) return false;
    return real(e_.v[S40], r);
}

void Reader::doArc() {
    double xc, yc, zc, r, a, b;
    if (!centreAndRadius(xc, yc, zc, r)) return;
    const int p = planeCode();
    if (failed_ || !e_.v[S50].present || !e_.v[S51].present) return;
    if (!real(e_.v[S50], a) || !real(e_.v[S51], b)) return;
    if (depth_ > 0) {
        // Seen from below, the arc is mirrored in its own plane before the
        // block's placement turns it: from the image of b to that of a.
        if (mirrored_) {
            const double a2 = 180.0 - b, b2 = 180.0 - a;
            a = a2;
            b = b2;
            w_.ocsMirror = false;
        }
        if (!xf_.similar()) {
            if (p == 3 || p == 50) placedEllipse(xc, yc, zc, r, a, b);
            return;
        }
        r *= static_cast<double>(xf_.scale());
        const long double turn = xf_.turnDegrees();
        if (xf_.mirrored()) {  // a mirror runs the arc the other way: from the image of b to that of a
            const double a2 = static_cast<double>(turn - b), b2 = static_cast<double>(turn - a);
            a = a2;
            b = b2;
        } else {
            a = static_cast<double>(a + turn);
            b = static_cast<double>(b + turn);
        }
    }
    switch (p) {
        case 3: case -3: case 50: w_.BuildDXFArcIJ(p, xc, yc, zc, r, a, b); break;
        case 1: case -1: case 2: case -2: arcAcrossZ(p, a, b); break;
        default: break;  // an oblique extrusion: not written
    }
}

// An ARC or CIRCLE whose extrusion runs along the drawing's X (`plane` 1 or
// -1: the machine's X-Z plane) or Y (2 or -2: Y-Z). Its centre and angles
// are in its object coordinate system, which the DXF reference's arbitrary
// axis rule gives: for an extrusion N in the X-Y plane the object's X axis
// is Wz x N and its Y axis the drawing's Z.
void Reader::arcAcrossZ(int plane, double a, double b) {
    const char* skipped = nullptr;
    if (!includeZ_)
        skipped = "ARC or CIRCLE across Z (without \"Z Included\")";
    else if (depth_ > 0 && !(xf_.m01 == 0 && xf_.m10 == 0 && xf_.m00 == xf_.m11 && xf_.m00 == xf_.sz && xf_.sz > 0))
        skipped = "ARC or CIRCLE across Z in a block turned, mirrored or scaled unevenly";
    if (skipped) {
        ++passedOver_[skipped];
        return;
    }
    double o[3] = {0, 0, 0}, n[3] = {0, 0, 0}, r = 0;
    if (!real(e_.v[S10], o[0]) || !real(e_.v[S20], o[1]) || (e_.v[S30].present && !real(e_.v[S30], o[2])) ||
        !real(e_.v[S40], r))
        return;
    const int along = plane == 1 || plane == -1 ? 0 : 1;
    if (!real(e_.v[S210 + along], n[along])) return;
    n[along] = n[along] < 0 ? -1 : 1;
    const long double ax[3] = {-n[1], n[0], 0};  // Wz x N
    // The centre in the drawing, then in machine coordinates; the axes'
    // images as machine vectors (machine X follows the drawing's Y).
    long double wx = o[0] * ax[0] + o[2] * n[0], wy = o[0] * ax[1] + o[2] * n[1], wz = o[1];
    place(wx, wy, wz);
    if (depth_ > 0) r *= static_cast<double>(xf_.sz);
    const double centre[3] = {static_cast<double>((wy - ucs_[1]) * s_.xScale),
                              static_cast<double>((wx - ucs_[0]) * s_.yScale),
                              static_cast<double>((wz - ucs_[2] + s_.zOffset) * s_.zScale)};
    const double u[3] = {static_cast<double>(ax[1] * s_.xScale), static_cast<double>(ax[0] * s_.yScale), 0};
    const double v[3] = {0, 0, s_.zScale};
    if (along == 0)
        w_.BuildDXFArcIK(centre, u, v, r, a, b);
    else
        w_.BuildDXFArcJK(centre, u, v, r, a, b);
}

void Reader::doCircle() {
    double xc, yc, zc, r;
    if (!centreAndRadius(xc, yc, zc, r)) return;
    if (depth_ > 0) {
        if (!xf_.similar()) {
            const bool planar = !(e_.v[S210].present || e_.v[S220].present || e_.v[S230].present) || planeCode() == 3;
            if (planar && !failed_) placedEllipse(xc, yc, zc, r, 0, 360);
            return;
        }
        r *= static_cast<double>(xf_.scale());
    }
    // A circle has no start angle: without an extrusion it lies in XY.
    const int p = e_.v[S210].present || e_.v[S220].present || e_.v[S230].present ? planeCode() : 0;
    if (failed_) return;
    switch (p) {
        case 3: case -3: case 0: w_.CircleXY(p, xc, yc, zc, r); break;
        case 1: case -1: case 2: case -2: arcAcrossZ(p, 90, 90); break;
        default: break;
    }
}

void Reader::doEllipse() {
    // The centre is read with its Z, as the ellipse's Z.
    const bool savedZ = includeZ_;
    includeZ_ = true;
    std::string c[3];
    const bool centre = point(S10, S20, S30, c);
    includeZ_ = savedZ;
    if (!centre || !e_.v[S11].present || !e_.v[S21].present || !e_.v[S40].present) return;
    double xc, yc, zc;
    if (!ReadGroupReal(c[0], xc) || !ReadGroupReal(c[1], yc) || !ReadGroupReal(c[2], zc)) return;
    w_.centreX = c[0];
    w_.centreY = c[1];
    w_.centreZ = c[2];
    // The major axis (drawing X, Y), the axis ratio and the parameter range
    // in radians. A range not given is the whole ellipse.
    double mx, my, ratio, start = 0, end = static_cast<double>(kTwoPi);
    if (!real(e_.v[S11], mx) || !real(e_.v[S21], my) || !real(e_.v[S40], ratio)) return;
    if (e_.v[S41].present && !real(e_.v[S41], start)) return;
    if (e_.v[S42].present && !real(e_.v[S42], end)) return;
    // Counter-clockwise from start to end: an end not above the start is
    // reached after a full turn.
    long double s = start, t = end;
    if (t <= s) t += kTwoPi;
    // The axes in machine coordinates: machine X follows the drawing's Y,
    // machine Y the drawing's X; the minor axis is the major one turned a
    // quarter counter-clockwise in the drawing and shortened by the ratio.
    const long double q = std::fabs(static_cast<long double>(ratio));
    // The axes in the drawing (a block's placement turns and scales them).
    // Seen from below (extrusion (0, 0, -1)) the minor axis is the major one
    // turned a quarter clockwise.
    const long double turn = seenFromBelow() ? -1.0L : 1.0L;
    if (failed_) return;
    long double jx = mx, jy = my, nx = -turn * q * my, ny = turn * q * mx;
    if (depth_ > 0) {
        const Placement m = {xf_.m00, xf_.m01, xf_.m10, xf_.m11, 0, 0, 1, 0};
        m.apply(jx, jy);
        m.apply(nx, ny);
    }
    const long double majorX = jy * static_cast<long double>(s_.xScale);
    const long double majorY = jx * static_cast<long double>(s_.yScale);
    const long double minorX = ny * static_cast<long double>(s_.xScale);
    const long double minorY = nx * static_cast<long double>(s_.yScale);
    w_.EllipseIJ(xc, yc, zc, s, t, majorX, majorY, minorX, minorY);
}

// An INSERT places its block: at the insertion point (10, 20, 30), scaled
// (41, 42, 43), turned (50, degrees), as a grid of 70 columns and 71 rows 44
// and 45 apart (turned with the block, not scaled). The block's entities go
// through the handlers as if drawn so; an INSERT inside a block nests.
void Reader::doInsert() {
    // Deeper than any drawing nests: a block that inserts itself.
    constexpr int kDeepest = 32;
    const Value& name = e_.v[S2];
    if (!name.present) return;
    const auto it = blocks_.find(name.text);
    if (it == blocks_.end() || depth_ >= kDeepest) {
        if (used_) ++passedOver_[it == blocks_.end() ? "INSERT of a block not defined" : "INSERT nested too deep"];
        return;
    }
    auto get = [&](Slot slot, double fallback, double& out) {
        out = fallback;
        return !e_.v[slot].present || real(e_.v[slot], out);
    };
    double ix, iy, iz, sx, sy, sz, rot, cs, rs, fc, fr, ex, ey, ez;
    if (!get(S10, 0, ix) || !get(S20, 0, iy) || !get(S30, 0, iz) || !get(S41, 1, sx) || !get(S42, 1, sy) ||
        !get(S43, 1, sz) || !get(S50, 0, rot) || !get(S44, 0, cs) || !get(S45, 0, rs) || !get(S70, 1, fc) ||
        !get(S71, 1, fr) || !get(S210, 0, ex) || !get(S220, 0, ey) || !get(S230, 1, ez))
        return;
    // The placement is in the INSERT's object coordinates: with the
    // extrusion (0, 0, -1) their X runs along the drawing's -X (the
    // arbitrary-axis rule); an extrusion out of the plane is not placed.
    if (std::fabs(ex) > 1e-6 || std::fabs(ey) > 1e-6) {
        if (used_) ++passedOver_["INSERT out of the drawing's plane"];
        return;
    }
    const long double ocsX = ez < 0 ? -1.0L : 1.0L;
    // A grid this large is a damaged file, not a drawing.
    const long long cols = std::clamp<long long>(static_cast<long long>(fc), 1, 10000);
    const long long rows = std::clamp<long long>(static_cast<long long>(fr), 1, 10000);
    if (cols * rows > 1000000) return;
    const Block& block = it->second;

    // The layer the block's layer-"0" entities take: the INSERT's own.
    std::string layer = depth_ > 0 ? (e_.layer.present && e_.layer.text != "0" ? e_.layer.text : insertLayer_)
                                   : lastLayer_;
    const long double t = rot * 3.14159265358979323846L / 180.0L;
    const long double c = std::cos(t), sn = std::sin(t);

    const int savedCode = code_;
    const std::string_view savedValue = value_;
    const long long savedLine = valueLine_;
    const Placement outer = xf_;
    const std::string savedInsertLayer = insertLayer_, savedLayer = layer_, savedLast = lastLayer_;
    const bool savedUsed = used_;
    insertLayer_ = layer;
    ++depth_;
    for (long long row = 0; row < rows && !failed_; ++row) {
        for (long long col = 0; col < cols && !failed_; ++col) {
            const long double ox = col * static_cast<long double>(cs), oy = row * static_cast<long double>(rs);
            Placement local;
            local.m00 = c * sx;
            local.m01 = -sn * sy;
            local.m10 = sn * sx;
            local.m11 = c * sy;
            local.tx = ix + c * ox - sn * oy - (local.m00 * block.base[0] + local.m01 * block.base[1]);
            local.ty = iy + sn * ox + c * oy - (local.m10 * block.base[0] + local.m11 * block.base[1]);
            local.sz = sz;
            local.tz = iz - sz * static_cast<long double>(block.base[2]);
            local.m00 *= ocsX;
            local.m01 *= ocsX;
            local.tx *= ocsX;
            xf_ = depth_ > 1 ? outer.then(local) : local;
            replay(block.pairs);
        }
    }
    --depth_;
    xf_ = outer;
    insertLayer_ = savedInsertLayer;
    layer_ = savedLayer;
    lastLayer_ = savedLast;
    used_ = savedUsed;
    code_ = savedCode;
    value_ = savedValue;
    valueLine_ = savedLine;
}

// A SPLINE (a NURBS curve: degree 71, control points 10/20/30, knots 40,
// weights 41; or, without control points, the cubic through its fit points
// 11/21/31 with the end tangents 12/22/32 and 13/23/33) is written as arcs
// and straight pieces, each within the connect tolerance of the curve (in
// drawing units, so the machine's scales are taken out). A closed spline (70
// bit 1) ends exactly on its first point.
void Reader::doSpline() {
    long long flags = 0, degree = 3;
    if (e_.v[S70].present && !integer(e_.v[S70], flags)) return;
    if (e_.v[S71].present && !integer(e_.v[S71], degree)) return;
    auto read = [&](const Vertex& c, SplinePoint& out) {
        double x, y, z = 0;
        if (!c.y.present || !real(c.x, x) || !real(c.y, y) || (c.bulge.present && !real(c.bulge, z))) return false;
        out = {x, y, z};
        return true;
    };
    Nurbs curve;
    const std::size_t n = e_.controlCount;
    if (n >= 2 && degree >= 1 && degree <= 25 && static_cast<std::size_t>(degree) < n) {
        curve.degree = static_cast<int>(degree);
        curve.controls.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            if (!read(e_.controls[i], curve.controls[i])) return;
        if (e_.weightCount == n) {
            curve.weights.assign(n, 1.0);
            for (std::size_t i = 0; i < n; ++i) {
                double f;
                if (!real(e_.weights[i], f)) return;
                if (f > 0) curve.weights[i] = f;
            }
        }
        if (e_.knotCount == n + curve.degree + 1) {
            for (std::size_t i = 0; i < e_.knotCount; ++i) {
                double f;
                if (!real(e_.knots[i], f)) return;
                if (i > 0 && f < curve.knots.back()) return;  // not a knot vector
                curve.knots.push_back(f);
            }
        } else {  // none or a wrong count: clamped and uniform
            curve.knots = ClampedUniformKnots(n, curve.degree);
        }
    } else if (e_.fitCount >= 2) {
        std::vector<SplinePoint> fit(e_.fitCount);
        for (std::size_t i = 0; i < e_.fitCount; ++i)
            if (!read(e_.fits[i], fit[i])) return;
        SplinePoint tangents[2];
        bool given = true;
        static constexpr Slot kTangents[2][3] = {{S12, S22, S32}, {S13, S23, S33}};
        for (int i = 0; i < 2; ++i) {
            const Slot* c = kTangents[i];
            double v[3] = {0, 0, 0};
            for (int j = 0; j < 3; ++j)
                if (e_.v[c[j]].present && !real(e_.v[c[j]], v[j])) return;
            given = given && e_.v[c[0]].present && e_.v[c[1]].present;
            tangents[i] = {v[0], v[1], v[2]};
        }
        const std::optional<Nurbs> c =
            CubicThroughFitPoints(fit, given ? &tangents[0] : nullptr, given ? &tangents[1] : nullptr);
        if (!c) {
            ++passedOver_["SPLINE whose fit points make no curve"];
            return;
        }
        curve = *c;
    } else {
        ++passedOver_["SPLINE without control points"];
        return;
    }
    if (!(curve.Last() > curve.First())) return;
    bool flat = true;
    for (SplinePoint& c : curve.controls) {
        long double x = c.x, y = c.y, z = c.z;
        place(x, y, z);
        c = {static_cast<double>(x), static_cast<double>(y), static_cast<double>(z)};
        flat = flat && c.z == curve.controls.front().z;
    }
    // The tolerance in drawing units: the program's is the connect tolerance.
    const long double xLength = std::fabs(static_cast<long double>(s_.xScale)) / (s_.xDiameter ? 2 : 1);
    const long double yLength = std::fabs(static_cast<long double>(s_.yScale));
    const long double scale = std::max(xLength, yLength);
    const double tol = static_cast<double>(s_.fitTolerance / (scale > 0 ? scale : 1));
    if (!(tol > 0)) return;
    // Arcs where the machine keeps a circle round and flat.
    const bool arcs = (flat || !includeZ_) && std::fabs(xLength - yLength) <= 1e-6L * scale;
    constexpr std::size_t kMostPieces = 1000000;
    const std::vector<CurvePiece> pieces = FitArcsAndLines(curve, tol, arcs, flags & 1, kMostPieces);

    std::string a[3], b[3], first[3];
    auto machine = [&](const SplinePoint& p, std::string (&out)[3]) {
        out[1] = coordinate((p.x - ucs_[0]) * s_.yScale);
        out[0] = coordinate((p.y - ucs_[1]) * s_.xScale);
        out[2] = includeZ_ ? coordinate((p.z - ucs_[2] + s_.zOffset) * s_.zScale) : "0.00";
    };
    machine(curve.At(curve.First()), first);
    std::copy(first, first + 3, a);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if ((flags & 1) && i + 1 == pieces.size())
            std::copy(first, first + 3, b);  // a closed spline ends on its start
        else
            machine(pieces[i].end, b);
        if (pieces[i].bulge == 0) {
            w_.ADDLINE(a[0], a[1], a[2]);
            w_.ADDLINE(b[0], b[1], b[2]);
        } else {
            arcStep(a, b, pieces[i].bulge);
        }
        std::copy(b, b + 3, a);
    }
}

void Reader::replay(const std::vector<RawPair>& pairs) {
    const std::vector<RawPair>* savedReplay = replay_;
    const std::size_t savedPos = replayPos_;
    replay_ = &pairs;
    replayPos_ = 0;
    bool more = pair();
    while (more && code_ != 0) more = pair();
    while (more && !failed_) {
        e_.reset(kindOf(value_));
        if (e_.kind == Kind::Other) e_.name.assign(value_);
        more = collect();
        if (failed_) break;
        handle();
    }
    if (!failed_ && inPolyline_) endPolyline();
    replay_ = savedReplay;
    replayPos_ = savedPos;
}

void removeFile(const std::string& path) { std::remove(path.c_str()); }

// The kinds read, for the passed-over note: "LINE, ARC, ... and SPLINE".
std::string kindsRead() {
    std::vector<std::string_view> names;
    for (const KindName& k : kKindNames)
        if (k.listed) names.push_back(k.name);
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += i + 1 == names.size() ? " and " : ", ";
        out += names[i];
    }
    return out;
}

}  // namespace

std::vector<std::string> DxfReadResult::SegmentLines() const { return SplitSegmentText(segmentText); }

std::vector<std::string> LayerListHead() {
    return {"Data was found on the following layers. Change Layer to one of these on the setup window.",
            "Remember layer names are case sensitive.", "Try Layer : 0  or  *  for all."};
}

std::string HeldNote(const std::vector<std::pair<std::string, long long>>& held, const std::string& layer) {
    if (held.empty()) return "The drawing's ENTITIES section holds no entity.";
    std::string note = "The drawing holds ";
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (i > 0) note += i + 1 == held.size() ? " and " : ", ";
        note += std::to_string(held[i].second) + " " + held[i].first;
    }
    return note + (layer == "*" ? ", none of it usable." : ", none of it usable on layer \"" + layer + "\".");
}

std::string PassedOverNote(const std::vector<std::pair<std::string, long long>>& passedOver,
                           const std::string& layer) {
    if (passedOver.empty()) return {};
    std::string note = layer == "*" ? "Passed over on all layers: " : "Passed over on layer \"" + layer + "\": ";
    for (std::size_t i = 0; i < passedOver.size(); ++i) {
        if (i > 0) note += ", ";
        note += std::to_string(passedOver[i].second) + " " + passedOver[i].first;
    }
    return note + " (the import reads " + kindsRead() + ").";
}

DxfReadResult ReadDxfEntities(const std::string& path, const DxfImportSettings& settings,
                              const std::string& scratchFolder, Host* host) {
    const std::string segmentPath = scratchFolder + "/DXF1.$$$";
    removeFile(segmentPath);
    DxfReadResult result;
    {
        const CorelCopy input(path, scratchFolder, settings.corel);
        if (!input.Status().ok) {
            result.layers = LayerListHead();
            result.message = input.Status().message;
            return result;
        }
        DxfLineSource src;
        FileStatus st = src.Open(input.Input());
        if (!st.ok) {
            result.layers = LayerListHead();
            result.message = st.message;
        } else {
            Reader reader(settings, src, host, input.Added());
            result = reader.Run();
        }
    }

    if (result.status == DxfReadStatus::Read) {
        // A scratch file of this run's private folder: no flush to disk.
        const FileStatus st = WriteScratchFile(segmentPath, result.segmentText);
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
