#pragma once

class QWidget;

namespace morvik {

// The windows ask for the Japanese system fonts by name. Where those are
// missing, IPA (P) Gothic has their metrics; after it, any Japanese sans-serif.
void InstallFontSubstitutes();

// Window descriptions give font heights in pixels, as the property
// "FontHeight" of a form or control; this applies them after loading.
void ApplyFontHeights(QWidget& form);

}  // namespace morvik
