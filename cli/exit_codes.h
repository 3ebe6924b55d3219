#pragma once
// What quorvelctl's exit status tells a script. The numbers are documented in the man page and the README.
namespace ctl {

enum ExitCode : int {
  kDone = 0,
  kUsage = 1,            // a bad command line or value; nothing was sent
  kNoSuchPrinter = 2,    // no printer attached, or none matches -p / --device
  kDeviceFailed = 3,     // the printer did not answer, or its device could not be opened, written or read
  kReadBackDiffers = 4,  // settings were written but read back different
  kBadFile = 5,          // a file or profile that cannot be read or is not valid
  kStopped = 6,          // a signal (Ctrl-C, SIGTERM, SIGHUP) ended the command early; the printer was given back
};

}  // namespace ctl
