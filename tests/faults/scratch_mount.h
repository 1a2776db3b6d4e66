// Small file systems of the tests' own: a tmpfs of a chosen size mounted over a folder, which can
// be filled up or turned read-only (as root, file modes do not stop a write; a read-only mount
// does). The mounts live in a mount namespace of the test process, so no one else sees them and
// they vanish with the process whatever happens to it.
#pragma once

#include <cstddef>
#include <string>

namespace kalvor::test {

class ScratchMount {
 public:
  // Call first thing in main(), before any thread exists.
  static void EnterPrivateNamespace();
  // Empty when mounts can be made here; otherwise the reason, for the skip message.
  static const std::string& Unavailable();

  ScratchMount(std::string folder, std::size_t bytes);
  ~ScratchMount();  // unmounts (lazily, in case something still holds a file open)
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  bool SetReadOnly(bool readOnly);
  // Fills the free space with the file `name`, then gives back `leave` bytes (whole pages).
  bool Fill(const std::string& name, std::size_t leave = 0);
  // Bytes still free.
  std::size_t Free() const;

 private:
  std::string folder_;
  std::size_t bytes_;
  std::string error_;
  bool mounted_ = false;
};

}  // namespace kalvor::test
