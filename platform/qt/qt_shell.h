// Hands files and web addresses to the desktop, as the Windows shell's "execute with verb" does:
// web addresses go to the default browser (xdg-open), executables are started with the
// parameters, other files are opened with the desktop's default application, "explore" and
// "find" open the folder. The show mode is not passed on: the started program decides how it
// shows itself, and "hidden" (1) simply shows nothing of ours. Results follow the Windows shell:
// above 32 on success, 2 when the file does not exist, 31 when nothing could be started.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kalvor {

class QtShell {
 public:
  static constexpr std::int32_t kSuccess = 42;
  static constexpr std::int32_t kFileNotFound = 2;
  static constexpr std::int32_t kNoAssociation = 31;

  // openUrl shows a web address; record, when set, takes what would be started instead of
  // starting it (the test seam).
  static std::int32_t Execute(std::int32_t verb, std::string_view target,
                              std::string_view parameters, std::string_view folder,
                              const std::function<void(const std::string&)>& openUrl,
                              const std::function<void(const std::string&)>& record);

  // "edit", "explore", "find", "open", "print" for the codes 1..5; "" (the default) otherwise.
  static std::string_view VerbName(std::int32_t verb);
  static bool IsWebAddress(std::string_view target);
};

}  // namespace kalvor
