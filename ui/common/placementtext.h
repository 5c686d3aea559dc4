#pragma once
// The words the program uses for a broken placement rule: the bowl dialog's
// refusals, which the drawing area's tip repeats while a bowl is dragged;
// and the velocity range both places keep to.
#include <QString>

#include "placement.h"

namespace vintrop {

// "Xo troppo grande!", "Posizione Xo, Yo già occupata dalla palla 3!" and the
// like; empty when no rule is broken. The mass rule has its own message in
// the dialog and none here.
QString PlacementText(const PlacementCheck& check);

// "Dati non validi": values that cannot be a bowl at all.
QString InvalidDataText();

// The bowl dialog's velocity fields take three characters, so a velocity
// component set on the drawing area stays within what they can show.
inline constexpr int kVelocityFieldLength = 3;
inline constexpr int kMinFieldVelocity = -99;
inline constexpr int kMaxFieldVelocity = 999;

} // namespace vintrop
