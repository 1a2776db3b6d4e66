// kalvor_mkarchive: packs the audio library and the sound effects into the archive
// the program carries.
//
//   kalvor_mkarchive OUTPUT.zip LIBRARY_FILE MUSIC_DIR
//
// Entry order: "bass.dll" (the library, hidden), the folder "music/" (hidden
// folder), then every sound as "music/<name>.mp3" in the order of the sound list.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/sound_archive_list.h"
#include "tools/mkarchive/archive_writer.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s OUTPUT.zip LIBRARY_FILE MUSIC_DIR\n", argv[0]);
    return 2;
  }
  const std::filesystem::path output = argv[1];
  const std::filesystem::path temp = output.string() + ".part";
  try {
    {
      kalvor::ArchiveWriter zip(temp.string());
      zip.AddFile("bass.dll", ReadFile(argv[2]), kalvor::ArchiveWriter::kHidden);
      zip.AddFolder("music/", kalvor::ArchiveWriter::kFolder | kalvor::ArchiveWriter::kHidden);
      for (std::string_view name : kalvor::kArchiveSoundNames) {
        const std::string file = std::string(name) + ".mp3";
        zip.AddFile("music/" + file, ReadFile(std::filesystem::path(argv[3]) / file),
                    kalvor::ArchiveWriter::kNormal);
      }
      zip.Close();
    }
    std::filesystem::rename(temp, output);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kalvor_mkarchive: %s\n", e.what());
    std::filesystem::remove(temp);
    return 1;
  }
  return 0;
}
