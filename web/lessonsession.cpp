#include "lessonsession.h"

#include <cmath>
#include <new>
#include <sstream>

#include "initialbox.h"
#include "numeric.h"
#include "vintroperror.h"

namespace vintrop {

namespace {
// A stream buffer over text the page already holds, without a copy.
class TextBuffer : public std::streambuf {
public:
    TextBuffer(const char* text, std::size_t size) {
        char* begin = const_cast<char*>(text);   // only read: no put area is set
        setg(begin, begin, begin + size);
    }
};
} // namespace

std::unique_ptr<LessonSession::Lesson> LessonSession::NewLesson() {
    auto lesson = std::make_unique<Lesson>();
    lesson->engine.init(lesson->clock);
    lesson->engine.Reset();
    lesson->engine.MaxX = kInitialBoxWidth;
    lesson->engine.MaxY = kInitialBoxHeight;
    return lesson;
}

LessonSession::LessonSession() : m_Lesson(NewLesson()) { Mutable().Attach(this); }

LessonSession::~LessonSession() { Mutable().Detach(this); }

bool LessonSession::Open(const char* text, std::size_t size) {
    m_Message.clear();
    m_Detail.clear();
    if (size > kMaxFileBytes) {
        m_Message = kScenarioReadFailed;
        m_Detail = kScenarioTooLarge;
        return false;
    }
    // The lesson shown so far, and its clock, stay until the new one has
    // been read whole.
    std::unique_ptr<Lesson> candidate;
    try {
        candidate = NewLesson();
        TextBuffer buffer(text, size);
        std::istream in(&buffer);
        if (!candidate->engine.SerializeIn(in)) {
            m_Message = kScenarioReadFailed;
            if (const auto& why = candidate->engine.LastReadError()) {
                if (why->Line() > 0) m_Detail = "Line " + std::to_string(why->Line()) + ": ";
                m_Detail += why->UserText();
            }
            return false;
        }
    } catch (const VintropError& e) {
        m_Message = e.UserText();
        return false;
    } catch (const std::bad_alloc&) {
        m_Message = err::Make(err::OutOfMemory).UserText();
        return false;
    }
    CEnvEng& engine = candidate->engine;
    const BoxSize box = engine.FixedBox().value_or(BoxSize{kInitialBoxWidth, kInitialBoxHeight});
    engine.MaxX = box.width;
    engine.MaxY = box.height;
    Mutable().Detach(this);
    m_Lesson = std::move(candidate);
    Mutable().Attach(this);
    m_Collisions = 0;
    m_PairMarks.Clear();
    m_History.Reset();
    m_KeepHistory = Engine().KeepHistory() != 0;
    return true;
}

void LessonSession::SetClock(bool running, double nowMs) {
    m_Running = running;
    m_Now = static_cast<int64_t>(std::floor(nowMs));
}

void LessonSession::SetShowVectors(bool on) { m_ShowVectors = on; }

void LessonSession::SetKeepHistory(bool on) {
    // Switched on, the history counts again from zero and keeps its rows,
    // as the program's history window does when the log is switched on.
    if (on && !m_KeepHistory) m_History.RestartCount();
    m_KeepHistory = on;
}

void LessonSession::ClearHistory() { m_History.Clear(Engine()); }

void LessonSession::SetSeparators(const std::string& group, const std::string& decimal) {
    m_Separators = text::Separators{group, decimal};
}

std::string LessonSession::HistoryCell(std::size_t row, int column) const {
    const auto& rows = m_History.Rows();
    return row < rows.size() ? CollisionCellText(rows[row], column, m_Separators) : std::string();
}

bool LessonSession::RunStep(bool forward) {
    m_Message.clear();
    m_Detail.clear();
    bool ok = false;
    try {
        if (forward)
            Mutable().Advance();
        else
            Mutable().Reverse();
        ok = true;
    } catch (const VintropError& e) {
        m_Message = e.UserText();
    } catch (const std::bad_alloc&) {
        m_Message = err::Make(err::OutOfMemory).UserText();
    } catch (const std::exception&) {
        m_Message = err::Make(err::InvalidCall).UserText();
    }
    if (m_KeepHistory) m_History.FlushStep(Engine());
    if (ok)
        m_PairMarks.StepCompleted(Engine().t, m_Running, m_Now);
    else
        m_PairMarks.DropPending();
    return ok;
}

bool LessonSession::Forward() { return RunStep(true); }

bool LessonSession::Backward() { return CanStepBack() && RunStep(false); }

void LessonSession::Rewind() {
    Mutable().sRewind();
    m_Collisions = 0;
    m_PairMarks.Clear();
    m_Message.clear();
    m_Detail.clear();
}

const std::vector<double>& LessonSession::Marks() {
    const int32_t t = Engine().t;
    m_Fading = m_PairMarks.Prune(t, m_Running, m_Now);
    m_Marks.clear();
    for (const PairMark& mark : m_PairMarks.Marks()) {
        const double opacity = PairMarkList::Opacity(mark, m_Now, t, m_Running);
        if (opacity <= 0) continue;
        const MomentumLine& from = mark.hasBefore ? mark.before : mark.after;
        for (double v : {from.fromX, from.fromY, mark.before.toX, mark.before.toY, mark.after.toX, mark.after.toY,
                         mark.hasBefore ? 1.0 : 0.0, mark.hasAfter ? 1.0 : 0.0, double(mark.color1),
                         double(mark.color2), opacity})
            m_Marks.push_back(v);
    }
    return m_Marks;
}

const std::vector<double>& LessonSession::Bowls() {
    const CEnvEng& engine = Engine();
    m_Bowls.resize(static_cast<std::size_t>(engine.BowlCount()) * kBowlFields);
    double* out = m_Bowls.data();
    for (int i = 1; i <= engine.BowlCount(); ++i) {
        const CBowl& b = engine.GetBowl(i);
        float dx = 0, dy = 0;
        const bool vector = BowlMomentumOffset(b, 1.0, dx, dy);
        for (double v : {double(b.Id), double(b.x), double(b.y), double(b.Vx), double(b.Vy), double(b.M()),
                         double(b.r()), double(b.Color), vector ? double(dx) : std::nan(""),
                         vector ? double(dy) : std::nan("")})
            *out++ = v;
    }
    return m_Bowls;
}

void LessonSession::BeforeCollision(const CBowl& b1, const CBowl& b2) {
    ++m_Collisions;
    if (m_KeepHistory) m_History.Before(Engine(), b1, b2);
    if (m_ShowVectors) m_PairMarks.Add(b1, b2, true, 1.0);
}

void LessonSession::AfterCollision(const CBowl& b1, const CBowl& b2) {
    if (m_KeepHistory) m_History.After(b1, b2);
    if (m_ShowVectors) m_PairMarks.Add(b1, b2, false, 1.0);
}

std::string LessonSession::StateText() const {
    const CEnvEng& engine = Engine();
    std::string text;
    for (int i = 1; i <= engine.BowlCount(); ++i) {
        const CBowl& b = engine.GetBowl(i);
        text += "bowl," + std::to_string(b.Id);
        for (float v : {b.x, b.y, b.Vx, b.Vy}) text += ',' + FormatG9(v);
        text += '\n';
    }
    text += "end," + std::to_string(engine.t) + ',' + std::to_string(m_Collisions) + ',' +
            FormatG9(engine.EnCinTot()) + '\n';
    return text;
}

} // namespace vintrop
