#pragma once
// The skin engine that dresses windows. Its results are never examined, so the calls return nothing.
#include <string_view>

namespace platform {

class SkinEngine {
 public:
  virtual ~SkinEngine() = default;
  virtual void Attach() = 0;
  virtual void AttachEx(std::string_view skinFile, std::string_view password) = 0;
  virtual void SetAero(int on) = 0;
};

}  // namespace platform
