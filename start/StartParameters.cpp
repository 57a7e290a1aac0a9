// The conversions of the start sequence and their checks.
#include "start/StartParameters.h"

#include <cmath>

#include "start/Cloud.h"
#include "start/ParseNumber.h"

namespace {

double FiniteNumber(const StartTexts& texts, StartBox box) {
    const double v = ParseNumber(texts.text(box));
    if (!std::isfinite(v)) throw StartParameterError(box, texts.text(box), StartProblem::NotFinite);
    return v;
}

int BodyCount(const StartTexts& texts) {
    const double rounded = std::nearbyint(ParseNumber(texts.TextN));  // ties to even
    if (!(rounded >= 1 && rounded <= kMaxBodies))
        throw StartParameterError(StartBox::N, texts.TextN, StartProblem::CountOutOfRange);
    return static_cast<int>(rounded);
}

}  // namespace

StartParameters ConvertStartTexts(const StartTexts& texts) {
    StartParameters p;
    p.N = BodyCount(texts);
    p.Size1 = FiniteNumber(texts, StartBox::Size1);
    p.Size2 = FiniteNumber(texts, StartBox::Size2);
    p.M = FiniteNumber(texts, StartBox::M);
    p.IM = FiniteNumber(texts, StartBox::IM);
    p.G = FiniteNumber(texts, StartBox::G);
    p.dT = FiniteNumber(texts, StartBox::dT);
    p.No = FiniteNumber(texts, StartBox::No);
    if (p.Size1 == 0)
        throw StartParameterError(StartBox::Size1, texts.TextSize1,
                                  StartProblem::SpaceRegionIsZero);
    return p;
}

void StartRun(Store& store, const StartTexts& texts, std::uint32_t seed) {
    const StartParameters p = ConvertStartTexts(texts);
    store.RecreateTables(p.N);
    store.Size1 = p.Size1;
    store.Size2 = p.Size2;
    store.M = p.M;
    store.IM = p.IM;
    store.G = p.G;
    store.dT = p.dT;
    store.No = p.No;
    BuildCloud(store, seed);
    store.DrawnPlane = "xy";
    store.Plane = "xy";
}
