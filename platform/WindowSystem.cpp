#include "platform/WindowSystem.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

namespace morvik {

namespace {

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

}  // namespace

// Wayland lets no client place its own windows, and the map view standing
// beside the control window is part of the program: through XWayland the
// window manager honours it. A platform the user chose always wins.
std::optional<std::string> PreferredPlatforms(const Environment& environment) {
    if (IsSet(environment("QT_QPA_PLATFORM"))) return std::nullopt;
    const char* sessionType = environment("XDG_SESSION_TYPE");
    const bool wayland = IsSet(environment("WAYLAND_DISPLAY")) ||
                         (sessionType != nullptr && std::strcmp(sessionType, "wayland") == 0);
    if (!wayland || !IsSet(environment("DISPLAY"))) return std::nullopt;
    return "xcb;wayland";
}

void PreferXWayland() {
    if (const std::optional<std::string> platforms =
            PreferredPlatforms([](const char* name) { return std::getenv(name); })) {
        setenv("QT_QPA_PLATFORM", platforms->c_str(), 1);
    }
}

bool CompositorPlacesWindows() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace morvik
