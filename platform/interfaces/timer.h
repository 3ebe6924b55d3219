#pragma once
// A window timer. Its ticks arrive on the window's thread, never while another handler runs.
// Like the timers the windows were designed with: it runs only while enabled with an interval above 0.
#include <cstdint>

namespace platform {

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetInterval(uint32_t milliseconds) = 0;
  virtual uint32_t Interval() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
};

}  // namespace platform
