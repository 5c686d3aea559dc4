#pragma once
// The one seam through which every window shows message boxes and file
// dialogs. Tests script the answers ("next answer is Yes", "next file name
// is ...") and read back what was shown, so no test waits on a modal window.
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QWidget;

namespace vintrop {

class Prompt {
public:
    enum class Icon { None, Question, Exclamation, Information };

    // A message box titled "Vintrop". Returns the button pressed; closing
    // the box counts as Cancel when offered, else No, else Ok.
    static QMessageBox::StandardButton Message(QWidget* parent, const QString& text, Icon icon,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // Shows an error's "Errore <n>: <description> <source>" with the exclamation icon.
    static void Error(QWidget* parent, const QString& userText);

    // File dialogs with the program's options; an empty string means cancelled.
    // Both offer lessons first, then all files (lessonname.h). Save adds
    // the lessons' suffix to a name typed without one while lessons are
    // shown, and asks before that name replaces a file.
    static QString OpenFileName(QWidget* parent, const QString& current);
    static QString SaveFileName(QWidget* parent, const QString& current);
    // Both save dialogs come back while the chosen folder does not exist.
    // `filter` names the one file type offered ("CSV (*.csv)"); a name
    // typed without a suffix gets `suffix`.
    static QString ExportFileName(QWidget* parent, const QString& suggested,
                                  const QString& filter = QStringLiteral("CSV (*.csv)"),
                                  const QString& suffix = QStringLiteral("csv"));
    // Sends Qt's own settings (the file dialog's history) where nothing can
    // be written, so nothing is kept and nothing is left behind; the file
    // dialogs call it themselves. File names from the dialogs are as
    // pathbytes.h has them.
    static void KeepNoDialogSettings();

    // --- scripting for tests ---
    struct Shown {
        QString text;
        Icon icon;
        QMessageBox::StandardButtons buttons;
    };
    // Turns scripting on: from now on nothing modal is ever shown. Answers
    // come from the queues; an empty queue answers Ok/Yes-less defaults
    // (the first of Ok, Cancel, No offered) and an empty file name.
    static void StartScripting();
    static void StopScripting();
    static bool Scripting();
    static void ScriptAnswer(QMessageBox::StandardButton answer);
    // "" scripts a cancel; `filter` is the file type chosen, "" the first offered.
    static void ScriptFileName(const QString& path, const QString& filter = QString());
    static const std::deque<Shown>& ShownMessages();
    static QStringList ShownTexts();
    static int FileDialogsShown();
    static void ClearLog();
    // Called with the box just before a scripted answer is given (a test can
    // look at the screen while a message is "up").
    static void SetOnMessage(std::function<void(const Shown&)> hook);
};

} // namespace vintrop
