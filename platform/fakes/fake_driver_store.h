#pragma once
// A driver store over a fake file system: adding copies the INF into its INF folder as oem<N>.inf, as the system
// does; removing deletes the copy.
#include <string>
#include <vector>

#include "platform/fakes/fake_services.h"
#include "platform/interfaces/driver_store.h"

namespace fakes {

class FakeDriverStore : public platform::DriverStore {
 public:
  explicit FakeDriverStore(FakeFileSystem& files) : files_(files) {}

  std::string infFolder = "C:\\Windows\\INF";
  bool refuseAdd = false;                  // Add fails as for a package the store does not accept
  std::vector<std::string> keepOnRemove;   // copies the store will not let go of: Remove fails for them
  std::vector<std::string> added;          // INF paths given to Add
  std::vector<std::string> removed;        // stored names given to Remove, whether or not they went

  std::string InfFolder() override { return infFolder; }
  platform::DriverStoreResult Add(std::string_view infPath) override;
  platform::DriverStoreResult Remove(std::string_view storedName) override;

 private:
  FakeFileSystem& files_;
};

}  // namespace fakes
