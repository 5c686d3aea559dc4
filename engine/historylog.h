#pragma once
// The collision history window as the engine sees it. The engine creates it
// on first need through the factory the application hands over, and owns it.
#include <functional>
#include <memory>

namespace vintrop {

class CEnvEng;

// Any window that can own the history window (the main window).
class IOwnerWindow {
public:
    virtual ~IOwnerWindow() = default;
};

class IHistoryLog {
public:
    virtual ~IHistoryLog() = default;
    // Binds to the engine and starts logging; keeps existing rows.
    virtual void init(CEnvEng& pEnvEng) = 0;
    // Unbinds and closes the window for good, discarding its rows.
    virtual void Terminate() = 0;
    // Drops all rows and the counter.
    virtual void Reset() = 0;
    // Without owner: modal. With an owner: modeless, kept above the owner.
    virtual void Show(IOwnerWindow* pOwnerForm) = 0;
    virtual void Hide() = 0;
};

using HistoryFactory = std::function<std::unique_ptr<IHistoryLog>()>;

} // namespace vintrop
