#include "setup/driver_store_step.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace setup {
namespace {

// An INF is text of a few kilobytes; anything far larger is not ours and need not be read whole.
constexpr uint64_t kMaxInfBytes = 4 * 1024 * 1024;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Windows names the store's copies oem<number>.inf; a store may also keep the package's own name while it is free.
// Either way a copy is an INF in the store's folder, and only a copy of ours has our INF's bytes.
bool IsInfName(const std::string& name) {
  const std::string lower = Lower(name);
  return lower.size() > 4 && lower.ends_with(".inf");
}

std::string Failure(const platform::DriverStoreResult& result) {
  std::string text = result.error.empty() ? "no description" : result.error;
  return text + " (error " + std::to_string(result.errorCode) + ")";
}

int Add(const std::string& inf, platform::DriverStore& store, std::ostream& out, std::ostream& err) {
  const platform::DriverStoreResult added = store.Add(inf);
  if (!added.ok) {
    err << "the driver store did not take " << inf << ": " << Failure(added) << "\n";
    return StoreRefused;
  }
  out << inf << " is in the driver store as " << added.storedName << "\n";
  return Done;
}

// Every copy whose bytes are those of our INF: the store copies an INF unchanged, and an older copy left behind
// by an earlier failure is ours too.
int Remove(const std::string& inf, platform::FileSystem& files, platform::DriverStore& store, std::ostream& out,
           std::ostream& err) {
  const platform::FileContents ours = files.ReadWholeFile(inf, kMaxInfBytes);
  if (!ours.ok) {
    err << "cannot read " << inf << ", so its copies in the driver store cannot be told apart: "
        << (ours.tooLarge ? "the file is too large" : ours.error) << "\n";
    return PackageMissing;
  }
  const std::string folder = store.InfFolder();
  int code = Done;
  int removed = 0;
  for (const std::string& path : files.ListFiles(folder)) {
    const std::string name = FileName(path);
    if (!IsInfName(name)) continue;
    const platform::FileContents stored = files.ReadWholeFile(path, kMaxInfBytes);
    if (!stored.ok || stored.bytes != ours.bytes) continue;
    const platform::DriverStoreResult result = store.Remove(name);
    if (result.ok) {
      out << "removed " << name << " from the driver store\n";
      ++removed;
    } else {
      err << "the driver store kept " << name << ": " << Failure(result) << "\n";
      code = StoreRefused;
    }
  }
  if (removed == 0 && code == Done) out << "the driver store holds no copy of " << inf << "\n";
  return code;
}

}  // namespace

int RunDriverStoreStep(const std::vector<std::string>& arguments, platform::FileSystem& files,
                       platform::DriverStore& store, std::ostream& out, std::ostream& err) {
  if (arguments.size() != 1 || (arguments[0] != "add" && arguments[0] != "remove")) {
    err << kUsage;
    return Usage;
  }
  const std::string inf = files.ProgramFolder() + "\\QRX\\QRX.inf";
  if (!files.FileExists(inf)) {
    err << "the driver package is missing: " << inf << " does not exist\n";
    return PackageMissing;
  }
  return arguments[0] == "add" ? Add(inf, store, out, err) : Remove(inf, files, store, out, err);
}

}  // namespace setup
