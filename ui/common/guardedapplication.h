#pragma once
// The program's application object. An exception must never travel through
// Qt's event loop, where it would end the program: whatever the delivery of
// an event throws is caught here, shown in the program's error message box,
// and the event loop goes on. Windows still catch the errors they expect;
// this is the net below them.
#include <QApplication>

namespace vintrop {

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    // Shows the text over the window in use. An error raised while an
    // earlier one is still on screen is only logged, so a failure that
    // repeats on every event cannot pile up message boxes.
    void Report(const QString& userText);

    bool m_Reporting = false;
};

} // namespace vintrop
