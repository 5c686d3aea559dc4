#pragma once
// The scenario as a document: New, Open, Save, Save As, loading a path given
// on the command line, the unsaved-changes question and the window title.
#include <QByteArray>
#include <QList>
#include <QString>

namespace vintrop {

class IDocumentHost;

class ScenarioDocument {
public:
    explicit ScenarioDocument(IDocumentHost& host);

    void New();
    void Open();
    void Save();
    void SaveAs();
    // Loads a scenario file; surrounding double quotes are removed from path.
    // Paths here are as pathbytes.h has them: any bytes the file system
    // takes; the title and the messages show their readable form.
    // True when the scenario was read; after a failure the engine is empty.
    bool LoadScenario(QString& path);
    // True when the pending command (New, Open, close) may go on.
    bool QuerySaveChanges();

    // The document name: empty while untitled.
    const QString& FileName() const { return m_FileName; }

private:
    // Writes the engine's scenario to path, replacing the old file only once
    // the whole scenario has been written. False when anything failed.
    bool WriteScenario(const QString& path);
    // After a failed load: picture and slider show the empty engine again.
    void ShowResetEngine();
    // Marks the scenario unsaved and says the write failed.
    void ReportFailedSave();

    IDocumentHost& m_Host;
    QString m_FileName;
    // The file the scenario was last read from, also from the command line,
    // which leaves the document untitled: where Save As starts.
    QString m_ReadFrom;
};

// The program's arguments (argv as given, the program name first) joined
// with single spaces: the one scenario path, every byte of it kept.
QString CommandLinePath(const QList<QByteArray>& arguments);

} // namespace vintrop
