#pragma once
// What the engine tells its listeners, synchronously and in order, during a
// step or a rewind, and when its elasticity changes. Override only what you need. The bowls are the engine's
// own; handlers read them. A handler that tries to add, remove or step bowls
// gets InvalidCall from the engine (CEnvEng lists the calls).

namespace vintrop {

class CBowl;

class IEngineListener {
public:
    virtual ~IEngineListener() = default;
    // A new collision of b1 (being stepped) with b2, after the push-back.
    virtual void BeforeCollision(const CBowl& /*b1*/, const CBowl& /*b2*/) {}
    // The same pair, with its velocities resolved.
    virtual void AfterCollision(const CBowl& /*b1*/, const CBowl& /*b2*/) {}
    // One bowl has finished its part of the step (or was rewound).
    virtual void Step(const CBowl& /*b*/) {}
    // The step (or rewind) is complete and t has its new value.
    virtual void AdvanceCompleted() {}
    // The step failed part-way: its error goes to whoever asked for the
    // step, and no AdvanceCompleted follows.
    virtual void StepAborted() {}
    // The elasticity between bowls changed: only at t = 0, by a load, a
    // reset or the options.
    virtual void ElasticityChanged() {}
    // The engine's state moved on to a new Revision(): after each step (or
    // failed step), back step and rewind, and after every change to the
    // bowls or the options. Whoever shows the engine learns of changes here
    // instead of polling it; a handler should only note that a refresh is due.
    virtual void StateChanged() {}
};

} // namespace vintrop
