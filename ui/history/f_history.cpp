#include "f_history.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QScreen>
#include <QToolButton>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cmath>
#include <limits>

#include "appstate.h"
#include "classicfonts.h"
#include "collisiontablemodel.h"
#include "displaysettings.h"
#include "envengine.h"
#include "exportfile.h"
#include "filewriter.h"
#include "guarded.h"
#include "numberformat.h"
#include "numeric.h"
#include "panellabel.h"
#include "prompt.h"
#include "totals.h"
#include "twips.h"
#include "utility.h"
#include "vintroperror.h"
#include "windowentries.h"

namespace vintrop {

namespace {
// The designed window, twips.
constexpr double kWindowWidth = 9030;
constexpr double kWindowHeight = 5340;
// A status panel's designed width, twips, kept for scaling.
constexpr const char* kDesignWidth = "designWidthTwips";

struct ColumnSpec {
    const char* header;
    int widthTwips;
};
constexpr ColumnSpec kColumns[CollisionTableModel::kColumnCount] = {
    {"t", 800},   {"B1", 400},  {"B2", 400},  {"m1", 800},
    {"v1x", 800}, {"v1y", 800}, {"m2", 800},  {"v2x", 800},
    {"v2y", 800}, {"m1v1x+m2v2x", 1200},      {"m1v1y+m2v2y", 1200},
};
// The kinetic energy each collision lost, after the others while collisions
// lose energy; the window is as much wider.
constexpr ColumnSpec kLossColumnSpec = {"KE lost", 900};

const QString kBtExit = QStringLiteral("BT_EXIT");
const QString kBtClear = QStringLiteral("BT_CLEAR");
const QString kBtAbout = QStringLiteral("BT_ABOUT");
} // namespace

F_HISTORY::F_HISTORY(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("F_HISTORY"));
    setWindowTitle(QStringLiteral("History"));
    // A close box only; the designed size, which the user may enlarge so
    // that a class can read the rows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setMinimumSize(twips::ToPixels(kWindowWidth), twips::ToPixels(kWindowHeight));
    resize(minimumSize());
    setSizeGripEnabled(false);
    setFont(fonts::SansSerif(8.25));

    m_Model = new CollisionTableModel(this);
    // Rows reach the table at most once per screen refresh (about 60 a
    // second), however many collisions a second the engine reports.
    m_PublishTimer = new QTimer(this);
    m_PublishTimer->setSingleShot(true);
    m_PublishTimer->setInterval(16);
    connect(m_PublishTimer, &QTimer::timeout, this, GuardedSlot(this, &F_HISTORY::ShowPending));

    m_lvwCollision = new QTreeView(this);
    m_lvwCollision->setObjectName(QStringLiteral("lvw_Collision"));
    m_lvwCollision->setFont(fonts::Serif(8.25));
    m_lvwCollision->setModel(m_Model);
    m_lvwCollision->setRootIsDecorated(false);
    m_lvwCollision->setItemsExpandable(false);
    m_lvwCollision->setUniformRowHeights(true);   // keeps a long log cheap to lay out
    m_lvwCollision->setSortingEnabled(false);
    m_lvwCollision->setAllColumnsShowFocus(true);
    m_lvwCollision->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvwCollision->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lvwCollision->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvwCollision->header()->setStretchLastSection(false);
    m_lvwCollision->header()->setSectionsMovable(false);
    m_lvwCollision->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_lvwCollision->setAccessibleName(QStringLiteral("Collisions"));

    m_sbrStatistic = new QStatusBar(this);
    m_sbrStatistic->setObjectName(QStringLiteral("sbr_Statistic"));
    m_sbrStatistic->setSizeGripEnabled(false);
    const auto panel = [this](const char* name, int widthTwips, const QString& text = QString()) {
        QLabel* label = MakePanelLabel(m_sbrStatistic, QLatin1String(name), text);
        label->setProperty(kDesignWidth, widthTwips);
        label->setFixedWidth(twips::ToPixels(widthTwips));
        m_sbrStatistic->addWidget(label);
        return label;
    };
    panel("lbl_EnCinCaption", 1200, QStringLiteral("(1/2 MV^2)t = "));
    m_PnlEnCinTot = panel("PNL_EN_CIN_TOT", 1800);
    panel("lbl_TotCollisionsCaption", 1300, QStringLiteral("Tot. Collisions = "));
    m_PnlTotCollisioni = panel("PNL_TOT_COLLISIONI", 1300);

    // Three text buttons over the right end of the status bar row; the
    // captions keep their trailing blanks, which widen the buttons' text.
    m_tlbBottom = new QWidget(this);
    m_tlbBottom->setObjectName(QStringLiteral("tlb_Bottom"));
    auto* row = new QHBoxLayout(m_tlbBottom);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const struct {
        QString key;
        QString caption;
    } buttons[] = {
        {kBtExit, QStringLiteral("Close       ")},
        {kBtClear, QStringLiteral("Clear       ")},
        {kBtAbout, QStringLiteral("About     ")},
    };
    for (const auto& b : buttons) {
        auto* button = new QToolButton(m_tlbBottom);
        button->setObjectName(b.key);
        button->setText(b.caption);
        button->setAccessibleName(b.caption.trimmed());
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setFixedSize(twips::ToPixels(1110), twips::ToPixels(330));
        row->addWidget(button);
        const QString key = b.key;
        connect(button, &QToolButton::clicked, this, GuardedSlot(this, [this, key] { tlb_Bottom_ButtonClick(key); }));
    }

    // Copy and export for teachers, from a context menu on the table.
    m_ActCopy = new QAction(QStringLiteral("&Copy"), this);
    m_ActCopy->setObjectName(QStringLiteral("MN_COPY"));
    m_ActCopy->setShortcut(QKeySequence::Copy);
    m_ActCopy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(m_ActCopy, &QAction::triggered, this, GuardedSlot(this, &F_HISTORY::CopyRows));
    m_ActExport = new QAction(QStringLiteral("Export CSV..."), this);
    m_ActExport->setObjectName(QStringLiteral("MN_EXPORT_CSV"));
    connect(m_ActExport, &QAction::triggered, this, GuardedSlot(this, &F_HISTORY::ExportRows));
    m_lvwCollision->addAction(m_ActCopy);
    m_ContextMenu = new QMenu(this);
    m_ContextMenu->setObjectName(QStringLiteral("mnu_Collision"));
    m_ContextMenu->addAction(m_ActCopy);
    m_ContextMenu->addAction(m_ActExport);
    m_lvwCollision->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_lvwCollision, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        m_ContextMenu->popup(m_lvwCollision->viewport()->mapToGlobal(pos));
    });

    // The window sees Esc, Enter and Ctrl+C before the focused control does
    // (the context menu keeps its own keys).
    for (QWidget* child : findChildren<QWidget*>())
        if (!qobject_cast<QMenu*>(child)) child->installEventFilter(this);

    // The text follows the scale the scene is shown at, shown or hidden.
    connect(&Settings(), &DisplaySettings::textScaleChanged, this, GuardedSlot(this, &F_HISTORY::ApplyScale));
}

F_HISTORY::~F_HISTORY() {
    if (m_pEnvEng) m_pEnvEng->Detach(this);
}

// ------------------------------------------------------------- engine side

void F_HISTORY::init(CEnvEng& pEnvEng) {
    // A log switched off and on again comes up centred, as the first time; one
    // already on (the options confirmed again) stays where the user put it.
    if (m_FlgActive != kTrue) m_Placed = false;
    if (m_pEnvEng != &pEnvEng) {
        if (m_pEnvEng) m_pEnvEng->Detach(this);
        m_pEnvEng = &pEnvEng;
        m_pEnvEng->Attach(this);
    }
    m_FlgActive = kTrue;
    BuildColumns();
    LayOut();
    m_Log.RestartCount();
    m_OverflowReported = false;
    FollowElasticity();
}

void F_HISTORY::Terminate() {
    if (m_pEnvEng) m_pEnvEng->Detach(this);
    m_pEnvEng = nullptr;
    m_PanelsDue = false;
    m_FlgActive = kFalse;
    if (isVisible()) done(QDialog::Rejected);
    // Closed for good: a later init starts from an empty window.
    m_Log.Reset();
    m_MirroredFirst = m_MirroredNext = m_Log.NextSerial();
    m_Model->Clear();
    FollowElasticity();
    m_Model->SetHeaders({});
    m_OverflowReported = false;
    m_PnlEnCinTot->clear();
    m_PnlTotCollisioni->clear();
}

void F_HISTORY::Reset() {
    m_OverflowReported = false;
    m_PanelsDue = false;
    if (m_pEnvEng)
        m_Log.Clear(*m_pEnvEng);
    else
        m_Log.Reset();
    m_MirroredFirst = m_MirroredNext = m_Log.NextSerial();
    m_Model->Clear();
    ShowPanels();
    // Without an engine there is no energy to show, but the count is 0.
    if (!m_pEnvEng) m_PnlTotCollisioni->setText(fmt::Integer(0));
}

void F_HISTORY::Show(IOwnerWindow* pOwnerForm) {
    if (isVisible() && isModal()) {
        // Already up as a modal window: bring it forward, nothing else.
        raise();
        activateWindow();
        return;
    }
    if (!pOwnerForm && isVisible()) hide();
    // Owned: modeless and kept above the owner; an owner that is no widget
    // leaves the window without one. No owner: modal.
    SetOwner(pOwnerForm ? dynamic_cast<QWidget*>(pOwnerForm) : nullptr);
    if (!m_Placed) {
        CenterForm(this);
        m_Placed = true;
    }
    if (!pOwnerForm) {
        exec();   // returns once the window has been hidden again
        return;
    }
    show();
    raise();
    activateWindow();
}

void F_HISTORY::Hide() {
    if (isVisible()) done(QDialog::Rejected);
}

void F_HISTORY::BeforeCollision(const CBowl& b1, const CBowl& b2) {
    if (!m_pEnvEng) return;
    // The counter is 32-bit: past its limit it stays where it is and the
    // overflow is reported; the row and the panels go on as usual.
    const bool counted = m_Log.Before(*m_pEnvEng, b1, b2);
    MirrorRows();
    if (!counted) ReportCounterOverflow();
}

void F_HISTORY::ReportCounterOverflow() {
    if (m_OverflowReported) return;
    m_OverflowReported = true;
    // Not from inside the engine's step: a message box runs its own event
    // loop, in which the clock and the user's commands would step the engine
    // again before this step has finished. Queued, it comes up once the step
    // has returned, and the run goes on behind it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            QWidget* parent = (isVisible() || !m_Owner) ? static_cast<QWidget*>(this) : m_Owner.data();
            // Raised here, where it is reported as any error is.
            Guarded(parent, [] { err::Raise(err::Overflow); });
        },
        Qt::QueuedConnection);
}

void F_HISTORY::AdvanceCompleted() { FlushStatistic(); }

void F_HISTORY::StepAborted() { FlushStatistic(); }

void F_HISTORY::ElasticityChanged() { FollowElasticity(); }

void F_HISTORY::FlushStatistic() {
    if (!m_pEnvEng || !m_Log.FlushStep(*m_pEnvEng)) return;
    m_PanelsDue = true;
    SchedulePublish();
}

void F_HISTORY::AfterCollision(const CBowl& b1, const CBowl& b2) {
    if (!m_pEnvEng) return;
    m_Log.After(b1, b2);
    MirrorRows();
}

void F_HISTORY::MirrorRows() {
    const uint64_t first = m_Log.FirstSerial();
    if (first > m_MirroredFirst) {
        m_Model->DropFirst(static_cast<int>(std::min<uint64_t>(first - m_MirroredFirst, CollisionLog::kMaxRows + 2)));
        m_MirroredFirst = first;
    }
    const auto& rows = m_Log.Rows();
    for (uint64_t serial = std::max(m_MirroredNext, first); serial < m_Log.NextSerial(); ++serial)
        m_Model->Queue(rows[static_cast<std::size_t>(serial - first)]);
    m_MirroredNext = m_Log.NextSerial();
    SchedulePublish();
}

void F_HISTORY::SchedulePublish() {
    // A hidden window catches up when it is shown (or read); meanwhile the
    // queue keeps no more than the row cap.
    if (isVisible() && !m_PublishTimer->isActive()) m_PublishTimer->start();
}

void F_HISTORY::ShowPending() {
    m_PublishTimer->stop();
    // Scrolling a hidden window is wasted work; showEvent catches up.
    if (m_Model->Publish() && isVisible()) m_lvwCollision->scrollToBottom();
    if (m_PanelsDue) ShowPanels();
}

void F_HISTORY::ShowPanels() {
    m_PanelsDue = false;
    m_PnlEnCinTot->setText(m_Log.PanelsShown() ? fmt::Fixed(m_Log.PanelEnergy()) : QString());
    m_PnlTotCollisioni->setText(m_Log.PanelsShown() ? fmt::Integer(m_Log.PanelCount()) : QString());
}

// ------------------------------------------------------------- window side

QStringList F_HISTORY::HeaderTexts() const {
    QStringList headers;
    for (const auto& c : kColumns) headers << QString::fromLatin1(c.header);
    if (m_Model->ShowsLoss()) headers << QString::fromLatin1(kLossColumnSpec.header);
    return headers;
}

int F_HISTORY::ColumnWidthTwips(int column) const {
    return column < CollisionTableModel::kColumnCount ? kColumns[column].widthTwips : kLossColumnSpec.widthTwips;
}

double F_HISTORY::DesignWidth() const {
    return kWindowWidth + (m_Model->ShowsLoss() ? kLossColumnSpec.widthTwips : 0);
}

void F_HISTORY::BuildColumns() {
    m_Model->SetHeaders(HeaderTexts());
    QHeaderView* header = m_lvwCollision->header();
    header->setMinimumSectionSize(twips::ToPixels(300));   // the style's own minimum is wider than B1 and B2
    for (int i = 0; i < m_Model->columnCount(); ++i)
        header->resizeSection(i, twips::ToPixels(ColumnWidthTwips(i)));
}

void F_HISTORY::FollowElasticity() {
    const bool lossy = m_pEnvEng && m_pEnvEng->Elasticity() < CEnvEng::kFullyElastic;
    if (lossy == m_Model->ShowsLoss()) return;
    m_Model->ShowLoss(lossy);
    // Headers only for a bound window, as init builds them.
    if (m_pEnvEng) BuildColumns();
    // As much wider or narrower; taken before the new minimum, which may
    // already widen the window.
    const int change = twips::ToPixels(kLossColumnSpec.widthTwips * m_Scale);
    const int wanted = width() + (lossy ? change : -change);
    SetDesignedMinimum();
    resize(QSize(wanted, height()).expandedTo(minimumSize()));
    LayOut();
}

void F_HISTORY::SetDesignedMinimum() {
    // Never larger than the screen: the table scrolls in what room there is.
    const QSize screen = this->screen() ? this->screen()->availableGeometry().size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(QSize(twips::ToPixels(DesignWidth() * m_Scale), twips::ToPixels(kWindowHeight * m_Scale)).boundedTo(screen));
}

void F_HISTORY::tlb_Bottom_ButtonClick(const QString& key) {
    if (key == kBtExit)
        close();
    else if (key == kBtClear)
        Reset();
    else if (key == kBtAbout)
        ShowAbout();
}

void F_HISTORY::closeEvent(QCloseEvent* event) {
    // The engine owns this window, so a close request, whoever makes it,
    // only hides it; while bound, rows and counter wait for the next showing.
    event->ignore();
    if (isVisible()) done(QDialog::Rejected);
}

bool F_HISTORY::HandlePreviewKey(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        tlb_Bottom_ButtonClick(kBtExit);
        return true;
    default:
        break;
    }
    if (event->matches(QKeySequence::Copy)) {
        CopyRows();
        return true;
    }
    return false;
}

void F_HISTORY::keyPressEvent(QKeyEvent* event) {
    bool handled = true;   // a key that failed has been dealt with all the same
    Guarded(this, [&] { handled = HandlePreviewKey(event); });
    if (!handled) event->ignore();   // other keys mean nothing to this window
}

bool F_HISTORY::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    bool handled = true;
    Guarded(this, [&] { handled = HandlePreviewKey(static_cast<QKeyEvent*>(event)); });
    return handled || QDialog::eventFilter(watched, event);
}

void F_HISTORY::ApplyScale() {
    const double scale = std::max(1.0, Settings().ViewScale() / 100.0);
    if (scale == m_Scale) return;
    const double grow = scale / m_Scale;
    m_Scale = scale;
    setFont(fonts::SansSerif(8.25 * scale));
    m_lvwCollision->setFont(fonts::Serif(8.25 * scale));
    for (QLabel* label : m_sbrStatistic->findChildren<QLabel*>())
        label->setFixedWidth(twips::ToPixels(label->property(kDesignWidth).toInt() * scale));
    for (QToolButton* button : m_tlbBottom->findChildren<QToolButton*>())
        button->setFixedSize(twips::ToPixels(1110 * scale), twips::ToPixels(330 * scale));
    SetDesignedMinimum();
    const QSize screen = this->screen() ? this->screen()->availableGeometry().size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(QSize(qRound(width() * grow), qRound(height() * grow)).expandedTo(minimumSize()).boundedTo(screen));
    LayOut();
}

void F_HISTORY::LayOut() {
    // The designed places, their margins scaled, measured from the window's
    // right and bottom edges.
    const auto px = [this](double twips) { return twips::ToPixels(twips * m_Scale); };
    const int w = width(), h = height();
    const double designedTable = DesignWidth() - (kWindowWidth - 9015);
    const int tableWidth = w - px(kWindowWidth - 9015), tableHeight = h - px(kWindowHeight - 4905);
    m_lvwCollision->setGeometry(0, 0, tableWidth, tableHeight);
    m_sbrStatistic->setGeometry(0, h - px(kWindowHeight - 4935), w, px(405));
    m_tlbBottom->setGeometry(w - px(kWindowWidth - 5700), h - px(kWindowHeight - 4950), px(3330), px(390));
    // The columns share the width as designed.
    QHeaderView* header = m_lvwCollision->header();
    const double widen = double(tableWidth) / twips::ToPixels(designedTable);
    for (int i = 0; i < m_Model->columnCount(); ++i)
        header->resizeSection(i, qRound(twips::ToPixels(ColumnWidthTwips(i)) * widen));
}

void F_HISTORY::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Guarded(this, [this] { LayOut(); });
}

void F_HISTORY::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Rows logged while hidden: show the latest, as a visible window would.
    Guarded(this, [this] {
        ApplyScale();
        ShowPending();
        if (m_Model->rowCount() > 0) m_lvwCollision->scrollToBottom();
    });
}

void F_HISTORY::SetOwner(QWidget* owner) {
    if (m_Owner == owner && parentWidget() == owner) return;
    disconnect(m_OwnerConnection);
    const bool wasVisible = isVisible();
    setParent(owner, windowFlags());   // a parented dialog stays above its owner
    m_Owner = owner;
    if (owner) {
        // Qt would delete a child with its owner, but the engine owns this
        // window: step out before that happens.
        m_OwnerConnection = connect(owner, &QObject::destroyed, this, [this] { OwnerDestroyed(); });
    }
    if (wasVisible) show();
}

void F_HISTORY::OwnerDestroyed() {
    m_Owner = nullptr;
    setParent(nullptr, windowFlags());
}

// ---------------------------------------------------------- copy and export

QString F_HISTORY::RowsAsTabText(QList<int> rows) {
    ShowPending();
    if (rows.isEmpty())
        for (int r = 0; r < m_Model->rowCount(); ++r) rows << r;
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    lines << HeaderTexts().join(QLatin1Char('\t'));
    for (int r : rows) {
        if (r < 0 || r >= m_Model->rowCount()) continue;
        QStringList cells;
        for (int c = 0; c < m_Model->columnCount(); ++c)
            cells << m_Model->DisplayText(m_Model->Row(r), c).trimmed();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool F_HISTORY::WriteCsv(const QString& path, QString* error) {
    ShowPending();
    QByteArray out = HeaderTexts().join(QLatin1Char(',')).toUtf8() + "\r\n";
    for (int r = 0; r < m_Model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m_Model->columnCount(); ++c)
            cells << CollisionTableModel::PortableText(m_Model->Row(r), c);
        out += cells.join(QLatin1Char(',')).toUtf8() + "\r\n";
    }
    return WriteWholeFile(path, out, error);
}

void F_HISTORY::CopyRows() {
    ShowPending();   // the selection refers to the rows shown
    QList<int> rows;
    for (const QModelIndex& index : m_lvwCollision->selectionModel()->selectedRows())
        rows << index.row();
    QApplication::clipboard()->setText(RowsAsTabText(rows));
}

void F_HISTORY::ExportRows() {
    ExportFile(this, QStringLiteral("history.csv"), [this](const QString& path, QString* why) {
        return WriteCsv(path, why);
    });
}

} // namespace vintrop
