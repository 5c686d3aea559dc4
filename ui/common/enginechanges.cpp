#include "enginechanges.h"

#include "envengine.h"

namespace vintrop {

EngineChanges::EngineChanges(CEnvEng& engine, QObject* parent) : QObject(parent), m_Engine(engine) {
    m_Engine.Attach(this);
}

EngineChanges::~EngineChanges() { m_Engine.Detach(this); }

} // namespace vintrop
