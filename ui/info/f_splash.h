#pragma once
// The window shown while the program starts: name, description, version
// and rights holder. It closes by itself on the sixth tick of its one-second
// timer, or at once on a click anywhere or a key that produces a character.
#include <QDialog>
#include <cstdint>

class QFrame;
class QLabel;
class QTimer;

namespace vintrop {

class F_SPLASH : public QDialog {
    Q_OBJECT
public:
    explicit F_SPLASH(QWidget* parent = nullptr);

    int16_t Ticks() const { return m_Ticks; }
    // tmr_AutoUnload: 1000 ms, running from construction.
    QTimer* AutoUnloadTimer() const { return m_tmrAutoUnload; }

public slots:
    // One tick of tmr_AutoUnload: the sixth closes the window.
    void tmr_AutoUnload_Timer();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int16_t m_Ticks = 0;
    QTimer* m_tmrAutoUnload = nullptr;
};

} // namespace vintrop
