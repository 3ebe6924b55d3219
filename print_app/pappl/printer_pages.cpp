#include "print_app/pappl/printer_pages.h"

#include <ctime>
#include <string>

#include "print_app/pappl/app.h"
#include "print_app/pappl/device_schemes.h"

namespace print_app {
namespace {

constexpr std::chrono::milliseconds kReadLimit{2000};
constexpr const char* kLabel = "Model and settings";

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

// Reads the printer's settings when nothing else uses it; while a job prints, the page shows the last read.
PrinterReport CurrentReport(pappl_printer_t* printer) {
  const std::string uri = papplPrinterGetDeviceURI(printer);
  PrinterReport report = TheApp().ReportOf(uri);
  pappl_device_t* device = papplPrinterOpenDevice(printer);
  if (!device) {
    if (report.problem.empty()) report.problem = "the printer is busy or not reachable now";
    return report;
  }
  if (OpenPrinter* open = OpenPrinterOf(device)) {
    const ctl::FrameRead read = ctl::ReadParameterFrame(*open->connection, kReadLimit);
    if (read.frame) {
      report.frame = read.frame;
      report.readAt = Now();
      report.problem.clear();
    } else {
      report.problem = ctl::FrameReadProblem(read, papplPrinterGetName(printer), kReadLimit);
    }
  }
  papplPrinterCloseDevice(printer);
  TheApp().Remember(uri, report);
  return report;
}

bool ServeSettingsPage(pappl_client_t* client, void* data) {
  auto* printer = static_cast<pappl_printer_t*>(data);
  // The printer header sends the HTTP response's own header first: a second one would garble the page.
  papplClientHTMLPrinterHeader(client, printer, kLabel, 0, nullptr, nullptr);
  papplClientHTMLPuts(client, SettingsPageBody(CurrentReport(printer)).c_str());
  papplClientHTMLPrinterFooter(client);
  return true;
}

}  // namespace

void AddPrinterPages(pappl_printer_t* printer, void* /*data*/) {
  char path[1024];
  papplPrinterGetPath(printer, "settings", path, sizeof path);
  papplSystemAddResourceCallback(papplPrinterGetSystem(printer), path, "text/html", ServeSettingsPage, printer);
  papplPrinterAddLink(printer, kLabel, path, PAPPL_LOPTIONS_NAVIGATION | PAPPL_LOPTIONS_STATUS);
}

}  // namespace print_app
