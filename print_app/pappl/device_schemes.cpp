#include "print_app/pappl/device_schemes.h"

#include <cstring>

#include "cli/attached_printer.h"
#include "platform/linux/socket_connection.h"
#include "print_app/job_writer.h"
#include "print_app/pappl/app.h"
#include "print_app/usb_printer_uri.h"

namespace print_app {
namespace {

constexpr std::chrono::milliseconds kSocketConnectLimit{10000};
// A read waits this long at most: the callers (settings reads) bound their own waits above it.
constexpr std::chrono::milliseconds kReadWait{1000};

bool ListUsb(pappl_device_cb_t cb, void* data, pappl_deverror_cb_t errorCb, void* errorData) {
  std::string failure;
  const auto printers = TheApp().OurPrinters(&failure);
  if (!failure.empty() && errorCb) errorCb(("Cannot look at the USB bus: " + failure).c_str(), errorData);
  for (const ctl::AttachedPrinter& printer : printers) {
    const std::string info = "Quorvel " + (printer.model.empty() ? std::string("thermal printer") : printer.model) +
                             (printer.serial.empty() ? " at USB " + printer.location : " (" + printer.serial + ")");
    if (cb(info.c_str(), UsbPrinterUri(printer).c_str(), DeviceIdOf(printer.model).c_str(), data)) return true;
  }
  return false;
}

bool Keep(pappl_device_t* device, std::unique_ptr<platform::PrinterConnection> connection, const char* uri) {
  auto* printer = new OpenPrinter;
  printer->connection = std::move(connection);
  printer->uri = uri;
  papplDeviceSetData(device, printer);
  return true;
}

bool OpenUsb(pappl_device_t* device, const char* uri, const char* /*name*/) {
  App& app = TheApp();
  platform::OpenFailure failure;
  std::unique_ptr<platform::PrinterConnection> connection;
  const auto found = FindUsbPrinter(app.OurPrinters(), uri);
  if (found) connection = app.WithBus([&](auto& bus) { return bus.Open(found->device, failure); });
  const bool plugged = found.has_value();
  if (!plugged) {
    papplDeviceError(device, "The printer %s is not plugged in; the job waits for it.", uri);
    return false;
  }
  if (!connection) {
    if (failure.kind == platform::OpenFailure::Busy) {
      // quorvelctl or another job holds it: wait for it to let go rather than take it from under them.
      papplDeviceError(device, "The printer is in use by another program (%s); the job waits for it.",
                       failure.detail.c_str());
    } else {
      papplDeviceError(device, "Cannot open the printer %s: %s", uri, failure.detail.c_str());
    }
    return false;
  }
  return Keep(device, std::move(connection), uri);
}

bool OpenSocket(pappl_device_t* device, const char* uri, const char* /*name*/) {
  char scheme[32], userpass[256], host[256], resource[256];
  int port = 0;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri, scheme, sizeof scheme, userpass, sizeof userpass, host, sizeof host,
                      &port, resource, sizeof resource) < HTTP_URI_STATUS_OK ||
      !host[0]) {
    papplDeviceError(device, "Bad printer address %s: write socket://HOST or socket://HOST:PORT.", uri);
    return false;
  }
  platform::OpenFailure failure;
  auto connection = linux_platform::ConnectSocketPrinter(host, std::to_string(port > 0 ? port : 9100),
                                                         kSocketConnectLimit, failure);
  if (!connection) {
    papplDeviceError(device, "Cannot reach the printer at %s: %s; the job waits for it.", uri,
                     failure.detail.c_str());
    return false;
  }
  return Keep(device, std::move(connection), uri);
}

void Close(pappl_device_t* device) {
  delete OpenPrinterOf(device);
  papplDeviceSetData(device, nullptr);
}

ssize_t Read(pappl_device_t* device, void* buffer, size_t bytes) {
  OpenPrinter* printer = OpenPrinterOf(device);
  if (!printer) return -1;
  const platform::ReadResult read = printer->connection->Read(bytes, kReadWait);
  if (read.failed) return -1;
  std::memcpy(buffer, read.bytes.data(), read.bytes.size());
  return static_cast<ssize_t>(read.bytes.size());
}

ssize_t Write(pappl_device_t* device, const void* buffer, size_t bytes) {
  OpenPrinter* open = OpenPrinterOf(device);
  if (!open || open->failed) return -1;
  pappl_job_t* job = open->job;
  pappl_printer_t* printer = job ? papplJobGetPrinter(job) : nullptr;
  StallReport report;
  report.stalled = [&](std::chrono::seconds stalledFor) {
    if (!job) return;
    const std::string text = StallText(stalledFor);
    papplPrinterSetReasons(printer, PAPPL_PREASON_OFFLINE, PAPPL_PREASON_NONE);
    papplJobSetMessage(job, "Waiting: %s.", text.c_str());
    papplLogJob(job, PAPPL_LOGLEVEL_WARN, "%s", text.c_str());
  };
  report.resumed = [&] {
    if (!job) return;
    papplPrinterSetReasons(printer, PAPPL_PREASON_NONE, PAPPL_PREASON_OFFLINE);
    papplJobSetMessage(job, "Printing.");
  };
  report.canceled = [&] { return job && papplJobIsCanceled(job); };
  const JobWrite written = WriteJobBytes(*open->connection,
                                         {static_cast<const uint8_t*>(buffer), bytes},
                                         TheApp().settings.stallLimit, report);
  if (!open->raw) open->commands.Took({static_cast<const uint8_t*>(buffer), written.taken});
  if (written.complete) {
    // The printer takes data: whatever held it off before (this job's or an earlier one's) is over.
    if (printer && (papplPrinterGetReasons(printer) & PAPPL_PREASON_OFFLINE)) {
      papplPrinterSetReasons(printer, PAPPL_PREASON_NONE, PAPPL_PREASON_OFFLINE);
    }
    return static_cast<ssize_t>(bytes);
  }
  open->failed = true;
  if (const auto completion = open->commands.Completion();
      !open->raw && !completion.empty() && !open->connection->Unplugged()) {
    TheApp().Owe(open->uri, completion);
  }
  if (job) {
    papplJobSetMessage(job, "Stopped: %s.", written.problem.c_str());
    if (open->connection->Unplugged()) papplPrinterSetReasons(printer, PAPPL_PREASON_OFFLINE, PAPPL_PREASON_NONE);
  }
  papplDeviceError(device, "%s (%zu of %zu bytes taken)", written.problem.c_str(), written.taken, bytes);
  return -1;
}

pappl_preason_t Status(pappl_device_t* /*device*/) {
  // The printers' command set has no status query: what is known (a printer taking no data) is set on the
  // printer as it happens.
  return PAPPL_PREASON_NONE;
}

}  // namespace

OpenPrinter* OpenPrinterOf(pappl_device_t* device) { return static_cast<OpenPrinter*>(papplDeviceGetData(device)); }

void RegisterDeviceSchemes() {
  papplDeviceAddScheme(std::string(kUsbScheme).c_str(), PAPPL_DEVTYPE_CUSTOM_LOCAL, ListUsb, OpenUsb, Close, Read,
                       Write, Status, nullptr);
  papplDeviceAddScheme("socket", PAPPL_DEVTYPE_SOCKET, nullptr, OpenSocket, Close, Read, Write, Status, nullptr);
}

}  // namespace print_app
