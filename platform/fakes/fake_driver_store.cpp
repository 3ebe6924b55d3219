#include "platform/fakes/fake_driver_store.h"

#include <algorithm>

namespace fakes {

platform::DriverStoreResult FakeDriverStore::Add(std::string_view infPath) {
  added.emplace_back(infPath);
  platform::DriverStoreResult result;
  const auto source = files_.files.find(std::string(infPath));
  if (refuseAdd || source == files_.files.end()) {
    result.errorCode = refuseAdd ? 0xE0000247u : 2u;
    result.error = refuseAdd ? "The third-party INF does not contain digital signature information." : "not found";
    return result;
  }
  // An identical copy already there is named again rather than copied a second time.
  for (const auto& [path, bytes] : files_.files) {
    if (path.starts_with(infFolder + "\\oem") && bytes == source->second) {
      result.ok = true;
      result.storedName = path.substr(infFolder.size() + 1);
      return result;
    }
  }
  int number = 0;
  while (files_.files.contains(infFolder + "\\oem" + std::to_string(number) + ".inf")) ++number;
  result.storedName = "oem" + std::to_string(number) + ".inf";
  files_.files[infFolder + "\\" + result.storedName] = source->second;
  result.ok = true;
  return result;
}

platform::DriverStoreResult FakeDriverStore::Remove(std::string_view storedName) {
  removed.emplace_back(storedName);
  platform::DriverStoreResult result;
  const std::string path = infFolder + "\\" + std::string(storedName);
  if (std::find(keepOnRemove.begin(), keepOnRemove.end(), storedName) != keepOnRemove.end()) {
    result.errorCode = 0xE0000235u;
    result.error = "The driver is in use by a device.";
    return result;
  }
  if (files_.files.erase(path) == 0) {
    result.errorCode = 2;
    result.error = "not found";
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace fakes
