#include "prompt.h"

#include <QFileDialog>
#include <functional>

#include "version.h"

namespace vintrop {

namespace {
struct Script {
    bool on = false;
    std::deque<QMessageBox::StandardButton> answers;
    std::deque<QString> fileNames;
    std::deque<Prompt::Shown> shown;
    int fileDialogs = 0;
    std::function<void(const Prompt::Shown&)> onMessage;
};
Script& script() {
    static Script s;
    return s;
}

QMessageBox::StandardButton DefaultAnswer(QMessageBox::StandardButtons buttons) {
    for (auto b : {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::No})
        if (buttons & b) return b;
    return QMessageBox::NoButton;
}

QString NextFileName() {
    auto& s = script();
    ++s.fileDialogs;
    if (s.fileNames.empty()) return {};
    QString name = s.fileNames.front();
    s.fileNames.pop_front();
    return name;
}
} // namespace

QMessageBox::StandardButton Prompt::Message(QWidget* parent, const QString& text, Icon icon,
                                            QMessageBox::StandardButtons buttons) {
    auto& s = script();
    if (s.on) {
        Shown shown{text, icon, buttons};
        s.shown.push_back(shown);
        if (s.onMessage) s.onMessage(shown);
        if (s.answers.empty()) return DefaultAnswer(buttons);
        const auto answer = s.answers.front();
        s.answers.pop_front();
        return answer;
    }
    QMessageBox box(parent);
    box.setWindowTitle(version::Title);
    box.setText(text);
    box.setStandardButtons(buttons);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    }
    if (buttons & QMessageBox::Cancel) box.setEscapeButton(QMessageBox::Cancel);
    const int result = box.exec();
    const auto pressed = static_cast<QMessageBox::StandardButton>(result);
    return (pressed == QMessageBox::NoButton || pressed == QMessageBox::Escape)
               ? DefaultAnswer(buttons)
               : pressed;
}

void Prompt::Error(QWidget* parent, const QString& userText) {
    Message(parent, userText, Icon::Exclamation, QMessageBox::Ok);
}

QString Prompt::OpenFileName(QWidget* parent, const QString& current) {
    if (script().on) return NextFileName();
    // No filter, no title, no default extension; the file must exist.
    QFileDialog dialog(parent, QString(), current);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString Prompt::SaveFileName(QWidget* parent, const QString& current) {
    if (script().on) return NextFileName();
    // The dialog asks before overwriting an existing file.
    QFileDialog dialog(parent, QString(), current);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString Prompt::ExportFileName(QWidget* parent, const QString& suggested) {
    if (script().on) return NextFileName();
    QFileDialog dialog(parent, QString(), suggested, QStringLiteral("CSV (*.csv)"));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void Prompt::StartScripting() {
    script() = Script{};
    script().on = true;
}
void Prompt::StopScripting() { script() = Script{}; }
bool Prompt::Scripting() { return script().on; }
void Prompt::ScriptAnswer(QMessageBox::StandardButton answer) { script().answers.push_back(answer); }
void Prompt::ScriptFileName(const QString& path) { script().fileNames.push_back(path); }
const std::deque<Prompt::Shown>& Prompt::ShownMessages() { return script().shown; }
QStringList Prompt::ShownTexts() {
    QStringList texts;
    for (const auto& s : script().shown) texts << s.text;
    return texts;
}
int Prompt::FileDialogsShown() { return script().fileDialogs; }
void Prompt::ClearLog() {
    script().shown.clear();
    script().fileDialogs = 0;
}
void Prompt::SetOnMessage(std::function<void(const Shown&)> hook) { script().onMessage = std::move(hook); }

} // namespace vintrop
