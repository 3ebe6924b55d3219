#pragma once
// One send of the console: the bytes as one raw spooler job of one page, named "AAAAAA".
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/interfaces/dialogs.h"
#include "platform/interfaces/spooler.h"

namespace quorvel {

inline constexpr std::string_view kRawDocumentName = "AAAAAA";
inline constexpr std::string_view kProgramTitle = "Quorvel";
inline constexpr std::string_view kUnknownPrinterText = "The Printer Name you typed wasn't recognized.";

// Sends `bytes` to `printerName`; `count` then holds what the spooler accepted. An unknown name and a job that the
// spooler does not take whole are both told to the user; returns true only when every byte was taken.
// `jobId`, when given, receives the spooler's number of the job (0 when none was started).
bool SendRawToPrinter(platform::Spooler& spooler, platform::Dialogs& dialogs, std::string_view printerName,
                      std::span<const uint8_t> bytes, uint32_t& count, uint32_t* jobId = nullptr);

}  // namespace quorvel
