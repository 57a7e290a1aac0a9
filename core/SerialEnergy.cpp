// Predicting each row's binade, moving the running sum on the grid, and adding one amount
// at a time where the grid does not apply.
#include "core/SerialEnergy.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include "core/FpFault.h"
#include "core/ReferenceRow.h"

namespace {

constexpr double kTwoTo52 = 0x1p52, kTwoTo53 = 0x1p53;

// 256 bodies keep 512 KiB of pair amounts.
constexpr int kKeepAllAmountsUpTo = 256;

// Binades are used only well inside the normal range, where u and the scale are normal
// powers of two and no clamped amount in grid units can overflow.
constexpr int kLowestExponent = -900, kHighestExponent = 1000;

// Read off the bits: these run for every row of every phase, where library calls would cost
// more than the rows they bookkeep at small N.
int BiasedExponent(double S) {
    std::uint64_t bits;
    std::memcpy(&bits, &S, sizeof bits);
    return static_cast<int>((bits >> 52) & 0x7FF);
}

// 2^k for k in the normal range.
double PowerOfTwo(int k) {
    const std::uint64_t bits = static_cast<std::uint64_t>(k + 1023) << 52;
    double p;
    std::memcpy(&p, &bits, sizeof p);
    return p;
}

// The e of the binade [2^e, 2^(e+1)) that holds |S|, when the grid may use it; zeros,
// subnormals, infinities and NaNs have none.
std::optional<int> BinadeOf(double S) {
    const int e = BiasedExponent(S) - 1023;
    if (e < kLowestExponent || e > kHighestExponent) return std::nullopt;
    return e;
}

// The grid of a running sum S: the scale turns an amount into units of the last bit of S,
// signed so that amounts of the sign of S are positive; 0 when S has no usable binade.
double GridScale(double S) {
    const auto e = BinadeOf(S);
    return e ? std::copysign(PowerOfTwo(52 - *e), S) : 0;
}

// Amounts are clamped to ±2^(e+1) before scaling: a larger one leaves the binade anyway.
double GridLimit(double S) {
    const auto e = BinadeOf(S);
    return e ? PowerOfTwo(*e + 1) : 0;
}

// S moved by `units` grid units of the scale, when S lies in the scale's binade and stays
// in it: then every partial sum was a multiple of the unit and the move is exact.
std::optional<double> MoveOnGrid(double S, double scale, double units) {
    const auto e = BinadeOf(S);
    if (scale == 0 || !e || 52 - *e != BiasedExponent(scale) - 1023 ||
        std::signbit(S) != std::signbit(scale))
        return std::nullopt;
    const double A = S * scale;  // the sum in grid units: an integer in [2^52, 2^53)
    if (!(A + units < kTwoTo53)) return std::nullopt;
    // ÷ scale as × 2^(e-52), the same double: both are exact scalings by a power of two.
    return (A + units) * std::copysign(PowerOfTwo(*e - 52), scale);
}

// Adds a stretch of amounts on the grid of Energy, if that is exact; false otherwise. The
// units are whole numbers, summed exactly in any order while below 2^53 (and once one sum
// is past it, so is the total, which MoveOnGrid refuses), and the lowest value and the worst
// rounding do not depend on the order either: four lanes run side by side.
bool AddStretchOnGrid(double& Energy, const double* a, std::size_t count) {
    const double scale = GridScale(Energy), limit = GridLimit(Energy);
    if (scale == 0) return false;
    constexpr std::size_t kLanes = 4;
    double units[kLanes] = {}, lowest[kLanes] = {}, worstRounding[kLanes] = {};
    auto add = [&](std::size_t lane, double amount) {
        const double v = std::clamp(amount, -limit, limit) * scale;
        const double rounded = (v + kTwoTo52) - kTwoTo52;  // ties to even, for v < 2^52
        worstRounding[lane] = std::max(worstRounding[lane], std::fabs(v - rounded));
        lowest[lane] = std::min(lowest[lane], v);
        units[lane] += rounded;
    };
    std::size_t t = 0;
    for (; t + kLanes <= count; t += kLanes)
        for (std::size_t lane = 0; lane < kLanes; ++lane)
            add(lane, a[t + lane]);
    for (; t < count; ++t)
        add(0, a[t]);
    for (std::size_t lane = 1; lane < kLanes; ++lane) {
        lowest[0] = std::min(lowest[0], lowest[lane]);
        worstRounding[0] = std::max(worstRounding[0], worstRounding[lane]);
    }
    if (lowest[0] < 0 || worstRounding[0] >= 0.5) return false;
    const auto moved = MoveOnGrid(Energy, scale, (units[0] + units[1]) + (units[2] + units[3]));
    if (moved) Energy = *moved;
    return moved.has_value();
}

// Whether a row that starts at `from` and ends at `to` (last phase's sums) may leave its
// binade in this phase, which moves the sums a little.
bool MayLeaveItsBinade(double from, double to) {
    constexpr double kMargin = 1.0 / 1024;
    const double low = std::min(std::fabs(from), std::fabs(to)) * (1 - kMargin);
    const double high = std::max(std::fabs(from), std::fabs(to)) * (1 + kMargin);
    const auto a = BinadeOf(low), b = BinadeOf(high);
    return !a || !b || *a != *b || std::signbit(from) != std::signbit(to);
}

}  // namespace

double AddInOrder(double Energy, const double* amounts, std::size_t count) {
    // A stretch that the grid cannot take is added one amount at a time: short stretches
    // keep that part short.
    constexpr std::size_t kStretch = 32;
    std::size_t k = 0;
    for (; k < count && !BinadeOf(Energy); ++k)  // a sum of 0 has no grid yet
        Energy = amounts[k] + Energy;
    for (; k < count; k += kStretch) {
        const std::size_t m = std::min(kStretch, count - k);
        if (AddStretchOnGrid(Energy, amounts + k, m)) continue;
        for (std::size_t t = k; t < k + m; ++t)
            Energy = amounts[t] + Energy;
    }
    return Energy;
}

bool SerialEnergy::Predict(IntegrationWorkspace& ws, int lanes) {
    lanes_ = lanes;
    const bool known = predicted_.size() == static_cast<std::size_t>(ws.n) + 1;
    if (!known) predicted_.clear();
    SetGrid(ws);
    ChooseAmountStores(ws);
    return known;
}

void SerialEnergy::PredictFromRowSums(IntegrationWorkspace& ws, int lanes) {
    predicted_.resize(static_cast<std::size_t>(ws.n) + 1);
    double P = 0;
    for (int i = 0; i < ws.n; ++i) {
        predicted_[i] = P;
        P = (P + ws.rowPairSum[i]) + ws.kinetic[i];
    }
    predicted_[ws.n] = P;
    Predict(ws, lanes);
}

void SerialEnergy::SetGrid(IntegrationWorkspace& ws) const {
    const int rows = static_cast<int>(ws.gridScale.size());
    for (int i = 0; i < rows; ++i) {
        // Padding rows copy the last row, as every other input does.
        const double S = predicted_.empty() ? 0 : predicted_[std::min(i, ws.n - 1)];
        ws.gridScale[i] = GridScale(S);
        ws.gridLimit[i] = GridLimit(S);
    }
}

// The blocks with a row that may leave its binade keep their pair amounts, so that such a
// row is added one amount at a time without computing its amounts again. Up to
// kKeepAllAmountsUpTo bodies every block keeps them: the table fits in the cache and a row
// that the grid refuses for a tie (frequent where some bodies are far heavier than the
// rest) is then added without computing its pairs again either.
void SerialEnergy::ChooseAmountStores(IntegrationWorkspace& ws) {
    const int blocks = (ws.n + lanes_ - 1) / lanes_;
    const bool keepAll = ws.n <= kKeepAllAmountsUpTo;
    keep_.assign(static_cast<std::size_t>(blocks), keepAll);
    int kept = keepAll ? blocks : 0;
    for (int i = 0; !keepAll && !predicted_.empty() && i < ws.n; ++i) {
        const std::size_t b = static_cast<std::size_t>(i / lanes_);
        if (!keep_[b] && MayLeaveItsBinade(predicted_[i], predicted_[i + 1]))
            keep_[b] = true, ++kept;
    }
    const std::size_t perBlock = static_cast<std::size_t>(lanes_) * static_cast<std::size_t>(ws.n);
    stored_.resize(perBlock * static_cast<std::size_t>(kept));
    ws.blockAmounts.assign(static_cast<std::size_t>(blocks), nullptr);
    double* next = stored_.data();
    for (int b = 0; b < blocks; ++b)
        if (keep_[static_cast<std::size_t>(b)]) ws.blockAmounts[b] = next, next += perBlock;
}

double SerialEnergy::AddRowInOrder(const IntegrationWorkspace& ws, int i, double Energy) {
    row_.resize(static_cast<std::size_t>(ws.n));  // the n - 1 pair amounts, then the kinetic
    double* next = row_.data();
    if (const double* stored = ws.blockAmounts[i / lanes_]) {
        const double* column = stored + i % lanes_;
        for (int j = 0; j < ws.n; ++j)
            if (j != i) *next++ = column[j * lanes_];
    } else {
        for (int j = 0; j < ws.n; ++j)
            if (j != i) *next++ = PairAmount<double>(ws, i, j);
    }
    *next = ws.kinetic[i];
    return AddInOrder(Energy, row_.data(), row_.size());
}

int SerialEnergy::Sum(const IntegrationWorkspace& ws, int end) {
    start_.resize(static_cast<std::size_t>(ws.n) + 1);
    double S = 0;
    for (int i = 0; i < end; ++i) {
        start_[i] = S;
        const bool fits = ws.gridLowest[i] >= 0 && ws.gridWorstRounding[i] < 0.5;
        if (const auto moved =
                fits ? MoveOnGrid(S, ws.gridScale[i], ws.gridSum[i]) : std::nullopt) {
            S = *moved;
            continue;
        }
        ClearFpFlags();
        S = AddRowInOrder(ws, i, S);
        if (TestFpFault() != FpFault::None) return i;
    }
    start_[end] = S;
    return end;
}

void SerialEnergy::KeepForNextPhase() {
    predicted_.swap(start_);
}
