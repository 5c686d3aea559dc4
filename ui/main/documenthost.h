#pragma once
// What the document commands need of the main window.
#include <QString>

class QWidget;

namespace vintrop {

class IDocumentHost {
public:
    virtual ~IDocumentHost() = default;
    virtual QWidget* HostWidget() = 0;            // parent for dialogs and messages
    virtual void ManualRefresh() = 0;             // redraw the scene at once
    virtual void RefreshCommands() = 0;           // re-apply the enabled states
    virtual void SetSliderFromEngine() = 0;       // slider shows the engine's interval
    virtual void SetTitle(const QString& title) = 0;
    // Another scenario is about to replace the engine's bowls (New, a load):
    // whatever refers to the old ones lets go of them.
    virtual void ScenarioReplacing() {}
};

} // namespace vintrop
