#pragma once
// Windows' high-contrast mode. While it is on, what the program draws in colours of its own (the
// chart and its legend, coloured labels, the gauges, the tray icon's text) takes the system's
// colours instead, so that nothing vanishes into the scheme's background. The user's own colours
// are kept as they are: only the drawing changes.
namespace kvn::ui::win32 {

// Whether the mode is on, as last read (the first call reads it).
bool HighContrast();
// Reads it again, as the system's colours or settings change; true when it changed.
bool ReadHighContrast();
// The question asked of the system (SPI_GETHIGHCONTRAST); tests put their own, since Wine always
// answers that the mode is off. Null puts the system's back.
void SetHighContrastQuery(bool (*query)());

}  // namespace kvn::ui::win32
