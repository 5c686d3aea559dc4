#pragma once
// The bowl editor: lists every bowl with its mass and initial values, shows
// the bowl count and the total kinetic energy, and adds, changes, deletes
// or clears bowls through the bowl property dialog. After every change the
// list is rebuilt from the engine and the main window redraws the scene.
#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vintrop {

class F_EDIT_BOWL;
class IDrawDevice;

class F_BOWL_EDITOR : public QDialog {
    Q_OBJECT
public:
    // drawDevice is the main window (may be null); editDialog the program's
    // one bowl property dialog.
    F_BOWL_EDITOR(QWidget* owner, IDrawDevice* drawDevice, F_EDIT_BOWL& editDialog);

public slots:
    void bt_Add_Click();
    void bt_Remove_Click();
    void bt_Update_Click();
    void bt_Clear_Click();
    void bt_Exit_Click();

private:
    void SetupColumns();
    void RefreshList();
    void UpdateButtons();
    int SelectedRow() const;     // 1-based, 0 when none
    void SelectRow(int row);     // 1-based; also scrolls it into view
    QPushButton* MakeButton(const char* name, const QString& tip, const QString& picture);

    IDrawDevice* m_pDrawDevice;
    F_EDIT_BOWL& m_EditDialog;
    QPushButton* m_btAdd = nullptr;
    QPushButton* m_btRemove = nullptr;
    QPushButton* m_btUpdate = nullptr;
    QPushButton* m_btClear = nullptr;
    QPushButton* m_btExit = nullptr;
    QTreeWidget* m_lvwBowls = nullptr;
    QLabel* m_pnlBowlCount = nullptr;
    QLabel* m_pnlEnCinTot = nullptr;
};

} // namespace vintrop
