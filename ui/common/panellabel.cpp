#include "panellabel.h"

#include <QLabel>

namespace vintrop {

QLabel* MakePanelLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* panel = new QLabel(text, parent);
    if (!name.isEmpty()) panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (!text.isEmpty()) panel->setToolTip(text);
    return panel;
}

} // namespace vintrop
