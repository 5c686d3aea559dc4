#pragma once
// The words the program uses for a broken placement rule: the bowl dialog's
// refusals, which the drawing area's tip repeats while a bowl is dragged.
#include <QString>

#include "placement.h"

namespace vintrop {

// "Xo troppo grande!", "Posizione Xo, Yo già occupata dalla palla 3!" and the
// like; empty when no rule is broken. The mass rule has its own message in
// the dialog and none here.
QString PlacementText(const PlacementCheck& check);

} // namespace vintrop
