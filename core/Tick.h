// One timer tick of the simulation: count, erase, commit, adopt the plane, pending open,
// draw, integrate, show. The same code drives the window program and the runner; the
// drawing, the snapshot reading and the texts are hooks that the caller provides.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/FpFault.h"
#include "core/Integrator.h"
#include "core/Store.h"
#include "core/UserError.h"

class TickHooks {
  public:
    virtual ~TickHooks() = default;
    /// Paints every body's current position, projected on DrawnPlane, in black.
    virtual void ErasePass(const Store& store) = 0;
    /// Paints every body's position, projected on DrawnPlane, in white.
    virtual void DrawPass(const Store& store) = 0;
    /// The load point's reading: replaces N and both tables with the snapshot at path.
    /// Throws FileError when the file is refused; the store must then be unchanged.
    virtual void loadis(Store& store, const std::string& path) = 0;
    /// Shows the step number, the energy and the time step.
    virtual void ShowTexts(const Store& store, double Energy) = 0;
};

struct TickOutcome {
    std::int64_t step = 0;               ///< StepCount of this tick
    FpFault fault = FpFault::None;       ///< integration fault; the state is as before the phase
    std::optional<FileError> loadError;  ///< a refused snapshot; the run went on without it
};

/// Runs one tick on the store.
TickOutcome RunTick(Store& store, TickHooks& hooks, Integrator& integrator);
