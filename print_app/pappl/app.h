#pragma once
// What the printer application's callbacks share: the USB bus, the admin's settings, and what each printer last
// reported. PAPPL calls back from many threads (one per job, one per web client), so each part has its lock.
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "cli/attached_printer.h"
#include "cli/print_job_check.h"
#include "platform/linux/libusb_printer_bus.h"
#include "print_app/settings_page.h"

namespace print_app {

struct AppSettings {
  std::chrono::seconds stallLimit{300};
  std::chrono::milliseconds sensorSettle{15000};
  bool autoAdd = true;
};

class App {
 public:
  App();

  AppSettings settings;

  // The bus is listed and opened under its lock: libusb's device list is not shared between threads.
  template <typename Work>
  auto WithBus(Work work) {
    std::lock_guard lock(busMutex_);
    return work(bus_);
  }

  // Printers that sent no settings back when asked: the sensor step is not tried again for them, so that each job
  // does not wait for an answer that does not come.
  void MarkSilent(const std::string& uri);
  bool IsSilent(const std::string& uri);

  // The bytes that finish a command a stopped job left the printer in, sent before its next job.
  void Owe(const std::string& uri, std::vector<uint8_t> completion);
  std::vector<uint8_t> TakeOwed(const std::string& uri);

  // Our printers on the bus, as quorvelctl lists them; `failure` says why the bus could not be looked at.
  std::vector<ctl::AttachedPrinter> OurPrinters(std::string* failure = nullptr);

  void Remember(const std::string& uri, PrinterReport report);
  PrinterReport ReportOf(const std::string& uri);

 private:
  ctl::NodeOpenGate jobs_;
  linux_platform::LibusbPrinterBus bus_;
  std::mutex busMutex_;
  std::mutex reportsMutex_;
  std::map<std::string, PrinterReport> reports_;
  std::set<std::string> silent_;
  std::map<std::string, std::vector<uint8_t>> owed_;
};

App& TheApp();

}  // namespace print_app
