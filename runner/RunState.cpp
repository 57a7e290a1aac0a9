// Starting, resuming and ticking a run, and its restart files now and before a tick.
#include "runner/RunState.h"

#include "start/StartParameters.h"

void RunState::Start(const StartTexts& texts, std::uint32_t seed) {
    StartRun(store, texts, seed);
    carry_ = RunCarry{};
    carry_.seed = seed;
}

void RunState::Resume(const Restart& restart) {
    store = restart.store;
    carry_ = restart.carry;
    // Once drawn on, the picture holds exactly the last draw pass: every earlier point was
    // painted over in black by the erase pass that came after it.
    if (carry_.pictureDrawn) view.DrawPass(store);
    if (carry_.textsShown)
        view.RecallTexts(store.StepCount, carry_.shownEnergy, carry_.shownTimeStep);
}

TickOutcome RunState::Tick(Integrator& integrator) {
    before_.StepCount = store.StepCount;
    before_.positions.resize(store.Bodies.size());
    for (std::size_t i = 0; i < store.Bodies.size(); ++i)
        before_.positions[i] = Point3{store.Bodies[i].x, store.Bodies[i].y, store.Bodies[i].z};
    before_.DrawnPlane = store.DrawnPlane;
    before_.whole.reset();
    if (!store.FileToOpen.empty()) before_.whole = store;
    before_.carry = carry_;

    const TickOutcome outcome = RunTick(store, view, integrator);
    if (outcome.fault == FpFault::None && !outcome.loadError) {
        carry_.pictureDrawn = true;
        carry_.textsShown = true;
        carry_.shownEnergy = view.energy();
        carry_.shownTimeStep = store.dT;
    }
    return outcome;
}

Bytes RunState::RestartBytes() const {
    return EncodeRestart(store, carry_);
}

Bytes RunState::RestartBytesBeforeTick() const {
    if (before_.whole) return EncodeRestart(*before_.whole, before_.carry);
    Store earlier = store;
    earlier.StepCount = before_.StepCount;
    for (std::size_t i = 0; i < earlier.Bodies.size(); ++i) {
        Body& b = earlier.Bodies[i];
        b.x = before_.positions[i].x;
        b.y = before_.positions[i].y;
        b.z = before_.positions[i].z;
    }
    earlier.DrawnPlane = before_.DrawnPlane;
    return EncodeRestart(earlier, before_.carry);
}
