#include "settings/app_settings_location.h"

#include <dirent.h>
#include <fnmatch.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "common/exception.h"
#include "common/file_io.h"
#include "common/text.h"

namespace korrin {

namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The per-user configuration folder itself may be missing on a fresh account; it is private to
// the user, as the XDG base directory rules ask.
bool MakeFolders(const std::string& path) {
  if (IsFolder(path)) return true;
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
  return ::mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && IsFolder(path));
}

// Copies the files of `from` that match a mask into `to`; a file that fails is skipped.
void SeedFolder(const std::string& from, const std::string& to, std::string_view seed_files) {
  std::vector<std::string> masks;
  for (size_t start = 0; start <= seed_files.size();) {
    size_t end = seed_files.find(';', start);
    if (end == std::string_view::npos) end = seed_files.size();
    const std::string_view mask = Trim(seed_files.substr(start, end - start));
    if (!mask.empty()) masks.emplace_back(mask);
    start = end + 1;
  }
  if (masks.empty()) return;
  DIR* dir = ::opendir(from.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    bool matches = false;
    for (const auto& mask : masks) matches = matches || ::fnmatch(mask.c_str(), name.c_str(), 0) == 0;
    const std::string source = from + "/" + name;
    struct stat st {};
    if (!matches || ::stat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    try {
      WriteFileIfAbsent(to + "/" + name, ReadWholeFile(source));
    } catch (const Exception&) {
      // Seeding is a convenience: the folder works without the copy.
    }
  }
  ::closedir(dir);
}

std::string ExecutableFolder() {
  std::string buffer(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return ".";
  buffer.resize(static_cast<size_t>(n));
  const size_t slash = buffer.rfind('/');
  return slash == 0 ? "/" : buffer.substr(0, slash);
}

std::optional<std::string> UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  // Relative values are to be ignored, as the XDG base directory rules say.
  if (xdg && xdg[0] == '/') return WithoutTrailingSlashes(xdg);
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = ::getpwuid(::getuid());
    home = user ? user->pw_dir : nullptr;
  }
  if (!home || !*home) return std::nullopt;
  return WithoutTrailingSlashes(home) + "/.config";
}

}  // namespace

TAppSettingsLocation::TAppSettingsLocation(const std::vector<std::string>& Args, std::string ApplicationFolder,
                                           std::optional<std::string> UserConfigFolder)
    : FApplicationFolder(std::move(ApplicationFolder)), FUserConfigFolder(std::move(UserConfigFolder)) {
  // An empty value is taken as no value: it would put the file at "/" or name a folder.
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& arg = Args[i];
    if (arg == "-appsettingsdir") {
      FUseApplicationFolder = true;
      FSettingsDir.reset();
    } else if (arg == "-settingsdir" && i + 1 < Args.size()) {
      if (!Args[++i].empty()) {
        FSettingsDir = Args[i];
        FUseApplicationFolder = false;
      }
    } else if (arg == "-config" && i + 1 < Args.size()) {
      if (!Args[++i].empty()) {
        FConfigFile = Args[i];
        if (!FSettingsDir) FUseApplicationFolder = true;
      }
    }
  }
}

TAppSettingsLocation TAppSettingsLocation::ForProcess(const std::vector<std::string>& Args) {
  return TAppSettingsLocation(Args, ExecutableFolder(), UserConfigFolder());
}

std::string TAppSettingsLocation::PeekAppSettingsFolder(std::string_view AppFolderName) const {
  if (FUseApplicationFolder) return FApplicationFolder;
  if (FSettingsDir) return *FSettingsDir;
  if (!FUserConfigFolder) return FApplicationFolder;
  std::string folder = *FUserConfigFolder;
  if (!AppFolderName.starts_with('/')) folder += '/';
  folder += AppFolderName;
  return folder;
}

std::string TAppSettingsLocation::GetAppSettingsFolder(std::string_view AppFolderName,
                                                       std::string_view SeedFiles) const {
  const std::string folder = PeekAppSettingsFolder(AppFolderName);
  if (FUseApplicationFolder || FSettingsDir || !FUserConfigFolder || IsFolder(folder)) return folder;
  if (!MakeFolders(*FUserConfigFolder)) return FApplicationFolder;
  if (::mkdir(folder.c_str(), 0777) != 0) return errno == EEXIST && IsFolder(folder) ? folder : FApplicationFolder;
  SeedFolder(FApplicationFolder, folder, SeedFiles);
  return folder;
}

std::string TAppSettingsLocation::GetAppSettingsFileName(std::string_view FileName, std::string_view Folder) const {
  const std::string name = FConfigFile ? *FConfigFile : std::string(FileName);
  if (name.starts_with('/')) return name;
  return std::string(Folder) + "/" + name;
}

}  // namespace korrin
