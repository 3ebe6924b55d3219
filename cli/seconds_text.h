#pragma once
// A time as the user gave it on the command line: "2 s", "0.5 s".
#include <chrono>
#include <string>

namespace ctl {

std::string SecondsText(std::chrono::milliseconds time);

}  // namespace ctl
