#include "platform/null_platform.h"

#include <cstdio>
#include <string>

namespace kalvor {

std::int32_t NullPlatform::ShowMessageBox(std::string_view text, std::int32_t style,
                                          std::string_view title, std::string_view) {
  const std::string shownTitle = title.empty() ? std::string("信息：") : std::string(title);
  std::fprintf(stderr, "[box %s|%d] %.*s", shownTitle.c_str(), style, static_cast<int>(text.size()),
               text.data());
  return kIdOk;
}

int NullPlatform::RunEventLoop() {
  RunExitCleanup();
  return 0;
}

}  // namespace kalvor
