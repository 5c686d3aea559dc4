#pragma once
// The bowl property dialog: adds a bowl, changes one bowl's initial values,
// or confirms the removal of a bowl. One object lives for the whole run; its
// window is built afresh at every opening. The input is checked against the
// box and the other bowls, with a provisional white circle on the main
// window showing where the bowl would lie while a complaint is on screen.
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>

class QDialog;
class QLineEdit;
class QPushButton;

namespace vintrop {

class CBowl;
class IDrawDevice;

class F_EDIT_BOWL : public QObject {
    Q_OBJECT
public:
    enum : int32_t { kAdd = 1, kProperty = 2, kRemove = 3 };

    explicit F_EDIT_BOWL(QObject* parent = nullptr);
    ~F_EDIT_BOWL() override;

    // Opens the window for EditType (add, property, remove) modally over
    // `owner` and returns when it has closed: true only when a change was
    // committed. vIndex is the new bowl's number in add mode (shown in the
    // title; one past the last position when the engine is full, which then
    // refuses the bowl), otherwise the 1-based position of the bowl.
    // pDrawDevice may be null (no circle, no redraw).
    bool Display(int32_t EditType, int vIndex, IDrawDevice* pDrawDevice, QWidget* owner = nullptr);

    // Display in add mode with the fields filled for a bowl of mass 1 at
    // rest at (x, y), whatever their length.
    bool DisplayNewAt(int vIndex, int x, int y, IDrawDevice* pDrawDevice, QWidget* owner);

    // The first half of Display: builds and fills the window without showing
    // it. False (after telling the user) when there is no bowl at vIndex.
    bool Load(int32_t EditType, int vIndex, IDrawDevice* pDrawDevice, QWidget* owner);

    QDialog* Window() const { return m_Window; }   // the window of the current opening
    QString PictureKey() const { return m_PictureKey; }
    bool Result() const { return m_Result; }

public slots:
    // Validates, commits and closes; stays open on refused input.
    void bt_OK_Click();
    // Closes without any change.
    void bt_Cancel_Click();

private:
    void BuildWindow(QWidget* owner);
    bool Run();   // the loaded window, modally; true when a change was committed
    void ShowBowl(const CBowl& bowl);
    bool Validate();
    void Commit();
    // Refuses the input: message, then the focus on the offending field.
    void Refuse(const QString& text, QLineEdit* field);

    // State kept between openings; set by Load for the current mode.
    bool m_Result = false;
    int32_t m_EditType = kAdd;
    CBowl* m_pBowl = nullptr;       // the engine's bowl in property and remove mode
    int16_t m_Index = 0;
    IDrawDevice* m_pDrawDevice = nullptr;
    QString m_PictureKey;

    QPointer<QDialog> m_Window;
    QLineEdit* m_txM = nullptr;
    QLineEdit* m_txX0 = nullptr;
    QLineEdit* m_txY0 = nullptr;
    QLineEdit* m_txVx0 = nullptr;
    QLineEdit* m_txVy0 = nullptr;
    QPushButton* m_btOK = nullptr;
    QPushButton* m_btCancel = nullptr;
};

// The program's one bowl property dialog.
F_EDIT_BOWL& EditBowlDialog();

} // namespace vintrop
