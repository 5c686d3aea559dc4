#pragma once
// The entry points through which one window opens another. Each is defined
// in its window's folder (ui/<folder>/<folder>entry.cpp), so a window that
// opens another needs none of that window's headers.
#include <memory>

#include "historylog.h"

class QDialog;
class QWidget;

namespace vintrop {

class CEnvEng;
class ConservationLog;
class IDrawDevice;

// ui/editing: the bowl editor, modal and owned by `owner`; the scene is
// redrawn through drawDevice after every change.
void ShowBowlEditor(QWidget* owner, IDrawDevice* drawDevice);
// ui/editing: the bowl dialog on its own, modal over `owner`, as the bowl
// editor's Add, Property and Remove open it; true when a change was
// committed. For Add, `index` is the new bowl's number and the dialog comes
// filled with mass 1, Xo = x, Yo = y and velocity 0, 0; otherwise `index` is
// the bowl's position and x, y are not used.
enum class BowlDialogKind { Add, Property, Remove };
bool ShowBowlDialog(QWidget* owner, IDrawDevice* drawDevice, BowlDialogKind kind, int index, int x = 0, int y = 0);
// ui/editing: the options dialog, modal and owned by `owner`; true when it
// closed with OK (the options were written).
bool ShowOptions(QWidget* owner);

// ui/info: the splash window, modal; returns when it has closed.
void ShowSplash();
// ui/info: the about box, modal, without owner.
void ShowAbout();
// ui/info: the physics explanation, modeless, without owner.
void ShowExplanation();

// ui/fullscreen: the full-screen view, owned by `owner` (so that it stays
// with it and has no task-bar button of its own); returns when it has closed.
void DisplayFullScreen(QWidget* owner, bool FlgScrSv);

// ui/history: a new collision history window for the engine to own.
std::unique_ptr<IHistoryLog> CreateHistoryWindow();

// ui/graphs: the Graphs window of `log`, which logs `engine`; modeless,
// hidden until shown, a child of `owner`, which deletes it before the engine
// goes, and kept up to date while visible.
QDialog* CreateGraphsWindow(QWidget* owner, const ConservationLog& log, CEnvEng& engine);

// ui/values: the Values window of `engine`, modeless, hidden until shown, a
// child of `owner`, which deletes it before the engine goes.
QDialog* CreateValuesWindow(QWidget* owner, CEnvEng& engine);

} // namespace vintrop
