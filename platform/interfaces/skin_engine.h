#pragma once
// The skin engine that dresses windows. Its own results are never examined.
#include <string_view>

namespace platform {

class SkinEngine {
 public:
  virtual ~SkinEngine() = default;
  virtual void Attach() = 0;
  // False when `skinFile` cannot be handed to the engine in a form it can open (the engine takes ANSI paths).
  virtual bool AttachEx(std::string_view skinFile, std::string_view password) = 0;
  virtual void SetAero(int on) = 0;
};

}  // namespace platform
