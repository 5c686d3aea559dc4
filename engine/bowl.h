#pragma once
// One rigid disk ("bowl"): initial and current kinematic state, mass and the
// radius derived from it, display number and colour, and the set of bowls it
// is touching. Positions in twips, velocities in twips per step.
#include <cstdint>
#include <iosfwd>
#include <vector>

#include "contactset.h"

namespace vintrop {

class ScenarioReader;

class CBowl {
public:
    int16_t Id = 0;      // number shown to the user; set by the engine
    float x = 0, y = 0;  // current centre
    float Vx = 0, Vy = 0; // current velocity, per step
    int32_t Color = 0;   // red + 256 * green + 65536 * blue
    // The colour the engine's generator drew for the bowl: its Color while
    // classroom colours are off. Set by the engine.
    int32_t DrawnColor = 0;

    // Initial values; each setter also overwrites the current value.
    float Xo() const { return m_Xo; }
    float Yo() const { return m_Yo; }
    float Vxo() const { return m_Vxo; }
    float Vyo() const { return m_Vyo; }
    void SetXo(float vVal) { m_Xo = vVal; x = vVal; }
    void SetYo(float vVal) { m_Yo = vVal; y = vVal; }
    void SetVxo(float vVal) { m_Vxo = vVal; Vx = vVal; }
    void SetVyo(float vVal) { m_Vyo = vVal; Vy = vVal; }

    float M() const { return m_M; }
    // Stores the mass, then derives the radius; a negative mass is stored but
    // leaves the radius unchanged and throws InvalidCall.
    void SetM(float newMass);
    float r() const { return m_r; }

    // One step along the velocity (forward) or against it (back); each
    // coordinate rounded to a float as it is stored. Throws Overflow.
    void Advance();
    void Reverse();
    // Moves the centre by vModule twips along the direction of the velocity
    // (backwards when negative). A bowl at rest is not moved; never throws.
    void ManualAdvance(double vModule);

    // Contact set: 1-based positions of the bowls this one is touching.
    void AddCollision(int16_t idx) { m_Contacts.Add(idx); }
    void RemoveCollision(int16_t idx) { m_Contacts.Remove(idx); }
    void ClearCollision() { m_Contacts.Clear(); }
    bool ExistCollision(int16_t idx) const { return m_Contacts.Contains(idx); }
    const ContactSet& Touching() const { return m_Contacts; }
    // The same positions as a new list, ascending; for tests and checks, not for a step.
    std::vector<int16_t> Contacts() const { return m_Contacts.Ascending(); }
    // After the bowl at position `removed` left the collection: forget it and
    // move the positions above it down by one.
    void ShiftContactsAfterRemoval(int16_t removed) { m_Contacts.ShiftAfterRemoval(removed); }

    // The bowl's five lines of a scenario file (mass, Xo, Yo, Vxo, Vyo).
    bool SerializeOut(std::ostream& fd) const;
    bool SerializeIn(std::istream& fd);
    // Reads the five lines; throws the VintropError of the first bad line.
    void ReadFrom(ScenarioReader& in);

private:
    float m_Xo = 0, m_Yo = 0, m_Vxo = 0, m_Vyo = 0;
    float m_M = 0, m_r = 0;
    ContactSet m_Contacts;
};

// Radius of a bowl of mass m: (0.75 * m * 100000 * 3.14)^(1/3), worked out
// in double. Throws InvalidCall for a negative mass.
double ExactRadiusOf(double m);
// The same radius as a bowl stores it, rounded to a float.
float RadiusOf(float m);

} // namespace vintrop
