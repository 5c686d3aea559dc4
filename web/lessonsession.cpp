#include "lessonsession.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <sstream>

#include "initialbox.h"
#include "numeric.h"
#include "totals.h"
#include "vintroperror.h"

namespace vintrop {

namespace {
// What the desktop program says of a scenario it cannot read.
constexpr const char* kReadFailed = "Errore lettura Dati";

// A stream buffer over text the page already holds, without a copy.
class TextBuffer : public std::streambuf {
public:
    TextBuffer(const char* text, std::size_t size) {
        char* begin = const_cast<char*>(text);   // only read: no put area is set
        setg(begin, begin, begin + size);
    }
};
} // namespace

LessonSession::LessonSession() : m_Engine(std::make_unique<CEnvEng>()) {
    m_Engine->init(m_Clock);
    m_Engine->Reset();
    m_Engine->MaxX = kInitialBoxWidth;
    m_Engine->MaxY = kInitialBoxHeight;
    m_Engine->Attach(this);
}

LessonSession::~LessonSession() { m_Engine->Detach(this); }

bool LessonSession::Open(const char* text, std::size_t size) {
    m_Message.clear();
    m_Detail.clear();
    if (size > kMaxFileBytes) {
        m_Message = kReadFailed;
        m_Detail = "The file is larger than 16 MB.";
        return false;
    }
    // The lesson shown so far stays until the new one has been read whole.
    auto engine = std::make_unique<CEnvEng>();
    engine->init(m_Clock);
    engine->Reset();
    try {
        TextBuffer buffer(text, size);
        std::istream in(&buffer);
        if (!engine->SerializeIn(in)) {
            m_Message = kReadFailed;
            if (const auto& why = engine->LastReadError()) {
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
    const BoxSize box = engine->FixedBox().value_or(BoxSize{kInitialBoxWidth, kInitialBoxHeight});
    engine->MaxX = box.width;
    engine->MaxY = box.height;
    m_Engine->Detach(this);
    m_Engine = std::move(engine);
    m_Engine->Attach(this);
    m_KeepHistory = m_Engine->KeepHistory() != 0;
    m_Collisions = 0;
    m_StepEvents.clear();
    return true;
}

bool LessonSession::CanStepBack() const {
    return m_Engine->t > 0 && m_Engine->Elasticity() == CEnvEng::kFullyElastic;
}

bool LessonSession::RunStep(bool forward) {
    m_Message.clear();
    m_Detail.clear();
    m_StepEvents.clear();
    m_PendingEnergy.reset();
    m_StepListed = 0;
    bool ok = false;
    try {
        if (forward)
            m_Engine->Advance();
        else
            m_Engine->Reverse();
        ok = true;
    } catch (const VintropError& e) {
        m_Message = e.UserText();
    } catch (const std::bad_alloc&) {
        m_Message = err::Make(err::OutOfMemory).UserText();
    } catch (const std::exception&) {
        m_Message = err::Make(err::InvalidCall).UserText();
    }
    FlushEnergy();
    return ok;
}

void LessonSession::FlushEnergy() {
    if (!m_PendingEnergy) return;
    const PendingEnergy& p = *m_PendingEnergy;
    m_ListedEnergy = m_Engine->EnCinTotWith(*p.b1, p.v1x, p.v1y, *p.b2, p.v2x, p.v2y);
    m_PendingEnergy.reset();
}

bool LessonSession::Forward() { return RunStep(true); }

bool LessonSession::Backward() { return CanStepBack() && RunStep(false); }

void LessonSession::Rewind() {
    m_Engine->sRewind();
    m_StepEvents.clear();
    m_Collisions = 0;
    m_Message.clear();
    m_Detail.clear();
}

const std::vector<double>& LessonSession::Bowls() {
    const CEnvEng& engine = *m_Engine;
    m_Bowls.resize(static_cast<std::size_t>(engine.BowlCount()) * kBowlFields);
    double* out = m_Bowls.data();
    for (int i = 1; i <= engine.BowlCount(); ++i) {
        const CBowl& b = engine.GetBowl(i);
        for (double v : {double(b.Id), double(b.x), double(b.y), double(b.Vx), double(b.Vy), double(b.M()),
                         double(b.r()), double(b.Color)})
            *out++ = v;
    }
    return m_Bowls;
}

LessonSession::EventView LessonSession::Events() const {
    const std::size_t keep = std::min(m_StepEvents.size(), kMaxEvents * kEventFields);
    return {m_StepEvents.data() + (m_StepEvents.size() - keep), keep};
}

void LessonSession::AddEvent(const CBowl& b1, const CBowl& b2, bool after) {
    // A crowd can collide thousands of times in one step; only the last
    // kMaxEvents are shown, so the older ones are dropped in batches.
    if (m_StepEvents.size() >= 2 * kMaxEvents * kEventFields)
        m_StepEvents.erase(m_StepEvents.begin(),
                           m_StepEvents.end() - static_cast<std::ptrdiff_t>(kMaxEvents * kEventFields));
    const float sumX = PairMomentum(b1.M(), b1.Vx, b2.M(), b2.Vx);
    const float sumY = PairMomentum(b1.M(), b1.Vy, b2.M(), b2.Vy);
    if (!after && std::isfinite(sumX) && std::isfinite(sumY)) {
        ++m_StepListed;
        if (m_KeepHistory) m_PendingEnergy = PendingEnergy{&b1, &b2, b1.Vx, b1.Vy, b2.Vx, b2.Vy};
    }
    for (double v : {after ? 1.0 : 0.0, double(m_Engine->t), double(b1.Id), double(b2.Id), double(b1.M()),
                     double(b2.M()), double(b1.x), double(b1.y), double(b2.x), double(b2.y), double(b1.Vx),
                     double(b1.Vy), double(b2.Vx), double(b2.Vy), double(b1.Color), double(b2.Color),
                     double(sumX), double(sumY)})
        m_StepEvents.push_back(v);
}

void LessonSession::BeforeCollision(const CBowl& b1, const CBowl& b2) {
    ++m_Collisions;
    AddEvent(b1, b2, false);
}

void LessonSession::AfterCollision(const CBowl& b1, const CBowl& b2) { AddEvent(b1, b2, true); }

std::string LessonSession::StateText() const {
    const CEnvEng& engine = *m_Engine;
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
