#pragma once
// What the installer package's helper does when the product is installed or removed: put the driver package that
// lies beside it (QRX\QRX.inf) into the system's driver store, remembering whether the store's copy is this
// install's, and on removal take out only the copies that are. A copy an administrator put there stays.
#include <ostream>
#include <string>
#include <vector>

#include "platform/interfaces/driver_store.h"
#include "platform/interfaces/file_system.h"

namespace setup {

// Exit codes; Windows Installer fails the install (and rolls it back) on any but Done.
enum StepExit : int {
  Done = 0,
  Usage = 1,            // no or an unknown command
  PackageMissing = 2,   // QRX\QRX.inf is not beside the helper, or cannot be read
  StoreRefused = 3,     // the driver store did not take the package, or did not give a copy back
  RecordFailed = 4,     // the record of this install's copies (kStoredCopiesFile) cannot be read or written
};

inline constexpr const char* kUsage =
    "usage: QRXStore add          puts the driver package in QRX\\ beside this program into the driver store\n"
    "       QRXStore remove       takes out the copies of it that add put there, and no others\n"
    "       QRXStore undo-add     takes out only the copy that the last add put there\n"
    "       QRXStore undo-remove  puts back what remove took out\n";

// `arguments` without the program name. Reports each step on `out`, failures on `err`.
int RunDriverStoreStep(const std::vector<std::string>& arguments, platform::FileSystem& files,
                       platform::DriverStore& store, std::ostream& out, std::ostream& err);

}  // namespace setup
