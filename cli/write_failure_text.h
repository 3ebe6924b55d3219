#pragma once
// Why a write to the printer stopped short, for the user: how far it got, and what to look at.
#include <chrono>
#include <string>

#include "platform/interfaces/printer_device.h"

namespace ctl {

// "the printer took 4096 of 10000 bytes, then nothing for 2 s: it may be out of paper, ..." for `total` bytes
// written with `limit` on each piece.
std::string WriteFailureText(const platform::WriteResult& result, size_t total, std::chrono::milliseconds limit);

}  // namespace ctl
