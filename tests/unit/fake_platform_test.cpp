// The fakes stand in for Windows in every core test, so where they model a Windows rule, that rule is checked.
#include <gtest/gtest.h>

#include "platform/fakes/fake_controls.h"
#include "platform/fakes/fake_device_files.h"
#include "platform/fakes/fake_registry.h"
#include "platform/fakes/fake_services.h"

namespace {

constexpr const char* kEnumKey = "SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";

TEST(FakeRegistry, KeysAndValueNamesIgnoreLetterCaseAndKeepTheirBytes) {
  fakes::FakeRegistry registry;
  registry.SetString(kEnumKey, "0", "USB\\VID_1A86&PID_1000\\ABC");
  auto value = registry.ReadValue("system\\currentcontrolset\\services\\USBPRINT\\enum", "0");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, platform::RegistryType::String);
  std::string text(value->data.begin(), value->data.end());
  EXPECT_EQ(text, std::string("USB\\VID_1A86&PID_1000\\ABC") + '\0');  // stored with its terminator

  EXPECT_FALSE(registry.ReadValue(kEnumKey, "1"));
  EXPECT_FALSE(registry.ReadValue("SYSTEM\\Missing", "0"));
  registry.RemoveValue(kEnumKey, "0");
  EXPECT_FALSE(registry.ReadValue(kEnumKey, "0"));
}

TEST(FakeRegistry, ListsDirectSubkeysInCreationOrderAndDwordsLittleEndian) {
  fakes::FakeRegistry registry;
  const std::string classKey = "SYSTEM\\DeviceClasses\\{28d78fad}";
  registry.SetDword(classKey + "\\##?#USB#B\\#\\Device Parameters", "Port Number", 0x0102);
  registry.AddKey(classKey + "\\##?#USB#A");
  auto subkeys = registry.ListSubkeys(classKey);
  ASSERT_TRUE(subkeys);
  EXPECT_EQ(*subkeys, (std::vector<std::string>{"##?#USB#B", "##?#USB#A"}));
  EXPECT_FALSE(registry.ListSubkeys("SYSTEM\\Nothing"));

  auto port = registry.ReadValue(classKey + "\\##?#USB#B\\#\\Device Parameters", "Port Number");
  ASSERT_TRUE(port);
  EXPECT_EQ(port->data, (std::vector<uint8_t>{0x02, 0x01, 0x00, 0x00}));
}

TEST(FakeDeviceFiles, ReadCompletesOnlyWhenAllRequestedBytesArrived) {
  fakes::FakeDeviceFiles devices;
  auto& printer = devices.Endpoint("\\\\?\\USB#P");
  EXPECT_EQ(devices.Open("\\\\?\\USB#Other", platform::OpenMode::Synchronous), nullptr);

  auto writer = devices.Open("\\\\?\\USB#P", platform::OpenMode::Synchronous);
  ASSERT_NE(writer, nullptr);
  EXPECT_FALSE(writer->StartRead(64));  // only overlapped handles read
  const uint8_t command[] = {'A', '\r', '\n'};
  EXPECT_EQ(writer->Write(command, std::chrono::milliseconds{100}).written, 3u);
  ASSERT_EQ(printer.writes.size(), 1u);
  writer.reset();
  EXPECT_EQ(printer.openHandles, 0);

  auto reader = devices.Open("\\\\?\\USB#P", platform::OpenMode::Overlapped);
  ASSERT_TRUE(reader->StartRead(4));
  printer.reply = {1, 2, 3};
  EXPECT_EQ(reader->CheckRead().state, platform::ReadState::Pending);
  printer.reply.push_back(4);
  auto progress = reader->CheckRead();
  EXPECT_EQ(progress.state, platform::ReadState::Complete);
  EXPECT_EQ(progress.bytes, (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_TRUE(printer.reply.empty());  // the read took its bytes off the line

  ASSERT_TRUE(reader->StartRead(4));
  printer.reply = {5, 6};
  reader->CancelRead();
  progress = reader->CheckRead();
  EXPECT_EQ(progress.state, platform::ReadState::Failed);
  EXPECT_EQ(progress.bytes, (std::vector<uint8_t>{5, 6}));  // a cancelled read keeps what had arrived
  EXPECT_TRUE(printer.reply.empty());
  EXPECT_EQ(printer.cancels, 1);
}

TEST(FakeDeviceFiles, EachTransferEndsOneReadShortEmptyOrFailed) {
  fakes::FakeDeviceFiles devices;
  auto& printer = devices.Endpoint("\\\\?\\USB#P");
  printer.transfers = {{{0x12, 0x34, 0x56}}, {{}}, {{}, true}, {{7, 8, 9, 10, 11}, false, 2}};
  auto reader = devices.Open("\\\\?\\USB#P", platform::OpenMode::Overlapped);
  const std::vector<std::pair<platform::ReadState, std::vector<uint8_t>>> ends = {
      {platform::ReadState::Complete, {0x12, 0x34, 0x56}},
      {platform::ReadState::Complete, {}},
      {platform::ReadState::Failed, {}},
  };
  for (const auto& [state, bytes] : ends) {
    ASSERT_TRUE(reader->StartRead(4));
    auto progress = reader->CheckRead();
    EXPECT_EQ(progress.state, state);
    EXPECT_EQ(progress.bytes, bytes);
    EXPECT_EQ(reader->CheckRead().bytes, bytes);  // an ended read stays as it ended
  }
  ASSERT_TRUE(reader->StartRead(4));
  EXPECT_EQ(reader->CheckRead().state, platform::ReadState::Pending);  // the last transfer comes two looks later
  EXPECT_EQ(reader->CheckRead().state, platform::ReadState::Pending);
  auto progress = reader->CheckRead();
  EXPECT_EQ(progress.state, platform::ReadState::Complete);
  EXPECT_EQ(progress.bytes, (std::vector<uint8_t>{7, 8, 9, 10}));  // no room for the fifth byte
  EXPECT_TRUE(printer.transfers.empty());
  EXPECT_EQ(printer.cancels, 0);
}

TEST(FakeDeviceFiles, ADeviceGoneAfterSomeOpensOpensNoMore) {
  fakes::FakeDeviceFiles devices;
  devices.Endpoint("\\\\?\\USB#P").opensLeft = 1;
  EXPECT_NE(devices.Open("\\\\?\\USB#P", platform::OpenMode::Synchronous), nullptr);
  EXPECT_EQ(devices.Open("\\\\?\\USB#P", platform::OpenMode::Overlapped), nullptr);
  EXPECT_EQ(devices.openLog.size(), 2u);
}

TEST(FakeControls, OptionButtonsOfOneGroupExcludeEachOther) {
  std::vector<fakes::FakeOptionButton*> group;
  fakes::FakeOptionButton gap(&group), mark(&group), continuous(&group);
  gap.SetSelected(true);
  mark.SetSelected(true);
  EXPECT_FALSE(gap.Selected());
  EXPECT_TRUE(mark.Selected());
  EXPECT_FALSE(continuous.Selected());
}

TEST(FakeControls, SelectingOutsideAListClearsTheSelection) {
  fakes::FakeComboBox combo;
  combo.Add("0 mm");
  combo.Add("-2 mm");
  combo.Select(1);
  EXPECT_EQ(combo.Text(), "-2 mm");
  combo.Select(5);
  EXPECT_EQ(combo.Selected(), platform::kNoSelection);
  combo.Clear();
  EXPECT_EQ(combo.Count(), 0);
}

TEST(FakeSpooler, RawJobsReachOnlyKnownPrinters) {
  fakes::FakeSpooler spooler;
  spooler.printers = {"KESTRAMO X1"};
  const uint8_t bytes[] = {0x1B, 0x40};
  EXPECT_FALSE(spooler.SendRawJob("Unknown", "AAAAAA", bytes).opened);
  auto result = spooler.SendRawJob("KESTRAMO X1", "AAAAAA", bytes);
  EXPECT_TRUE(result.opened);
  EXPECT_EQ(result.bytesWritten, 2u);
  ASSERT_EQ(spooler.jobs.size(), 1u);
  EXPECT_EQ(spooler.jobs[0].document, "AAAAAA");
}

TEST(FakeTextCodec, DoubleByteCharactersRoundTripAndUnknownOnesAreRefused) {
  fakes::FakeTextCodec codec;
  auto ansi = codec.Utf8ToAnsi("AB中");
  ASSERT_TRUE(ansi);
  EXPECT_EQ(*ansi, "AB\xD6\xD0");
  EXPECT_EQ(codec.AnsiToUtf8(*ansi), "AB中");
  EXPECT_FALSE(codec.Utf8ToAnsi("\xF0\x9F\x98\x80"));  // an emoji has no code-page form
}

TEST(FakeFileSystem, ListsOnlyTheFilesDirectlyInAFolder) {
  fakes::FakeFileSystem files;
  files.files["C:\\Tools\\skin\\china.she"] = {};
  files.files["C:\\Tools\\skin\\old\\a.she"] = {};
  files.files["C:\\Tools\\QRX\\QRX.inf"] = {};
  EXPECT_EQ(files.ListFiles("C:\\Tools\\skin\\"), (std::vector<std::string>{"C:\\Tools\\skin\\china.she"}));
  EXPECT_FALSE(files.ReadWholeFile("C:\\missing", 100).ok);
}

}  // namespace
