#pragma once
// A printer behind a print server's raw port (AppSocket, socket://host:9100): the same connection the USB printers
// give, over one TCP stream.
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "platform/interfaces/printer_device.h"

namespace linux_platform {

// `host` and `port` as the URI names them; nullptr with `failure` filled when no connection could be made within
// `connectLimit`.
std::unique_ptr<platform::PrinterConnection> ConnectSocketPrinter(const std::string& host, const std::string& port,
                                                                  std::chrono::milliseconds connectLimit,
                                                                  platform::OpenFailure& failure);

}  // namespace linux_platform
