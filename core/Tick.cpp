// The tick, phase by phase.
#include "core/Tick.h"

#include "core/FileError.h"

namespace {

void CommitNextPositions(Store& store) {
    const int n = store.N();
    for (int i = 0; i < n; ++i) {
        Body& b = store.Bodies[i];
        const Point3& p = store.NextPos[i];
        b.x = p.x;
        b.y = p.y;
        b.z = p.z;
    }
}

// The Open command only records a name; the file is read here, between commit and draw.
std::optional<FileError> PerformPendingOpen(Store& store, TickHooks& hooks) {
    if (store.FileToOpen.empty()) return std::nullopt;
    const std::string path = std::move(store.FileToOpen);
    store.FileToOpen.clear();
    try {
        hooks.loadis(store, path);
    } catch (const FileError& refused) {
        return refused;
    }
    store.FileName = path;
    return std::nullopt;
}

}  // namespace

TickOutcome RunTick(Store& store, TickHooks& hooks, Integrator& integrator) {
    TickOutcome outcome;
    outcome.step = ++store.StepCount;
    hooks.ErasePass(store);
    CommitNextPositions(store);
    store.DrawnPlane = store.Plane;
    outcome.loadError = PerformPendingOpen(store, hooks);
    hooks.DrawPass(store);
    const IntegrationResult result = integrator.Integrate(store);
    outcome.fault = result.fault;
    if (result.fault == FpFault::None) hooks.ShowTexts(store, result.Energy);
    return outcome;
}
