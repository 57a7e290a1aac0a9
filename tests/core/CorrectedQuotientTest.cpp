// The corrected reciprocal gives the division's own double: on quotients built to lie next to
// a rounding midpoint, on divisors with all-ones significands and powers of two, across the
// exponent window the kernels use it in; and whole phases at the window's edges and beyond.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/RowBlockKernel.h"
#include "tests/core/FastPathSupport.h"

using namespace fastpath;

namespace {

using QuotientKernel = void (*)(const double*, const double*, double*, long);

std::vector<std::pair<const char*, QuotientKernel>> CorrectedKernels() {
    std::vector<std::pair<const char*, QuotientKernel>> kernels;
    if (CpuSupports(SimdWidth::Avx512)) kernels.push_back({"avx512", CorrectedQuotientsAvx512});
    if (CpuSupports(SimdWidth::Avx2) && CpuSupportsFusedMultiplyAdd())
        kernels.push_back({"avx2", CorrectedQuotientsAvx2});
    return kernels;
}

// Pairs (a, b) with b in [2^-112, 2^244] and a ÷ b a few units of a's last place from the
// midpoint between two doubles, in [2^-728, 2^707]: the divisors and quotients of a pair.
void HardQuotients(std::mt19937_64& random, std::size_t count, std::vector<double>& a,
                   std::vector<double>& b) {
    std::uniform_int_distribution<int> divisorExponent(-112, 243), shift(-3, 3), kind(0, 7);
    std::uniform_int_distribution<int> quotientExponent(-700, 700);
    std::uniform_int_distribution<std::uint64_t> significand(0, (1ull << 52) - 1);
    auto withSignificand = [](std::uint64_t bits, int exponent) {
        return std::ldexp(1.0 + std::ldexp(static_cast<double>(bits), -52), exponent);
    };
    a.resize(count), b.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        const int e = divisorExponent(random);
        const int form = kind(random);  // all-ones significand, power of two, or random
        b[k] = form == 0   ? withSignificand((1ull << 52) - 1, e)
               : form == 1 ? std::ldexp(1.0, e)
                           : withSignificand(significand(random), e);
        const double q = withSignificand(significand(random), quotientExponent(random) - e / 2);
        // a = RN((q + ulp(q)/2) × b), from the exact product q × b = p + t.
        const double half = std::ldexp(std::nextafter(q, INFINITY) - q, -1);
        const double p = q * b[k], t = std::fma(q, b[k], -p);
        double value = p + std::fma(half, b[k], t);
        for (int s = shift(random); s != 0; s += s > 0 ? -1 : 1)
            value = std::nextafter(value, s > 0 ? INFINITY : -INFINITY);
        a[k] = random() % 2 ? value : -value;
    }
}

}  // namespace

TEST(CorrectedQuotient, TenMillionHardQuotientsAreTheDivisions) {
    const auto kernels = CorrectedKernels();
    if (kernels.empty()) GTEST_SKIP() << "no fused multiply-add on this processor";
    std::mt19937_64 random(17);
    std::vector<double> a, b, out;
    const std::size_t batch = 1 << 20;
    for (int round = 0; round < 10; ++round) {
        HardQuotients(random, batch, a, b);
        for (const auto& [name, kernel] : kernels) {
            out.assign(batch, 0);
            kernel(a.data(), b.data(), out.data(), static_cast<long>(batch));
            for (std::size_t k = 0; k < batch; ++k)
                ASSERT_TRUE(SameBits(out[k], a[k] / b[k]))
                    << name << ": " << a[k] << " / " << b[k] << " gave " << out[k];
        }
    }
}

TEST(CorrectedQuotient, PhasesAtTheEdgesOfTheWindowAndBeyond) {
    struct Edge {
        const char* name;
        double coordinate, mass, G;
    };
    const Edge edges[] = {
        {"smallest coordinates", 0x1p-60, 1, 1},    {"largest coordinates", 0x1p119, 1, 1},
        {"below the window", 0x1p-61, 1, 1},        {"above the window", 0x1p121, 1, 1},
        {"lightest masses", 1, 0x1p-150, 0x1p-100}, {"heaviest masses", 1, 0x1p149, 0x1p99},
        {"masses outside", 1, 0x1p151, 1},          {"subnormal distances", 1e-310, 1, 1},
        {"squares that overflow", 1e160, 1, 1},     {"tiny G", 1, 1, 0x1p-101},
    };
    for (const Edge& edge : edges) {
        Store s = RandomStore(29, 3);
        for (int i = 0; i < s.N(); ++i) {
            Body& b = s.Bodies[i];
            // Coordinates from the edge up by small integer factors, some exactly 0.
            b.x = edge.coordinate * (1 + i % 5), b.y = i % 3 ? edge.coordinate * (i % 7) : 0;
            b.z = edge.coordinate * (i / 4);
            b.mass = edge.mass * (1 + i % 4);
            s.NextPos[i] = {b.x, b.y, b.z};
        }
        s.G = edge.G;
        const Outcome plain = RunWith(ReferenceOptions(), s);
        for (const Config& c : AllConfigs()) {
            const Outcome fast = RunWith(FastOptions(c), s);
            const std::string where = std::string(edge.name) + " " + c.Name();
            ASSERT_EQ(plain.result.fault, fast.result.fault) << where;
            EXPECT_TRUE(SameBits(plain.result.Energy, fast.result.Energy)) << where;
            ExpectSameBits(plain.store, fast.store, where);
        }
    }
}

TEST(CorrectedQuotient, SubnormalNumeratorsTakeTheDivisions) {
    // Distances near 1e-150 and subnormal differences in z, with masses that make g near 1:
    // numerators of a few hundred units of the smallest double over normal distances,
    // where a corrected reciprocal would round some quotients wrongly.
    Store s;
    s.RecreateTables(29);
    for (int i = 0; i < s.N(); ++i) {
        Body& b = s.Bodies[i];
        b.x = 1e-150 * (1 + i), b.z = 5e-321 * (i % 7), b.mass = 1e-300 * (1 + i % 4);
        s.NextPos[i] = {b.x, b.y, b.z};
    }
    s.G = 1, s.dT = 1e-5;
    const Outcome plain = RunWith(ReferenceOptions(), s);
    ASSERT_EQ(plain.result.fault, FpFault::None);
    for (const Config& c : AllConfigs()) {
        const Outcome fast = RunWith(FastOptions(c), s);
        EXPECT_TRUE(SameBits(plain.result.Energy, fast.result.Energy)) << c.Name();
        ExpectSameBits(plain.store, fast.store, c.Name());
    }
}
