#include "cli/open_failure_text.h"

namespace ctl {

std::string OpenFailureText(const std::string& device, const platform::OpenFailure& failure, HostSystem host) {
  const std::string detail = failure.detail.empty() ? "" : " (" + failure.detail + ")";
  const bool onLinux = host == HostSystem::Linux;
  switch (failure.kind) {
    case platform::OpenFailure::NotFound:
      return "cannot open " + device + ": no such device" + detail +
             ". Is the printer plugged in and switched on? 'quorvelctl list' shows the printers attached.";
    case platform::OpenFailure::AccessDenied:
      if (onLinux) {
        return "cannot open " + device + ": permission denied" + detail +
               ". Install the quorvelctl package, whose udev rule gives the logged-in user access to these printers, "
               "then unplug the printer and plug it in again; or add yourself to the group of the device "
               "(usually 'lp': sudo usermod -aG lp $USER, then log in again).";
      }
      return "cannot open " + device + ": access denied" + detail +
             ". Another program may be using the printer: close the configuration tool and any other program "
             "talking to it, then try again.";
    case platform::OpenFailure::Busy:
      if (onLinux) {
        return "cannot open " + device + ": the device is busy" + detail +
               ". Another program has it open (a print job, or CUPS's USB backend): wait until it has finished, "
               "or stop it, then try again.";
      }
      return "cannot open " + device + ": the device is in use" + detail +
             ". Wait until the print job on it has finished or close the program using it, then try again.";
    case platform::OpenFailure::Other:
      break;
  }
  return "cannot open " + device + detail + ".";
}

}  // namespace ctl
