// The main window's commands as QActions, and the menu bar, the conductor
// toolbar and the status bar that carry them. Each command is one action,
// shared by its menu item and its toolbar button.
#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QStatusBar>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QToolBar>
#include <algorithm>

#include "appstate.h"
#include "displaysettings.h"
#include "bowlmanipulator.h"
#include "f_main.h"
#include "guarded.h"
#include "panellabel.h"
#include "twips.h"
#include "viewzoom.h"

namespace vintrop {

namespace {
QIcon ToolIcon(const char* file) {
    return QIcon(QStringLiteral(":/main/resources/") + QLatin1String(file));
}
} // namespace

void F_MAIN::BuildActions() {
    // name, caption, shortcut, toolbar image (or none), toolbar tooltip
    const auto make = [this](const char* name, const QString& text, const QKeySequence& shortcut,
                             const char* image = nullptr, const QString& tip = {}) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        if (image) {
            action->setIcon(ToolIcon(image));
            action->setIconVisibleInMenu(false);   // the menus carry captions only
        }
        if (!tip.isEmpty()) action->setToolTip(tip);
        // Connected before the command itself: a drag on the drawing area
        // ends, cancelled, before any command runs.
        connect(action, &QAction::triggered, this, GuardedSlot(this, [this] {
                    if (m_Manipulator) m_Manipulator->CancelDrag();
                }));
        return action;
    };

    MN_FILE_NEW = make("MN_FILE_NEW", tr("&New"), QKeySequence(Qt::CTRL | Qt::Key_N), "pc_new.svg", tr("New"));
    MN_FILE_OPEN = make("MN_FILE_OPEN", tr("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O), "pc_open.svg", tr("Open"));
    MN_FILE_SAVE = make("MN_FILE_SAVE", tr("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S), "pc_save.svg", tr("Save"));
    MN_FILE_SAVE_AS = make("MN_FILE_SAVE_AS", tr("Save &As"), {});
    MN_EXIT = make("MN_EXIT", tr("Exit"), {});

    MN_VIEW_CONDUCTOR_TOOLBAR = make("MN_VIEW_CONDUCTOR_TOOLBAR", tr("&ToolBar"), QKeySequence(Qt::Key_F2));
    MN_VIEW_CONDUCTOR_TOOLBAR->setCheckable(true);
    MN_VIEW_CONDUCTOR_TOOLBAR->setChecked(true);
    MN_VIEW_BOWL_EDITOR = make("MN_VIEW_BOWL_EDITOR", tr("&Bowl Editor"), QKeySequence(Qt::Key_F4),
                               "pc_bowl_editor.svg", tr("Bowl Editor"));
    MN_VIEW_HISTORY = make("MN_VIEW_HISTORY", tr("&History"), {}, "pc_history.svg", tr("History"));
    MN_FULL_SCREEN = make("MN_FULL_SCREEN", tr("&Full Screen"), QKeySequence(Qt::Key_F11),
                          "pc_full_screen.svg", tr("FullScreen"));
    MN_OPTIONS = make("MN_OPTIONS", tr("&Options..."), {});
    MN_VIEW_ZOOM_IN = make("MN_VIEW_ZOOM_IN", tr("Zoom &In"), QKeySequence(Qt::CTRL | Qt::Key_Plus));
    // Ctrl+= too: on most keyboards "+" needs Shift, "=" is the same key without.
    MN_VIEW_ZOOM_IN->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    MN_VIEW_ZOOM_OUT = make("MN_VIEW_ZOOM_OUT", tr("Zoom O&ut"), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    MN_VIEW_ACTUAL_SIZE = make("MN_VIEW_ACTUAL_SIZE", tr("&Actual Size"), QKeySequence(Qt::CTRL | Qt::Key_0));
    MN_VIEW_GRAPHS = make("MN_VIEW_GRAPHS", tr("&Graphs"), QKeySequence(Qt::CTRL | Qt::Key_G));
    MN_VIEW_VALUES = make("MN_VIEW_VALUES", tr("&Values"), QKeySequence(Qt::CTRL | Qt::Key_L));

    MN_COND_REW = make("MN_COND_REW", tr("&REW"), QKeySequence(Qt::CTRL | Qt::Key_R), "pc_rew.svg", tr("Rewind"));
    MN_COND_BACK = make("MN_COND_BACK", tr("&BACK"), QKeySequence(Qt::CTRL | Qt::Key_Z), "pc_back.svg", tr("Back"));
    MN_COND_PLAY = make("MN_COND_PLAY", tr("&PLAY"), QKeySequence(Qt::Key_F5), "pc_play.svg", tr("Play"));
    MN_COND_PAUSE = make("MN_COND_PAUSE", tr("P&AUSE"), QKeySequence(Qt::Key_F9), "pc_pause.svg", tr("Pause"));
    MN_COND_STOP = make("MN_COND_STOP", tr("&STOP"), QKeySequence(Qt::CTRL | Qt::Key_Q), "pc_stop.svg", tr("Stop"));
    MN_COND_STEP = make("MN_COND_STEP", tr("S&TEP"), QKeySequence(Qt::Key_F8), "pc_step.svg", tr("Step"));

    MN_ACKNOWLEDGEMENTS = make("MN_ACKNOWLEDGEMENTS", tr("Ac&knowledgements"), QKeySequence(Qt::Key_F1));
    MN_ABOUT = make("MN_ABOUT", tr("&About..."), {});

    connect(MN_FILE_NEW, &QAction::triggered, this, GuardedSlot(this, [this] { m_Document.New(); }));
    connect(MN_FILE_OPEN, &QAction::triggered, this, GuardedSlot(this, [this] { m_Document.Open(); }));
    connect(MN_FILE_SAVE, &QAction::triggered, this, GuardedSlot(this, [this] { m_Document.Save(); }));
    connect(MN_FILE_SAVE_AS, &QAction::triggered, this, GuardedSlot(this, [this] { m_Document.SaveAs(); }));
    connect(MN_EXIT, &QAction::triggered, this, &QWidget::close);
    connect(MN_VIEW_CONDUCTOR_TOOLBAR, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnToolBarToggled));
    connect(MN_VIEW_BOWL_EDITOR, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnBowlEditor));
    connect(MN_VIEW_HISTORY, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnHistory));
    connect(MN_FULL_SCREEN, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnFullScreen));
    connect(MN_OPTIONS, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnOptions));
    connect(MN_VIEW_ZOOM_IN, &QAction::triggered, this,
            GuardedSlot(this, [this] { SetZoom(zoom::StepIn(Settings().Zoom())); }));
    connect(MN_VIEW_ZOOM_OUT, &QAction::triggered, this,
            GuardedSlot(this, [this] { SetZoom(zoom::StepOut(Settings().Zoom())); }));
    connect(MN_VIEW_ACTUAL_SIZE, &QAction::triggered, this, GuardedSlot(this, [this] { SetZoom(zoom::kActualSize); }));
    connect(MN_VIEW_GRAPHS, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnGraphs));
    connect(MN_VIEW_VALUES, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnValues));
    connect(MN_COND_REW, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnRew));
    connect(MN_COND_BACK, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnBack));
    connect(MN_COND_PLAY, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnPlay));
    connect(MN_COND_PAUSE, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnPause));
    connect(MN_COND_STOP, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnStop));
    connect(MN_COND_STEP, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnStep));
    connect(MN_ACKNOWLEDGEMENTS, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnAcknowledgements));
    connect(MN_ABOUT, &QAction::triggered, this, GuardedSlot(this, &F_MAIN::OnAbout));
}

void F_MAIN::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("mnb_Main"));
    const auto menu = [bar](const char* name, const QString& title) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    const auto separator = [](QMenu* m, const char* name) { m->addSeparator()->setObjectName(QLatin1String(name)); };

    MN_FILE = menu("MN_FILE", tr("&File"));
    MN_FILE->addActions({MN_FILE_NEW, MN_FILE_OPEN, MN_FILE_SAVE, MN_FILE_SAVE_AS});
    separator(MN_FILE, "MN_SEP1");
    MN_FILE->addAction(MN_EXIT);

    MN_VIEW = menu("MN_VIEW", tr("&View"));
    MN_VIEW->addActions({MN_VIEW_CONDUCTOR_TOOLBAR, MN_VIEW_BOWL_EDITOR, MN_VIEW_HISTORY});
    separator(MN_VIEW, "MN_SEP2");
    MN_VIEW->addAction(MN_FULL_SCREEN);
    separator(MN_VIEW, "MN_SEP3");
    MN_VIEW->addAction(MN_OPTIONS);
    separator(MN_VIEW, "MN_SEP4");
    MN_VIEW->addActions({MN_VIEW_ZOOM_IN, MN_VIEW_ZOOM_OUT, MN_VIEW_ACTUAL_SIZE});
    separator(MN_VIEW, "MN_SEP5");
    MN_VIEW->addActions({MN_VIEW_GRAPHS, MN_VIEW_VALUES});

    MN_CONDUCTOR = menu("MN_CONDUCTOR", tr("&Conductor"));
    MN_CONDUCTOR->addActions({MN_COND_REW, MN_COND_BACK, MN_COND_PLAY, MN_COND_PAUSE, MN_COND_STOP, MN_COND_STEP});

    MN_HELP = menu("MN_HELP", tr("&Help"));
    MN_HELP->addActions({MN_ACKNOWLEDGEMENTS, MN_ABOUT});

    // Opening File or View brings the enabled states up to date first.
    connect(MN_FILE, &QMenu::aboutToShow, this, GuardedSlot(this, &F_MAIN::RefreshCommands));
    connect(MN_VIEW, &QMenu::aboutToShow, this, GuardedSlot(this, &F_MAIN::RefreshCommands));
}

namespace {
// The application's style, with tool buttons only a few pixels wider than
// their 32-pixel pictures.
class CompactToolButtonStyle : public QProxyStyle {
public:
    CompactToolButtonStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override {
        QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
        if (type == CT_ToolButton) size.setWidth(std::min(size.width(), contents.width() + 4));
        return size;
    }
};
} // namespace

void F_MAIN::BuildToolBar() {
    tlb_Main = new QToolBar(tr("Conductor"), this);
    tlb_Main->setObjectName(QStringLiteral("tlb_Main"));
    tlb_Main->setMovable(false);
    tlb_Main->setFloatable(false);
    tlb_Main->setIconSize(QSize(32, 32));
    tlb_Main->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tlb_Main->setFixedHeight(twips::ToPixels(kToolBarHeightTwips, this));
    tlb_Main->setContextMenuPolicy(Qt::PreventContextMenu);
    // Docked at the bottom: the status bar lies below it, the drawing area above.
    addToolBar(Qt::BottomToolBarArea, tlb_Main);

    // Tight buttons: thirteen entries and the slider share a 539-pixel window.
    auto* compact = new CompactToolButtonStyle;
    compact->setParent(tlb_Main);
    const auto button = [this, compact](QAction* action, const char* key) {
        tlb_Main->addAction(action);
        QWidget* widget = tlb_Main->widgetForAction(action);
        widget->setStyle(compact);
        widget->setObjectName(QLatin1String(key));
        widget->setAccessibleName(action->toolTip());   // icon only: the tooltip names it
    };
    button(MN_FILE_NEW, "BT_NEW");
    button(MN_FILE_OPEN, "BT_OPEN");
    button(MN_FILE_SAVE, "BT_SAVE");
    tlb_Main->addSeparator();
    button(MN_COND_REW, "BT_REW");
    button(MN_COND_BACK, "BT_BACK");
    button(MN_COND_PLAY, "BT_PLAY");
    button(MN_COND_PAUSE, "BT_PAUSE");
    button(MN_COND_STOP, "BT_STOP");
    button(MN_COND_STEP, "BT_STEP");

    // BT_SEP: a 3000-twip placeholder that hosts the 2865 x 540 twip slider.
    auto* host = m_SliderHost = new QWidget(tlb_Main);
    host->setObjectName(QStringLiteral("BT_SEP"));
    host->setFixedWidth(twips::ToPixels(3000, this));
    auto* layout = new QHBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    sldr_Interval = new QSlider(Qt::Horizontal, host);
    sldr_Interval->setObjectName(QStringLiteral("sldr_Interval"));
    sldr_Interval->setFixedSize(twips::ToPixels(2865, this), twips::ToPixels(540, this));
    sldr_Interval->setToolTip(tr("Timer Interval"));
    sldr_Interval->setAccessibleName(tr("Timer Interval"));
    sldr_Interval->setTickPosition(QSlider::TicksBelow);
    sldr_Interval->setTickInterval(10);
    layout->addWidget(sldr_Interval, 0, Qt::AlignCenter);
    tlb_Main->addWidget(host)->setObjectName(QStringLiteral("BT_SEP"));

    button(MN_VIEW_BOWL_EDITOR, "BT_BOWL_EDITOR");
    button(MN_VIEW_HISTORY, "BT_HISTORY");
    button(MN_FULL_SCREEN, "BT_FULL_SCREEN");
}

void F_MAIN::FitSliderToToolBar() {
    if (!m_SliderHost) return;
    // Room taken by everything but the slider's place: the buttons, the
    // separator, the spacing between items and the toolbar's own margins.
    const QStyle* style = tlb_Main->style();
    const int spacing = style->pixelMetric(QStyle::PM_ToolBarItemSpacing, nullptr, tlb_Main);
    const int margins = 2 * (style->pixelMetric(QStyle::PM_ToolBarFrameWidth, nullptr, tlb_Main) +
                             style->pixelMetric(QStyle::PM_ToolBarItemMargin, nullptr, tlb_Main));
    int others = margins + style->pixelMetric(QStyle::PM_ToolBarSeparatorExtent, nullptr, tlb_Main);
    int items = 1;
    for (QAction* action : tlb_Main->actions()) {
        QWidget* widget = tlb_Main->widgetForAction(action);
        if (!widget || widget == m_SliderHost || action->isSeparator()) continue;
        others += widget->sizeHint().width();
        ++items;
    }
    others += spacing * items + 2;   // and a little slack for rounding
    const int designed = twips::ToPixels(3000, this);
    const int minimum = twips::ToPixels(1200, this);   // still a usable slider
    // The toolbar spans the window's whole width (it may not be laid out yet).
    const int width = std::clamp(this->width() - others, minimum, designed);
    if (width == m_SliderHost->width() && m_SliderHost->minimumWidth() == width) return;
    m_SliderHost->setFixedWidth(width);
    sldr_Interval->setFixedWidth(width - (designed - twips::ToPixels(2865, this)));
    // The toolbar keeps its items' sizes until told they changed.
    tlb_Main->layout()->invalidate();
}

void F_MAIN::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbr_Main"));
    bar->setFixedHeight(twips::ToPixels(kStatusBarHeightTwips, this));
    // key, text (also the tooltip), width in twips (0: the remaining width)
    const auto panel = [this, bar](const char* key, const QString& text, int widthTwips) {
        QLabel* label = MakePanelLabel(bar, QLatin1String(key), text);
        if (widthTwips > 0)
            label->setFixedWidth(twips::ToPixels(widthTwips, this));
        else
            label->setMinimumWidth(0);
        bar->addWidget(label, widthTwips > 0 ? 0 : 1);
        return label;
    };
    panel("pnl_Xmax", tr("Xmax ="), 1000);
    m_PnlMaxX = panel("PNL_MAX_X", QString(), 1440);
    panel("pnl_Ymax", tr("Ymax ="), 1000);
    m_PnlMaxY = panel("PNL_MAX_Y", QString(), 1440);
    m_PnlTip = panel("PNL_TIP", QString(), 0);
    // After the program's own panels: the picture's scale, so that a teacher
    // can tell 200 % from 250 %, or see the scale a lesson's box is shown at.
    m_PnlScale = panel("PNL_SCALE", QString(), 900);
    m_PnlScale->setAlignment(Qt::AlignCenter);
}

} // namespace vintrop
