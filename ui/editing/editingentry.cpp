// The entry points through which the other windows open the editing windows.
#include <QDialog>
#include <QLineEdit>

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
    const int32_t type = kind == BowlDialogKind::Add        ? F_EDIT_BOWL::kAdd
                         : kind == BowlDialogKind::Property ? F_EDIT_BOWL::kProperty
                                                            : F_EDIT_BOWL::kRemove;
    if (!dialog.Load(type, index, drawDevice, owner)) return false;
    QDialog* window = dialog.Window();
    if (kind == BowlDialogKind::Add) {
        const auto fill = [window](const char* name, int value) {
            if (auto* field = window->findChild<QLineEdit*>(QLatin1String(name)))
                field->setText(QString::number(value));
        };
        fill("tx_M", 1);
        fill("tx_X0", x);
        fill("tx_Y0", y);
        fill("tx_Vx0", 0);
        fill("tx_Vy0", 0);
    }
    window->exec();
    delete window;
    return dialog.Result();
}

bool ShowOptions(QWidget* owner) {
    F_OPTIONS options(owner);
    return options.exec() == QDialog::Accepted;
}

} // namespace vintrop
