#pragma once
// A fake printer with the simulator's brain: it takes the command lines it is sent as the simulated printer does
// and answers "RETURN VALUE" with the frame of its state.
#include <memory>
#include <mutex>

#include "platform/fakes/fake_printer_devices.h"
#include "tools/printer_sim/printer_state.h"

namespace ctl_test {

struct SimulatedPrinter {
  printer_sim::PrinterState state;
  printer_sim::LineSplitter lines;
  bool silent = false;
  int answers = 0;

  std::vector<uint8_t> Respond(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> answer;
    for (const std::string& line : lines.Feed(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
      state.Apply(line);
      if (line == "RETURN VALUE" && !silent) {
        const auto frame = state.Frame();
        answer.insert(answer.end(), frame.begin(), frame.end());
        ++answers;
      }
    }
    return answer;
  }
};

// Puts a simulated printer behind `path`; it lives as long as the returned pointer.
inline std::shared_ptr<SimulatedPrinter> Attach(fakes::FakePrinterDevices& devices, const std::string& path) {
  auto printer = std::make_shared<SimulatedPrinter>();
  devices.At(path).respond = [printer](std::span<const uint8_t> bytes) { return printer->Respond(bytes); };
  return printer;
}

inline std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace ctl_test
