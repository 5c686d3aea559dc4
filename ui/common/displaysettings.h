#pragma once
// How the scene and the windows beside it are shown: the display options
// beyond the momentum vectors and the bowl numbers, the zoom, the scale the
// scene is shown at (which the text of the History, Values and Graphs
// windows follows) and the paths drawn. Kept while the program runs and
// never in a scenario file. One object for the whole program, reached
// through Settings(); a window that follows a setting connects to its
// signal instead of reading it again and again.
#include <QObject>
#include <cstdint>

namespace vintrop {

class PathStore;

inline constexpr int16_t kPathSteps[] = {50, 200, 1000};   // the values PathSteps may take
inline constexpr int16_t kVectorScales[] = {1, 10, 100};   // the values VectorScale may take

class DisplaySettings : public QObject {
    Q_OBJECT
public:
    // The values the program starts with: every drawing option off, paths
    // over 200 steps, actual size, momentum lines at their plain scale and
    // no paths recorded.
    static constexpr int16_t kStartPathSteps = 200;
    static constexpr int16_t kStartZoom = 100;
    static constexpr int16_t kStartViewScale = 100;
    static constexpr int16_t kStartVectorScale = 1;

    bool ShowVelocity() const { return m_ShowVelocity; }   // velocity arrows
    bool ShowCentre() const { return m_ShowCentre; }       // the centre of mass with the total momentum
    bool ShowPaths() const { return m_ShowPaths; }         // each bowl's path over its latest PathSteps steps
    int16_t PathSteps() const { return m_PathSteps; }      // steps a path covers
    // The paths, owned by the main window; recorded while ShowPaths is on.
    PathStore* Paths() const { return m_Paths; }
    // Percent: how much larger than life the scene is drawn.
    int16_t Zoom() const { return m_Zoom; }
    // Percent: the scale the main window shows the scene at now, the zoom
    // or the scale a lesson's own box is fitted at.
    int16_t ViewScale() const { return m_ViewScale; }
    // Momentum lines drawn 1, 10 or 100 times their tenth-scale length.
    int16_t VectorScale() const { return m_VectorScale; }

    // Each setter signals only a value that differs from the one held.
    void SetShowVelocity(bool on);
    void SetShowCentre(bool on);
    void SetShowPaths(bool on);
    void SetPathSteps(int16_t steps);
    void SetPaths(PathStore* paths);
    void SetZoom(int16_t percent);
    void SetViewScale(int16_t percent);
    void SetVectorScale(int16_t scale);

    // Every value back to the program's start (for tests), signalling those
    // that change.
    void ResetToStart();

signals:
    // The scale the scene is shown at changed: the windows' text follows it.
    void textScaleChanged(int percent);
    // A display option, the zoom or the paths changed.
    void displayChanged();

private:
    template <typename T>
    void Change(T& held, T value);

    bool m_ShowVelocity = false;
    bool m_ShowCentre = false;
    bool m_ShowPaths = false;
    int16_t m_PathSteps = kStartPathSteps;
    PathStore* m_Paths = nullptr;
    int16_t m_Zoom = kStartZoom;
    int16_t m_ViewScale = kStartViewScale;
    int16_t m_VectorScale = kStartVectorScale;
};

// The program's one settings object.
DisplaySettings& Settings();

} // namespace vintrop
