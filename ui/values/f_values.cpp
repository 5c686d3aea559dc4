#include "f_values.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "bowlvaluesmodel.h"
#include "displaysettings.h"
#include "enginechanges.h"
#include "envengine.h"
#include "exportfile.h"
#include "filewriter.h"
#include "guarded.h"
#include "momentadiagram.h"
#include "numberformat.h"

namespace vintrop {

F_VALUES::F_VALUES(CEnvEng& engine, QWidget* owner)
    : QDialog(owner), m_Engine(engine), m_Pairs(std::make_unique<PairCollisions>(engine)) {
    setObjectName(QStringLiteral("F_VALUES"));
    setWindowTitle(QStringLiteral("Values"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    setModal(false);
    setSizeGripEnabled(true);
    m_Engine.Attach(m_Pairs.get());

    m_Model = new BowlValuesModel(engine, this);
    m_Table = new QTableView(this);
    m_Table->setObjectName(QStringLiteral("lvw_Values"));
    m_Table->setAccessibleName(QStringLiteral("Bowl values"));
    m_Table->setAccessibleDescription(
        QStringLiteral("Each bowl's mass, position, velocity, momentum and kinetic energy, then the totals and the "
                       "centre of mass"));
    m_Table->setModel(m_Model);
    m_Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_Table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_Table->setWordWrap(false);
    m_Table->verticalHeader()->hide();
    // Rows of one fixed height: a table of 32,767 rows is laid out without
    // measuring any of them.
    m_Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_Table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);

    m_Pairs->Prune();
    m_Diagram = new MomentaDiagram(engine, *m_Pairs, this);
    m_Diagram->setObjectName(QStringLiteral("pc_Momenta"));
    m_Diagram->setAccessibleName(QStringLiteral("Momenta diagram"));
    m_Diagram->setAccessibleDescription(
        QStringLiteral("Each bowl's momentum tip to tail and the total momentum; for the latest collisions, the "
                       "pair's momenta and their sum before and after"));

    m_Splitter = new QSplitter(Qt::Horizontal, this);
    m_Splitter->setObjectName(QStringLiteral("spl_Values"));
    m_Splitter->addWidget(m_Table);
    m_Splitter->addWidget(m_Diagram);
    m_Splitter->setStretchFactor(0, 3);
    m_Splitter->setStretchFactor(1, 2);
    m_Splitter->setChildrenCollapsible(false);

    m_Time = new QLabel(this);
    m_Time->setObjectName(QStringLiteral("lbl_T"));
    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("bt_Copy"));
    auto* exportCsv = new QPushButton(QStringLiteral("Export CSV..."), this);
    exportCsv->setObjectName(QStringLiteral("bt_ExportCsv"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("bt_Close"));
    for (QPushButton* b : {copy, exportCsv, close}) {
        b->setAutoDefault(false);
        b->setAccessibleName(b->text().remove(QStringLiteral("...")));
    }
    connect(copy, &QPushButton::clicked, this, GuardedSlot(this, &F_VALUES::CopyRows));
    connect(exportCsv, &QPushButton::clicked, this, GuardedSlot(this, &F_VALUES::ExportRows));
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* actCopy = new QAction(QStringLiteral("&Copy"), this);
    actCopy->setObjectName(QStringLiteral("MN_COPY"));
    actCopy->setShortcut(QKeySequence::Copy);
    actCopy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(actCopy, &QAction::triggered, this, GuardedSlot(this, &F_VALUES::CopyRows));
    addAction(actCopy);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_Time, 1);
    buttons->addWidget(copy);
    buttons->addWidget(exportCsv);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Splitter, 1);
    layout->addLayout(buttons);
    m_DesignedFont = font();
    // Room for the table's columns and the diagram, within the screen.
    const QSize designed(1100, 560);
    resize(this->screen() ? designed.boundedTo(this->screen()->availableGeometry().size() * 0.9) : designed);

    // However fast the engine steps, the table and the diagram are brought
    // up to date at most once per screen refresh, and only after the engine
    // has reported a change: its first report starts the timer, and those
    // that follow before it fires are taken in by the same refresh. While the
    // simulation runs, every other refresh is skipped (numbers changing
    // faster than that cannot be read, and each refresh takes time from the
    // simulation).
    m_Refresh = new QTimer(this);
    m_Refresh->setSingleShot(true);
    m_Refresh->setInterval(16);
    connect(m_Refresh, &QTimer::timeout, this, GuardedSlot(this, &F_VALUES::OnRefreshDue));
    m_Changes = new EngineChanges(engine, this);
    connect(m_Changes, &EngineChanges::changed, this, &F_VALUES::ScheduleRefresh);
    connect(&Settings(), &DisplaySettings::textScaleChanged, this, GuardedSlot(this, &F_VALUES::FollowTextScale));
    FollowTextScale(Settings().ViewScale());
    ShowLatest();
}

F_VALUES::~F_VALUES() { m_Engine.Detach(m_Pairs.get()); }

void F_VALUES::ScheduleRefresh() {
    if (isVisible() && !m_Refresh->isActive()) m_Refresh->start();
}

void F_VALUES::OnRefreshDue() {
    if (!isVisible()) return;
    if (m_Engine.IsExecuting() && (m_SkipNext = !m_SkipNext)) {
        m_Refresh->start();   // the change is still to be shown
        return;
    }
    const bool pruned = m_Pairs->Prune();
    if (pruned || m_Engine.Revision() != m_ShownRevision) ShowLatest();
    // While the simulation runs a collision is shown for kHoldMs of real
    // time, however slowly the engine steps: until it goes, the window
    // looks again at every screen refresh.
    if (m_Engine.IsExecuting() && !m_Pairs->Shown().empty()) m_Refresh->start();
}

bool F_VALUES::RefreshDue() const { return m_Refresh->isActive(); }

void F_VALUES::ShowLatest() {
    m_Pairs->Prune();
    m_ShownRevision = m_Engine.Revision();
    ++m_Refreshes;
    m_Model->Refresh();
    m_Time->setText(QStringLiteral("t = %1    bowls: %2").arg(fmt::Integer(m_Engine.t), fmt::Integer(m_Engine.BowlCount())));
    m_Diagram->update();
}

void F_VALUES::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Guarded(this, [this] {
        ShowLatest();
        if (m_Engine.IsExecuting() && !m_Pairs->Shown().empty()) m_Refresh->start();
    });
}

void F_VALUES::hideEvent(QHideEvent* event) {
    m_Refresh->stop();
    QDialog::hideEvent(event);
}

void F_VALUES::FollowTextScale(int percent) {
    const double before = m_TextScale > 0 ? std::max(1.0, m_TextScale / 100.0) : 1.0;
    m_TextScale = percent;
    const double scale = std::clamp(percent / 100.0, 1.0, 4.0);
    QFont scaled = m_DesignedFont;
    if (scaled.pointSizeF() > 0)
        scaled.setPointSizeF(std::floor(scaled.pointSizeF() * scale * 4) / 4);
    else
        scaled.setPixelSize(static_cast<int>(scaled.pixelSize() * scale));
    setFont(scaled);
    // A header view takes its own class's font, not its window's: set it too.
    m_Table->horizontalHeader()->setFont(scaled);
    m_Diagram->SetLineScale(scale);
    // Rows and columns as wide as the text they hold at this size.
    const QFontMetrics metrics(scaled);
    m_Table->verticalHeader()->setMinimumSectionSize(1);
    m_Table->verticalHeader()->setDefaultSectionSize(metrics.height() + metrics.height() / 3 + 2);
    const int number = metrics.horizontalAdvance(QStringLiteral("Centre of mass")) + metrics.height();
    const int value = metrics.horizontalAdvance(fmt::Fixed(-9999999.99)) + metrics.height();
    m_Table->horizontalHeader()->resizeSection(BowlValuesModel::Number, number);
    for (int c = BowlValuesModel::Mass; c < BowlValuesModel::kColumnCount; ++c)
        m_Table->horizontalHeader()->resizeSection(c, value);
    // The window grows with its text, up to the screen.
    const double grow = std::max(1.0, percent / 100.0) / before;
    if (grow != 1.0 && percent > 0) {
        const QSize screen =
            this->screen() ? this->screen()->availableGeometry().size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(QSize(qRound(width() * grow), qRound(height() * grow)).boundedTo(screen));
    }
}

// ---------------------------------------------------------- copy and export

QString F_VALUES::RowsAsTabText(QList<int> rows) const {
    if (rows.isEmpty())
        for (int r = 0; r < m_Model->rowCount(); ++r) rows << r;
    std::sort(rows.begin(), rows.end());
    QStringList lines, header;
    for (int c = 0; c < BowlValuesModel::kColumnCount; ++c) header << BowlValuesModel::Header(c);
    lines << header.join(QLatin1Char('\t'));
    for (int r : rows) {
        if (r < 0 || r >= m_Model->rowCount()) continue;
        QStringList cells;
        for (int c = 0; c < BowlValuesModel::kColumnCount; ++c) cells << m_Model->Text(r, c);
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool F_VALUES::WriteCsv(const QString& path, QString* why) const {
    QByteArray out = "bowl,m,x,y,vx,vy,px,py,kinetic energy\r\n";
    for (int r = 0; r < m_Model->rowCount(); ++r) {
        out += r == m_Model->TotalsRow()   ? QByteArray("total")
               : r == m_Model->CentreRow() ? QByteArray("centre of mass")
                                           : fmt::Exact(m_Model->Value(r, BowlValuesModel::Number));
        for (int c = BowlValuesModel::Mass; c < BowlValuesModel::kColumnCount; ++c) {
            const double v = m_Model->Value(r, c);
            out += ',' + (std::isnan(v) ? QByteArray() : fmt::Exact(v));
        }
        out += "\r\n";
    }
    return WriteWholeFile(path, out, why);
}

void F_VALUES::CopyRows() {
    // The rows selected are those shown: no refresh first, which could
    // take the selection away.
    QList<int> rows;
    for (const QModelIndex& index : m_Table->selectionModel()->selectedRows()) rows << index.row();
    QApplication::clipboard()->setText(RowsAsTabText(rows));
}

void F_VALUES::ExportRows() {
    ShowLatest();
    ExportFile(this, QStringLiteral("values.csv"),
               [this](const QString& path, QString* why) { return WriteCsv(path, why); });
}

} // namespace vintrop
