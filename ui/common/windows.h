#pragma once
// How the main window opens the other windows. Each function lives with its
// window's folder, so the main window needs none of their headers.
#include <memory>

#include "historylog.h"

class QWidget;

namespace vintrop {

class IDrawDevice;

// ui/editing: the bowl editor, modal and owned by `owner`; the scene is
// redrawn through drawDevice after every change.
void ShowBowlEditor(QWidget* owner, IDrawDevice* drawDevice);
// ui/editing: the options dialog, modal and owned by `owner`.
void ShowOptions(QWidget* owner);

// ui/info: the splash window, modal; returns when it has closed.
void ShowSplash();
// ui/info: the about box, modal, without owner.
void ShowAbout();
// ui/info: the physics explanation, modeless, without owner.
void ShowExplanation();

// ui/fullscreen: the full-screen view; returns when it has closed.
void DisplayFullScreen(bool FlgScrSv);

// ui/history: a new collision history window for the engine to own.
std::unique_ptr<IHistoryLog> CreateHistoryWindow();

} // namespace vintrop
