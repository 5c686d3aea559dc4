#pragma once
// The sunken text panels of the status bars and the bowl editor's totals
// bar: captions and the values beside them.
#include <QString>

class QLabel;
class QWidget;

namespace vintrop {

// A sunken panel on `parent` showing `text`, named `name` (unnamed when
// empty). The text it starts with is also its tooltip, so that a caption
// cut short by a narrow window can still be read; the width is the caller's.
QLabel* MakePanelLabel(QWidget* parent, const QString& name, const QString& text = QString());

} // namespace vintrop
