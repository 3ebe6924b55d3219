#include "print_app/pappl/app.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "cli/usb_printer_source.h"

namespace print_app {
namespace {

std::string SysRoot() {
  const char* value = std::getenv("QUORVEL_SYSFS_ROOT");
  return value && *value ? value : "/sys";
}

int PosixOpen(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  return fd >= 0 ? fd : -errno;
}

}  // namespace

App::App()
    : jobs_([](const std::string& path) { return PosixOpen(path); }, [](int fd) { ::close(fd); }),
      bus_(SysRoot(), ctl::NotOurPrinter, &jobs_) {}

void App::MarkSilent(const std::string& uri) {
  std::lock_guard lock(reportsMutex_);
  silent_.insert(uri);
}

bool App::IsSilent(const std::string& uri) {
  std::lock_guard lock(reportsMutex_);
  return silent_.count(uri) > 0;
}

void App::Owe(const std::string& uri, std::vector<uint8_t> completion) {
  std::lock_guard lock(reportsMutex_);
  owed_[uri] = std::move(completion);
}

std::vector<uint8_t> App::TakeOwed(const std::string& uri) {
  std::lock_guard lock(reportsMutex_);
  const auto found = owed_.find(uri);
  if (found == owed_.end()) return {};
  std::vector<uint8_t> completion = std::move(found->second);
  owed_.erase(found);
  return completion;
}

std::vector<ctl::AttachedPrinter> App::OurPrinters(std::string* failure) {
  return WithBus([&](auto& bus) {
    ctl::UsbPrinterSource source(bus);
    auto printers = source.List();
    if (failure) *failure = source.ListingFailure();
    return printers;
  });
}

void App::Remember(const std::string& uri, PrinterReport report) {
  std::lock_guard lock(reportsMutex_);
  reports_[uri] = std::move(report);
}

PrinterReport App::ReportOf(const std::string& uri) {
  std::lock_guard lock(reportsMutex_);
  const auto found = reports_.find(uri);
  return found == reports_.end() ? PrinterReport{} : found->second;
}

App& TheApp() {
  static App app;
  return app;
}

}  // namespace print_app
