#include "cli/printer_selection.h"

#include <algorithm>
#include <charconv>

#include "config_tool/text_util.h"

namespace ctl {
namespace {

// A list number as `list` prints it: no sign, no leading zero. "00000001" is not one, so that a serial made of
// digits is never read as a place in the list.
std::optional<size_t> ListNumberOf(const std::string& text) {
  if (text.empty() || text.front() == '0') return std::nullopt;
  size_t number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

bool LooksLikePath(const std::string& text) {
  return text.find('/') != std::string::npos || text.find('\\') != std::string::npos;
}

// Windows compares device paths without regard to letter case; Linux paths are compared as they are.
bool SameDevice(const std::string& listed, const std::string& wanted) {
  if (listed == wanted) return true;
  return listed.starts_with("\\\\?\\") && quorvel::ToUpperAscii(listed) == quorvel::ToUpperAscii(wanted);
}

// Port names (USB001) and bus places (1-1.4) hold no letters that differ by case but the port's.
bool SameLocation(const std::string& listed, const std::string& wanted) {
  return !listed.empty() && quorvel::ToUpperAscii(listed) == quorvel::ToUpperAscii(wanted);
}

Selected Failure(ExitCode code, std::string error) {
  Selected selected;
  selected.code = code;
  selected.error = std::move(error);
  return selected;
}

Selected Chosen(const AttachedPrinter& printer) { return Selected{{printer}, kDone, ""}; }

// One way a text names a printer: which way, and the printer's place in the list.
struct Match {
  std::string way;
  size_t index;
};

// The printers whose field `field` equals `wanted`, by `same`.
template <typename Same>
std::vector<size_t> IndexesWhere(const std::vector<AttachedPrinter>& attached, std::string AttachedPrinter::*field,
                                 const std::string& wanted, Same same) {
  std::vector<size_t> found;
  for (size_t i = 0; i < attached.size(); ++i) {
    if (same(attached[i].*field, wanted)) found.push_back(i);
  }
  return found;
}

bool SameText(const std::string& listed, const std::string& wanted) { return !listed.empty() && listed == wanted; }

// An option that chooses printer `index` and no other: its own location or serial, else its device path.
std::string WayToChoose(const std::vector<AttachedPrinter>& attached, size_t index) {
  const AttachedPrinter& printer = attached[index];
  if (IndexesWhere(attached, &AttachedPrinter::location, printer.location, SameLocation).size() == 1) {
    return "--location " + printer.location;
  }
  if (IndexesWhere(attached, &AttachedPrinter::serial, printer.serial, SameText).size() == 1) {
    return "--serial " + printer.serial;
  }
  return "--device " + printer.device;
}

Selected ByOneField(const std::vector<AttachedPrinter>& attached, const std::string& wanted, bool serial) {
  const std::vector<size_t> found =
      serial ? IndexesWhere(attached, &AttachedPrinter::serial, wanted, SameText)
             : IndexesWhere(attached, &AttachedPrinter::location, wanted, SameLocation);
  const std::string what = serial ? "serial" : "location";
  if (found.empty()) {
    return Failure(kNoSuchPrinter, "no printer with the " + what + " '" + wanted + "' (see 'quorvelctl list')");
  }
  if (found.size() > 1) {
    return Failure(kUsage, what + " " + wanted + " is shared by " + std::to_string(found.size()) +
                               " printers: choose one with " + (serial ? "--location" : "--serial") +
                               " or its number in 'quorvelctl list'");
  }
  return Chosen(attached[found.front()]);
}

Selected ByPrinterText(const std::vector<AttachedPrinter>& attached, const std::string& wanted) {
  std::vector<Match> matches;
  if (std::optional<size_t> number = ListNumberOf(wanted); number && *number >= 1 && *number <= attached.size()) {
    matches.push_back({"list number", *number - 1});
  }
  for (size_t i : IndexesWhere(attached, &AttachedPrinter::device, wanted, SameDevice)) matches.push_back({"device", i});
  for (size_t i : IndexesWhere(attached, &AttachedPrinter::serial, wanted, SameText)) matches.push_back({"serial", i});
  for (size_t i : IndexesWhere(attached, &AttachedPrinter::location, wanted, SameLocation)) {
    matches.push_back({"location", i});
  }

  std::vector<size_t> printers;
  for (const Match& match : matches) {
    if (std::find(printers.begin(), printers.end(), match.index) == printers.end()) printers.push_back(match.index);
  }
  if (printers.size() == 1) return Chosen(attached[printers.front()]);
  if (printers.size() > 1) {
    std::string named;
    for (const Match& match : matches) {
      named += (named.empty() ? "" : ", ") + match.way + " of " + attached[match.index].device;
    }
    std::string ways;
    for (size_t index : printers) ways += (ways.empty() ? "" : " or ") + WayToChoose(attached, index);
    return Failure(kUsage, "'" + wanted + "' names " + std::to_string(printers.size()) + " different printers (" +
                               named + "): say which you mean: " + ways);
  }
  if (std::optional<size_t> number = ListNumberOf(wanted)) {
    return Failure(kNoSuchPrinter, "no printer number " + wanted + ": " + std::to_string(attached.size()) +
                                       " printer(s) attached (see 'quorvelctl list')");
  }
  // A device path that discovery did not list is taken as it is: opening it tells whether it is a printer.
  if (LooksLikePath(wanted)) return Selected{GivenDevices({wanted}), kDone, ""};
  return Failure(kNoSuchPrinter,
                 "no printer with the serial, location or device path '" + wanted + "' (see 'quorvelctl list')");
}

}  // namespace

std::vector<AttachedPrinter> GivenDevices(const std::vector<std::string>& paths) {
  std::vector<AttachedPrinter> printers;
  for (const std::string& path : paths) printers.push_back(AttachedPrinter{path, "", "", "", std::nullopt, "", ""});
  return printers;
}

Selected SelectPrinters(const std::vector<AttachedPrinter>& attached, const Selection& selection) {
  if (selection.printer) return ByPrinterText(attached, *selection.printer);
  if (selection.serial) return ByOneField(attached, *selection.serial, true);
  if (selection.location) return ByOneField(attached, *selection.location, false);
  if (attached.empty()) return Failure(kNoSuchPrinter, "no printer attached");
  if (selection.all || attached.size() == 1) return Selected{attached, kDone, ""};
  return Failure(kUsage, std::to_string(attached.size()) +
                             " printers are attached: choose one with -p (a number from 'quorvelctl list', a serial, "
                             "a location or a device path)" +
                             (selection.allAllowed ? " or use --all" : ""));
}

}  // namespace ctl
