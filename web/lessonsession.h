#pragma once
// One lesson as the web page runs it: the engine with a scenario read from
// text, stepped by hand, with the lesson's history, pair marks, transport
// states and number texts kept by the same rules as the desktop program's.
// The page draws what it is handed and keeps no rule of its own. Plain C++,
// so that it can be built and checked anywhere the engine builds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clock.h"
#include "collisionlog.h"
#include "envengine.h"
#include "lessonlimits.h"
#include "numbertexts.h"
#include "pairmarklist.h"
#include "transport.h"

namespace vintrop {

class LessonSession : public IEngineListener {
public:
    static constexpr std::size_t kMaxFileBytes = kMaxScenarioBytes;
    // Doubles per bowl in Bowls(): id, x, y, Vx, Vy, M, r, Color, and the
    // momentum vector's offsets from the centre (NaN beyond the float range).
    static constexpr int kBowlFields = 10;
    // Doubles per mark in Marks(): from x, from y, the line before the
    // impact's end x, y, the line after it's end x, y, whether each is
    // there (1 or 0), colour1, colour2, opacity (0..1).
    static constexpr int kMarkFields = 11;

    LessonSession();
    ~LessonSession() override;

    // Reads a scenario from text into a lesson of its own, clock included.
    // On success it replaces the lesson at t = 0; on failure the lesson
    // shown before stays as it was, its interval too, and Message() says
    // why in the program's words.
    bool Open(const char* text, std::size_t size);
    // One step forward or back; false when the step failed (Message() says
    // why) or is not allowed (back at t = 0 or where the engine cannot
    // reverse).
    bool Forward();
    bool Backward();
    void Rewind();   // t = 0, the start values; the collision count starts again

    const std::string& Message() const { return m_Message; }
    const std::string& MessageDetail() const { return m_Detail; }
    const CEnvEng& Engine() const { return m_Lesson->engine; }
    bool CanStepBack() const { return Commands(false).back; }
    TransportState Commands(bool running) const { return TransportStateOf(Engine(), running); }
    // Every collision reported since the lesson opened or was rewound.
    uint64_t Collisions() const { return m_Collisions; }

    // What the pair marks read: whether the page runs the lesson, and the
    // time now in milliseconds of its monotonic clock.
    void SetClock(bool running, double nowMs);
    // Marks are taken while the momentum vectors are shown.
    void SetShowVectors(bool on);
    // The marks shown now, kMarkFields doubles each; drops those gone.
    const std::vector<double>& Marks();
    const std::vector<double>& LastMarks() const { return m_Marks; }
    // True while a mark fades, so the page must draw again.
    bool MarksFading() const { return m_Fading; }

    // The history: kept while on (the lesson's own flag at Open), its
    // counter started again each time it is switched on.
    void SetKeepHistory(bool on);
    bool KeepHistory() const { return m_KeepHistory; }
    void ClearHistory();
    const CollisionLog& History() const { return m_History; }
    // The separators of the page's locale, for every number text.
    void SetSeparators(const std::string& group, const std::string& decimal);
    std::string HistoryCell(std::size_t row, int column) const;
    std::string FixedText(double v) const { return text::Fixed(v, m_Separators); }

    const std::vector<double>& Bowls();
    // The bowls and the totals as the runner prints them after its steps:
    // "bowl,ID,X,Y,VX,VY" lines, then "end,T,COLLISIONS,ENERGY".
    std::string StateText() const;

    void BeforeCollision(const CBowl& b1, const CBowl& b2) override;
    void AfterCollision(const CBowl& b1, const CBowl& b2) override;

private:
    // The engine and the clock it is bound to, read and replaced together.
    struct Lesson {
        ManualClock clock;
        CEnvEng engine;
    };
    static std::unique_ptr<Lesson> NewLesson();
    bool RunStep(bool forward);
    CEnvEng& Mutable() { return m_Lesson->engine; }

    std::unique_ptr<Lesson> m_Lesson;
    std::vector<double> m_Bowls;
    std::vector<double> m_Marks;
    std::string m_Message, m_Detail;
    uint64_t m_Collisions = 0;
    bool m_KeepHistory = false;
    bool m_ShowVectors = false;
    bool m_Running = false;
    bool m_Fading = false;
    int64_t m_Now = 0;
    CollisionLog m_History;
    PairMarkList m_PairMarks;
    text::Separators m_Separators;
};

} // namespace vintrop
