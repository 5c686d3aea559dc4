#pragma once
// The runner's event lines: one "collision" line at each BeforeCollision and
// one "resolved" line at each AfterCollision, counted as they come; the
// lines may be left out, the count still kept.
#include <cstdint>

#include "envengine.h"
#include "outputbuffer.h"

namespace vintrop {

class CsvListener : public IEngineListener {
public:
    CsvListener(const CEnvEng& engine, OutputBuffer& out, bool printLines = true)
        : m_Engine(engine), m_Out(out), m_PrintLines(printLines) {}

    // collision,T,ID1,ID2,M1,M2,X1,Y1,X2,Y2,V1X,V1Y,V2X,V2Y
    void BeforeCollision(const CBowl& b1, const CBowl& b2) override;
    // resolved,T,ID1,ID2,V1X,V1Y,V2X,V2Y
    void AfterCollision(const CBowl& b1, const CBowl& b2) override;

    uint64_t Collisions() const { return m_Collisions; }

private:
    const CEnvEng& m_Engine;
    OutputBuffer& m_Out;
    bool m_PrintLines;
    uint64_t m_Collisions = 0;
};

} // namespace vintrop
