// The help page the program is shipped with (help/index.html in the data folder it is installed
// with): what the board does, playing into a voice chat, hotkeys on each desktop, where files
// live, version and licence, and how to report a problem. The author chat link (the "联系作者"
// buttons and the top banner) opens it at reporting a problem, the author page (the bottom
// banner) at the part about the program. Each part has a page of its own that leads there,
// because some openers drop the "#part" of a file address.
#pragma once

#include <string>
#include <string_view>

namespace kalvor {

class HelpPage {
 public:
  // "file:///…/help/contact.html": reporting a problem, reaching the authors.
  static std::string ContactAddress();
  // "file:///…/help/about.html": version, licence, the authors.
  static std::string AboutAddress();

 private:
  static std::string Address(std::string_view page);
};

}  // namespace kalvor
