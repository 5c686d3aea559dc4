#include "f_options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <optional>

#include "appstate.h"
#include "displaysettings.h"
#include "envengine.h"
#include "guarded.h"
#include "numeric.h"
#include "placement.h"
#include "prompt.h"
#include "twips.h"

namespace vintrop {

namespace {
constexpr double kClientWidthTwips = 5025;
constexpr double kClientHeightTwips = 2190;

// The momentum lines' scales on offer, as the combo box lists them.
bool IsOn(const QCheckBox* box) { return box->checkState() != Qt::Unchecked; }

// A box side as the fields show it: whole twips within their range.
int WholeTwips(float side) { return static_cast<int>(std::clamp<double>(std::round(side), 1, kMaxFixedBoxSide)); }
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
    // The controls sit in a page that scrolls when the screen is too short
    // for the dialog (1080 lines at 300 %); elsewhere the page is the dialog.
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pg_Options"));
    auto* grid = new QGridLayout(page);
    // The margins of a dialog's own layout, not of a widget inside one.
    const auto margin = [this](QStyle::PixelMetric side) { return style()->pixelMetric(side, nullptr, this); };
    grid->setContentsMargins(margin(QStyle::PM_LayoutLeftMargin), margin(QStyle::PM_LayoutTopMargin),
                             margin(QStyle::PM_LayoutRightMargin), margin(QStyle::PM_LayoutBottomMargin));
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

    // The scenario's own box, below the program's options: checked, the box
    // is saved with the scenario and the window only changes the picture.
    m_gbFixedBox = new QGroupBox(QStringLiteral("&Fixed box (twips)"), this);
    m_gbFixedBox->setObjectName(QStringLiteral("gb_FixedBox"));
    m_gbFixedBox->setCheckable(true);
    auto* boxRow = new QHBoxLayout(m_gbFixedBox);
    const auto side = [this, boxRow](const char* name, const QString& caption) {
        auto* field = new QSpinBox(m_gbFixedBox);
        field->setObjectName(QLatin1String(name));
        field->setRange(1, static_cast<int>(kMaxFixedBoxSide));
        field->setGroupSeparatorShown(true);
        auto* label = new QLabel(caption, m_gbFixedBox);
        label->setBuddy(field);
        boxRow->addWidget(label);
        boxRow->addWidget(field, 1);
        return field;
    };
    m_spBoxWidth = side("sp_BoxWidth", QStringLiteral("&Width:"));
    m_spBoxHeight = side("sp_BoxHeight", QStringLiteral("&Height:"));
    grid->addWidget(m_gbFixedBox, 4, 0, 1, 3);

    // The scenario's classroom colours, below its box.
    m_ckClassroomColours = new QCheckBox(QStringLiteral("Classroom colours"), this);
    m_ckClassroomColours->setObjectName(QStringLiteral("ck_ClassroomColours"));
    m_ckClassroomColours->setToolTip(
        QStringLiteral("Each bowl takes the named colour of its number, the same at every Open; saved with the scenario"));
    grid->addWidget(m_ckClassroomColours, 5, 0, 1, 3);
    // Velocity arrows last, on a row of their own below the classroom colours.
    m_ckShowVelocity = new QCheckBox(QStringLiteral("Show Velocity Arrows"), this);
    m_ckShowVelocity->setObjectName(QStringLiteral("ck_ShowVelocity"));
    grid->addWidget(m_ckShowVelocity, 6, 0, 1, 3);
    // The centre of mass, then the paths with their length, each on a row
    // of its own below.
    m_ckShowCentre = new QCheckBox(QStringLiteral("Show Centre of Mass"), this);
    m_ckShowCentre->setObjectName(QStringLiteral("ck_ShowCentre"));
    grid->addWidget(m_ckShowCentre, 7, 0, 1, 3);
    m_ckShowPaths = new QCheckBox(QStringLiteral("Show Paths"), this);
    m_ckShowPaths->setObjectName(QStringLiteral("ck_ShowPaths"));
    m_cbPathSteps = new QComboBox(this);
    m_cbPathSteps->setObjectName(QStringLiteral("cb_PathSteps"));
    m_cbPathSteps->setAccessibleName(QStringLiteral("Path length"));
    for (int16_t steps : kPathSteps) m_cbPathSteps->addItem(QLocale().toString(steps) + QStringLiteral(" steps"), steps);
    auto* pathsRow = new QHBoxLayout;
    pathsRow->addWidget(m_ckShowPaths);
    pathsRow->addWidget(m_cbPathSteps);
    pathsRow->addStretch(1);
    grid->addLayout(pathsRow, 8, 0, 1, 3);
    // The scenario's elasticity between bowls, last.
    m_spElasticity = new QSpinBox(this);
    m_spElasticity->setObjectName(QStringLiteral("sp_Elasticity"));
    m_spElasticity->setRange(0, CEnvEng::kFullyElastic);
    m_spElasticity->setSuffix(QStringLiteral(" %"));
    m_spElasticity->setAccessibleName(QStringLiteral("Elasticity between bowls"));
    auto* elasticityLabel = new QLabel(QStringLiteral("&Elasticity between bowls:"), this);
    elasticityLabel->setBuddy(m_spElasticity);
    auto* elasticityRow = new QHBoxLayout;
    elasticityRow->addWidget(elasticityLabel);
    elasticityRow->addWidget(m_spElasticity);
    elasticityRow->addStretch(1);
    grid->addLayout(elasticityRow, 9, 0, 1, 3);

    // The program's tab order: the central-collision box first (it has the
    // focus on opening), then OK, Cancel, history and the display options.
    setTabOrder(m_ckCollCentral, m_OKButton);
    setTabOrder(m_OKButton, m_CancelButton);
    setTabOrder(m_CancelButton, m_ckHistory);
    setTabOrder(m_ckHistory, m_ckShowNumber);
    setTabOrder(m_ckShowNumber, m_ckShowVect);
    setTabOrder(m_ckShowVect, m_cbVectorScale);
    setTabOrder(m_cbVectorScale, m_gbFixedBox);
    setTabOrder(m_gbFixedBox, m_spBoxWidth);
    setTabOrder(m_spBoxWidth, m_spBoxHeight);
    setTabOrder(m_spBoxHeight, m_ckClassroomColours);
    setTabOrder(m_ckClassroomColours, m_ckShowVelocity);
    setTabOrder(m_ckShowVelocity, m_ckShowCentre);
    setTabOrder(m_ckShowCentre, m_ckShowPaths);
    setTabOrder(m_ckShowPaths, m_cbPathSteps);
    setTabOrder(m_cbPathSteps, m_spElasticity);
    m_ckCollCentral->setFocus();

    connect(m_OKButton, &QPushButton::clicked, this, GuardedSlot(this, &F_OPTIONS::OKButton_Click));
    connect(m_CancelButton, &QPushButton::clicked, this, &F_OPTIONS::CancelButton_Click);

    // The designed client area, taller by the vector scale's row, the box,
    // the classroom colours, the velocity arrows, the centre and the paths.
    const int spacing = std::max(0, grid->verticalSpacing());
    const int scaleRowHeight = std::max(scaleLabel->sizeHint().height(), m_cbVectorScale->sizeHint().height()) + spacing;
    const int boxHeight = m_gbFixedBox->sizeHint().height() + spacing;
    const int colourHeight = m_ckClassroomColours->sizeHint().height() + spacing;
    const int velocityHeight = m_ckShowVelocity->sizeHint().height() + spacing;
    const int centreHeight = m_ckShowCentre->sizeHint().height() + spacing;
    const int pathsHeight = std::max(m_ckShowPaths->sizeHint().height(), m_cbPathSteps->sizeHint().height()) + spacing;
    const int elasticityHeight = std::max(elasticityLabel->sizeHint().height(), m_spElasticity->sizeHint().height()) + spacing;
    const QSize design(twips::ToPixels(kClientWidthTwips),
                       twips::ToPixels(kClientHeightTwips) + scaleRowHeight + boxHeight + colourHeight +
                           velocityHeight + centreHeight + pathsHeight + elasticityHeight);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("sa_Options"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    QSize size = design.expandedTo(page->sizeHint());
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
        // Within the screen, room left for the title bar; a page cut short
        // scrolls vertically, so its width takes the scroll bar too.
        const QSize room = screen->availableGeometry().size() - QSize(0, 40);
        if (size.height() > room.height())
            size = QSize(size.width() + scroll->verticalScrollBar()->sizeHint().width(), room.height());
        size = size.boundedTo(room);
    }
    setFixedSize(size);

    LoadOptions();
}

void F_OPTIONS::LoadOptions() {
    const bool central = g_pEnvEng && g_pEnvEng->CentralCollision() != kFalse;
    const bool history = g_pEnvEng && g_pEnvEng->KeepHistory() != kFalse;
    m_ckCollCentral->setChecked(central);
    m_ckHistory->setChecked(history);
    m_ckShowNumber->setChecked(FlgShowNumber != kFalse);
    m_ckShowVect->setChecked(FlgShowVect != kFalse);
    const DisplaySettings& display = Settings();
    m_ckShowVelocity->setChecked(display.ShowVelocity());
    m_ckShowCentre->setChecked(display.ShowCentre());
    m_ckShowPaths->setChecked(display.ShowPaths());
    const int steps = m_cbPathSteps->findData(display.PathSteps());
    m_cbPathSteps->setCurrentIndex(steps >= 0 ? steps : 1);   // else 200, the default
    const int scale = m_cbVectorScale->findData(display.VectorScale());
    m_cbVectorScale->setCurrentIndex(scale >= 0 ? scale : 0);

    // Prefilled with the box in use, the scenario's own or the window's.
    const std::optional<BoxSize> fixed = g_pEnvEng ? g_pEnvEng->FixedBox() : std::nullopt;
    m_gbFixedBox->setChecked(fixed.has_value());
    m_ckClassroomColours->setChecked(g_pEnvEng && g_pEnvEng->ClassroomColours());
    m_spBoxWidth->setValue(WholeTwips(fixed ? fixed->width : g_pEnvEng ? g_pEnvEng->MaxX : 0));
    m_spBoxHeight->setValue(WholeTwips(fixed ? fixed->height : g_pEnvEng ? g_pEnvEng->MaxY : 0));
    // The box changes the experiment: only while the bowls stand at their
    // initial places, as for the bowl editor.
    const bool atStart = g_pEnvEng && !g_pEnvEng->IsExecuting() && g_pEnvEng->t == 0;
    m_gbFixedBox->setEnabled(atStart);
    m_gbFixedBox->setToolTip(atStart ? QString()
                                     : QStringLiteral("The box can change only at t=0, with the conductor stopped"));
    // So can the elasticity: a run keeps the one it started with.
    m_spElasticity->setValue(g_pEnvEng ? g_pEnvEng->Elasticity() : CEnvEng::kFullyElastic);
    m_spElasticity->setEnabled(atStart);
    m_spElasticity->setToolTip(
        atStart ? QStringLiteral("100 %: perfectly elastic. Below it a collision loses kinetic energy (momentum is "
                                 "kept), and BACK is off; saved with the scenario")
                : QStringLiteral("The elasticity can change only at t=0, with the conductor stopped"));
}

bool F_OPTIONS::ApplyFixedBox() {
    if (!g_pEnvEng || !m_gbFixedBox->isEnabled()) return true;
    std::optional<BoxSize> wanted;
    if (m_gbFixedBox->isChecked())
        wanted = BoxSize{static_cast<float>(m_spBoxWidth->value()), static_cast<float>(m_spBoxHeight->value())};
    const std::optional<BoxSize>& now = g_pEnvEng->FixedBox();
    // The fields hold whole twips: a box read from a file with fractions is
    // kept as it is while they still show it.
    if (wanted.has_value() == now.has_value() &&
        (!wanted || (m_spBoxWidth->value() == WholeTwips(now->width) &&
                     m_spBoxHeight->value() == WholeTwips(now->height))))
        return true;
    if (wanted) {
        const BoxCheck check = CheckFixedBox(*g_pEnvEng, *wanted);
        QString why;
        QSpinBox* field = m_spBoxWidth;
        const int least = std::max(1, static_cast<int>(std::ceil(2 * LargestWholeRadius(*g_pEnvEng))));
        const QString limits = QStringLiteral(" must be from %1 to %2").arg(least).arg(static_cast<int>(kMaxFixedBoxSide));
        switch (check.broken) {
        case BoxRule::None: break;
        case BoxRule::WidthLimits: why = QStringLiteral("The width") + limits; break;
        case BoxRule::HeightLimits:
            why = QStringLiteral("The height") + limits;
            field = m_spBoxHeight;
            break;
        case BoxRule::BowlOutside: why = QStringLiteral("Bowl %1 would be outside").arg(check.bowl); break;
        }
        if (!why.isEmpty()) {
            Prompt::Message(this, why, Prompt::Icon::Exclamation);
            field->setFocus();
            field->selectAll();
            return false;
        }
    }
    g_pEnvEng->SetFixedBox(wanted);
    FlgModified = kTrue;
    return true;
}

void F_OPTIONS::OKButton_Click() {
    // The box first: a refused box leaves every option as it was.
    if (!ApplyFixedBox()) return;
    if (g_pEnvEng) {
        g_pEnvEng->CentralCollision(ToBool16(IsOn(m_ckCollCentral)));
        // Written on every OK: the engine starts or ends the history log on
        // each write, also when the box was left as it was.
        g_pEnvEng->KeepHistory(ToBool16(IsOn(m_ckHistory)));
        // Colours take no part in a step, so they change at any time, also
        // while the simulation runs; the scene shows them at once.
        if (IsOn(m_ckClassroomColours) != g_pEnvEng->ClassroomColours()) {
            g_pEnvEng->SetClassroomColours(IsOn(m_ckClassroomColours));
            FlgModified = kTrue;
        }
        if (m_spElasticity->isEnabled() && m_spElasticity->value() != g_pEnvEng->Elasticity()) {
            g_pEnvEng->SetElasticity(static_cast<int16_t>(m_spElasticity->value()));
            FlgModified = kTrue;
        }
    }
    FlgShowNumber = ToBool16(IsOn(m_ckShowNumber));
    FlgShowVect = ToBool16(IsOn(m_ckShowVect));
    DisplaySettings& display = Settings();
    display.SetShowVelocity(IsOn(m_ckShowVelocity));
    display.SetShowCentre(IsOn(m_ckShowCentre));
    display.SetShowPaths(IsOn(m_ckShowPaths));
    display.SetPathSteps(static_cast<int16_t>(m_cbPathSteps->currentData().toInt()));
    display.SetVectorScale(static_cast<int16_t>(m_cbVectorScale->currentData().toInt()));
    accept();
}

void F_OPTIONS::CancelButton_Click() { reject(); }

} // namespace vintrop
