#include "setup/driver_store_step.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "setup/stored_copies.h"

namespace setup {
namespace {

// An INF is text of a few kilobytes; anything far larger is not ours and need not be read whole.
constexpr uint64_t kMaxInfBytes = 4 * 1024 * 1024;
// The record names a copy or two.
constexpr uint64_t kMaxRecordBytes = 64 * 1024;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The store's names are file names, which Windows compares without case.
bool Has(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return Lower(n) == Lower(name); });
}

bool HasState(const std::vector<StoredCopy>& copies, CopyState state) {
  return std::any_of(copies.begin(), copies.end(), [&](const StoredCopy& copy) { return copy.state == state; });
}

std::string Failure(const platform::DriverStoreResult& result) {
  std::string text = result.error.empty() ? "no description" : result.error;
  return text + " (error " + std::to_string(result.errorCode) + ")";
}

class Step {
 public:
  Step(platform::FileSystem& files, platform::DriverStore& store, std::ostream& out, std::ostream& err)
      : files_(files),
        store_(store),
        out_(out),
        err_(err),
        inf_(files.ProgramFolder() + "\\QRX\\QRX.inf"),
        record_(files.ProgramFolder() + "\\" + kStoredCopiesFile) {}

  const std::string& Inf() const { return inf_; }

  // Reads our INF, by whose bytes its copies in the store are known, and the record of this install's copies.
  int Load() {
    const platform::FileContents ours = files_.ReadWholeFile(inf_, kMaxInfBytes);
    if (!ours.ok) {
      err_ << "cannot read " << inf_ << ", so its copies in the driver store cannot be told apart: "
           << (ours.tooLarge ? "the file is too large" : ours.error) << "\n";
      return PackageMissing;
    }
    ours_ = ours.bytes;
    if (!files_.FileExists(record_)) return Done;
    const platform::FileContents record = files_.ReadWholeFile(record_, kMaxRecordBytes);
    if (!record.ok) {
      err_ << "cannot read " << record_ << ", the record of what this install put into the driver store: "
           << (record.tooLarge ? "the file is too large" : record.error) << "\n";
      return RecordFailed;
    }
    record_copies_ = ParseStoredCopies(record.bytes);
    return Done;
  }

  // Adds the package. A copy the store did not hold before is this install's, in `state`; a copy it already held
  // stays this install's only when the record says so.
  int PutIn(CopyState state) {
    const std::vector<std::string> before = Copies();
    const platform::DriverStoreResult added = store_.Add(inf_);
    if (!added.ok) {
      err_ << "the driver store did not take " << inf_ << ": " << Failure(added) << "\n";
      return StoreRefused;
    }
    std::vector<StoredCopy> next;
    for (const StoredCopy& copy : record_copies_) {
      if (copy.state != CopyState::Removed && Has(before, copy.name)) next.push_back({copy.name, CopyState::Kept});
    }
    const std::string& name = added.storedName;
    const bool isNew = !Has(before, name);
    if (isNew) next.push_back({name, state});
    out_ << inf_ << " is in the driver store as " << name
         << (isNew                     ? ", put there now by this install"
             : Has(Names(next), name) ? ", put there earlier by this install"
                                      : ", which was there before this install: removing it leaves that copy")
         << "\n";
    if (!Save(next)) {
      if (isNew) TakeOut(name);  // a copy nobody would remember would stay for good
      return RecordFailed;
    }
    return Done;
  }

  // Takes out this install's copies in the given states; what happens to each is kept in the record as `after`
  // (nothing, when `after` is empty). A copy that no longer holds our INF is no longer ours to take.
  int TakeOutCopies(std::initializer_list<CopyState> states, std::optional<CopyState> after) {
    const std::vector<std::string> present = Copies();
    std::vector<StoredCopy> next;
    int code = Done;
    for (const StoredCopy& copy : record_copies_) {
      if (std::find(states.begin(), states.end(), copy.state) == states.end()) {
        next.push_back(copy);
      } else if (!Has(present, copy.name)) {
        out_ << copy.name << " is no longer a copy of " << inf_ << " in the driver store: left alone\n";
      } else if (TakeOut(copy.name)) {
        if (after) next.push_back({copy.name, *after});
      } else {
        next.push_back(copy);
        code = StoreRefused;
      }
    }
    if (!Save(next) && code == Done) code = RecordFailed;
    return code;
  }

  bool Recorded(CopyState state) const { return HasState(record_copies_, state); }

 private:
  // Every copy in the store's INF folder whose bytes are those of our INF: the store copies an INF unchanged.
  std::vector<std::string> Copies() {
    std::vector<std::string> names;
    for (const std::string& path : files_.ListFiles(store_.InfFolder())) {
      const std::string name = FileName(path);
      if (!IsStoredInfName(name)) continue;
      const platform::FileContents stored = files_.ReadWholeFile(path, kMaxInfBytes);
      if (stored.ok && stored.bytes == ours_) names.push_back(name);
    }
    return names;
  }

  static std::vector<std::string> Names(const std::vector<StoredCopy>& copies) {
    std::vector<std::string> names;
    for (const StoredCopy& copy : copies) names.push_back(copy.name);
    return names;
  }

  bool TakeOut(const std::string& name) {
    const platform::DriverStoreResult result = store_.Remove(name);
    if (!result.ok) {
      err_ << "the driver store kept " << name << ": " << Failure(result) << "\n";
      return false;
    }
    out_ << "removed " << name << " from the driver store\n";
    return true;
  }

  // An empty record goes: a folder with nothing of this install's left in the store holds no record.
  bool Save(const std::vector<StoredCopy>& copies) {
    const platform::FileChange saved =
        copies.empty() ? files_.RemoveFile(record_) : files_.WriteWholeFile(record_, FormatStoredCopies(copies));
    if (!saved.ok) err_ << "cannot write " << record_ << ": " << saved.error << "\n";
    return saved.ok;
  }

  platform::FileSystem& files_;
  platform::DriverStore& store_;
  std::ostream& out_;
  std::ostream& err_;
  const std::string inf_;
  const std::string record_;
  std::vector<uint8_t> ours_;
  std::vector<StoredCopy> record_copies_;
};

}  // namespace

int RunDriverStoreStep(const std::vector<std::string>& arguments, platform::FileSystem& files,
                       platform::DriverStore& store, std::ostream& out, std::ostream& err) {
  static const std::vector<std::string> kCommands = {"add", "remove", "undo-add", "undo-remove"};
  if (arguments.size() != 1 || std::find(kCommands.begin(), kCommands.end(), arguments[0]) == kCommands.end()) {
    err << kUsage;
    return Usage;
  }
  const std::string& command = arguments[0];
  Step step(files, store, out, err);
  if (!files.FileExists(step.Inf())) {
    err << "the driver package is missing: " << step.Inf() << " does not exist\n";
    return PackageMissing;
  }
  if (const int loaded = step.Load(); loaded != Done) return loaded;

  if (command == "add") return step.PutIn(CopyState::Added);
  if (command == "undo-remove") {
    if (!step.Recorded(CopyState::Removed)) {
      out << "removal took no copy of " << step.Inf() << " out of the driver store: nothing to put back\n";
      return Done;
    }
    return step.PutIn(CopyState::Kept);
  }
  if (command == "undo-add") {
    if (!step.Recorded(CopyState::Added)) {
      out << "the last add put no copy of " << step.Inf() << " into the driver store: nothing to take out\n";
      return Done;
    }
    return step.TakeOutCopies({CopyState::Added}, std::nullopt);
  }
  if (!step.Recorded(CopyState::Added) && !step.Recorded(CopyState::Kept)) {
    out << "this install put no copy of " << step.Inf() << " into the driver store: nothing to take out\n";
    return Done;
  }
  // The record stays, saying what went, until the installer deletes it with the helper: a rollback of the
  // removal restores it with the helper, and undo-remove reads it.
  return step.TakeOutCopies({CopyState::Added, CopyState::Kept}, CopyState::Removed);
}

}  // namespace setup
