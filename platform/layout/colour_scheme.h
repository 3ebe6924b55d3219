#pragma once
// Whose colours a window draws in. A window's own colours (the console's purple send text, the installer's navy
// page) give way to the system's under a high-contrast theme: its user picked those colours to be able to read.
namespace platform {

enum class ColourSource { Own, System };

inline ColourSource ColoursFor(bool highContrastTheme) {
  return highContrastTheme ? ColourSource::System : ColourSource::Own;
}

}  // namespace platform
