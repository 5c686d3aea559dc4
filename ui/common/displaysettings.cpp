#include "displaysettings.h"

namespace vintrop {

template <typename T>
void DisplaySettings::Change(T& held, T value) {
    if (held == value) return;
    held = value;
    emit displayChanged();
}

void DisplaySettings::SetShowVelocity(bool on) { Change(m_ShowVelocity, on); }
void DisplaySettings::SetShowCentre(bool on) { Change(m_ShowCentre, on); }
void DisplaySettings::SetShowPaths(bool on) { Change(m_ShowPaths, on); }
void DisplaySettings::SetPathSteps(int16_t steps) { Change(m_PathSteps, steps); }
void DisplaySettings::SetPaths(PathStore* paths) { Change(m_Paths, paths); }
void DisplaySettings::SetZoom(int16_t percent) { Change(m_Zoom, percent); }
void DisplaySettings::SetVectorScale(int16_t scale) { Change(m_VectorScale, scale); }

void DisplaySettings::SetViewScale(int16_t percent) {
    if (percent == m_ViewScale) return;
    m_ViewScale = percent;
    emit textScaleChanged(percent);
}

void DisplaySettings::ResetToStart() {
    SetShowVelocity(false);
    SetShowCentre(false);
    SetShowPaths(false);
    SetPathSteps(kStartPathSteps);
    SetPaths(nullptr);
    SetZoom(kStartZoom);
    SetViewScale(kStartViewScale);
    SetVectorScale(kStartVectorScale);
}

DisplaySettings& Settings() {
    static DisplaySettings settings;   // made on first use, by the UI thread
    return settings;
}

} // namespace vintrop
