#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

namespace morvik {

// A platform that Qt tried to start on and could not: one it has no plugin
// for, or one whose plugin found no display to connect to.
struct FailedPlatform {
    std::string name;
    bool found = true;  // Qt has a plugin by that name
};

// The one line the program leaves on standard error when Qt starts on no
// platform: each platform tried and what it lacked. Where Qt chose the
// platforms itself (`chosen` false), a display variable that is not set is
// named even if its platform was not tried, since setting it is the remedy.
std::string NoDisplayMessage(const std::vector<FailedPlatform>& tried, bool chosen,
                             const Environment& environment);

// Makes the application object through `make`, with the program's arguments
// at hand. Qt's messages meanwhile are held back and let out once it exists.
// Where Qt can start on no platform, the program ends with NoDisplayMessage
// and status 1, in place of Qt's abort.
void MakeApplication(int argc, char** argv, const std::function<void()>& make);

// The first step of start-up once the application object exists: the
// application's title (which the error handler's message boxes carry), its
// icon and its fonts.
void SetUpApplication();

}  // namespace morvik
