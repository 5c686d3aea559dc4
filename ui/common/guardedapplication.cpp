#include "guardedapplication.h"

#include <QScopedValueRollback>

#include "errortext.h"
#include "prompt.h"

namespace vintrop {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Report(UserTextOf(std::current_exception()));
    }
    return false;
}

void GuardedApplication::Report(const QString& userText) {
    if (m_Reporting) {
        qWarning("%s", qPrintable(userText));
        return;
    }
    const QScopedValueRollback<bool> reporting(m_Reporting, true);
    QWidget* parent = activeModalWidget();
    if (!parent) parent = activeWindow();
    try {
        Prompt::Error(parent, userText);
    } catch (...) {
        qWarning("%s", qPrintable(userText));
    }
}

} // namespace vintrop
