// inf_check: reads a driver package's INF with the system's own INF parser (setupapi) and checks that Windows
// could install from it.   inf_check PACKAGE_DIR\NAME.inf [--decoration NTamd64 ...]
//
// Fails (exit 1, one line per problem on stdout) on: a parse error; a [Manufacturer] line without the asked-for
// platform decorations, or naming a models section that is missing or empty; a model whose install section is
// missing; a file that an install section copies or names as its data file, or that [SourceDisksFiles] lists,
// and that the package folder does not hold or [SourceDisksFiles] does not list; a catalog named by
// [Version] that the folder does not hold. Prints "ok: ..." with what it walked when all is well.
#include <windows.h>
#include <setupapi.h>

#include <set>
#include <string>
#include <vector>

#include "tools/win32_common/tool_io.h"

namespace {

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(::towlower(c));
  return text;
}

std::wstring Field(INFCONTEXT* context, DWORD index) {
  DWORD size = 0;
  if (!::SetupGetStringFieldW(context, index, nullptr, 0, &size) || size == 0) return {};
  std::wstring text(size, L'\0');
  if (!::SetupGetStringFieldW(context, index, text.data(), size, nullptr)) return {};
  text.resize(size - 1);
  return text;
}

// Every line of a section as its fields (field 0 is the key, when the line has one).
std::vector<std::vector<std::wstring>> Lines(HINF inf, const std::wstring& section) {
  std::vector<std::vector<std::wstring>> lines;
  INFCONTEXT context;
  if (!::SetupFindFirstLineW(inf, section.c_str(), nullptr, &context)) return lines;
  do {
    std::vector<std::wstring> fields;
    DWORD count = ::SetupGetFieldCount(&context);
    for (DWORD i = 0; i <= count; ++i) fields.push_back(Field(&context, i));
    lines.push_back(fields);
  } while (::SetupFindNextLine(&context, &context));
  return lines;
}

bool HasSection(HINF inf, const std::wstring& section) { return ::SetupGetLineCountW(inf, section.c_str()) > 0; }

// The values of `key` in `section`, split at commas (an INF directive may also repeat on several lines).
std::vector<std::wstring> Values(HINF inf, const std::wstring& section, const std::wstring& key) {
  std::vector<std::wstring> values;
  INFCONTEXT context;
  if (!::SetupFindFirstLineW(inf, section.c_str(), key.c_str(), &context)) return values;
  do {
    DWORD count = ::SetupGetFieldCount(&context);
    for (DWORD i = 1; i <= count; ++i) {
      std::wstring value = Field(&context, i);
      if (!value.empty()) values.push_back(value);
    }
  } while (::SetupFindNextMatchLineW(&context, key.c_str(), &context));
  return values;
}

bool FileExists(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int main() {
  std::vector<std::wstring> args = tool_io::Arguments();
  if (args.empty()) tool_io::Fail("usage: inf_check PACKAGE_DIR\\NAME.inf [--decoration NAME ...]", 2);
  const std::wstring infPath = args[0];
  std::vector<std::wstring> decorations;
  for (size_t i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == L"--decoration") decorations.push_back(args[++i]);
  }
  const std::wstring folder = infPath.substr(0, infPath.find_last_of(L"\\/") + 1);

  UINT errorLine = 0;
  HINF inf = ::SetupOpenInfFileW(infPath.c_str(), nullptr, INF_STYLE_WIN4, &errorLine);
  if (inf == INVALID_HANDLE_VALUE) {
    DWORD error = ::GetLastError();
    tool_io::Print("parse error: line " + std::to_string(errorLine) + ", error " + std::to_string(error) + "\n");
    return 1;
  }

  std::vector<std::string> problems;
  auto problem = [&](const std::wstring& text) { problems.push_back(tool_io::Utf8(text)); };

  // The files the package says it holds.
  std::set<std::wstring> listed;
  for (const auto& line : Lines(inf, L"SourceDisksFiles")) {
    if (line.empty() || line[0].empty()) continue;
    listed.insert(Lower(line[0]));
    if (!FileExists(folder + line[0])) problem(L"[SourceDisksFiles] lists " + line[0] + L", which the package lacks");
  }
  for (const std::wstring& catalog : Values(inf, L"Version", L"CatalogFile")) {
    if (!FileExists(folder + catalog)) problem(L"[Version] names the catalog " + catalog + L", which the package lacks");
  }

  size_t modelsSections = 0, models = 0;
  std::set<std::wstring> installSections, files;
  auto manufacturers = Lines(inf, L"Manufacturer");
  if (manufacturers.empty()) problem(L"no [Manufacturer] section");
  for (const auto& line : manufacturers) {
    if (line.size() < 2 || line[1].empty()) {
      problem(L"a [Manufacturer] line names no models section");
      continue;
    }
    const std::wstring base = line[1];
    std::set<std::wstring> offered;
    for (size_t i = 2; i < line.size(); ++i) offered.insert(Lower(line[i]));
    for (const std::wstring& wanted : decorations) {
      if (!offered.contains(Lower(wanted))) problem(L"[Manufacturer] offers " + base + L" without " + wanted);
    }
    std::vector<std::wstring> sections;
    if (line.size() == 2) sections.push_back(base);
    for (size_t i = 2; i < line.size(); ++i) sections.push_back(base + L"." + line[i]);
    for (const std::wstring& section : sections) {
      ++modelsSections;
      auto entries = Lines(inf, section);
      if (entries.empty()) problem(L"models section [" + section + L"] is missing or empty");
      for (const auto& entry : entries) {
        ++models;
        if (entry.size() < 2 || entry[1].empty()) {
          problem(L"model " + entry[0] + L" in [" + section + L"] names no install section");
          continue;
        }
        // Windows also looks for the install section decorated with the platform of the models section.
        const std::wstring& install = entry[1];
        std::wstring platform = section.substr(base.size());
        if (HasSection(inf, install + platform)) {
          installSections.insert(install + platform);
        } else if (HasSection(inf, install)) {
          installSections.insert(install);
        } else {
          problem(L"model " + entry[0] + L" in [" + section + L"]: install section [" + install + L"] is missing");
        }
      }
    }
  }

  for (const std::wstring& install : installSections) {
    for (const std::wstring& data : Values(inf, install, L"DataFile")) files.insert(data);
    for (const std::wstring& list : Values(inf, install, L"CopyFiles")) {
      if (list.starts_with(L"@")) {
        files.insert(list.substr(1));
        continue;
      }
      auto names = Lines(inf, list);
      if (names.empty()) problem(L"[" + install + L"] copies the file list [" + list + L"], which is missing or empty");
      for (auto name : names) {
        // "destination[,source]": the package holds the source name. A line without a key may report its first
        // field as the key too, so drop an empty or repeated key first.
        if (name.size() > 1 && (name[0].empty() || name[0] == name[1])) name.erase(name.begin());
        std::wstring source = name.size() > 1 && !name[1].empty() ? name[1] : name[0];
        if (!source.empty()) files.insert(source);
      }
    }
  }
  for (const std::wstring& file : files) {
    if (!FileExists(folder + file)) problem(L"the package lacks " + file);
    if (!listed.contains(Lower(file))) problem(L"[SourceDisksFiles] does not list " + file);
  }
  ::SetupCloseInfFile(inf);

  for (const std::string& text : problems) tool_io::Print(text + "\n");
  if (!problems.empty()) return 1;
  tool_io::Print("ok: " + std::to_string(modelsSections) + " models sections, " + std::to_string(models) +
                 " models, " + std::to_string(installSections.size()) + " install sections, " +
                 std::to_string(files.size()) + " files\n");
  return 0;
}
