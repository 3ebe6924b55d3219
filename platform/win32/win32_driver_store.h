#pragma once
// The driver store through setupapi, which is loaded from the system folder when first needed.
#include <windows.h>

#include "platform/interfaces/driver_store.h"
#include "platform/win32/unique_handles.h"

namespace win32 {

class Win32DriverStore : public platform::DriverStore {
 public:
  std::string InfFolder() override;
  platform::DriverStoreResult Add(std::string_view infPath) override;
  platform::DriverStoreResult Remove(std::string_view storedName) override;

 private:
  FARPROC Function(const char* name, platform::DriverStoreResult& failure);

  UniqueModule setupapi_;
};

}  // namespace win32
