#pragma once
// A printer's device file as the command-line tool uses it: opened once for a whole command, written in order,
// read with a time limit. A connection closes its device when it is destroyed.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Why a device could not be opened, in the terms the user's fix depends on.
struct OpenFailure {
  enum Kind {
    NotFound,      // no such device (unplugged, wrong path)
    AccessDenied,  // the user may not open it
    Busy,          // another program holds it
    NotADevice,    // the path names something that is not a printer's device (an ordinary file, another device)
    Other,
  } kind = Other;
  std::string detail;  // the system's own words
};

struct ReadResult {
  std::vector<uint8_t> bytes;  // empty when nothing arrived in time
  bool failed = false;         // the device reported an error (gone, broken)
};

// The most a connection hands the device in one bounded write. A long job goes in pieces of this size, so that
// the write limit bounds how long the printer may take nothing, not how long the whole job may take.
inline constexpr size_t kWritePiece = 4096;

// How a write ended, and how many of its bytes the printer took (also when it stopped short).
struct WriteResult {
  enum Ending {
    Complete,  // the printer took every byte
    TimedOut,  // the printer took nothing for the write limit (out of paper, cover open, busy, switched off)
    Failed,    // the device refused the write (gone, broken)
  } ending = Failed;
  size_t taken = 0;

  explicit operator bool() const { return ending == Complete; }
};

struct UsbIds {
  uint16_t vendor = 0;
  uint16_t product = 0;
};

class PrinterConnection {
 public:
  virtual ~PrinterConnection() = default;

  // Writes all of `bytes` in pieces of at most kWritePiece; a piece the printer takes part of before the limit
  // is progress, and the rest goes on. Gives up when the printer takes nothing for the write limit.
  virtual WriteResult Write(std::span<const uint8_t> bytes) = 0;

  // Waits up to `timeout` for bytes and returns as soon as some have arrived (at most `maxBytes`).
  virtual ReadResult Read(size_t maxBytes, std::chrono::milliseconds timeout) = 0;

  // Drops bytes the device sent earlier that nobody read (a late answer to an earlier command), where the
  // device lets us see them without waiting.
  virtual void DiscardPending() = 0;

  // The vendor and product identifiers as the device's driver reports them, where it can.
  virtual std::optional<UsbIds> DriverUsbIds() = 0;

  // How long a write waits for the printer to take any of a piece before it gives up.
  virtual void LimitWrites(std::chrono::milliseconds limit) = 0;

  // Whether the device has gone (unplugged) since it was opened, where the system tells: a transfer found it gone,
  // or a look at the device now does.
  virtual bool Unplugged() { return false; }
};

class PrinterDevices {
 public:
  virtual ~PrinterDevices() = default;
  // Opens `path` for reading and writing; nullptr with `failure` filled when it cannot be opened.
  virtual std::unique_ptr<PrinterConnection> Open(std::string_view path, OpenFailure& failure) = 0;
};

}  // namespace platform
