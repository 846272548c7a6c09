#pragma once

#include <stdexcept>
#include <string>

namespace morvik {

// The errors of the toolkit's files, streams, conversions and memory. Each carries only
// its message, worded as the user sees it.

class EFCreateError : public std::runtime_error {
  public:
    explicit EFCreateError(const std::string& fileName)
        : std::runtime_error("ﾌｧｲﾙ " + fileName + " を作成できません") {}
};

class EReadError : public std::runtime_error {
  public:
    EReadError() : std::runtime_error("ｽﾄﾘｰﾑからの読み込みｴﾗｰ") {}
};

class EWriteError : public std::runtime_error {
  public:
    EWriteError() : std::runtime_error("ｽﾄﾘｰﾑへの書き込みｴﾗｰ") {}
};

class EStreamError : public std::runtime_error {
  public:
    EStreamError() : std::runtime_error("ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました") {}
};

class EConvertError : public std::runtime_error {
  public:
    explicit EConvertError(const std::string& text)
        : std::runtime_error("'" + text + "' は整数ではありません") {}
};

class EOutOfMemory : public std::runtime_error {
  public:
    EOutOfMemory() : std::runtime_error("ﾒﾓﾘが足りません") {}
};

}  // namespace morvik
