#include "f_about.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>

#include "classicfonts.h"
#include "guarded.h"
#include "headerband.h"
#include "pictures.h"
#include "programicon.h"
#include "prompt.h"
#include "sysinfo.h"
#include "twips.h"
#include "utility.h"
#include "version.h"

namespace vintrop {

namespace {

QLabel* TextLabel(QWidget* parent, const QString& name, const QRect& box, Qt::Alignment align) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(box);
    label->setAlignment(align | Qt::AlignVCenter);
    return label;   // a QLabel paints no background of its own
}

// A button at its designed place, widened to the right if its caption
// needs more room than the design gives it.
QPushButton* Button(QWidget* parent, const QString& name, const QString& text, const QRect& box) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    QRect r = box;
    r.setWidth(std::max(box.width(), button->sizeHint().width()));
    button->setGeometry(r);
    return button;
}
} // namespace

F_ABOUT::F_ABOUT(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("F_ABOUT"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twips::ToPixels(5430), twips::ToPixels(5085));
    setFont(fonts::SansSerif(8.25));

    // Decorative band along the top with the picture and the maker's name.
    const HeaderBand header =
        MakeHeaderBand(this, QRect(0, 0, 7305, 1200), QRect(1230, 0, 1350, 1200), QRect(2730, 600, 1935, 555));

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(twips::ToPixelRect(150, 1440, 510, 510));
    picIcon->setPixmap(pictures::Render(kProgramIcon, picIcon->size(), devicePixelRatioF()));

    auto* lblTitle =
        TextLabel(this, QStringLiteral("lblTitle"), twips::ToPixelRect(1170, 1380, 3885, 480), Qt::AlignHCenter);
    lblTitle->setFont(fonts::Serif(20.25, true, true));
    auto* lblDescription =
        TextLabel(this, QStringLiteral("lblDescription"), twips::ToPixelRect(1170, 1890, 3885, 225), Qt::AlignHCenter);
    auto* lblVersion =
        TextLabel(this, QStringLiteral("lblVersion"), twips::ToPixelRect(1170, 2130, 3885, 225), Qt::AlignHCenter);
    auto* lblDate =
        TextLabel(this, QStringLiteral("lblDate"), twips::ToPixelRect(1170, 2460, 3885, 225), Qt::AlignRight);
    lblDate->setText(version::Holder);
    // A holder line longer than its box grows to the left instead of being cut.
    if (lblDate->sizeHint().width() > lblDate->width()) {
        QRect box = lblDate->geometry();
        box.setLeft(std::max(twips::ToPixels(90), box.right() + 1 - lblDate->sizeHint().width()));
        lblDate->setGeometry(box);
    }

    m_lvwUpgrades = new QTreeWidget(this);
    m_lvwUpgrades->setObjectName(QStringLiteral("lvw_Upgrades"));
    m_lvwUpgrades->setGeometry(twips::ToPixelRect(90, 2820, 5235, 1155));
    m_lvwUpgrades->setRootIsDecorated(false);
    m_lvwUpgrades->setUniformRowHeights(true);
    m_lvwUpgrades->setAllColumnsShowFocus(true);
    m_lvwUpgrades->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvwUpgrades->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvwUpgrades->header()->setStretchLastSection(false);
    m_lvwUpgrades->setAccessibleName(QStringLiteral("Version history"));

    m_cmdSysInfo = Button(this, QStringLiteral("cmdSysInfo"), QStringLiteral("&System Info..."),
                          twips::ToPixelRect(240, 4500, 1245, 345));
    m_cmdOK = Button(this, QStringLiteral("cmdOK"), QStringLiteral("OK"), twips::ToPixelRect(3840, 4500, 1260, 345));
    m_cmdOK->setDefault(true);   // Enter; Esc rejects the dialog, which closes it too
    connect(m_cmdOK, &QPushButton::clicked, this, &F_ABOUT::cmdOK_Click);
    connect(m_cmdSysInfo, &QPushButton::clicked, this, GuardedSlot(this, &F_ABOUT::cmdSysInfo_Click));
    m_cmdSysInfo->installEventFilter(this);   // its access key also takes the focus

    for (QLabel* w : {header.picture, header.name, header.band}) w->installEventFilter(this);

    // Loading, in order.
    CenterForm(this);
    setWindowTitle(QStringLiteral("About ") + version::Title);
    lblVersion->setText(QStringLiteral("Version ") + version::Number);
    lblTitle->setText(version::Title);
    lblDescription->setText(version::Description);
    FillUpgrades();

    m_cmdOK->setFocus();
}

void F_ABOUT::FillUpgrades() {
    // Column widths come from the list's width as it is now.
    const double width = m_lvwUpgrades->width();
    m_lvwUpgrades->setColumnCount(3);
    m_lvwUpgrades->setHeaderLabels({QStringLiteral("Ver"), QStringLiteral("Data"), QStringLiteral("Note")});
    m_lvwUpgrades->header()->resizeSection(0, qRound(width / 5));
    m_lvwUpgrades->header()->resizeSection(1, qRound(width / 5));
    m_lvwUpgrades->header()->resizeSection(2, qRound(width / 1.7));
    QTreeWidgetItem* last = nullptr;
    // The rows are the version data's history, which the installed AppStream
    // metadata lists as its releases too.
    for (const auto& u : version::History) {
        last = new QTreeWidgetItem(m_lvwUpgrades, {QString::fromUtf8(u.version), QString::fromUtf8(u.date),
                                                   QString::fromUtf8(u.note)});
    }
    m_lvwUpgrades->scrollToItem(last);
    m_lvwUpgrades->setCurrentItem(last);
    last->setSelected(true);
}

void F_ABOUT::cmdOK_Click() { accept(); }

void F_ABOUT::cmdSysInfo_Click() { StartSysInfo(); }

bool F_ABOUT::GetKeyValue(uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal) {
    return sysinfo::GetKeyValue(KeyRoot, KeyName, SubKeyRef, KeyVal);
}

void F_ABOUT::StartSysInfo() {
    QString sysInfoPath;
    if (GetKeyValue(sysinfo::kLocalMachine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), sysInfoPath)) {
        if (sysinfo::StartProgram(sysInfoPath)) return;
    } else if (GetKeyValue(sysinfo::kLocalMachine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                           QStringLiteral("MSINFO"), sysInfoPath)) {
        const QString program = sysInfoPath + QStringLiteral("\\MSINFO32.EXE");
        if (QFileInfo::exists(program) && sysinfo::StartProgram(program)) return;
    }
    Prompt::Message(this, QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili."),
                    Prompt::Icon::None, QMessageBox::Ok);
}

void F_ABOUT::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The list has its final header height only now: keep the latest row in view.
    if (QTreeWidgetItem* current = m_lvwUpgrades->currentItem()) m_lvwUpgrades->scrollToItem(current);
}

void F_ABOUT::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The etched separator above the buttons: grey, then white one pixel lower.
    QPainter painter(this);
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(twips::ToPixels(90), twips::ToPixels(4185), twips::ToPixels(5325), twips::ToPixels(4185));
    painter.setPen(Qt::white);
    painter.drawLine(twips::ToPixels(105), twips::ToPixels(4200), twips::ToPixels(5325), twips::ToPixels(4200));
}

bool F_ABOUT::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_cmdSysInfo) {
        // Alt+S clicks the button and, as the platform's access keys do,
        // moves the focus there, so that Enter runs it again rather than
        // pressing OK. Qt's button only clicks.
        if (event->type() == QEvent::Shortcut) m_cmdSysInfo->setFocus(Qt::ShortcutFocusReason);
        return QDialog::eventFilter(watched, event);
    }
    // Image1, Label2 and Label3 close the box when clicked.
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && widget && widget->rect().contains(mouse->position().toPoint())) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vintrop
