#pragma once
// A bowl made by hand, outside any engine, for drawing tests.
#include <cstdint>

#include "bowl.h"

namespace vintrop::testing {

inline CBowl MakeBowl(int16_t id, float mass, float x, float y, float vx, float vy, int32_t color) {
    CBowl b;
    b.Id = id;
    b.SetM(mass);
    b.SetXo(x);
    b.SetYo(y);
    b.SetVxo(vx);
    b.SetVyo(vy);
    b.Color = color;
    return b;
}

} // namespace vintrop::testing
