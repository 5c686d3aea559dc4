#pragma once
// The engine's changes as a Qt signal: attached to the engine while it
// lives, it emits changed() each time the engine's state moves on to a new
// Revision() (a step, a back step, a rewind, a load, a bowl added, removed or
// edited, an option). A window showing the engine connects it to a
// single-shot timer and brings itself up to date when that fires: steps
// come far faster than a screen can show them, and a slot run at every one
// would take the simulation's time.
#include <QObject>

#include "enginelistener.h"

namespace vintrop {

class CEnvEng;

class EngineChanges : public QObject, public IEngineListener {
    Q_OBJECT
public:
    EngineChanges(CEnvEng& engine, QObject* parent = nullptr);
    ~EngineChanges() override;
    EngineChanges(const EngineChanges&) = delete;
    EngineChanges& operator=(const EngineChanges&) = delete;

    void StateChanged() override { emit changed(); }

signals:
    // Raised from inside the engine's call: a slot only notes that a
    // refresh is due, and never calls back into the engine to change it.
    void changed();

private:
    CEnvEng& m_Engine;
};

} // namespace vintrop
