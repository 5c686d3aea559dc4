#include "bowl.h"

#include <algorithm>
#include <cmath>
#include <istream>
#include <ostream>
#include <string>

#include "numeric.h"
#include "scenarioreader.h"
#include "vintroperror.h"

namespace vintrop {

double ExactRadiusOf(double m) {
    // The volume rule of a disk of unit density: the constant is 3.14 and it
    // multiplies; 100000 scales the result to twips.
    const double base = 0.75 * m * 100000.0 * 3.14;
    const double exponent = 1.0 / 3.0;
    if (base < 0) err::Raise(err::InvalidCall);
    return std::pow(base, exponent);
}

float RadiusOf(float m) { return ToSingle(ExactRadiusOf(m)); }

void CBowl::SetM(float newMass) {
    m_M = newMass;
    m_r = RadiusOf(newMass);
}

void CBowl::Advance() {
    x = ToSingle(static_cast<double>(x) + Vx);
    y = ToSingle(static_cast<double>(y) + Vy);
}

void CBowl::Reverse() {
    x = ToSingle(static_cast<double>(x) - Vx);
    y = ToSingle(static_cast<double>(y) - Vy);
}

void CBowl::ManualAdvance(double vModule) {
    // Each coordinate on its own: a failure (speed 0, overflow) leaves that
    // coordinate where it was and the other one still moves.
    const auto moved = [&](float pos, float v, float& out) {
        const double s = std::sqrt(static_cast<double>(Vx) * Vx + static_cast<double>(Vy) * Vy);
        if (s == 0) return;
        const double next = static_cast<double>(pos) + (v / s) * vModule;
        const float f = static_cast<float>(next);
        if (std::isfinite(f)) out = f;
    };
    moved(x, Vx, x);
    moved(y, Vy, y);
}

bool CBowl::SerializeOut(std::ostream& fd) const {
    for (float v : {m_M, m_Xo, m_Yo, m_Vxo, m_Vyo}) fd << FormatG9(v) << "\r\n";
    return static_cast<bool>(fd);
}

bool CBowl::SerializeIn(std::istream& fd) {
    ScenarioReader in(fd);
    try {
        ReadFrom(in);
        return true;
    } catch (const VintropError&) {
        return false;
    }
}

void CBowl::ReadFrom(ScenarioReader& in) {
    // Mass: a 16-bit whole number (halves to even), then as a float.
    SetM(static_cast<float>(ToInt16(in.Number())));
    SetXo(ToSingle(in.Number()));
    SetYo(ToSingle(in.Number()));
    SetVxo(ToSingle(in.Number()));
    SetVyo(ToSingle(in.Number()));
}

} // namespace vintrop
