#include "cli/frame_exchange.h"

#include <algorithm>
#include <thread>

#include "cli/seconds_text.h"
#include "config_tool/params/command_set.h"

namespace ctl {
namespace {

using Clock = std::chrono::steady_clock;

// A wait that a signal may end looks at it this often (the settings session's kHoldCheck).
constexpr std::chrono::milliseconds kStepOfStoppableWait{100};

// A device that fails every read at once would otherwise keep the loop spinning until the time is up.
constexpr std::chrono::milliseconds kPauseAfterFailedRead{10};

}  // namespace

FrameRead ReadParameterFrame(platform::PrinterConnection& connection, std::chrono::milliseconds timeout,
                             const std::function<bool()>& stopped) {
  FrameRead read;
  auto asked = [&] { return stopped && stopped(); };
  if (asked()) {
    read.outcome = FrameRead::Stopped;
    return read;
  }
  connection.DiscardPending();
  const std::vector<uint8_t> query = quorvel::ToBytes(quorvel::CommandLine(quorvel::command::kReturnValue));
  if (!connection.Write(query)) {
    read.outcome = connection.Unplugged() ? FrameRead::Unplugged : FrameRead::WriteFailed;
    return read;
  }
  const Clock::time_point deadline = Clock::now() + timeout;
  bool failures = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    const auto step = stopped ? std::min(left, kStepOfStoppableWait) : left;
    platform::ReadResult chunk = connection.Read(quorvel::kFrameSize, step);
    read.received.insert(read.received.end(), chunk.bytes.begin(), chunk.bytes.end());
    if (std::optional<size_t> at = FindFrame(read.received)) {
      read.frame.emplace();
      std::copy_n(read.received.begin() + static_cast<long>(*at), quorvel::kFrameSize, read.frame->begin());
      read.outcome = FrameRead::Received;
      return read;
    }
    if (asked()) {
      read.outcome = FrameRead::Stopped;
      return read;
    }
    if (chunk.failed) {
      // A printer that is gone will not answer: no need to wait for the time to run out.
      if (connection.Unplugged()) {
        read.outcome = FrameRead::Unplugged;
        return read;
      }
      failures = true;
      std::this_thread::sleep_for(std::min(kPauseAfterFailedRead, left));
    }
  }
  read.outcome = !read.received.empty() ? FrameRead::NotAFrame : failures ? FrameRead::ReadFailed : FrameRead::NoAnswer;
  return read;
}

std::string FrameReadProblem(const FrameRead& read, const std::string& device, std::chrono::milliseconds timeout) {
  switch (read.outcome) {
    case FrameRead::Received:
      return {};
    case FrameRead::WriteFailed:
      return device + ": the command could not be written to the printer";
    case FrameRead::NoAnswer:
      return device + ": the printer did not answer within " + SecondsText(timeout);
    case FrameRead::NotAFrame:
      return device + ": the printer answered " + std::to_string(read.received.size()) +
             " byte(s) within " + SecondsText(timeout) + ", but no parameter frame";
    case FrameRead::ReadFailed:
      return device + ": reading the printer's answer failed";
    case FrameRead::Unplugged:
      return device + ": the printer was unplugged";
    case FrameRead::Stopped:
      return device + ": stopped by a signal before the printer's answer came";
  }
  return {};
}

}  // namespace ctl
