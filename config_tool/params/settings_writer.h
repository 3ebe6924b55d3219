#pragma once
// The Set button: the chosen settings as four command lines, written to the printer in one write, as background
// work; what follows depends on how the write ended.
#include <functional>

#include "config_tool/link/device_channel.h"
#include "config_tool/link/printer_discovery.h"
#include "config_tool/link/wait_notice.h"
#include "config_tool/main_window_context.h"
#include "config_tool/params/command_set.h"
#include "config_tool/shared_state.h"

namespace quorvel {

// The settings as the main window's controls show them now.
PrinterSettings SettingsFromControls(const MainWindowControls& controls);

class SettingsWriter {
 public:
  SettingsWriter(const MainWindowControls& controls, MainWindowFields& fields, ProcessState& process,
                 PrinterDiscovery& discovery, DeviceChannel& channel, MainWindowHost& host,
                 std::function<void()> reloadWindow)
      : controls_(controls), fields_(fields), process_(process), discovery_(discovery), channel_(channel),
        host_(host), reloadWindow_(std::move(reloadWindow)), waitNotice_(controls.richTextBox1, process) {}

  void Set();

 private:
  void OnBatchWritten(WriteResult written);
  void Report(std::string_view chinese, std::string_view english);

  const MainWindowControls& controls_;
  MainWindowFields& fields_;
  ProcessState& process_;
  PrinterDiscovery& discovery_;
  DeviceChannel& channel_;
  MainWindowHost& host_;
  std::function<void()> reloadWindow_;
  WaitNotice waitNotice_;
  PrinterSettings writing_;  // the settings of the Set under way
};

}  // namespace quorvel
