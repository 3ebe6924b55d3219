#pragma once
// The installer window against fakes, with a fake clock that delivers the window timers' ticks in time order.
#include <array>
#include <cstdint>
#include <string>

#include "driver_installer/installer_window.h"
#include "driver_installer/port_resolution.h"
#include "platform/fakes/fake_controls.h"
#include "platform/fakes/fake_registry.h"
#include "platform/fakes/fake_services.h"

namespace test_support {

struct FakeClock {
  uint64_t now = 0;  // milliseconds since the window loaded
};

// A window timer whose next tick is due one interval after it was last set, like SetTimer.
class ClockedTimer : public fakes::FakeTimer {
 public:
  explicit ClockedTimer(FakeClock& clock) : clock_(clock) {}
  void SetInterval(uint32_t milliseconds) override {
    FakeTimer::SetInterval(milliseconds);
    due = clock_.now + Interval();
  }
  void SetEnabled(bool enabled) override {
    FakeTimer::SetEnabled(enabled);
    due = clock_.now + Interval();
  }
  uint64_t due = 0;
  int ticks = 0;

 private:
  FakeClock& clock_;
};

// Records what the window looked like when the message box came up.
class WatchingDialogs : public fakes::FakeDialogs {
 public:
  explicit WatchingDialogs(const fakes::FakeWindow& window) : window_(window) {}
  void ShowMessage(std::string_view text, std::string_view title) override {
    windowClosedBeforeMessage = window_.closed;
    FakeDialogs::ShowMessage(text, title);
  }
  bool windowClosedBeforeMessage = false;

 private:
  const fakes::FakeWindow& window_;
};

inline std::string InterfaceKeyOf(std::string_view instance) {
  std::string key = "##?#" + std::string(instance) + "#" + std::string(omblet::kUsbPrinterClass);
  for (char& c : key) {
    if (c == '\\') c = '#';
  }
  return key;
}

inline std::string PortNumberKeyOf(std::string_view interfaceKey) {
  return std::string(omblet::kDeviceClassesKey) + std::string(omblet::kUsbPrinterClass) + "\\" +
         std::string(interfaceKey) + "\\#\\Device Parameters";
}

// What WMI reports as "Dependent" for a USB device instance.
inline std::string DependentOf(std::string_view instance) {
  std::string doubled;
  for (char c : instance) doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return "\\\\PC01\\root\\cimv2:Win32_PnPEntity.DeviceID=\"" + doubled + "\"";
}

struct InstallerFixture {
  InstallerFixture() {
    fileSystem.programFolder = "C:\\Program Files\\Omblet";
    fileSystem.files["C:\\Program Files\\Omblet\\QRX\\QRX.inf"] = {};
  }

  // The usbprint Enum value and the interface key with its Port Number, as Windows leaves them.
  void RegisterPrinter(std::string_view instance, std::string_view enumIndex, uint32_t portNumber) {
    registry.SetString(omblet::kUsbprintEnumKey, enumIndex, instance);
    registry.SetDword(PortNumberKeyOf(InterfaceKeyOf(instance)), "Port Number", portNumber);
  }

  // Delivers every tick due up to `time`, in time order (the first timer wins a tie), each handler to its end.
  void RunUntil(uint64_t time) {
    for (;;) {
      ClockedTimer* next = nullptr;
      for (ClockedTimer* timer : {&timerDelay, &timerUSBCheck, &timerEnd}) {
        if (timer->Running() && timer->due <= time && (!next || timer->due < next->due)) next = timer;
      }
      if (!next || window.closed) break;
      clock.now = next->due;
      uint64_t dueBefore = next->due;
      ++next->ticks;
      if (next == &timerDelay) installer.OnTimerDelayTick();
      if (next == &timerUSBCheck) installer.OnTimerUSBCheckTick();
      if (next == &timerEnd) installer.OnTimerEndTick();
      if (next->due == dueBefore) next->due = clock.now + next->Interval();  // not set again: periodic
    }
    clock.now = std::max(clock.now, time);
  }

  // Runs until `done` holds or the time limit passes; returns the time it held.
  template <typename Condition>
  uint64_t RunUntilTrue(Condition done, uint64_t limit = 600000) {
    while (!done() && clock.now < limit) RunUntil(clock.now + 1);
    return clock.now;
  }

  std::string Line(int index) const { return lines[static_cast<size_t>(index)].Text(); }

  FakeClock clock;
  fakes::FakeWindow window;
  fakes::FakeLabel label2;
  fakes::FakeLabel stopButton;
  std::array<fakes::FakeLabel, omblet::kStatusLineCount> lines;
  omblet::StatusLines lineRefs = [this] {
    omblet::StatusLines refs{};
    for (size_t i = 0; i < refs.size(); ++i) refs[i] = &lines[i];
    return refs;
  }();
  ClockedTimer timerDelay{clock}, timerUSBCheck{clock}, timerEnd{clock};

  fakes::FakeWmi wmi;
  fakes::FakeRegistry registry;
  fakes::FakeProcessLauncher launcher;
  fakes::FakeSpooler spooler;
  WatchingDialogs dialogs{window};
  fakes::FakeFileSystem fileSystem;

  omblet::InstallerWindow installer{{window, label2, lineRefs, timerDelay, timerUSBCheck, timerEnd, stopButton},
                                    {wmi, registry, launcher, spooler, dialogs, fileSystem}};
};

}  // namespace test_support
