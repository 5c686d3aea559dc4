// The functions the page calls, one lesson per page. Text goes in as bytes
// the page has copied into the module's memory; numbers come out as flat
// arrays of doubles the page reads in place until its next call, and texts
// as strings valid until the next call that returns one.
#include <emscripten/emscripten.h>

#include <string>

#include "lessonsession.h"
#include "totals.h"
#include "vintroperror.h"

using vintrop::LessonSession;

namespace {
LessonSession& Session() {
    static LessonSession session;
    return session;
}
std::string g_Text;   // the last text handed out
const char* Handed(std::string text) {
    g_Text = std::move(text);
    return g_Text.c_str();
}
} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int vp_open(const char* text, int size) {
    return size >= 0 && Session().Open(text, static_cast<std::size_t>(size)) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE double vp_max_file_bytes() { return static_cast<double>(LessonSession::kMaxFileBytes); }
EMSCRIPTEN_KEEPALIVE const char* vp_too_large_text() { return vintrop::kScenarioTooLarge; }
EMSCRIPTEN_KEEPALIVE const char* vp_read_failed_text() { return vintrop::kScenarioReadFailed; }
EMSCRIPTEN_KEEPALIVE const char* vp_out_of_memory_text() {
    static const std::string text = vintrop::err::Make(vintrop::err::OutOfMemory).UserText();
    return text.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* vp_message() { return Session().Message().c_str(); }
EMSCRIPTEN_KEEPALIVE const char* vp_message_detail() { return Session().MessageDetail().c_str(); }
// Why no step of the lesson can run (too many bowls), in the words its first
// step would fail with; empty when its steps can run.
EMSCRIPTEN_KEEPALIVE const char* vp_step_refusal_text() {
    const auto why = Session().Engine().StepRefusal();
    return Handed(why ? why->UserText() : std::string());
}
EMSCRIPTEN_KEEPALIVE int vp_step() { return Session().Forward() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int vp_back() { return Session().Backward() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE void vp_rewind() { Session().Rewind(); }
// The transport's enabled states as bits: REW 1, BACK 2, PLAY 4, PAUSE 8,
// STOP 16, STEP 32.
EMSCRIPTEN_KEEPALIVE int vp_commands(int running) {
    const vintrop::TransportState s = Session().Commands(running != 0);
    return (s.rew ? 1 : 0) | (s.back ? 2 : 0) | (s.play ? 4 : 0) | (s.pause ? 8 : 0) | (s.stop ? 16 : 0) |
           (s.step ? 32 : 0);
}
EMSCRIPTEN_KEEPALIVE int vp_t() { return Session().Engine().t; }
EMSCRIPTEN_KEEPALIVE int vp_count() { return Session().Engine().BowlCount(); }
EMSCRIPTEN_KEEPALIVE double vp_box_width() { return Session().Engine().MaxX; }
EMSCRIPTEN_KEEPALIVE double vp_box_height() { return Session().Engine().MaxY; }
EMSCRIPTEN_KEEPALIVE int vp_interval() { return Session().Engine().sInterval(); }
EMSCRIPTEN_KEEPALIVE int vp_elasticity() { return Session().Engine().Elasticity(); }
EMSCRIPTEN_KEEPALIVE double vp_collisions() { return static_cast<double>(Session().Collisions()); }
EMSCRIPTEN_KEEPALIVE double vp_energy() { return Session().Engine().EnCinTot(); }

// Number texts in the page's locale: its separators once, then any value.
EMSCRIPTEN_KEEPALIVE void vp_set_separators(const char* group, const char* decimal) {
    Session().SetSeparators(group, decimal);
}
EMSCRIPTEN_KEEPALIVE const char* vp_fixed_text(double v) { return Handed(Session().FixedText(v)); }
// The scene's kinetic energy and momentum: three doubles.
EMSCRIPTEN_KEEPALIVE const double* vp_totals() {
    static double totals[3];
    const vintrop::Totals sum = vintrop::TotalsOf(Session().Engine());
    totals[0] = sum.energy;
    totals[1] = sum.px;
    totals[2] = sum.py;
    return totals;
}

// The history: whether it is kept, its rows (the serial of the first gives
// the rows' stripes) and their cells, and its two panels, empty until the
// history lists a collision or is cleared.
EMSCRIPTEN_KEEPALIVE int vp_keep_history() { return Session().KeepHistory() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE void vp_set_keep_history(int on) { Session().SetKeepHistory(on != 0); }
EMSCRIPTEN_KEEPALIVE void vp_history_clear() { Session().ClearHistory(); }
EMSCRIPTEN_KEEPALIVE int vp_history_rows() { return static_cast<int>(Session().History().Rows().size()); }
EMSCRIPTEN_KEEPALIVE int vp_history_columns() { return vintrop::kCollisionColumns; }
EMSCRIPTEN_KEEPALIVE double vp_history_first_serial() { return static_cast<double>(Session().History().FirstSerial()); }
EMSCRIPTEN_KEEPALIVE const char* vp_history_cell(int row, int column) {
    return Handed(row < 0 ? std::string() : Session().HistoryCell(static_cast<std::size_t>(row), column));
}
EMSCRIPTEN_KEEPALIVE const char* vp_history_energy_text() {
    const auto& log = Session().History();
    return Handed(log.PanelsShown() ? Session().FixedText(log.PanelEnergy()) : std::string());
}
EMSCRIPTEN_KEEPALIVE const char* vp_history_count_text() {
    const auto& log = Session().History();
    return Handed(log.PanelsShown() ? std::to_string(log.PanelCount()) : std::string());
}

// The pair marks: what they read of the page's run, whether they are taken,
// and those shown now, LessonSession::kMarkFields doubles each.
EMSCRIPTEN_KEEPALIVE void vp_set_clock(int running, double nowMs) { Session().SetClock(running != 0, nowMs); }
EMSCRIPTEN_KEEPALIVE void vp_set_vectors(int on) { Session().SetShowVectors(on != 0); }
EMSCRIPTEN_KEEPALIVE const double* vp_marks() { return Session().Marks().data(); }
// How many marks the last vp_marks() gave.
EMSCRIPTEN_KEEPALIVE int vp_mark_count() {
    return static_cast<int>(Session().LastMarks().size() / LessonSession::kMarkFields);
}
EMSCRIPTEN_KEEPALIVE int vp_marks_fading() { return Session().MarksFading() ? 1 : 0; }

// The bowls, LessonSession::kBowlFields doubles each.
EMSCRIPTEN_KEEPALIVE const double* vp_bowls() { return Session().Bowls().data(); }
EMSCRIPTEN_KEEPALIVE const char* vp_state_text() { return Handed(Session().StateText()); }
}
