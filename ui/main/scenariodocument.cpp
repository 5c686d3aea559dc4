#include "scenariodocument.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <exception>
#include <fstream>
#include <sstream>

#include "appstate.h"
#include "documenthost.h"
#include "envengine.h"
#include "numeric.h"
#include "prompt.h"
#include "version.h"
#include "vintroperror.h"

namespace vintrop {

namespace {
constexpr int kPathFileAccessError = 75;

QString TitleFor(const QString& name) { return name + QStringLiteral(" - ") + version::Title; }

// Why a scenario file cannot be opened for reading, as the program's error.
VintropError OpenError(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.isDir() || (info.exists() && !info.isReadable()))
        return VintropError(kPathFileAccessError, "Path/File access error");
    return err::Make(err::FileNotFound);
}
} // namespace

ScenarioDocument::ScenarioDocument(IDocumentHost& host) : m_Host(host) {}

bool ScenarioDocument::QuerySaveChanges() {
    if (FlgModified == kFalse) return true;
    // With a name the question ends at the name, without a question mark.
    const QString question = m_FileName.isEmpty()
                                 ? QStringLiteral("Save Changes to Untitled?")
                                 : QStringLiteral("Save Changes to ") + m_FileName;
    const auto answer = Prompt::Message(m_Host.HostWidget(), question, Prompt::Icon::Question,
                                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No) return true;
    if (answer != QMessageBox::Yes) return false;
    Save();
    // Go on only when the scenario really was written.
    return FlgModified == kFalse;
}

void ScenarioDocument::New() {
    if (!QuerySaveChanges()) return;
    m_FileName.clear();
    g_pEnvEng->Reset();
    m_Host.SetSliderFromEngine();
    m_Host.SetTitle(QStringLiteral("Untitled - ") + version::Title);
    FlgModified = kFalse;
    m_Host.ManualRefresh();
    m_Host.RefreshCommands();
}

void ScenarioDocument::Open() {
    if (!QuerySaveChanges()) {
        m_Host.RefreshCommands();
        return;
    }
    const QString chosen = Prompt::OpenFileName(m_Host.HostWidget(), m_FileName);
    if (chosen.isEmpty()) return;   // cancelled: nothing changes
    m_FileName = chosen;
    QString path = chosen;          // LoadScenario may strip quotes from its copy
    LoadScenario(path);
    m_Host.RefreshCommands();
}

void ScenarioDocument::LoadScenario(QString& path) {
    g_pEnvEng->Reset();
    if (path.startsWith(QLatin1Char('"'))) path.remove(0, 1);
    if (path.endsWith(QLatin1Char('"'))) path.chop(1);

    try {
        std::ifstream file;
        if (!path.isEmpty() && !QFileInfo(path).isDir())
            file.open(QFile::encodeName(path).toStdString(), std::ios::in | std::ios::binary);
        if (!file.is_open()) throw OpenError(path);

        if (g_pEnvEng->SerializeIn(file)) {
            m_Host.ManualRefresh();
            m_Host.SetTitle(TitleFor(path));
            m_Host.SetSliderFromEngine();
            FlgModified = kFalse;
        } else {
            if (const auto& why = g_pEnvEng->LastReadError())
                qWarning("%s: line %d: %s", qPrintable(path), why->Line(), why->UserText().c_str());
            Prompt::Message(m_Host.HostWidget(), QStringLiteral("Errore lettura Dati"),
                            Prompt::Icon::Exclamation);
            g_pEnvEng->Reset();
            ShowResetEngine();
        }
    } catch (const VintropError& e) {
        g_pEnvEng->Reset();
        Prompt::Error(m_Host.HostWidget(), QString::fromStdString(e.UserText()));
        ShowResetEngine();
        return;
    } catch (const std::exception& e) {
        g_pEnvEng->Reset();
        Prompt::Error(m_Host.HostWidget(), QString::fromStdString(VintropError(kPathFileAccessError,
                                                                  "Path/File access error").UserText()));
        qWarning("%s: %s", qPrintable(path), e.what());
        ShowResetEngine();
        return;
    }
    m_Host.RefreshCommands();
}

void ScenarioDocument::ShowResetEngine() {
    m_Host.ManualRefresh();
    m_Host.SetSliderFromEngine();
}

void ScenarioDocument::Save() {
    if (m_FileName.isEmpty()) {
        SaveAs();
    } else if (WriteScenario(m_FileName)) {
        Prompt::Message(m_Host.HostWidget(), QStringLiteral("Configurazione Salvata"),
                        Prompt::Icon::Information);
        FlgModified = kFalse;
    } else {
        Prompt::Message(m_Host.HostWidget(), QStringLiteral("Errore scrittura File"),
                        Prompt::Icon::Exclamation);
    }
    m_Host.RefreshCommands();
}

void ScenarioDocument::SaveAs() {
    const QString chosen = Prompt::SaveFileName(m_Host.HostWidget(), m_FileName);
    if (chosen.isEmpty()) return;   // cancelled
    m_FileName = chosen;
    if (WriteScenario(chosen)) {
        m_Host.SetTitle(TitleFor(chosen));
        FlgModified = kFalse;
    } else {
        Prompt::Message(m_Host.HostWidget(), QStringLiteral("Errore scrittura File"),
                        Prompt::Icon::Exclamation);
    }
}

bool ScenarioDocument::WriteScenario(const QString& path) {
    // The whole scenario is built in memory first; the file on disk is
    // replaced only when every byte of it has reached the new file.
    std::ostringstream text(std::ios::out | std::ios::binary);
    try {
        if (!g_pEnvEng->SerializeOut(text) || !text) return false;
    } catch (const std::exception& e) {
        qWarning("%s: %s", qPrintable(path), e.what());
        return false;
    }
    const std::string bytes = text.str();

    // Unbuffered, so a write the file system accepts only in part (a full
    // disk, a size limit) shows as a short count instead of being dropped
    // silently on commit.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    const auto total = static_cast<qint64>(bytes.size());
    for (qint64 done = 0; done < total;) {
        const qint64 written = file.write(bytes.data() + done, total - done);
        if (written <= 0) {
            file.cancelWriting();
            return false;
        }
        done += written;
    }
    return file.commit();
}

QString CommandLinePath(const QStringList& arguments) {
    return arguments.mid(1).join(QLatin1Char(' '));
}

} // namespace vintrop
