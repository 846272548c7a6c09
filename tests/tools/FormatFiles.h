#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/OutputSet.h"

namespace morvik {

// A folder of its own for each test's files, removed after it.
class FormatFiles : public testing::Test {
  protected:
    FormatFiles() {
        std::string pattern = (std::filesystem::temp_directory_path() / "formats-XXXXXX").string();
        folder_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
    }
    ~FormatFiles() override {
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    // A file's whole contents; none when it cannot be read.
    static std::vector<uint8_t> Read(const std::string& name) {
        std::ifstream file(name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    static void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream file(name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(file.good()) << name;
    }

    // Writes through an OutputFile, as the tool does, and puts it in place.
    template <typename Writer>
    static void Produce(const std::string& name, Writer&& write) {
        OutputSet set;
        write(set.Open(name));
        set.Commit();
    }

  private:
    std::string folder_;
};

}  // namespace morvik
