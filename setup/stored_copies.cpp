#include "setup/stored_copies.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace setup {
namespace {

constexpr std::pair<CopyState, const char*> kStateWords[] = {
    {CopyState::Added, "added"}, {CopyState::Kept, "kept"}, {CopyState::Removed, "removed"}};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

bool IsStoredInfName(const std::string& name) {
  return name.size() > 4 && Lower(name).ends_with(".inf") && name.find_first_of("\\/:") == std::string::npos &&
         name.find("..") == std::string::npos;
}

std::vector<StoredCopy> ParseStoredCopies(const std::vector<uint8_t>& bytes) {
  std::vector<StoredCopy> copies;
  std::istringstream lines(std::string(bytes.begin(), bytes.end()));
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    const std::string word = line.substr(0, space);
    const std::string name = line.substr(space + 1);
    const auto state = std::find_if(std::begin(kStateWords), std::end(kStateWords),
                                    [&](const auto& entry) { return word == entry.second; });
    if (state == std::end(kStateWords) || !IsStoredInfName(name)) continue;
    copies.push_back({name, state->first});
  }
  return copies;
}

std::vector<uint8_t> FormatStoredCopies(const std::vector<StoredCopy>& copies) {
  std::string text =
      "# The driver store's copies of QRX\\QRX.inf that this install put there: QRXStore.exe remove takes out\r\n"
      "# these and no others. Written by QRXStore.exe; removed with it.\r\n";
  for (const StoredCopy& copy : copies) {
    const auto state = std::find_if(std::begin(kStateWords), std::end(kStateWords),
                                    [&](const auto& entry) { return copy.state == entry.first; });
    text += std::string(state->second) + " " + copy.name + "\r\n";
  }
  return {text.begin(), text.end()};
}

}  // namespace setup
