#pragma once
// The three conservation plots drawn from a ConservationLog: the total
// kinetic energy and the total momentum against t, and each collision's pair
// momentum after against before. Paints on screen and into images alike.
#include <QImage>
#include <QWidget>
#include <optional>
#include <vector>

#include "plotframe.h"

namespace vintrop {

class ConservationLog;

// What Paint laid out: every text with the room it had, and the collision
// plot's frame, which maps momenta to where their points are drawn.
struct PlotsLayout {
    std::vector<PlacedText> texts;
    std::optional<PlotFrame> pairs;
};

class ConservationPlots : public QWidget {
    Q_OBJECT
public:
    ConservationPlots(const ConservationLog& log, QWidget* parent = nullptr);

    // The three plots in `area`, in the painter's font; what was laid out
    // goes to `layout` when there is one.
    static void Paint(const ConservationLog& log, QPainter& painter, const QRectF& area, PlotsLayout* layout = nullptr);
    // The energy's relative change since t = 0 as shown: "-" when there is
    // none to speak of.
    static QString RelativeChangeText(const ConservationLog& log);
    // What the energy plot's title and the totals line say of that change:
    // "relative change since t = 0: …", or, while collisions lose energy,
    // the fraction lost, "kinetic energy lost since t = 0: …".
    static QString EnergyChangeText(const ConservationLog& log);
    // A relative change to three significant digits, with a power of ten
    // students can read ("1.23 ×10⁻⁷") where plain digits would need more
    // than three zeros.
    static QString ChangeText(double change);
    // The plots as they are now, `size` logical pixels at `pixelRatio`.
    QImage Render(QSize size, qreal pixelRatio) const;

    QSize sizeHint() const override { return {1000, 560}; }
    QSize minimumSizeHint() const override { return {480, 360}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ConservationLog& m_Log;
};

} // namespace vintrop
