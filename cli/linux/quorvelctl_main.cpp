// quorvelctl on Linux: the printers of vendor 1A86 on the USB bus, reached through libusb.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <cstdlib>
#include <iostream>
#include <thread>

#include "cli/ctl_app.h"
#include "cli/linux/signal_shield.h"
#include "cli/print_job_check.h"
#include "cli/usb_printer_source.h"
#include "platform/linux/libusb_printer_bus.h"
#include "platform/linux/passthrough_text_codec.h"

namespace {

// Serial numbers and the printer driver's nodes are looked up in another sysfs tree when told to, for tests.
std::string FromEnvironment(const char* name, const char* otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? value : otherwise;
}

// The kernel's printer driver lets one program at a time open its node; the open itself sends nothing.
int PosixOpen(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  return fd >= 0 ? fd : -errno;
}

}  // namespace

int main(int argc, char** argv) {
  ctl::NodeOpenGate jobs([](const std::string& path) { return PosixOpen(path); }, [](int fd) { ::close(fd); });
  linux_platform::LibusbPrinterBus bus(FromEnvironment("QUORVEL_SYSFS_ROOT", "/sys"), ctl::NotOurPrinter, &jobs);
  ctl::UsbPrinterSource source(bus);
  linux_platform::PassThroughTextCodec codec;
  quorvelctl_linux::PosixSignalShield shield;
  ctl::CtlContext context{source,
                          bus,
                          codec,
                          ctl::HostSystem::Linux,
                          ctl::Io{std::cout, std::cerr, std::cin, ::isatty(STDERR_FILENO) == 1,
                                  ::isatty(STDIN_FILENO) == 1},
                          [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); },
                          &shield};
  return ctl::RunCtl(argc, argv, context);
}
