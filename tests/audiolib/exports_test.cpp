// The program binds the library's functions by name from libbass.so: exactly these must be there,
// and nothing of the library's C++ insides.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "tests/audiolib/library_functions.h"

namespace {

using kalvor::test::kLibraryFunctions;

TEST(LibraryExports, DynamicSymbolTableHoldsExactlyTheSeventeenFunctions) {
  const std::string command = std::string("nm -D --defined-only '") + KALVOR_BASS_LIBRARY + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> functions;
  std::set<std::string> others;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream fields(line);
    std::string address, type, name;
    fields >> address >> type >> name;
    (type == "T" ? functions : others).insert(name);
  }
  ASSERT_EQ(::pclose(pipe), 0) << command;
  EXPECT_EQ(functions, kLibraryFunctions);
  EXPECT_TRUE(others.empty()) << "also exported: " << *others.begin();
}

TEST(LibraryExports, EveryFunctionBindsByName) {
  void* library = ::dlopen(KALVOR_BASS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << ::dlerror();
  for (const std::string& name : kLibraryFunctions) {
    EXPECT_NE(::dlsym(library, name.c_str()), nullptr) << name;
  }
  using GetVersion = uint32_t (*)();
  auto* get_version = reinterpret_cast<GetVersion>(::dlsym(library, "BASS_GetVersion"));
  ASSERT_NE(get_version, nullptr);
  EXPECT_EQ(get_version(), 0x01000000u);
  ::dlclose(library);
}

}  // namespace
