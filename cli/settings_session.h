#pragma once
// `set` and `apply` on one printer: read its settings, change the named ones, write the batch the main window's
// Set would write for them, wait while the printer applies it, read back and compare.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "cli/attached_printer.h"
#include "cli/exit_codes.h"
#include "cli/open_failure_text.h"
#include "cli/setting_values.h"
#include "platform/interfaces/printer_device.h"

namespace ctl {

using Pause = std::function<void(std::chrono::milliseconds)>;

// Whether the command has been asked to stop (a signal came); empty: never.
using StopCheck = std::function<bool()>;

// How often a wait while holding a printer looks whether it should end (a signal, an unplug).
inline constexpr std::chrono::milliseconds kHoldCheck{100};

struct SetRequest {
  SettingsChange change;
  std::chrono::milliseconds timeout{2000};  // for each read
  std::chrono::milliseconds settle{15000};  // between the write and the read-back, as the main window waits
  std::chrono::milliseconds wait{0};        // how long to wait for a printer another program holds
  bool verify = true;
  bool dryRun = false;
  std::string profileModel;  // apply: the model the profile was saved from; another model is refused
  bool force = false;        // apply it to another model all the same
  StopCheck stopped;         // a signal ends the work at the next step, with the printer given back
};

// How one printer's set or apply ended, in the terms a script's retry depends on.
enum class SetEnd {
  Done,
  Busy,             // another program holds the printer: a retry later may go through
  NoPrinter,        // nothing at that device path
  NotAPrinter,      // the path is not one of our printers' devices
  OtherModel,       // the profile was saved from another model
  NoAnswer,         // the printer took the command but sent no frame back in time
  Unplugged,        // the device went away during the command
  WriteFailed,      // a command or the batch could not be written
  ReadBackDiffers,  // written, but the read-back shows other settings
  Stopped,          // a signal stopped it; the message says what was done
  DeviceFailed,     // the device reported another error
};

// The name of `end` in JSON: "done", "busy", "no_printer", "not_a_printer", "other_model", "no_answer",
// "unplugged", "write_failed", "readback_differs", "stopped", "device_failed".
const char* SetEndName(SetEnd end);

struct SetOutcome {
  std::string device;
  ExitCode code = kDone;
  SetEnd end = SetEnd::Done;
  bool written = false;                  // the batch went to the printer, whole or in part
  std::string result;                    // one line: what happened
  std::string batch;                     // the lines written (or that would be), when it got that far
  std::vector<std::string> differences;  // settings that read back different
};

SetOutcome SetPrinterSettings(platform::PrinterDevices& devices, const std::string& device, const SetRequest& request,
                              const Pause& pause, HostSystem host);

// How often a printer that another program holds is looked at again while we wait for it.
inline constexpr std::chrono::milliseconds kBusyRetry{100};

// Opens `device`, waiting up to `wait` while another program holds it; or says why not: kNoSuchPrinter for a
// device that is not there, kUsage for a path that is no printer's device, kStopped for a signal during the wait,
// kDeviceFailed otherwise.
struct Opened {
  std::unique_ptr<platform::PrinterConnection> connection;
  ExitCode code = kDone;
  std::string error;
  platform::OpenFailure::Kind failure = platform::OpenFailure::Other;
};
Opened OpenPrinter(platform::PrinterDevices& devices, const std::string& device, HostSystem host,
                   std::chrono::milliseconds wait = {}, const Pause& pause = {}, const StopCheck& stopped = {});

// Waits `time` while holding `connection`'s printer, in steps of kHoldCheck; a signal or an unplug ends the wait
// early.
enum class HoldEnd { Waited, Stopped, Unplugged };
HoldEnd HoldFor(platform::PrinterConnection& connection, std::chrono::milliseconds time, const Pause& pause,
                const StopCheck& stopped);

}  // namespace ctl
