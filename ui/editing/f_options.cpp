#include "f_options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "appstate.h"
#include "envengine.h"
#include "guarded.h"
#include "numeric.h"
#include "twips.h"

namespace vintrop {

namespace {
constexpr double kClientWidthTwips = 5025;
constexpr double kClientHeightTwips = 2190;

// The momentum lines' scales on offer, as the combo box lists them.
bool IsOn(const QCheckBox* box) { return box->checkState() != Qt::Unchecked; }
} // namespace

F_OPTIONS::F_OPTIONS(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("F_OPTIONS"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    m_Frame1 = new QGroupBox(QStringLiteral("Collisions"), this);
    m_Frame1->setObjectName(QStringLiteral("Frame1"));
    m_ckCollCentral = new QCheckBox(QStringLiteral("Central (Point-like Bowls)"), m_Frame1);
    m_ckCollCentral->setObjectName(QStringLiteral("ck_CollCentral"));
    m_ckHistory = new QCheckBox(QStringLiteral("Trace History"), m_Frame1);
    m_ckHistory->setObjectName(QStringLiteral("ck_History"));
    auto* frameLayout = new QVBoxLayout(m_Frame1);
    frameLayout->addWidget(m_ckCollCentral);
    frameLayout->addWidget(m_ckHistory);

    m_OKButton = new QPushButton(QStringLiteral("OK"), this);
    m_OKButton->setObjectName(QStringLiteral("OKButton"));
    m_OKButton->setDefault(true);
    m_CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_CancelButton->setObjectName(QStringLiteral("CancelButton"));

    m_ckShowNumber = new QCheckBox(QStringLiteral("Show Bowl Number"), this);
    m_ckShowNumber->setObjectName(QStringLiteral("ck_ShowNumber"));
    m_ckShowVect = new QCheckBox(QStringLiteral("Show Momentum Vectors"), this);
    m_ckShowVect->setObjectName(QStringLiteral("ck_ShowVect"));

    // How long the momentum lines are drawn: a class sees a 1x arrow of a
    // light bowl only as a dot.
    m_cbVectorScale = new QComboBox(this);
    m_cbVectorScale->setObjectName(QStringLiteral("cb_VectorScale"));
    for (int16_t scale : kVectorScales) m_cbVectorScale->addItem(QString::number(scale) + QChar(0x00D7), scale);
    auto* scaleLabel = new QLabel(QStringLiteral("Vector scale:"), this);
    scaleLabel->setObjectName(QStringLiteral("lbl_VectorScale"));
    scaleLabel->setBuddy(m_cbVectorScale);

    // Group box at the top left, OK above Cancel at the top right, the two
    // display options side by side below the group box.
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_Frame1, 0, 0, 2, 2);
    grid->addWidget(m_OKButton, 0, 2, Qt::AlignTop);
    grid->addWidget(m_CancelButton, 1, 2, Qt::AlignTop);
    grid->addWidget(m_ckShowNumber, 2, 0);
    grid->addWidget(m_ckShowVect, 2, 1, 1, 2);
    // The vector scale on a row of its own below them: the dialog grows by
    // that row.
    auto* scaleRow = new QHBoxLayout;
    scaleRow->addWidget(scaleLabel);
    scaleRow->addWidget(m_cbVectorScale);
    scaleRow->addStretch(1);
    grid->addLayout(scaleRow, 3, 0, 1, 3);

    // The program's tab order: the central-collision box first (it has the
    // focus on opening), then OK, Cancel, history and the display options.
    setTabOrder(m_ckCollCentral, m_OKButton);
    setTabOrder(m_OKButton, m_CancelButton);
    setTabOrder(m_CancelButton, m_ckHistory);
    setTabOrder(m_ckHistory, m_ckShowNumber);
    setTabOrder(m_ckShowNumber, m_ckShowVect);
    setTabOrder(m_ckShowVect, m_cbVectorScale);
    m_ckCollCentral->setFocus();

    connect(m_OKButton, &QPushButton::clicked, this, GuardedSlot(this, &F_OPTIONS::OKButton_Click));
    connect(m_CancelButton, &QPushButton::clicked, this, &F_OPTIONS::CancelButton_Click);

    // The designed client area, one row taller for the vector scale.
    const int scaleRowHeight = std::max(scaleLabel->sizeHint().height(), m_cbVectorScale->sizeHint().height()) +
                               std::max(0, grid->verticalSpacing());
    const QSize design(twips::ToPixels(kClientWidthTwips), twips::ToPixels(kClientHeightTwips) + scaleRowHeight);
    setFixedSize(design.expandedTo(sizeHint()));

    LoadOptions();
}

void F_OPTIONS::LoadOptions() {
    const bool central = g_pEnvEng && g_pEnvEng->CentralCollision() != kFalse;
    const bool history = g_pEnvEng && g_pEnvEng->KeepHistory() != kFalse;
    m_ckCollCentral->setChecked(central);
    m_ckHistory->setChecked(history);
    m_ckShowNumber->setChecked(FlgShowNumber != kFalse);
    m_ckShowVect->setChecked(FlgShowVect != kFalse);
    const int scale = m_cbVectorScale->findData(VectorScale);
    m_cbVectorScale->setCurrentIndex(scale >= 0 ? scale : 0);
}

void F_OPTIONS::OKButton_Click() {
    if (g_pEnvEng) {
        g_pEnvEng->CentralCollision(ToBool16(IsOn(m_ckCollCentral)));
        // Written on every OK: the engine starts or ends the history log on
        // each write, also when the box was left as it was.
        g_pEnvEng->KeepHistory(ToBool16(IsOn(m_ckHistory)));
    }
    FlgShowNumber = ToBool16(IsOn(m_ckShowNumber));
    FlgShowVect = ToBool16(IsOn(m_ckShowVect));
    VectorScale = static_cast<int16_t>(m_cbVectorScale->currentData().toInt());
    accept();
}

void F_OPTIONS::CancelButton_Click() { reject(); }

} // namespace vintrop
