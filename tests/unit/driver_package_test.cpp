#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver_installer/install_command.h"
#include "driver_installer/model_table.h"

namespace {

const std::filesystem::path kPackage = std::filesystem::path(SHIPPED_DIR) / "QRX";

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// UTF-16LE with its byte-order mark to UTF-8; empty when the file is not in that form.
std::string DecodeUtf16Le(const std::string& bytes) {
  if (bytes.size() < 2 || bytes.size() % 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return {};
  std::string out;
  for (size_t i = 2; i < bytes.size(); i += 2) {
    char32_t c = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
      char32_t low = static_cast<unsigned char>(bytes[i + 2]) | (static_cast<unsigned char>(bytes[i + 3]) << 8);
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  size_t last = text.find_last_not_of(" \t\r");
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// An INF file as sections of lines; comments (outside quotes) and blank lines dropped.
struct Inf {
  std::map<std::string, std::vector<std::string>> sections;  // by lower-cased name
  std::vector<std::string> order;
  std::vector<std::string> linesOutsideSections;

  const std::vector<std::string>* Section(const std::string& name) const {
    auto it = sections.find(Lower(name));
    return it == sections.end() ? nullptr : &it->second;
  }
  // The value of `key` in a section of "key=value" lines.
  std::string Value(const std::string& section, const std::string& key) const {
    if (const auto* lines = Section(section)) {
      for (const std::string& line : *lines) {
        size_t equals = line.find('=');
        if (equals != std::string::npos && Lower(Trim(line.substr(0, equals))) == Lower(key)) {
          return Trim(line.substr(equals + 1));
        }
      }
    }
    return {};
  }
};

Inf ParseInf(const std::string& text) {
  Inf inf;
  std::istringstream in(text);
  std::string line, current;
  while (std::getline(in, line)) {
    std::string kept;
    bool quoted = false;
    for (char c : line) {
      if (c == '"') quoted = !quoted;
      if (c == ';' && !quoted) break;
      kept += c;
    }
    kept = Trim(kept);
    if (kept.empty()) continue;
    if (kept.front() == '[' && kept.back() == ']') {
      current = Lower(kept.substr(1, kept.size() - 2));
      if (!inf.sections.contains(current)) inf.order.push_back(current);
      inf.sections[current];
      continue;
    }
    if (current.empty()) {
      inf.linesOutsideSections.push_back(kept);
    } else {
      inf.sections[current].push_back(kept);
    }
  }
  return inf;
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, ',')) parts.push_back(Trim(part));
  return parts;
}

class DriverPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes = ReadBytes(kPackage / "QRX.inf");
    text = DecodeUtf16Le(bytes);
    ASSERT_FALSE(text.empty()) << "QRX.inf must be UTF-16LE with a byte-order mark";
    inf = ParseInf(text);
  }
  // The models sections named by the manufacturer line: each decorated one, or the base name when it has none
  // (Windows reads only the decorated sections once a line names decorations).
  std::vector<std::string> ModelsSections() const {
    std::vector<std::string> names;
    for (const std::string& line : *inf.Section("Manufacturer")) {
      std::vector<std::string> parts = SplitCommas(line.substr(line.find('=') + 1));
      if (parts.size() == 1) names.push_back(parts[0]);
      for (size_t i = 1; i < parts.size(); ++i) names.push_back(parts[0] + "." + parts[i]);
    }
    return names;
  }
  std::string bytes, text;
  Inf inf;
};

TEST_F(DriverPackage, VersionSectionDeclaresAPrinterClassInf) {
  EXPECT_TRUE(inf.linesOutsideSections.empty());
  ASSERT_FALSE(inf.order.empty());
  EXPECT_EQ(inf.order.front(), "version");
  EXPECT_EQ(inf.Value("Version", "Signature"), "\"$Windows NT$\"");
  EXPECT_EQ(inf.Value("Version", "Class"), "Printer");
  EXPECT_EQ(Lower(inf.Value("Version", "ClassGUID")), "{4d36e979-e325-11ce-bfc1-08002be10318}");
  EXPECT_FALSE(inf.Value("Version", "Provider").empty());
  EXPECT_TRUE(std::regex_match(inf.Value("Version", "DriverVer"),
                               std::regex(R"(\d\d/\d\d/\d{4},\d+\.\d+\.\d+\.\d+)")));
  EXPECT_NE(text.find("\r\n"), std::string::npos);
}

TEST_F(DriverPackage, NamesItsCatalogAndTheProgramsVersion) {
  EXPECT_EQ(inf.Value("Version", "CatalogFile"), "QRX.cat");
  std::string driverVer = inf.Value("Version", "DriverVer");
  EXPECT_EQ(driverVer.substr(driverVer.find(',') + 1), std::string(PROJECT_VERSION) + ".0");
}

TEST_F(DriverPackage, OffersModelsForX64X86AndArm64) {
  std::vector<std::string> sections = ModelsSections();
  for (const char* decorated : {"Quorvel.NTamd64", "Quorvel.NTx86", "Quorvel.NTarm64"}) {
    EXPECT_TRUE(std::find(sections.begin(), sections.end(), decorated) != sections.end()) << decorated;
  }
}

TEST_F(DriverPackage, EveryModelsSectionOffersExactlyTheInstalledNames) {
  std::set<std::string> expected;
  for (const auto& row : omblet::kModelTable) expected.insert(std::string(row.modelName));
  expected.insert("发票专用驱动S");
  expected.insert("发票专用驱动N");
  expected.insert("发票专用驱动SJZ");
  expected.insert("RIRIRU");

  std::vector<std::string> sections = ModelsSections();
  ASSERT_TRUE(std::find(sections.begin(), sections.end(), "Quorvel.NTamd64") != sections.end());
  const std::regex entry(R"re("([^"]+)"\s*=\s*([A-Za-z0-9_]+)(\s*,.*)?)re");
  for (const std::string& name : sections) {
    const auto* lines = inf.Section(name);
    ASSERT_NE(lines, nullptr) << "missing models section " << name;
    std::set<std::string> offered;
    for (const std::string& line : *lines) {
      std::smatch match;
      ASSERT_TRUE(std::regex_match(line, match, entry)) << line;
      EXPECT_TRUE(offered.insert(match[1]).second) << "offered twice: " << match[1];
      EXPECT_NE(inf.Section(match[2]), nullptr) << "no install section " << match[2];
    }
    EXPECT_EQ(offered, expected) << "in section " << name;
  }
}

TEST_F(DriverPackage, InstallSectionsBuildOnUnidrvAndNameFilesThatShip) {
  const auto& models = *inf.Section("Quorvel.NTamd64");
  std::set<std::string> installSections;
  for (const std::string& line : models) installSections.insert(Trim(SplitCommas(line.substr(line.find('=') + 1))[0]));
  std::set<std::string> files;
  for (const std::string& section : installSections) {
    EXPECT_EQ(inf.Value(section, "DataSection"), "UNIDRV_DATA");
    EXPECT_EQ(Lower(inf.Value(section, "Include")), "ntprint.inf");
    EXPECT_EQ(inf.Value(section, "Needs"), "UNIDRV.OEM");
    std::string dataFile = inf.Value(section, "DataFile");
    EXPECT_FALSE(dataFile.empty());
    files.insert(dataFile);
    for (const std::string& list : SplitCommas(inf.Value(section, "CopyFiles"))) {
      if (list.starts_with("@")) {
        files.insert(list.substr(1));
        continue;
      }
      const auto* names = inf.Section(list);
      ASSERT_NE(names, nullptr) << "no file list " << list;
      for (const std::string& file : *names) files.insert(SplitCommas(file)[0]);
    }
  }
  EXPECT_FALSE(inf.Value("DestinationDirs", "DefaultDestDir").empty());
  for (const std::string& file : files) {
    EXPECT_TRUE(std::filesystem::exists(kPackage / file)) << file << " is not shipped";
    std::string disk = inf.Value("SourceDisksFiles", file);
    ASSERT_FALSE(disk.empty()) << file << " not in SourceDisksFiles";
    EXPECT_FALSE(inf.Value("SourceDisksNames", SplitCommas(disk)[0]).empty());
  }
}

TEST(DriverPackageGpd, IsA203DpiOneBitRasterMinidriver) {
  std::string gpd = ReadBytes(kPackage / "QRX203.GPD");
  ASSERT_FALSE(gpd.empty());
  EXPECT_NE(gpd.find("*GPDSpecVersion: \"1.0\""), std::string::npos);
  EXPECT_NE(gpd.find("*GPDFileName: \"QRX203.GPD\""), std::string::npos);
  EXPECT_NE(gpd.find("*MasterUnits: PAIR(203, 203)"), std::string::npos);
  EXPECT_NE(gpd.find("*DPI: PAIR(203, 203)"), std::string::npos);
  EXPECT_NE(gpd.find("*DevBPP: 1"), std::string::npos);
  EXPECT_EQ(std::count(gpd.begin(), gpd.end(), '{'), std::count(gpd.begin(), gpd.end(), '}'));
  EXPECT_EQ(gpd.find_first_of("\x80\xFF"), std::string::npos) << "a GPD is plain ASCII";
}

// Unidrv assigns option IDs above 256 itself; an ID of ours must be above 512 to stay clear of them.
TEST(DriverPackageGpd, OptionIdsAreAbove512) {
  std::string gpd = ReadBytes(kPackage / "QRX203.GPD");
  const std::regex optionId(R"(\*OptionID:\s*(\d+))");
  int count = 0;
  for (auto it = std::sregex_iterator(gpd.begin(), gpd.end(), optionId); it != std::sregex_iterator(); ++it) {
    EXPECT_GT(std::stoi((*it)[1]), 512) << (*it)[0];
    ++count;
  }
  EXPECT_GT(count, 0);
}

// A GPD that sends Y-move commands must say in which unit they move the paper.
TEST(DriverPackageGpd, YMoveCommandsComeWithTheirUnit) {
  std::string gpd = ReadBytes(kPackage / "QRX203.GPD");
  bool movesY = gpd.find("*Command: CmdYMove") != std::string::npos;
  EXPECT_TRUE(movesY);
  std::smatch unit;
  ASSERT_TRUE(std::regex_search(gpd, unit, std::regex(R"(\*YMoveUnit:\s*(\d+))")));
  EXPECT_EQ(203 % std::stoi(unit[1]), 0) << "the move unit divides the master units";
  std::smatch attributes;
  if (std::regex_search(gpd, attributes, std::regex(R"(\*YMoveAttributes:\s*LIST\(([^)]*)\))"))) {
    for (const std::string& value : SplitCommas(attributes[1])) {
      EXPECT_TRUE(value == "FAV_LF" || value == "SEND_CR_FIRST") << value;
    }
  }
}

}  // namespace
