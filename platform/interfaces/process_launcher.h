#pragma once
// Starting another program without waiting for it.
#include <memory>
#include <string_view>

namespace platform {

// The window show states the programs use (the numbers Windows uses).
enum class ShowState : int { Hidden = 0, Normal = 1, Minimized = 2, Maximized = 3 };

// What the system keeps of a started program, for as long as its starter holds it.
class ProcessHandle {
 public:
  virtual ~ProcessHandle() = default;
  virtual bool HasEnded() = 0;  // looks without waiting
};

// The result of a start: empty when the program could not be started. Move-only; releasing it lets go of the
// process handle, not of the process.
class StartedProcess {
 public:
  StartedProcess() = default;
  explicit StartedProcess(std::unique_ptr<ProcessHandle> handle) : handle_(std::move(handle)) {}

  bool Started() const { return handle_ != nullptr; }
  explicit operator bool() const { return Started(); }
  // A program that never started counts as ended.
  bool HasEnded() const { return !handle_ || handle_->HasEnded(); }

 private:
  std::unique_ptr<ProcessHandle> handle_;
};

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Runs the file `program` (a full path) with `commandLine` (UTF-8) as the command line it sees, in the given
  // show state, and returns at once. The full path keeps a file of the same name elsewhere from running instead.
  // `workingFolder` becomes its current folder (empty: the starter's); a program that looks for others by bare
  // name, as cmd does, searches it first.
  virtual StartedProcess Start(std::string_view program, std::string_view commandLine, ShowState show,
                               std::string_view workingFolder = {}) = 0;
};

}  // namespace platform
