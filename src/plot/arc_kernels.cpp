#include "plot/arc_kernels.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "plot/projection.h"

namespace tolva {
namespace {

// Portable: four-wide double vectors (two instructions each where the
// machine has only 128-bit registers), whole blocks only.
typedef double Vec4 __attribute__((vector_size(32)));
typedef long long Mask4 __attribute__((vector_size(32)));
typedef int Int4 __attribute__((vector_size(16)));
constexpr int kQuads = kBlock / 4;

// The same vector read from doubles at any address. A vector type may stand
// for its element type, so reading the tables through it is allowed. No
// helper passes or returns a vector: that would depend on the calling
// convention of machines with and without AVX.
typedef double Vec4u __attribute__((vector_size(32), aligned(alignof(double))));
#define LOAD4(p) (*reinterpret_cast<const Vec4u*>(p))

int runBlocksPortable(const BlockRun& t, long long b, int blocks, long long n, double& cbOut, double& sbOut,
                      double& phOut, double& pvOut, Pixel* moves, int& countOut) {
    // Locals, so that the stores of the moves cannot be taken to change them.
    double cb = cbOut, sb = sbOut, ph = phOut, pv = pvOut;
    int count = countOut;
    const Vec4 shift = Vec4{} + 6755399441055744.0;  // broadcast
    int done = 0;
    for (; done < blocks && b + kBlock <= n; ++done, b += kBlock) {
        const double bd = static_cast<double>(b);
        const Vec4 c = Vec4{} + cb, s = Vec4{} + sb, baseV = Vec4{} + t.v.ki * bd, baseH = Vec4{} + t.h.ki * bd;
        Vec4 nv[kQuads], nh[kQuads];
        Mask4 sure = {-1, -1, -1, -1};
        for (int q = 0; q < kQuads; ++q) {
            const Vec4 v = LOAD4(t.v.L + 4 * q) + baseV + c * LOAD4(t.v.P + 4 * q) + s * LOAD4(t.v.Q + 4 * q);
            const Vec4 h = LOAD4(t.h.L + 4 * q) + baseH + c * LOAD4(t.h.P + 4 * q) + s * LOAD4(t.h.Q + 4 * q);
            nv[q] = (v + shift) - shift, nh[q] = (h + shift) - shift;
            // |d| < limit, the sign bit cleared in place of a branch.
            const Vec4 dv = (Vec4)((Mask4)(v - nv[q]) & 0x7FFFFFFFFFFFFFFFLL);
            const Vec4 dh = (Vec4)((Mask4)(h - nh[q]) & 0x7FFFFFFFFFFFFFFFLL);
            sure &= (dv < Vec4{} + t.limV) & (dh < Vec4{} + t.limH);
        }
        if (!(sure[0] & sure[1] & sure[2] & sure[3])) break;
        // Every point is written and the count moves on past those that move
        // the pen: no branch on how many there are.
        for (int q = 0; q < kQuads; ++q) {
            const Int4 x = __builtin_convertvector(nh[q], Int4), y = __builtin_convertvector(nv[q], Int4);
            for (int k = 0; k < 4; ++k) {
                const double hk = nh[q][k], vk = nv[q][k];
                moves[count] = Pixel{x[k], y[k]};
                count += (hk != ph) | (vk != pv);
                ph = hk, pv = vk;
            }
        }
        const double nc = cb * t.C - sb * t.S;
        sb = sb * t.C + cb * t.S;
        cb = nc;
    }
    cbOut = cb, sbOut = sb, phOut = ph, pvOut = pv, countOut = count;
    return done;
}

#if defined(__x86_64__) && defined(__GNUC__)
// Lane indices that pack the lanes set in a mask to the front.
struct PackTable {
    alignas(32) int idx[256][8];
    constexpr PackTable() : idx{} {
        for (int m = 0; m < 256; ++m) {
            int n = 0;
            for (int k = 0; k < 8; ++k)
                if (m >> k & 1) idx[m][n++] = k;
            for (; n < 8; ++n) idx[m][n] = 7;
        }
    }
};
constexpr PackTable kPack;

// Lanes whose value x (and y) lies within the limit of its nearest whole nx (ny).
[[gnu::target("avx2,fma")]] inline unsigned sureLanes(__m256 x, __m256 nx, __m256 y, __m256 ny, __m256 limX,
                                                      __m256 limY) {
    const __m256 absMask = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
    const __m256 a = _mm256_cmp_ps(_mm256_and_ps(_mm256_sub_ps(x, nx), absMask), limX, _CMP_LT_OQ);
    const __m256 d = _mm256_cmp_ps(_mm256_and_ps(_mm256_sub_ps(y, ny), absMask), limY, _CMP_LT_OQ);
    return static_cast<unsigned>(_mm256_movemask_ps(_mm256_and_ps(a, d)));
}

// Lanes whose pixel (h, v) differs from the lane before; lane 0 is compared
// with (ph, pv).
[[gnu::target("avx2,fma")]] inline unsigned movedLanes(__m256i h, __m256i v, int ph, int pv) {
    const __m256i before = _mm256_setr_epi32(7, 0, 1, 2, 3, 4, 5, 6);
    const __m256i prevH = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(h, before), _mm256_set1_epi32(ph), 1);
    const __m256i prevV = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(v, before), _mm256_set1_epi32(pv), 1);
    const __m256i same = _mm256_and_si256(_mm256_cmpeq_epi32(h, prevH), _mm256_cmpeq_epi32(v, prevV));
    return static_cast<unsigned>(~_mm256_movemask_ps(_mm256_castsi256_ps(same)) & 0xFF);
}

// Writes the pixels of the lanes in m to out, in order (and eight pixels in
// all); returns how many count.
[[gnu::target("avx2,fma")]] inline int packMoves(__m256i h, __m256i v, unsigned m, Pixel* out) {
    const __m256i idx = _mm256_load_si256(reinterpret_cast<const __m256i*>(kPack.idx[m]));
    const __m256i px = _mm256_permutevar8x32_epi32(h, idx), py = _mm256_permutevar8x32_epi32(v, idx);
    const __m256i lo = _mm256_unpacklo_epi32(px, py), hi = _mm256_unpackhi_epi32(px, py);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4), _mm256_permute2x128_si256(lo, hi, 0x31));
    return __builtin_popcount(m);
}

// The sixteen points of a block in two float vectors per axis, measured from
// the whole pixel nearest the block's first point (computed in double), and the
// pen's moves packed with a table instead of one store per point. A last
// block short of points is done with the missing lanes left out.
[[gnu::target("avx2,fma")]] int runBlocksAvx2(const BlockRun& t, long long b, int blocks, long long n,
                                               double& cbOut, double& sbOut, double& phOut, double& pvOut,
                                               Pixel* moves, int& countOut) {
    static_assert(kBlock == 16 && sizeof(Pixel) == 8);
    double cb = cbOut, sb = sbOut;
    int count = countOut;
    const __m256 dLv0 = _mm256_load_ps(t.dLv), dPv0 = _mm256_load_ps(t.dPv), dQv0 = _mm256_load_ps(t.dQv);
    const __m256 dLh0 = _mm256_load_ps(t.dLh), dPh0 = _mm256_load_ps(t.dPh), dQh0 = _mm256_load_ps(t.dQh);
    const __m256 dLv1 = _mm256_load_ps(t.dLv + 8), dPv1 = _mm256_load_ps(t.dPv + 8), dQv1 = _mm256_load_ps(t.dQv + 8);
    const __m256 dLh1 = _mm256_load_ps(t.dLh + 8), dPh1 = _mm256_load_ps(t.dPh + 8), dQh1 = _mm256_load_ps(t.dQh + 8);
    const __m256 shift = _mm256_set1_ps(12582912.0f);  // 1.5 * 2^23: adding it leaves no fraction bits
    const __m256 limV = _mm256_set1_ps(t.flimV), limH = _mm256_set1_ps(t.flimH);
    int penH = static_cast<int>(phOut), penV = static_cast<int>(pvOut);
    int done = 0;
    for (; done < blocks && b < n; ++done, b += kBlock) {
        const int valid = n - b < kBlock ? static_cast<int>(n - b) : kBlock;
        const unsigned all = (1u << valid) - 1;
        const double bd = static_cast<double>(b);
        const double v0 = t.v.At(0, cb, sb, t.v.ki * bd);
        const double h0 = t.h.At(0, cb, sb, t.h.ki * bd);
        const double ov = nearestInt(v0), oh = nearestInt(h0);
        const __m256 c = _mm256_set1_ps(static_cast<float>(cb)), s = _mm256_set1_ps(static_cast<float>(sb));
        const __m256 fv = _mm256_set1_ps(static_cast<float>(v0 - ov)), fh = _mm256_set1_ps(static_cast<float>(h0 - oh));
        const __m256 v_0 = _mm256_fmadd_ps(s, dQv0, _mm256_fmadd_ps(c, dPv0, _mm256_add_ps(fv, dLv0)));
        const __m256 v_1 = _mm256_fmadd_ps(s, dQv1, _mm256_fmadd_ps(c, dPv1, _mm256_add_ps(fv, dLv1)));
        const __m256 h_0 = _mm256_fmadd_ps(s, dQh0, _mm256_fmadd_ps(c, dPh0, _mm256_add_ps(fh, dLh0)));
        const __m256 h_1 = _mm256_fmadd_ps(s, dQh1, _mm256_fmadd_ps(c, dPh1, _mm256_add_ps(fh, dLh1)));
        const __m256 nv0 = _mm256_sub_ps(_mm256_add_ps(v_0, shift), shift);
        const __m256 nv1 = _mm256_sub_ps(_mm256_add_ps(v_1, shift), shift);
        const __m256 nh0 = _mm256_sub_ps(_mm256_add_ps(h_0, shift), shift);
        const __m256 nh1 = _mm256_sub_ps(_mm256_add_ps(h_1, shift), shift);
        const unsigned sure = sureLanes(v_0, nv0, h_0, nh0, limV, limH) | sureLanes(v_1, nv1, h_1, nh1, limV, limH) << 8;
        if ((sure & all) != all) break;
        const __m256i ov8 = _mm256_set1_epi32(static_cast<int>(ov)), oh8 = _mm256_set1_epi32(static_cast<int>(oh));
        const __m256i iv0 = _mm256_add_epi32(_mm256_cvtps_epi32(nv0), ov8), iv1 = _mm256_add_epi32(_mm256_cvtps_epi32(nv1), ov8);
        const __m256i ih0 = _mm256_add_epi32(_mm256_cvtps_epi32(nh0), oh8), ih1 = _mm256_add_epi32(_mm256_cvtps_epi32(nh1), oh8);
        // Each point against the one before it, the first against the pen.
        const unsigned m0 = movedLanes(ih0, iv0, penH, penV) & all;
        const unsigned m1 = movedLanes(ih1, iv1, _mm256_extract_epi32(ih0, 7), _mm256_extract_epi32(iv0, 7)) & (all >> 8);
        count += packMoves(ih0, iv0, m0, moves + count);
        count += packMoves(ih1, iv1, m1, moves + count);
        // The pen ends on the block's last point.
        alignas(32) int lastH[16], lastV[16];
        _mm256_store_si256(reinterpret_cast<__m256i*>(lastH), ih0);
        _mm256_store_si256(reinterpret_cast<__m256i*>(lastH + 8), ih1);
        _mm256_store_si256(reinterpret_cast<__m256i*>(lastV), iv0);
        _mm256_store_si256(reinterpret_cast<__m256i*>(lastV + 8), iv1);
        penH = lastH[valid - 1], penV = lastV[valid - 1];
        const double nc = cb * t.C - sb * t.S;
        sb = sb * t.C + cb * t.S;
        cb = nc;
    }
    cbOut = cb, sbOut = sb, countOut = count;
    phOut = penH, pvOut = penV;
    return done;
}
#endif

RunBlocks kernelFor(ArcKernel k) {
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    switch (k) {
        case ArcKernel::Best: return avx2 ? runBlocksAvx2 : runBlocksPortable;
        case ArcKernel::Avx2: return avx2 ? runBlocksAvx2 : nullptr;
        case ArcKernel::Baseline: return runBlocksPortable;
    }
#endif
    return k == ArcKernel::Best || k == ArcKernel::Baseline ? runBlocksPortable : nullptr;
}
RunBlocks runBlocks = kernelFor(ArcKernel::Best);

}  // namespace

#undef LOAD4

bool UseArcKernel(ArcKernel k) {
    const RunBlocks kernel = kernelFor(k);
    if (!kernel) return false;
    runBlocks = kernel;
    return true;
}

RunBlocks ArcBlockKernel() { return runBlocks; }

}  // namespace tolva
