#include "platform/core/special_folders.h"

#include <windows.h>
// after windows.h, which they build on
#include <knownfolders.h>
#include <shlobj.h>

#include <string_view>

#include "platform/core/wide_text.h"

namespace kalvor {
namespace {

std::string WithBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path.push_back('\\');
  return path;
}

// A known folder of the user or the system as it is, without creating or checking it.
std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path))) {
    folder = Narrow(path);
  }
  CoTaskMemFree(path);
  return folder;
}

// A path a function writes into a buffer of the size it asks for.
template <typename Fill>
std::string FromBuffer(Fill fill) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD n = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return Narrow(std::wstring_view(buffer.data(), n));
    buffer.resize(static_cast<std::size_t>(n) + 1);
  }
}

}  // namespace

// The help pages are installed beside the program.
std::string SpecialFolders::ShippedDataFolder(const std::string& programFolder) {
  return programFolder;
}

std::string SpecialFolders::ProgramFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);  // cut short: the path is longer than the buffer
  }
  const std::size_t slash = buffer.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  return Narrow(std::wstring_view(buffer).substr(0, slash + 1));
}

//   1 documents       FOLDERID_Documents
//   2 favourites      FOLDERID_Favorites
//   3 desktop         FOLDERID_Desktop
//   4 fonts           FOLDERID_Fonts
//   5 start menu      FOLDERID_StartMenu
//   6 programs        FOLDERID_Programs
//   7 autostart       FOLDERID_Startup
//   8 program data    FOLDERID_RoamingAppData itself: data.ini, the archive and the sounds lie in
//   it 9 system          the system folder
//  10 libraries       FOLDERID_LocalAppData\Kalvor\lib, the per-user folder our audio library is
//                     written to and bound from (the system folder would need administrator rights)
//  11 temporary       the temporary folder
std::string SpecialFolders::Get(std::int32_t code) {
  std::string folder;
  switch (code) {
    case 1:
      folder = KnownFolder(FOLDERID_Documents);
      break;
    case 2:
      folder = KnownFolder(FOLDERID_Favorites);
      break;
    case 3:
      folder = KnownFolder(FOLDERID_Desktop);
      break;
    case 4:
      folder = KnownFolder(FOLDERID_Fonts);
      break;
    case 5:
      folder = KnownFolder(FOLDERID_StartMenu);
      break;
    case 6:
      folder = KnownFolder(FOLDERID_Programs);
      break;
    case 7:
      folder = KnownFolder(FOLDERID_Startup);
      break;
    case 8:
      folder = KnownFolder(FOLDERID_RoamingAppData);
      break;
    case 9:
      folder =
          FromBuffer([](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); });
      break;
    case 10:
      folder = KnownFolder(FOLDERID_LocalAppData);
      if (!folder.empty()) folder = WithBackslash(folder) + "Kalvor\\lib";
      break;
    case 11:
      folder = FromBuffer([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
      break;
    case 12:
      folder = ShippedDataFolder(ProgramFolder());
      break;
    default:
      break;
  }
  return WithBackslash(std::move(folder));
}

}  // namespace kalvor
