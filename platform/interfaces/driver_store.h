#pragma once
// The system's store of driver packages, from which Windows installs a printer's driver when it is plugged in.
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

struct DriverStoreResult {
  bool ok = false;
  std::string storedName;  // Add: the name the store gave its copy of the INF, e.g. "oem7.inf"
  uint32_t errorCode = 0;  // the system's error code when !ok
  std::string error;       // the system's description of the failure when !ok
};

class DriverStore {
 public:
  virtual ~DriverStore() = default;

  // Folder of the store's copies of INF files (%windir%\INF), without a trailing backslash.
  virtual std::string InfFolder() = 0;

  // Adds the package whose INF is `infPath` (the catalog and files it names lie beside it). Adding a package that
  // is already there succeeds and names the existing copy.
  virtual DriverStoreResult Add(std::string_view infPath) = 0;

  // Removes the package whose copy in InfFolder() is `storedName` ("oem7.inf"), also when a device was installed
  // from it.
  virtual DriverStoreResult Remove(std::string_view storedName) = 0;
};

}  // namespace platform
