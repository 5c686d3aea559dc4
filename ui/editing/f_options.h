#pragma once
// The options dialog: collision mode, collision history, bowl numbers,
// momentum vectors and the vectors' scale, the scenario's own box and its
// classroom colours, velocity arrows, the centre of mass and the paths.
// Reads the options when it opens; "OK" writes them all back, "Cancel" and
// the close box write nothing.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QSpinBox;

namespace vintrop {

class F_OPTIONS : public QDialog {
    Q_OBJECT
public:
    explicit F_OPTIONS(QWidget* owner = nullptr);

public slots:
    void OKButton_Click();
    void CancelButton_Click();

private:
    void LoadOptions();
    // Fixes, changes or frees the scenario's box as the group says; false,
    // with the reason shown, when the box cannot hold the scenario.
    bool ApplyFixedBox();

    QPushButton* m_OKButton = nullptr;
    QPushButton* m_CancelButton = nullptr;
    QGroupBox* m_Frame1 = nullptr;
    QCheckBox* m_ckCollCentral = nullptr;
    QCheckBox* m_ckHistory = nullptr;
    QCheckBox* m_ckShowNumber = nullptr;
    QCheckBox* m_ckShowVect = nullptr;
    QComboBox* m_cbVectorScale = nullptr;   // 1x, 10x, 100x
    QGroupBox* m_gbFixedBox = nullptr;      // checked: the box is the scenario's
    QSpinBox* m_spBoxWidth = nullptr;       // twips
    QSpinBox* m_spBoxHeight = nullptr;
    QCheckBox* m_ckClassroomColours = nullptr;   // the scenario's palette colours
    QCheckBox* m_ckShowVelocity = nullptr;
    QCheckBox* m_ckShowCentre = nullptr;
    QCheckBox* m_ckShowPaths = nullptr;
    QComboBox* m_cbPathSteps = nullptr;     // 50, 200, 1,000 steps
    QSpinBox* m_spElasticity = nullptr;     // percent, the scenario's
};

} // namespace vintrop
