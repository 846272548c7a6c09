// Arbitrary command lines through the batch tool's option reader: the bytes
// split at each NUL into arguments, names of no encoding among them. Every
// line is taken or refused with a usage error, nothing else.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/BatchOptions.h"

using namespace morvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments{"morvik-batch"};
    std::string argument;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(std::move(argument));
            argument.clear();
        } else {
            argument += static_cast<char>(data[i]);
        }
    }
    arguments.push_back(argument);
    try {
        ParseBatchOptions(arguments);
    } catch (const EUsageError&) {
    }
    return 0;
}
