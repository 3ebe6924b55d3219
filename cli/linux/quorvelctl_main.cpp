// quorvelctl on Linux: printers of the kernel's USB printer driver, found through sysfs.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <thread>

#include "cli/ctl_app.h"
#include "cli/sysfs_printer_source.h"
#include "platform/linux/passthrough_text_codec.h"
#include "platform/linux/posix_printer_devices.h"

namespace {

// Discovery looks at another sysfs tree and device folder when told to, so that it can be tested.
std::string FromEnvironment(const char* name, const char* otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? value : otherwise;
}

}  // namespace

int main(int argc, char** argv) {
  linux_platform::PosixPrinterDevices devices;
  ctl::SysfsPrinterSource source(FromEnvironment("QUORVEL_SYSFS_ROOT", "/sys"),
                                 FromEnvironment("QUORVEL_DEV_ROOT", "/dev"), devices);
  linux_platform::PassThroughTextCodec codec;
  ctl::CtlContext context{source,
                          devices,
                          codec,
                          ctl::HostSystem::Linux,
                          ctl::Io{std::cout, std::cerr, std::cin, ::isatty(STDERR_FILENO) == 1,
                                  ::isatty(STDIN_FILENO) == 1},
                          [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }};
  return ctl::RunCtl(argc, argv, context);
}
