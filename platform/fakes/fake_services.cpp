#include "platform/fakes/fake_services.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace fakes {

platform::RawJobResult FakeSpooler::SendRawJob(std::string_view printerName, std::string_view documentName,
                                               std::span<const uint8_t> bytes) {
  if (std::find(printers.begin(), printers.end(), printerName) == printers.end()) return {};
  if (acceptLimit && bytes.size() > *acceptLimit) return {true, false, *acceptLimit, false};  // refused, deleted
  jobs.push_back({std::string(printerName), std::string(documentName), {bytes.begin(), bytes.end()}});
  const auto size = static_cast<uint32_t>(bytes.size());
  const auto id = static_cast<uint32_t>(jobs.size());
  if (holdJobs) queued[id] = heldAs;
  if (failEnd) return {true, false, size, true, id};
  return {true, true, size, true, id};
}

std::optional<platform::PrinterSetup> FakeSpooler::FindPrinter(std::string_view printerName) {
  auto lower = [](std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  };
  for (const std::string& name : printers) {
    if (lower(name) != lower(printerName)) continue;
    auto setup = setups.find(name);
    return setup == setups.end() ? platform::PrinterSetup{} : setup->second;
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> FakeWmi::QueryProperty(std::string_view query, std::string_view property) {
  queries.push_back(std::string(query) + " / " + std::string(property));
  if (duringQuery) duringQuery();
  if (!reachable) return std::nullopt;
  return dependents;
}

namespace {
class FakeProcessHandle : public platform::ProcessHandle {
 public:
  explicit FakeProcessHandle(std::shared_ptr<bool> ended) : ended_(std::move(ended)) {}
  bool HasEnded() override { return *ended_; }

 private:
  std::shared_ptr<bool> ended_;
};
}  // namespace

platform::StartedProcess FakeProcessLauncher::Start(std::string_view program, std::string_view commandLine,
                                                   platform::ShowState show, std::string_view workingFolder) {
  starts.push_back({std::string(program), std::string(commandLine), show, std::string(workingFolder)});
  if (!startable) return {};
  *starts.back().ended = endAtOnce;
  return platform::StartedProcess(std::make_unique<FakeProcessHandle>(starts.back().ended));
}

std::vector<std::string> FakeFileSystem::ListFiles(std::string_view folder) {
  std::string prefix(folder);
  if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
  std::vector<std::string> candidates = listingOrder;
  if (candidates.empty()) {
    for (const auto& entry : files) candidates.push_back(entry.first);
  }
  std::vector<std::string> listed;
  for (const std::string& path : candidates) {
    if (path.starts_with(prefix) && path.find('\\', prefix.size()) == std::string::npos) listed.push_back(path);
  }
  return listed;
}

platform::FileContents FakeFileSystem::ReadWholeFile(std::string_view path, uint64_t maxBytes) {
  if (auto it = unreadable.find(std::string(path)); it != unreadable.end()) return {false, {}, it->second};
  auto it = files.find(std::string(path));
  if (it == files.end()) return {false, {}, "The system cannot find the file specified."};
  if (it->second.size() > maxBytes) return {false, {}, {}, true};
  return {true, it->second, {}};
}

platform::FileChange FakeFileSystem::WriteWholeFile(std::string_view path, const std::vector<uint8_t>& bytes) {
  if (auto it = unwritable.find(std::string(path)); it != unwritable.end()) return {false, it->second};
  files[std::string(path)] = bytes;
  return {true, {}};
}

platform::FileChange FakeFileSystem::RemoveFile(std::string_view path) {
  if (auto it = unwritable.find(std::string(path)); it != unwritable.end()) return {false, it->second};
  files.erase(std::string(path));
  return {true, {}};
}

namespace {
// UTF-8 and GBK forms of the characters the tests use.
const std::pair<std::string_view, std::string_view> kKnownCharacters[] = {
    {"\xE4\xB8\xAD", "\xD6\xD0"},  // 中
    {"\xE6\x96\x87", "\xCE\xC4"},  // 文
    {"\xE6\xB5\x8B", "\xB2\xE2"},  // 测
};
}  // namespace

std::string FakeTextCodec::AnsiToUtf8(std::string_view ansi) {
  std::string out;
  for (size_t i = 0; i < ansi.size(); ++i) {
    auto byte = static_cast<unsigned char>(ansi[i]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      continue;
    }
    bool known = false;
    for (const auto& [utf8, gbk] : kKnownCharacters) {
      if (ansi.substr(i, 2) == gbk) {
        out += utf8;
        ++i;
        known = true;
        break;
      }
    }
    if (!known) out += "?";
  }
  return out;
}

std::optional<std::string> FakeTextCodec::Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      out += utf8[i++];
      continue;
    }
    bool known = false;
    for (const auto& [character, gbk] : kKnownCharacters) {
      if (utf8.substr(i, character.size()) == character) {
        out += gbk;
        i += character.size();
        known = true;
        break;
      }
    }
    if (!known) return std::nullopt;
  }
  return out;
}

}  // namespace fakes
