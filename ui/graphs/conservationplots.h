#pragma once
// The conservation plots drawn from a ConservationLog: the total kinetic
// energy and the total momentum against t, and each collision's pair
// momentum after against before; and below them the speeds of the logged
// engine's bowls now (speedsplot.h). Paints on screen and into images alike.
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "plotframe.h"
#include "speedsplot.h"

namespace vintrop {

class ConservationLog;

// What Paint laid out: every text with the room it had, the collision
// plot's frame, which maps momenta to where their points are drawn, and the
// speed plot's, which maps speeds and counts.
struct PlotsLayout {
    std::vector<PlacedText> texts;
    std::optional<PlotFrame> pairs;
    std::optional<PlotFrame> speeds;
};

class ConservationPlots : public QWidget {
    Q_OBJECT
public:
    ConservationPlots(const ConservationLog& log, QWidget* parent = nullptr);

    // The four plots in `area`, in the painter's font; what was laid out
    // goes to `layout` when there is one. The speeds are `speeds`, or the
    // engine's now when there are none.
    static void Paint(const ConservationLog& log, QPainter& painter, const QRectF& area, PlotsLayout* layout = nullptr,
                      const SpeedsView* speeds = nullptr);
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

    // The speeds shown on screen, taken from the engine when they were last
    // followed. Stale once the log has moved on or the bowls were added or
    // removed; FollowSpeeds takes them again then, and answers whether it did.
    const SpeedsView& Speeds() const { return m_Speeds; }
    bool SpeedsStale() const;
    bool FollowSpeeds();

    QSize sizeHint() const override { return {1000, 820}; }
    QSize minimumSizeHint() const override { return {480, 520}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct SpeedsKey {
        uint64_t revision = 0;
        int32_t t = 0;
        int bowls = 0;
        bool operator==(const SpeedsKey& o) const { return revision == o.revision && t == o.t && bowls == o.bowls; }
    };
    SpeedsKey KeyNow() const;

    const ConservationLog& m_Log;
    SpeedsView m_Speeds;
    SpeedsKey m_SpeedsKey;
};

} // namespace vintrop
