#include "dxf/bridgeport.h"

#include <cmath>

#include "text/gcode_words.h"
#include "text/label_code.h"
#include "text/number_format.h"

namespace tolva {

std::string BUILDARC2(const std::string& code, const std::string& x, const std::string& y, const std::string& z,
                      const std::string& i, const std::string& j, const std::string& k, const std::string& r,
                      const std::string& extra) {
    std::string out = code;
    for (const std::string* w : {&x, &y, &z, &i, &j, &k, &r, &extra}) {
        out += ' ';
        out += *w;
    }
    return out;
}

void CONVERTBRIDGEPORT2(std::vector<std::string>& lines, const BridgeportSettings& s) {
    const Letters& L = s.codes.letters;
    const std::string& cw = s.codes.Code(LabelRow::ArcCw);
    const std::string& ccw = s.codes.Code(LabelRow::ArcCcw);
    auto word = [&](const std::string& letter, long double v) {
        return letter + DecimalText(static_cast<double>(v), s.decimals);
    };

    for (std::size_t p = 0; p + 1 < lines.size(); p += 2) {
        const std::string& a = lines[p];
        std::string& b = lines[p + 1];
        if (!HasCode(b, ccw) && !HasCode(b, cw)) continue;
        long double sx = ExactWordValue(L.X, a).value, sy = ExactWordValue(L.Y, a).value,
                    sz = ExactWordValue(L.Z, a).value;
        ExactWordRead x = ExactWordValue(L.X, b), y = ExactWordValue(L.Y, b), z = ExactWordValue(L.Z, b);
        ExactWordRead r = ExactWordValue(L.R, b), i = ExactWordValue(L.I, b), j = ExactWordValue(L.J, b),
                      k = ExactWordValue(L.K, b);
        long double di = i.value - sx, dj = j.value - sy, dk = k.value - sz;
        if (s.xDiv2 && !s.iDiv2 && s.xScale != 0) di = (i.value - sx) / std::fabs(static_cast<long double>(s.xScale));
        std::string xw = word(L.X, x.value), yw = word(L.Y, y.value);
        std::string zw = s.includeZ ? word(L.Z, z.value) : "";
        std::string iw = i.found ? word(L.I, di) : "";
        std::string jw = j.found ? word(L.J, dj) : "";
        std::string kw = k.found ? word(L.K, dk) : "";
        std::string rw = (r.found && s.rMode) ? word(L.R, r.value) : "";
        if (HasCode(b, cw)) b = BUILDARC2(cw, xw, yw, zw, iw, jw, kw, rw, "");
        if (HasCode(b, ccw)) b = BUILDARC2(ccw, xw, yw, zw, iw, jw, kw, rw, "");
    }
}

}  // namespace tolva
