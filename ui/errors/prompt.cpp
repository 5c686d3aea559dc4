#include "prompt.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <utility>

#include "lessonname.h"
#include "pathbytes.h"
#include "version.h"

namespace vintrop {

namespace {
struct Script {
    bool on = false;
    std::deque<QMessageBox::StandardButton> answers;
    std::deque<std::pair<QString, QString>> fileNames;   // name, file type chosen
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

// The name chosen in a dialog. A native dialog hands it over as a URL,
// whose percent-encoding keeps every byte of a name that is not UTF-8; Qt's
// own dialog lists no such name, so what it gives is valid UTF-8 anyway.
QString ChosenPath(const QFileDialog& dialog) {
    const QList<QUrl> urls = dialog.selectedUrls();
    if (!urls.isEmpty() && urls.constFirst().isLocalFile()) return PathFromUrl(urls.constFirst());
    return dialog.selectedFiles().value(0);
}

// The next scripted name, and in `filter` the file type chosen with it.
QString NextFileName(QString* filter = nullptr) {
    auto& s = script();
    ++s.fileDialogs;
    if (s.fileNames.empty()) return {};
    const auto [name, chosen] = s.fileNames.front();
    s.fileNames.pop_front();
    if (filter) *filter = chosen;
    return name;
}

// Qt's dialog neither lists nor opens a folder whose name is not UTF-8:
// for a starting place in one, the dialog opens in the last folder above it
// that it can show, with the rest of the path in the name field as the
// title shows it; PathAsOnDisk brings that back to the same bytes.
void StartAt(QFileDialog& dialog, const QString& current) {
    if (ReadablePath(current) == current) return;
    const QStringList parts = current.split(QLatin1Char('/'));
    qsizetype plain = 0;
    while (plain < parts.size() && ReadablePath(parts[plain]) == parts[plain]) ++plain;
    const QString folder = parts.mid(0, plain).join(QLatin1Char('/'));
    dialog.setDirectory(folder.isEmpty() && current.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : folder);
    dialog.selectFile(ReadablePath(parts.mid(plain).join(QLatin1Char('/'))));
}

void OfferLessonsAndAllFiles(QFileDialog& dialog) {
    dialog.setNameFilters({LessonsFilter(), AllFilesFilter()});
    dialog.selectNameFilter(LessonsFilter());
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
    // Messages carry file and folder names, which may hold anything a file
    // system allows, "<" and "&" included: they are shown as written, never
    // read as markup.
    box.setTextFormat(Qt::PlainText);
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
    KeepNoDialogSettings();
    if (script().on) return NextFileName();
    // No title, no default extension; the file must exist.
    QFileDialog dialog(parent, QString(), ReadablePath(current));
    OfferLessonsAndAllFiles(dialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return ChosenPath(dialog);
}

namespace {
// Whether the folder the name lies in exists, asked with the name's own
// bytes (QDir would ask for other bytes when they are not UTF-8).
bool FolderExists(const QString& name) {
    const QByteArray bytes = PathBytes(name);
    const qsizetype slash = bytes.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : bytes.left(slash + 1);
    struct stat info {};
    return ::stat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A save dialog lets a name through whose folder does not exist (typed by
// hand); writing there can only fail. Such a name is refused with the
// dialog's own wording and the dialog comes back, as an open dialog does
// for a file that does not exist.
//
// A name typed as the program shows it (a title shows a Latin-1 byte as its
// character) is taken to mean the file or folder that reads the same.
template <typename Ask>
QString AskForNameInExistingFolder(QWidget* parent, Ask ask) {
    for (;;) {
        const QString name = ask();
        if (name.isEmpty()) return {};
        if (FolderExists(name)) return name;
        const QDir folder = QFileInfo(ReadablePath(name)).absoluteDir();
        Prompt::Message(parent,
                        QStringLiteral("%1\nDirectory not found.\nPlease verify the correct directory name was given.")
                            .arg(QDir::toNativeSeparators(folder.path())),
                        Prompt::Icon::Exclamation);
    }
}

// Whether `name`, which the dialog gave as `typed`, may be written: the
// dialog asked already about a name as typed; one the program changed (a
// suffix added, the file that reads as typed) is asked about here, in the
// dialog's words.
bool MayReplace(QWidget* parent, const QString& typed, const QString& name) {
    struct stat info {};
    if (name == typed || ::lstat(PathBytes(name).constData(), &info) != 0) return true;
    const QString question = QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                 .arg(QFileInfo(ReadablePath(name)).fileName());
    return Prompt::Message(parent, question, Prompt::Icon::Exclamation, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

QString RunSaveDialog(QFileDialog& dialog, QString* filter = nullptr) {
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString chosen = ChosenPath(dialog);
    if (filter) *filter = dialog.selectedNameFilter();
    // The next showing starts where the user was.
    dialog.selectFile(dialog.selectedFiles().constFirst());
    return chosen;
}
} // namespace

QString Prompt::SaveFileName(QWidget* parent, const QString& current) {
    KeepNoDialogSettings();
    std::optional<QFileDialog> dialog;
    if (!script().on) {
        dialog.emplace(parent, QString(), ReadablePath(current));
        StartAt(*dialog, current);
        OfferLessonsAndAllFiles(*dialog);
    }
    // The dialog asks before a name as typed replaces a file; a name the
    // suffix was added to is asked about here, in the dialog's words, and
    // No brings the dialog back.
    const auto ask = [&]() -> QString {
        for (;;) {
            QString filter;
            const QString typed = dialog ? RunSaveDialog(*dialog, &filter) : NextFileName(&filter);
            if (typed.isEmpty()) return {};
            const QString name =
                PathAsOnDisk(LessonFileName(typed, filter.isEmpty() ? LessonsFilter() : filter));
            if (MayReplace(parent, typed, name)) return name;
        }
    };
    return AskForNameInExistingFolder(parent, ask);
}

QString Prompt::ExportFileName(QWidget* parent, const QString& suggested, const QString& filter,
                               const QString& suffix) {
    KeepNoDialogSettings();
    std::optional<QFileDialog> dialog;
    if (!script().on) {
        dialog.emplace(parent, QString(), ReadablePath(suggested), filter);
        StartAt(*dialog, suggested);
        dialog->setDefaultSuffix(suffix);
    }
    const auto ask = [&]() -> QString {
        for (;;) {
            const QString typed = dialog ? RunSaveDialog(*dialog) : NextFileName();
            if (typed.isEmpty()) return {};
            const QString name = PathAsOnDisk(typed);
            if (MayReplace(parent, typed, name)) return name;
        }
    };
    return AskForNameInExistingFolder(parent, ask);
}

void Prompt::KeepNoDialogSettings() {
    // Qt's file dialog reads and writes its history and view settings in the
    // user's QtProject.conf, and has no switch for it. The program keeps no
    // state between runs, so every QSettings of this process is sent below
    // /dev/null, where no file and no folder can ever be made, not even by
    // root: nothing is read, nothing is written, and a program that is
    // killed leaves no folder behind. The dialogs lose their history within
    // a run too; each is given its starting place by the command.
    static const bool redirected = [] {
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            for (auto scope : {QSettings::UserScope, QSettings::SystemScope})
                QSettings::setPath(format, scope, QStringLiteral("/dev/null"));
        return true;
    }();
    Q_UNUSED(redirected);
}

void Prompt::StartScripting() {
    script() = Script{};
    script().on = true;
}
void Prompt::StopScripting() { script() = Script{}; }
bool Prompt::Scripting() { return script().on; }
void Prompt::ScriptAnswer(QMessageBox::StandardButton answer) { script().answers.push_back(answer); }
void Prompt::ScriptFileName(const QString& path, const QString& filter) {
    script().fileNames.emplace_back(path, filter);
}
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
