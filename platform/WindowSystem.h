#pragma once

#include <functional>
#include <optional>
#include <string>

namespace morvik {

// What a program starts with: the value of an environment variable, or
// null where it is unset.
using Environment = std::function<const char*(const char* name)>;

// The platforms to ask Qt for, in turn, when the user has chosen none
// (QT_QPA_PLATFORM unset or empty): X11 first in a Wayland session that
// offers XWayland (DISPLAY set), Wayland as the fallback. None otherwise:
// Qt's own choice stands.
std::optional<std::string> PreferredPlatforms(const Environment& environment);

// Sets QT_QPA_PLATFORM to the preferred platforms, if there are any; before
// the application object exists.
void PreferXWayland();

// Whether the compositor, not the program, places the windows (Wayland):
// there the window shown last takes the keyboard.
bool CompositorPlacesWindows();

}  // namespace morvik
