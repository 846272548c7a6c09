// Arbitrary text through the numeral rules under every display option: the
// first byte picks the options, the rest is UTF-8 text.
#include <cstdint>
#include <cstdlib>

#include "components/UDNmEdit/NumeralText.h"
#include "platform/ToolkitErrors.h"

using namespace morvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const TEditOptions options = TEditOptions::fromInt(data[0] & 15);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                           static_cast<qsizetype>(size - 1));

    for (const QChar key : text) FilterKey(key, options);
    const QString numeral = ParseText(text, options);
    int32_t value = 0;
    try {
        value = ConvertNumeral(numeral);
    } catch (const EConvertError&) {
        return 0;
    }
    // Whatever converts shows as a text that reads back as the same value.
    const QString shown = FormatValue(value, options);
    if (ConvertNumeral(ParseText(shown, options)) != value) std::abort();
    return 0;
}
