// A run between two ticks as the runner keeps it: the store, the picture with the tick's
// hooks on it, and what a restart file holds beyond the store. A run resumed from a
// restart file has the store, the picture and the texts that the run had when the file
// was written, so its next tick is the one the run would have run next.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/Integrator.h"
#include "core/Store.h"
#include "core/Tick.h"
#include "display/Picture.h"
#include "display/TickView.h"
#include "start/StartTexts.h"
#include "storage/FileAccess.h"
#include "storage/RestartFile.h"

class RunState {
  public:
    RunState() = default;
    RunState(const RunState&) = delete;
    RunState& operator=(const RunState&) = delete;

    /// Starts as the start form's "OK" does, the cloud from the seed. Throws
    /// StartParameterError or CloudError.
    void Start(const StartTexts& texts, std::uint32_t seed);
    /// Takes over a restart file's state in a run not yet started; the picture and the
    /// texts show what they showed then.
    void Resume(const Restart& restart);

    /// One tick; remembers what the tick changes, so that a fault can go back.
    TickOutcome Tick(Integrator& integrator);

    /// The restart file of the state now, between two ticks.
    Bytes RestartBytes() const;
    /// The restart file of the state before the last tick: after a fault, the state from
    /// which the failing tick runs again.
    Bytes RestartBytesBeforeTick() const;

    Store store;
    Picture picture;
    TickView view{picture};

  private:
    // What a tick changes before its integration, which changes nothing when it faults.
    struct BeforeTick {
        std::int64_t StepCount = 0;
        std::vector<Point3> positions;  // of the bodies, which the commit replaces
        std::string DrawnPlane;
        std::optional<Store> whole;  // when the tick opens a snapshot, which replaces all
        RunCarry carry;
    };

    RunCarry carry_;
    BeforeTick before_;
};
