#include "scenariodocument.h"

#include <QList>
#include <exception>
#include <sstream>

#include "appstate.h"
#include "documenthost.h"
#include "envengine.h"
#include "filewriter.h"
#include "lessonlimits.h"
#include "numeric.h"
#include "pathbytes.h"
#include "prompt.h"
#include "scenarioinput.h"
#include "version.h"
#include "vintroperror.h"

namespace vintrop {

namespace {
QString TitleFor(const QString& name) { return ReadablePath(name) + QStringLiteral(" - ") + version::Title; }
QString UntitledTitle() { return QStringLiteral("Untitled - ") + version::Title; }
} // namespace

ScenarioDocument::ScenarioDocument(IDocumentHost& host) : m_Host(host) {}

bool ScenarioDocument::QuerySaveChanges() {
    if (FlgModified == kFalse) return true;
    // With a name the question ends at the name, without a question mark.
    const QString question = m_FileName.isEmpty()
                                 ? QStringLiteral("Save Changes to Untitled?")
                                 : QStringLiteral("Save Changes to ") + ReadablePath(m_FileName);
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
    m_ReadFrom.clear();
    m_Host.ScenarioReplacing();
    g_pEnvEng->Reset();
    m_Host.SetSliderFromEngine();
    m_Host.SetTitle(UntitledTitle());
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
    QString path = chosen;          // LoadScenario may strip quotes from its copy
    if (LoadScenario(path)) {
        m_FileName = chosen;
    } else {
        // Never leave the document named after a file that could not be
        // read: a later Save would write an empty scenario over it.
        m_FileName.clear();
        m_Host.SetTitle(UntitledTitle());
    }
    m_Host.RefreshCommands();
}

bool ScenarioDocument::LoadScenario(QString& path) {
    m_ReadFrom.clear();
    m_Host.ScenarioReplacing();
    g_pEnvEng->Reset();
    if (path.startsWith(QLatin1Char('"'))) path.remove(0, 1);
    if (path.endsWith(QLatin1Char('"'))) path.chop(1);

    try {
        // Only a regular file is opened; its lines are read with a bound.
        const auto file = OpenScenarioFile(PathBytes(path).toStdString());
        if (g_pEnvEng->SerializeIn(*file)) {
            m_Host.ManualRefresh();
            m_Host.SetTitle(TitleFor(path));
            m_Host.SetSliderFromEngine();
            FlgModified = kFalse;
            m_ReadFrom = path;
            m_Host.RefreshCommands();
            // A scenario too large to step is kept (it can be edited down)
            // but says at once what its first step would say.
            if (const auto refusal = g_pEnvEng->StepRefusal())
                Prompt::Error(m_Host.HostWidget(), QString::fromStdString(refusal->UserText()));
            return true;
        }
        if (const auto& why = g_pEnvEng->LastReadError())
            qWarning("%s: line %d: %s", qPrintable(ReadablePath(path)), why->Line(), why->UserText().c_str());
        Prompt::Message(m_Host.HostWidget(), QString::fromLatin1(kScenarioReadFailed), Prompt::Icon::Exclamation);
        g_pEnvEng->Reset();
        ShowResetEngine();
        m_Host.RefreshCommands();
    } catch (const VintropError& e) {
        g_pEnvEng->Reset();
        Prompt::Error(m_Host.HostWidget(), QString::fromStdString(e.UserText()));
        ShowResetEngine();
    } catch (const std::exception& e) {
        g_pEnvEng->Reset();
        Prompt::Error(m_Host.HostWidget(), QString::fromStdString(err::Make(err::PathFileAccess).UserText()));
        qWarning("%s: %s", qPrintable(ReadablePath(path)), e.what());
        ShowResetEngine();
    }
    return false;
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
        ReportFailedSave();
    }
    m_Host.RefreshCommands();
}

void ScenarioDocument::ReportFailedSave() {
    // What is on disk may no longer be this scenario (or never was), so
    // leaving it unsaved makes New, Open and closing ask about it.
    FlgModified = kTrue;
    Prompt::Message(m_Host.HostWidget(), QStringLiteral("Errore scrittura File"), Prompt::Icon::Exclamation);
}

void ScenarioDocument::SaveAs() {
    const QString chosen = Prompt::SaveFileName(m_Host.HostWidget(), m_FileName.isEmpty() ? m_ReadFrom : m_FileName);
    if (chosen.isEmpty()) return;   // cancelled
    // The document takes the new name only once the scenario is there.
    if (WriteScenario(chosen)) {
        m_FileName = chosen;
        m_ReadFrom = chosen;
        m_Host.SetTitle(TitleFor(chosen));
        FlgModified = kFalse;
    } else {
        ReportFailedSave();
    }
}

bool ScenarioDocument::WriteScenario(const QString& path) {
    // The whole scenario is built in memory first; the file on disk is
    // replaced only when every byte of it has reached the new file.
    std::ostringstream text(std::ios::out | std::ios::binary);
    try {
        if (!g_pEnvEng->SerializeOut(text) || !text) return false;
    } catch (const std::exception& e) {
        qWarning("%s: %s", qPrintable(ReadablePath(path)), e.what());
        return false;
    }
    QString why;
    if (WriteWholeFile(path, QByteArray::fromStdString(text.str()), &why)) return true;
    qWarning("%s", qPrintable(why));
    return false;
}

QString CommandLinePath(const QList<QByteArray>& arguments) {
    return PathFromBytes(arguments.mid(1).join(' '));
}

} // namespace vintrop
