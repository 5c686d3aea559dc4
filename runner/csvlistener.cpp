#include "csvlistener.h"

namespace vintrop {

void CsvListener::BeforeCollision(const CBowl& b1, const CBowl& b2) {
    ++m_Collisions;
    if (!m_PrintLines) return;
    m_Out.Text("collision,").Int(m_Engine.t).Char(',').Int(b1.Id).Char(',').Int(b2.Id);
    for (float v : {b1.M(), b2.M(), b1.x, b1.y, b2.x, b2.y, b1.Vx, b1.Vy, b2.Vx, b2.Vy}) m_Out.Char(',').Float(v);
    m_Out.EndLine();
}

void CsvListener::AfterCollision(const CBowl& b1, const CBowl& b2) {
    if (!m_PrintLines) return;
    m_Out.Text("resolved,").Int(m_Engine.t).Char(',').Int(b1.Id).Char(',').Int(b2.Id);
    for (float v : {b1.Vx, b1.Vy, b2.Vx, b2.Vy}) m_Out.Char(',').Float(v);
    m_Out.EndLine();
}

} // namespace vintrop
