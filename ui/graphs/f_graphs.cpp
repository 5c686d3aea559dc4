#include "f_graphs.h"

#include <QBuffer>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "conservationlog.h"
#include "conservationplots.h"
#include "displaysettings.h"
#include "enginechanges.h"
#include "exportfile.h"
#include "filewriter.h"
#include "guarded.h"
#include "numberformat.h"
#include "speedsplot.h"

namespace vintrop {

namespace {

// What the plots show, for screen readers; the speeds' counts follow.
const char* const kPlotsDescription =
    "Total kinetic energy and total momentum against t, and each collision's pair momentum after against before. ";

// The image is drawn at twice the pixels for a sharp picture on a projector.
constexpr qreal kImagePixelRatio = 2;

// How many times its designed size the window's text is drawn: as large as
// the program's zoom, or the window grown beyond its designed size, asks;
// but no larger than the window has room for. Everything in the window
// grows with its text, so a window s times its smallest size holds s times
// the text; the captions never run out of room.
double TextScale(int zoomPercent, QSize now, QSize designed, QSize smallest) {
    const auto times = [](QSize a, QSize b) {
        return std::min(double(a.width()) / std::max(b.width(), 1), double(a.height()) / std::max(b.height(), 1));
    };
    const double wanted = std::max(zoomPercent / 100.0, times(now, designed));
    return std::clamp(wanted, 1.0, std::clamp(times(now, smallest), 1.0, 4.0));
}

} // namespace

F_GRAPHS::F_GRAPHS(const ConservationLog& log, CEnvEng& engine, QWidget* owner) : QDialog(owner), m_Log(log) {
    setObjectName(QStringLiteral("F_GRAPHS"));
    setWindowTitle(QStringLiteral("Graphs"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    setModal(false);
    setSizeGripEnabled(true);

    m_Totals = new QLabel(this);
    m_Totals->setObjectName(QStringLiteral("lbl_Totals"));
    m_Totals->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_Plots = new ConservationPlots(log, this);
    m_Plots->setObjectName(QStringLiteral("pc_Plots"));
    m_Plots->setAccessibleName(QStringLiteral("Conservation graphs"));

    auto* saveImage = new QPushButton(QStringLiteral("Save Image..."), this);
    saveImage->setObjectName(QStringLiteral("bt_SaveImage"));
    auto* exportCsv = new QPushButton(QStringLiteral("Export CSV..."), this);
    exportCsv->setObjectName(QStringLiteral("bt_ExportCsv"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("bt_Close"));
    for (QPushButton* b : {saveImage, exportCsv, close}) b->setAutoDefault(false);
    connect(saveImage, &QPushButton::clicked, this, GuardedSlot(this, &F_GRAPHS::SaveImage));
    connect(exportCsv, &QPushButton::clicked, this, GuardedSlot(this, &F_GRAPHS::ExportCsv));
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveImage);
    buttons->addWidget(exportCsv);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Totals);
    layout->addWidget(m_Plots, 1);
    layout->addLayout(buttons);
    m_Totals->setWordWrap(true);   // longer totals take more lines, not a wider window
    m_DesignedFont = font();
    m_Designed = sizeHint();
    m_Smallest = minimumSizeHint();

    // However fast the engine steps, the plots are drawn again at most once
    // per screen refresh after the engine has reported a change, and only
    // when something new was logged or the bowls moved on.
    m_Refresh = new QTimer(this);
    m_Refresh->setSingleShot(true);
    m_Refresh->setInterval(16);
    connect(m_Refresh, &QTimer::timeout, this, GuardedSlot(this, &F_GRAPHS::OnRefreshDue));
    m_Changes = new EngineChanges(engine, this);
    connect(m_Changes, &EngineChanges::changed, this, &F_GRAPHS::ScheduleRefresh);
    connect(&Settings(), &DisplaySettings::textScaleChanged, this, GuardedSlot(this, &F_GRAPHS::FollowTextScale));
    FollowTextScale();
    ShowLatest();
}

void F_GRAPHS::ScheduleRefresh() {
    if (isVisible() && !m_Refresh->isActive()) m_Refresh->start();
}

void F_GRAPHS::OnRefreshDue() {
    if (isVisible() && (m_Log.Revision() != m_ShownRevision || m_Plots->SpeedsStale())) ShowLatest();
}

void F_GRAPHS::ShowLatest() {
    m_ShownRevision = m_Log.Revision();
    ++m_Refreshes;
    // The speeds are taken from the engine only when it moved on: a window
    // left open on a paused crowd costs nothing.
    if (m_Plots->FollowSpeeds() || m_Plots->accessibleDescription().isEmpty())
        m_Plots->setAccessibleDescription(QLatin1String(kPlotsDescription) + DescribeSpeeds(m_Plots->Speeds()));
    const Totals& now = m_Log.Latest();
    m_Totals->setText(QStringLiteral("t = %1    kinetic energy = %2 (%3)    momentum x = %4, y = %5")
                          .arg(m_Log.LatestT())
                          .arg(QString::number(now.energy, 'g', 9))
                          .arg(ConservationPlots::EnergyChangeText(m_Log))
                          .arg(QString::number(now.px, 'g', 9))
                          .arg(QString::number(now.py, 'g', 9)));
    m_Plots->update();
}

void F_GRAPHS::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Guarded(this, [this] { ShowLatest(); });
}

void F_GRAPHS::hideEvent(QHideEvent* event) {
    m_Refresh->stop();
    QDialog::hideEvent(event);
}

void F_GRAPHS::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Guarded(this, [this] { FollowTextScale(); });
}

void F_GRAPHS::FollowTextScale() {
    // The scale the scene is shown at: the zoom, or the fit of a lesson's box.
    const double scale = TextScale(Settings().ViewScale(), size(), m_Designed, m_Smallest);
    // Down to whole quarter points: a window a pixel larger keeps its text.
    QFont scaled = m_DesignedFont;
    if (scaled.pointSizeF() > 0)
        scaled.setPointSizeF(std::floor(scaled.pointSizeF() * scale * 4) / 4);
    else
        scaled.setPixelSize(static_cast<int>(scaled.pixelSize() * scale));
    if (scaled != font()) setFont(scaled);
}

QByteArray F_GRAPHS::CsvOf(const ConservationLog& log) {
    QByteArray out = "t,kinetic energy,momentum x,momentum y\r\n";
    log.ForEachPoint([&out](int32_t t, const Totals& v) {
        out += QByteArray::number(t) + ',' + fmt::Exact(v.energy) + ',' + fmt::Exact(v.px) + ',' + fmt::Exact(v.py) + "\r\n";
    });
    return out;
}

bool F_GRAPHS::WriteCsv(const QString& path, QString* why) const { return WriteWholeFile(path, CsvOf(m_Log), why); }

bool F_GRAPHS::WriteImage(const QString& path, QString* why) const {
    const QImage image = m_Plots->Render(m_Plots->size().expandedTo(m_Plots->sizeHint()), kImagePixelRatio);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        if (why) *why = QStringLiteral("%1: the image could not be encoded").arg(path);
        return false;
    }
    return WriteWholeFile(path, png, why);
}

void F_GRAPHS::SaveImage() {
    ExportFile(
        this, QStringLiteral("graphs.png"),
        [this](const QString& path, QString* why) { return WriteImage(path, why); }, QStringLiteral("PNG (*.png)"),
        QStringLiteral("png"));
}

void F_GRAPHS::ExportCsv() {
    ExportFile(this, QStringLiteral("graphs.csv"),
               [this](const QString& path, QString* why) { return WriteCsv(path, why); });
}

} // namespace vintrop
