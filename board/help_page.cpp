#include "board/help_page.h"

#include "platform/platform_services.h"

namespace kalvor {
namespace {

// A file address carries its path percent-encoded (spaces, "#", Chinese folder names).
std::string EncodePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                       (byte >= '0' && byte <= '9') || c == '/' || c == '-' || c == '.' ||
                       c == '_' || c == '~';
    if (plain) {
      encoded.push_back(c);
    } else {
      encoded.append({'%', kHex[byte >> 4], kHex[byte & 0x0F]});
    }
  }
  return encoded;
}

}  // namespace

std::string HelpPage::ContactAddress() {
  return Address("contact.html");
}

std::string HelpPage::AboutAddress() {
  return Address("about.html");
}

std::string HelpPage::Address(std::string_view page) {
  constexpr std::int32_t kShippedData = 12;
  return JoinTexts({"file://", EncodePath(JoinTexts(
                                   {Platform().GetSpecialFolder(kShippedData), "help/", page}))});
}

}  // namespace kalvor
