#pragma once
// The two ways to a printer: our USB printers through the same libusb layer and rules as quorvelctl
// (quorvel-usb://), and printers behind a print server's raw port (socket://). No other scheme exists in this
// program: registering ours first keeps PAPPL from adding its own (file, DNS-SD and SNMP among them).
#include <pappl/pappl.h>

#include <memory>
#include <string>

#include "config_tool/raster/cut_command.h"
#include "platform/interfaces/printer_device.h"

namespace print_app {

struct PageWork;

// What an open device holds: the connection (claimed for as long as it is open), and the job it prints, for the
// job's messages while the printer holds off.
struct OpenPrinter {
  std::unique_ptr<platform::PrinterConnection> connection;
  std::string uri;
  pappl_job_t* job = nullptr;
  std::shared_ptr<PageWork> page;  // the page being encoded, owned here so that an aborted job frees it
  quorvel::CommandStream commands;  // where the printer stands in a raster job's commands
  bool failed = false;              // a write of this job failed: the rest of it goes nowhere
  bool raw = false;                 // the job's bytes are the sender's own: their commands are not followed
};

void RegisterDeviceSchemes();

OpenPrinter* OpenPrinterOf(pappl_device_t* device);

}  // namespace print_app
