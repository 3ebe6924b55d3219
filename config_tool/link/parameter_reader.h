#pragma once
// The read command and its timers: "RETURN VALUE" out, one second later the frame in and decoded. The write
// and the collection run as background work; their ends come back as events.
#include "config_tool/link/device_channel.h"
#include "config_tool/link/printer_discovery.h"
#include "config_tool/link/wait_notice.h"
#include "config_tool/main_window_context.h"
#include "config_tool/params/reply_decoder.h"
#include "config_tool/shared_state.h"

namespace quorvel {

inline constexpr int kFrameChecks = 1001;
inline constexpr uint32_t kReplyDelayMs = 1000;
inline constexpr uint32_t kAutoReadIntervalMs = 3000;

class ParameterReader {
 public:
  ParameterReader(const MainWindowControls& controls, const MainWindowFields& fields, ProcessState& process,
                  PrinterDiscovery& discovery, DeviceChannel& channel, ReplyDecoder& decoder)
      : controls_(controls), fields_(fields), process_(process), discovery_(discovery), channel_(channel),
        decoder_(decoder), waitNotice_(controls.richTextBox1, process) {}

  void ReadParameters();
  void OnTimer4Tick();
  void OnTimer3Tick();

 private:
  void OnQueryWritten(WriteResult written);
  bool ChangesNotWritten() const;
  void SayAutomaticReadPaused();

  const MainWindowControls& controls_;
  const MainWindowFields& fields_;
  ProcessState& process_;
  PrinterDiscovery& discovery_;
  DeviceChannel& channel_;
  ReplyDecoder& decoder_;
  WaitNotice waitNotice_;
};

}  // namespace quorvel
