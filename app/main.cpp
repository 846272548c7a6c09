#include <optional>

#include "app/Application.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "platform/ApplicationErrors.h"
#include "platform/WindowSystem.h"

namespace {

// The generator's grids live as long as the program; every number it takes is bounded
// by the system's tick count.
morvik::SystemTickSource systemTicks;
morvik::Terrain terrain(systemTicks, morvik::kLargestProgramMap);

}  // namespace

int main(int argc, char** argv) {
    using namespace morvik;
    PreferXWayland();  // in a Wayland session, XWayland where it is there
    std::optional<TApplication> application;
    MakeApplication(argc, argv, [&] { application.emplace(argc, argv); });
    SetUpApplication();

    // The map view places itself beside the control window, so the control
    // window comes first, and the window manager places it before the map
    // view is made. No input meanwhile: the control window cannot act
    // without its map view. Where the compositor places both, the control
    // window comes last, to keep the keyboard.
    TForm1 form1(terrain);
    const bool compositorPlaces = CompositorPlacesWindows();
    if (!compositorPlaces) {
        form1.show();
        form1.WaitUntilFramed();
    }
    TForm2 form2(form1);
    form1.SetMapView(&form2);
    if (compositorPlaces) form1.show();
    return QApplication::exec();
}
