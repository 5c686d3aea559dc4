#pragma once
// Two small helpers shared by several windows: right-justifying a text in a
// fixed width, and centring a top-level window on the whole screen.
#include <QString>
#include <cstdint>

class QWidget;

namespace vintrop {
namespace Utility {

// `text` preceded by (width - length) copies of the first character of
// `pad`; a text at least `width` long comes back whole, never cut. An empty
// pad pads with blanks.
QString PadLeft(const QString& text, int16_t width, const QString& pad);

// Centres a top-level window on its screen (the whole screen, not the work
// area). A window at least as wide (or as high) as the screen keeps its
// left (or top) coordinate. Call it before the window is shown.
void CenterForm(QWidget* form);

} // namespace Utility

using Utility::CenterForm;
using Utility::PadLeft;

} // namespace vintrop
