#include "f_bowl_editor.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "appstate.h"
#include "drawdevice.h"
#include "envengine.h"
#include "errortext.h"
#include "f_edit_bowl.h"
#include "guarded.h"
#include "numberformat.h"
#include "numeric.h"
#include "panellabel.h"
#include "prompt.h"
#include "twips.h"
#include "utility.h"

namespace vintrop {

namespace {
constexpr double kClientWidthTwips = 5910;
constexpr double kClientHeightTwips = 3795;

struct Column {
    const char* header;
    double widthTwips;
    Qt::Alignment alignment;
};
constexpr Column kColumns[] = {
    {"N.", 500, Qt::AlignLeft},     {"M", 1000, Qt::AlignRight},   {"Xo", 1000, Qt::AlignRight},
    {"Yo", 1000, Qt::AlignRight},   {"Vxo", 1000, Qt::AlignRight}, {"Vyo", 1000, Qt::AlignRight},
};

// The totals bar's value panels, in twips: they share what the two caption
// panels leave of the window's width in these proportions, so every panel
// stays in view.
constexpr double kCountPanelTwips = 2540;
constexpr double kEnergyPanelTwips = 3528;
} // namespace

F_BOWL_EDITOR::F_BOWL_EDITOR(QWidget* owner, IDrawDevice* drawDevice, F_EDIT_BOWL& editDialog)
    : QDialog(owner), m_pDrawDevice(drawDevice), m_EditDialog(editDialog) {
    setObjectName(QStringLiteral("F_BOWL_EDITOR"));
    setWindowTitle(QStringLiteral("Bowl Editor"));
    // A fixed tool window: no minimise or maximise box, no task-bar entry.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    m_btAdd = MakeButton("bt_Add", QStringLiteral("Add Bowl"), QStringLiteral("pc_add.svg"));
    m_btRemove = MakeButton("bt_Remove", QStringLiteral("Delete Bowl"), QStringLiteral("pc_remove.svg"));
    m_btUpdate = MakeButton("bt_Update", QStringLiteral("Bowl Property"), QStringLiteral("pc_property.svg"));
    m_btClear = MakeButton("bt_Clear", QStringLiteral("Clear Bowls!"), QStringLiteral("pc_clear.svg"));
    m_btExit = MakeButton("bt_Exit", QStringLiteral("Exit"), QStringLiteral("pc_exit.svg"));
    // Enter and Esc both close the window.
    m_btExit->setDefault(true);

    m_lvwBowls = new QTreeWidget(this);
    m_lvwBowls->setObjectName(QStringLiteral("lvw_Bowls"));
    m_lvwBowls->setRootIsDecorated(false);
    m_lvwBowls->setUniformRowHeights(true);
    m_lvwBowls->setAllColumnsShowFocus(true);
    m_lvwBowls->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lvwBowls->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvwBowls->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvwBowls->header()->setStretchLastSection(false);
    m_lvwBowls->header()->setSectionsMovable(false);

    auto* totals = new QWidget(this);
    totals->setObjectName(QStringLiteral("sbr_Totals"));
    QLabel* countCaption = MakePanelLabel(totals, QString(), QStringLiteral("Bowls Count = "));
    m_pnlBowlCount = MakePanelLabel(totals, QStringLiteral("PNL_BOWL_COUNT"));
    m_pnlBowlCount->setMinimumWidth(1);
    QLabel* energyCaption = MakePanelLabel(totals, QString(), QStringLiteral("1/2 MV^2(o) = "));
    m_pnlEnCinTot = MakePanelLabel(totals, QStringLiteral("PNL_EN_CIN_TOT"));
    m_pnlEnCinTot->setMinimumWidth(1);
    m_pnlEnCinTot->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* totalsLayout = new QHBoxLayout(totals);
    totalsLayout->setContentsMargins(0, 0, 0, 0);
    totalsLayout->setSpacing(2);
    for (QLabel* caption : {countCaption, energyCaption})
        caption->setMinimumWidth(caption->sizeHint().width());
    totalsLayout->addWidget(countCaption, 0);
    totalsLayout->addWidget(m_pnlBowlCount, qRound(kCountPanelTwips));
    totalsLayout->addWidget(energyCaption, 0);
    totalsLayout->addWidget(m_pnlEnCinTot, qRound(kEnergyPanelTwips));

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (QPushButton* b : {m_btAdd, m_btRemove, m_btUpdate, m_btClear, m_btExit}) buttons->addWidget(b);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 2);
    layout->setSpacing(4);
    layout->addLayout(buttons);
    layout->addWidget(m_lvwBowls, 1);
    layout->addWidget(totals);

    setTabOrder(m_btAdd, m_btRemove);
    setTabOrder(m_btRemove, m_btUpdate);
    setTabOrder(m_btUpdate, m_btClear);
    setTabOrder(m_btClear, m_btExit);
    setTabOrder(m_btExit, m_lvwBowls);
    m_btAdd->setFocus();

    connect(m_btAdd, &QPushButton::clicked, this, GuardedSlot(this, &F_BOWL_EDITOR::bt_Add_Click));
    connect(m_btRemove, &QPushButton::clicked, this, GuardedSlot(this, &F_BOWL_EDITOR::bt_Remove_Click));
    connect(m_btUpdate, &QPushButton::clicked, this, GuardedSlot(this, &F_BOWL_EDITOR::bt_Update_Click));
    connect(m_btClear, &QPushButton::clicked, this, GuardedSlot(this, &F_BOWL_EDITOR::bt_Clear_Click));
    connect(m_btExit, &QPushButton::clicked, this, &F_BOWL_EDITOR::bt_Exit_Click);
    // The buttons follow the selection, whether it changes by mouse or keys.
    connect(m_lvwBowls, &QTreeWidget::itemSelectionChanged, this, &F_BOWL_EDITOR::UpdateButtons);
    connect(m_lvwBowls, &QTreeWidget::itemDoubleClicked, this, GuardedSlot(this, [this] {
                if (SelectedRow() > 0) bt_Update_Click();
            }));

    setFixedSize(QSize(twips::ToPixels(kClientWidthTwips), twips::ToPixels(kClientHeightTwips))
                     .expandedTo(minimumSizeHint()));

    // Loading the window.
    m_btUpdate->setEnabled(false);
    m_btRemove->setEnabled(false);
    SetupColumns();
    RefreshList();
}

QPushButton* F_BOWL_EDITOR::MakeButton(const char* name, const QString& tip, const QString& picture) {
    auto* button = new QPushButton(this);
    button->setObjectName(QLatin1String(name));
    button->setIcon(QIcon(QStringLiteral(":/editing/resources/") + picture));
    button->setIconSize(QSize(32, 32));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    return button;
}

void F_BOWL_EDITOR::SetupColumns() {
    m_lvwBowls->clear();
    m_lvwBowls->setColumnCount(0);
    QStringList headers;
    for (const Column& c : kColumns) headers << QLatin1String(c.header);
    m_lvwBowls->setHeaderLabels(headers);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        m_lvwBowls->headerItem()->setTextAlignment(i, kColumns[i].alignment | Qt::AlignVCenter);
        m_lvwBowls->setColumnWidth(i, twips::ToPixels(kColumns[i].widthTwips));
    }
}

void F_BOWL_EDITOR::RefreshList() {
    m_lvwBowls->clear();
    // Positions run up to 32767: the counter is wider than the 16-bit
    // position so that it can step past the last one.
    QList<QTreeWidgetItem*> rows;
    try {
        const int count = g_pEnvEng ? g_pEnvEng->BowlCount() : 0;
        rows.reserve(count);
        for (int i = 1; i <= count; ++i) {
            const CBowl& b = g_pEnvEng->GetBowl(i);
            auto* row = new QTreeWidgetItem(QStringList{
                PadLeft(QString::number(i), 3, QStringLiteral(" ")), fmt::General(b.M()),
                fmt::Fixed(b.Xo()), fmt::Fixed(b.Yo()), fmt::Fixed(b.Vxo()), fmt::Fixed(b.Vyo())});
            rows << row;
            for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c)
                row->setTextAlignment(c, kColumns[c].alignment | Qt::AlignVCenter);
        }
        m_lvwBowls->addTopLevelItems(rows);
        rows.clear();   // the list owns them now
        m_pnlBowlCount->setText(fmt::Integer(count));
        m_pnlEnCinTot->setText(fmt::Fixed(g_pEnvEng ? g_pEnvEng->EnCinTot() : 0.0));
    } catch (...) {
        qDeleteAll(rows);
        Prompt::Error(this, UserTextOf(std::current_exception()));
    }
    UpdateButtons();
    if (m_pDrawDevice) m_pDrawDevice->ManualRefresh();
}

void F_BOWL_EDITOR::UpdateButtons() {
    const bool selected = SelectedRow() > 0;
    m_btUpdate->setEnabled(selected);
    m_btRemove->setEnabled(selected);
    m_btClear->setEnabled(selected);
}

int F_BOWL_EDITOR::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = m_lvwBowls->selectedItems();
    if (selected.isEmpty()) return 0;
    return m_lvwBowls->indexOfTopLevelItem(selected.constFirst()) + 1;
}

void F_BOWL_EDITOR::SelectRow(int row) {
    QTreeWidgetItem* item = m_lvwBowls->topLevelItem(row - 1);
    if (!item) return;
    m_lvwBowls->setCurrentItem(item);
    m_lvwBowls->scrollToItem(item);
}

void F_BOWL_EDITOR::bt_Add_Click() {
    // One past the last row; with the list full the engine refuses the bowl.
    const int next = m_lvwBowls->topLevelItemCount() + 1;
    if (!m_EditDialog.Display(F_EDIT_BOWL::kAdd, next, m_pDrawDevice, this)) return;
    FlgModified = kTrue;
    RefreshList();
    SelectRow(m_lvwBowls->topLevelItemCount());
}

void F_BOWL_EDITOR::bt_Update_Click() {
    const int k = SelectedRow();
    if (k == 0) return;
    if (!m_EditDialog.Display(F_EDIT_BOWL::kProperty, k, m_pDrawDevice, this))
        return;
    FlgModified = kTrue;
    RefreshList();
    SelectRow(k);
}

void F_BOWL_EDITOR::bt_Remove_Click() {
    const int k = SelectedRow();
    if (k == 0) return;
    if (!m_EditDialog.Display(F_EDIT_BOWL::kRemove, k, m_pDrawDevice, this))
        return;
    FlgModified = kTrue;
    RefreshList();
}

void F_BOWL_EDITOR::bt_Clear_Click() {
    if (Prompt::Message(this, QStringLiteral("Cancellare tutte le palle?"), Prompt::Icon::Question,
                        QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (g_pEnvEng) g_pEnvEng->ClearBowls();
    FlgModified = kTrue;
    RefreshList();
}

void F_BOWL_EDITOR::bt_Exit_Click() { accept(); }

} // namespace vintrop
