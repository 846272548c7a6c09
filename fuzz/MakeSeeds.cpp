// Writes the fuzzer's seed corpus: small valid images of every bit count,
// each behind two bytes that ask for 256 colours.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/ReducedImage/BmpBuilder.h"

using namespace morvik;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::vector<uint32_t> palette{0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080};
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> seeds{
        {"one-bit", MakeBmp(10, 1, {{0xA5, 0xC0}, {0x0F, 0x00}})},
        {"four-bit", MakeBmp(5, 4, {{0x01, 0x23, 0x40}, {0x44, 0x32, 0x10}}, palette)},
        {"eight-bit", MakeBmp(3, 8, {{0, 1, 2}, {3, 4, 4}}, palette)},
        {"sixteen-bit", MakeBmp(2, 16, {{0xFF, 0x7F, 0x21, 0x04}})},
        {"twenty-four-bit", MakeBmp24(9, 5,
                                      [](int32_t x, int32_t y) {
                                          return static_cast<uint32_t>(x * 28 | (y * 60) << 8 |
                                                                       (x * y * 5) << 16);
                                      })},
        {"thirty-two-bit", MakeBmp(2, 32, {{1, 2, 3, 4, 250, 251, 252, 253}})},
        {"gradient", MakeGradientBmp()},
    };
    for (const auto& [name, image] : seeds) {
        std::ofstream file(std::string(argv[1]) + "/" + name + ".bin", std::ios::binary);
        file.put(0).put(1);  // a request of 256
        file.write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
        if (!file) {
            std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", name);
            return 1;
        }
    }
    return 0;
}
