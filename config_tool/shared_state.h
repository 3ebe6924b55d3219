#pragma once
// State that several parts of the configuration tool share.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config_tool/params/command_set.h"

namespace quorvel {

// Process-wide values of the tool.
struct ProcessState {
  int16_t language = 0;        // 1 selects the Chinese text of a pair, anything else the English one
  int16_t paramsReadDone = 0;  // 0 asks the automatic-read timer for one read at its next tick
};

inline std::string_view ByLanguage(const ProcessState& process, std::string_view chinese, std::string_view english) {
  return process.language == 1 ? chinese : english;
}

// Fields of the main window that its parts share.
struct MainWindowFields {
  int16_t settingsWriteActive = 0;  // 1 while a settings write runs: discovery keeps the user's model selection
  std::string devicePath;           // \\?\ path of the current printer interface
  std::string interfaceKeyName;     // registry key name of the same interface
  std::string currentModel;         // model name left by the last identity lookup
  int detectedInterfaceRow = -1;    // List4 row of the printer whose model List3 shows
  // What the setting controls showed after the last read, or after the last Set that the printer took: a control
  // that shows otherwise holds a change not yet written.
  std::optional<PrinterSettings> printerSettings;
};

inline constexpr std::string_view kUsbPrinterClass = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

}  // namespace quorvel
