// The entry points through which the other windows open the editing windows.
#include <QDialog>

#include "f_bowl_editor.h"
#include "f_edit_bowl.h"
#include "f_options.h"
#include "windowentries.h"

namespace vintrop {

void ShowBowlEditor(QWidget* owner, IDrawDevice* drawDevice) {
    F_BOWL_EDITOR editor(owner, drawDevice, EditBowlDialog());
    editor.exec();
}

bool ShowBowlDialog(QWidget* owner, IDrawDevice* drawDevice, BowlDialogKind kind, int index, int x, int y) {
    F_EDIT_BOWL& dialog = EditBowlDialog();
    if (kind == BowlDialogKind::Add) return dialog.DisplayNewAt(index, x, y, drawDevice, owner);
    return dialog.Display(kind == BowlDialogKind::Property ? F_EDIT_BOWL::kProperty : F_EDIT_BOWL::kRemove, index,
                          drawDevice, owner);
}

bool ShowOptions(QWidget* owner) {
    F_OPTIONS options(owner);
    return options.exec() == QDialog::Accepted;
}

} // namespace vintrop
