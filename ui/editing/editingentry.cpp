// The entry points through which the other windows open the editing windows.
#include "f_bowl_editor.h"
#include "f_edit_bowl.h"
#include "f_options.h"
#include "windowentries.h"

namespace vintrop {

void ShowBowlEditor(QWidget* owner, IDrawDevice* drawDevice) {
    F_BOWL_EDITOR editor(owner, drawDevice, EditBowlDialog());
    editor.exec();
}

bool ShowOptions(QWidget* owner) {
    F_OPTIONS options(owner);
    return options.exec() == QDialog::Accepted;
}

} // namespace vintrop
