#pragma once
// One "RETURN VALUE" exchange through a connection: the command out, the 64-byte frame in.
#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "config_tool/params/parameter_frame.h"
#include "platform/interfaces/printer_device.h"

namespace ctl {

using FrameBytes = std::array<uint8_t, quorvel::kFrameSize>;

struct FrameRead {
  enum Outcome {
    Received,     // `frame` holds it
    WriteFailed,  // the command did not go out
    NoAnswer,     // nothing came back in time
    NotAFrame,    // bytes came back, but no frame among them
    ReadFailed,   // the device reported errors and nothing useful came back
    Stopped,      // a signal came before the frame did
    Unplugged,    // the printer was pulled out
  } outcome = NoAnswer;
  std::optional<FrameBytes> frame;
  std::vector<uint8_t> received;  // every byte that came back
};

using quorvel::FindFrame;

// Sends "RETURN VALUE" and collects bytes until they hold a frame or `timeout` has passed. Bytes before the frame
// (a late answer to an earlier command, a status byte) are passed over. With `stopped`, the wait looks at it every
// kHoldCheck and ends when it is true (nothing is sent once it is).
FrameRead ReadParameterFrame(platform::PrinterConnection& connection, std::chrono::milliseconds timeout,
                             const std::function<bool()>& stopped = {});

// What went wrong, for the user: "<device>: the printer did not answer within 2 s".
std::string FrameReadProblem(const FrameRead& read, const std::string& device, std::chrono::milliseconds timeout);

}  // namespace ctl
