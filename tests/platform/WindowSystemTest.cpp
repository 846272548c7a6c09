#include "platform/WindowSystem.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace morvik {
namespace {

std::optional<std::string> Preferred(const std::map<std::string, std::string>& variables) {
    return PreferredPlatforms([&](const char* name) -> const char* {
        const auto variable = variables.find(name);
        return variable == variables.end() ? nullptr : variable->second.c_str();
    });
}

TEST(WindowSystem, AWaylandSessionWithXWaylandAsksForX11First) {
    EXPECT_EQ(Preferred({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}), "xcb;wayland");
    EXPECT_EQ(Preferred({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}}), "xcb;wayland");
    EXPECT_EQ(
        Preferred({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", ""}}),
        "xcb;wayland")
        << "an empty choice is none";
}

TEST(WindowSystem, LeavesQtsChoiceEverywhereElse) {
    // Wayland alone, X11 alone, nothing at all, and an empty display.
    EXPECT_EQ(Preferred({{"WAYLAND_DISPLAY", "wayland-0"}}), std::nullopt);
    EXPECT_EQ(Preferred({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}}), std::nullopt);
    EXPECT_EQ(Preferred({}), std::nullopt);
    EXPECT_EQ(Preferred({{"WAYLAND_DISPLAY", ""}, {"DISPLAY", ":0"}}), std::nullopt);
    EXPECT_EQ(Preferred({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ""}}), std::nullopt);
    // The user's own choice wins, whatever it is.
    for (const char* chosen : {"wayland", "xcb", "offscreen"}) {
        EXPECT_EQ(
            Preferred(
                {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", chosen}}),
            std::nullopt)
            << chosen;
    }
}

}  // namespace
}  // namespace morvik
