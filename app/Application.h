#pragma once

namespace morvik {

// The first step of start-up: the application's title (which the error
// handler's message boxes carry), its icon and its fonts.
void SetUpApplication();

}  // namespace morvik
