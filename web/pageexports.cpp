// The functions the page calls, one lesson per page. Text goes in as bytes
// the page has copied into the module's memory; numbers come out as flat
// arrays of doubles the page reads in place until its next call.
#include <emscripten/emscripten.h>

#include "lessonsession.h"
#include "totals.h"

using vintrop::LessonSession;

namespace {
LessonSession& Session() {
    static LessonSession session;
    return session;
}
std::string g_Text;   // the last text handed out; valid until the next call
} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int vp_open(const char* text, int size) {
    return size >= 0 && Session().Open(text, static_cast<std::size_t>(size)) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE const char* vp_message() { return Session().Message().c_str(); }
EMSCRIPTEN_KEEPALIVE const char* vp_message_detail() { return Session().MessageDetail().c_str(); }
EMSCRIPTEN_KEEPALIVE int vp_step() { return Session().Forward() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int vp_back() { return Session().Backward() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE void vp_rewind() { Session().Rewind(); }
EMSCRIPTEN_KEEPALIVE int vp_can_back() { return Session().CanStepBack() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int vp_t() { return Session().Engine().t; }
EMSCRIPTEN_KEEPALIVE int vp_count() { return Session().Engine().BowlCount(); }
EMSCRIPTEN_KEEPALIVE double vp_box_width() { return Session().Engine().MaxX; }
EMSCRIPTEN_KEEPALIVE double vp_box_height() { return Session().Engine().MaxY; }
EMSCRIPTEN_KEEPALIVE int vp_interval() { return Session().Engine().sInterval(); }
EMSCRIPTEN_KEEPALIVE int vp_elasticity() { return Session().Engine().Elasticity(); }
EMSCRIPTEN_KEEPALIVE int vp_keep_history() { return Session().KeepHistory() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE void vp_set_keep_history(int on) { Session().SetKeepHistory(on != 0); }
EMSCRIPTEN_KEEPALIVE double vp_collisions() { return static_cast<double>(Session().Collisions()); }
EMSCRIPTEN_KEEPALIVE double vp_energy() { return Session().Engine().EnCinTot(); }
EMSCRIPTEN_KEEPALIVE int vp_step_listed() { return Session().StepListed(); }
EMSCRIPTEN_KEEPALIVE double vp_listed_energy() { return Session().ListedEnergy(); }
// The scene's kinetic energy and momentum: three doubles.
EMSCRIPTEN_KEEPALIVE const double* vp_totals() {
    static double totals[3];
    const vintrop::Totals sum = vintrop::TotalsOf(Session().Engine());
    totals[0] = sum.energy;
    totals[1] = sum.px;
    totals[2] = sum.py;
    return totals;
}

// The bowls, LessonSession::kBowlFields doubles each.
EMSCRIPTEN_KEEPALIVE const double* vp_bowls() { return Session().Bowls().data(); }
// The last step's collisions, newest last; vp_event_count() of them, with
// LessonSession::kEventFields doubles each.
EMSCRIPTEN_KEEPALIVE const double* vp_events() { return Session().Events().data(); }
EMSCRIPTEN_KEEPALIVE int vp_event_count() {
    return static_cast<int>(Session().Events().size() / LessonSession::kEventFields);
}
EMSCRIPTEN_KEEPALIVE const char* vp_state_text() {
    g_Text = Session().StateText();
    return g_Text.c_str();
}
}
