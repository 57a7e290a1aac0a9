// The initial star cloud: random placement in a ball, masses and momenta, drift removal,
// centre of mass, spin alignment, and the seeded next positions. Reproducible: the same
// parameters give the same cloud in every program run.
#pragma once

#include <cstdint>
#include <random>

#include "core/FpFault.h"
#include "core/Store.h"
#include "core/UserError.h"

/// Uniform single-precision values in [0, 1) from a fixed start state.
class NextRandom {
  public:
    /// Seed 0 is the fixed start state of every window run. The generator takes the seed
    /// exclusive-or its own default, so each seed gives its own start state and none
    /// another's or seed 0's.
    explicit NextRandom(std::uint32_t seed = 0) : generator_(seed ^ std::mt19937::default_seed) {}

    float operator()() {
        // 24 random bits scaled by 2^-24: exactly representable and always below 1.
        return static_cast<float>(generator_() >> 8) * 0x1p-24f;
    }

  private:
    std::mt19937 generator_;
};

/// Fills Bodies and NextPos from N, Size1, Size2, M and IM of freshly zeroed tables, and
/// sets TotalMass, Xc, Yc, Zc; the seed picks the generator's start state. Throws
/// CloudError; the tables are then unusable.
void BuildCloud(Store& store, std::uint32_t seed = 0);

// The stages, in the order BuildCloud runs them.
void PlaceStars(Store& store, NextRandom& random);
void RemoveDrift(Store& store);
void CentreOfMass(const Store& store, double& Xc, double& Yc, double& Zc);
void AlignSpin(Store& store);
