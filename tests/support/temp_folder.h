#pragma once
// A fresh folder under the system temporary folder for one test, removed with everything in it
// afterwards: tests write nowhere else.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace korrin::test {

class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korrin-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    FPath = pattern;
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::string& Path() const { return FPath; }
  std::string operator/(const std::string& name) const { return FPath + "/" + name; }

 private:
  std::string FPath;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Writes over the file from its start without cutting it first, as `rsync --inplace` or `cp`
// onto a file at least as long do.
inline void WriteInPlace(const std::string& path, const std::string& bytes) {
  std::fstream(path, std::ios::binary | std::ios::in | std::ios::out) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace korrin::test
