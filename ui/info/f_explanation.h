#pragma once
// The physics explanation: a fixed Italian text in a read-only, non-wrapping
// fixed-pitch text box that always fills the window. Modeless, no owner;
// closing destroys it.
#include <QWidget>

class QPlainTextEdit;

namespace vintrop {

class F_EXPLANATION : public QWidget {
    Q_OBJECT
public:
    explicit F_EXPLANATION(QWidget* parent = nullptr);

    // The explanation as stored, lines ending in CR LF.
    static QString ExplanationText();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPlainTextEdit* m_Text1 = nullptr;
};

} // namespace vintrop
