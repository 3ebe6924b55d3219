#pragma once
// WMI through COM: IWbemLocator on root\cimv2. The thread must be in a COM apartment (ComApartment).
#include "platform/interfaces/wmi.h"

namespace win32 {

class Win32Wmi : public platform::Wmi {
 public:
  std::optional<std::vector<std::string>> QueryProperty(std::string_view query, std::string_view property) override;
};

}  // namespace win32
