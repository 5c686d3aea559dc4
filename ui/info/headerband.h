#pragma once
// The decorative band along the top of the about box and the splash window:
// a dark blue gradient, the picture of two bowls colliding and the maker's
// name in white italics over it.
#include <QRect>

class QLabel;
class QWidget;

namespace vintrop {

struct HeaderBand {
    QLabel* band;      // "Label3"
    QLabel* picture;   // "Image1"
    QLabel* name;      // "Label2"
};

// Makes the three labels on `parent`, in this order (the later on top), at
// their places given in twips. The name is never narrower than its text.
HeaderBand MakeHeaderBand(QWidget* parent, const QRect& bandTwips, const QRect& pictureTwips,
                          const QRect& nameTwips);

} // namespace vintrop
