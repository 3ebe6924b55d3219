#include "cli/open_failure_text.h"

namespace ctl {

namespace {

// "2 s", "0.3 s": as the user gave it to --wait.
std::string Seconds(std::chrono::milliseconds time) {
  std::string text = std::to_string(time.count() / 1000);
  if (const long long rest = time.count() % 1000; rest != 0) {
    std::string fraction = std::to_string(1000 + rest).substr(1);
    while (fraction.back() == '0') fraction.pop_back();
    text += "." + fraction;
  }
  return text + " s";
}

}  // namespace

std::string OpenFailureText(const std::string& device, const platform::OpenFailure& failure, HostSystem host,
                            std::chrono::milliseconds waited) {
  const std::string detail = failure.detail.empty() ? "" : " (" + failure.detail + ")";
  const bool onLinux = host == HostSystem::Linux;
  switch (failure.kind) {
    case platform::OpenFailure::NotFound:
      return "cannot open " + device + ": no such device" + detail +
             ". Is the printer plugged in and switched on? 'quorvelctl list' shows the printers attached.";
    case platform::OpenFailure::AccessDenied:
      if (onLinux) {
        return "cannot open " + device + ": permission denied" + detail + ". The udev rule " + std::string(kUdevRule) +
               " (in the quorvelctl package) gives access to the person at the machine's seat and to the group "
               "'lp'. From a service, cron or SSH, run as a member of 'lp' (sudo usermod -aG lp USER, then log in "
               "again); if the rule is missing, reinstall the package, then unplug the printer and plug it in again.";
      }
      return "cannot open " + device + ": access denied" + detail +
             ". Another program may be using the printer: close the configuration tool and any other program "
             "talking to it, then try again.";
    case platform::OpenFailure::Busy:
      if (onLinux) {
        const std::string held = "the printer " + device + " is busy" + detail +
                                 ": another program holds it (a print job, or another quorvelctl run). Nothing was "
                                 "sent. ";
        if (waited.count() > 0) {
          return held + "It was still busy after waiting " + Seconds(waited) +
                 ". Try again when it has finished, or wait longer with --wait.";
        }
        return held + "Try again when it has finished, or give --wait SECONDS to wait for it.";
      }
      return "cannot open " + device + ": the device is in use" + detail +
             ". Wait until the print job on it has finished or close the program using it, then try again.";
    case platform::OpenFailure::NotADevice:
      return "will not open " + device + ": it is not a USB printer of vendor 1A86" + detail +
             "; nothing was sent to it.";
    case platform::OpenFailure::Other:
      break;
  }
  return "cannot open " + device + detail + ".";
}

}  // namespace ctl
