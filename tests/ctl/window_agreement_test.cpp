// quorvelctl writes what the main window's Set writes after a read, and reports what its debug view shows: the
// real window core on fakes against the functions the tool calls, for frames of every kind.
#include <gtest/gtest.h>

#include "cli/frame_report.h"
#include "config_tool/params/shown_settings.h"
#include "tests/unit/main_window_fixture.h"

namespace {

const std::string kInstance = "USB\\VID_1A86&PID_1000\\AGREE";

ctl::FrameBytes FrameFor(unsigned variant) {
  ctl::FrameBytes frame;
  frame.fill('0');
  frame[0] = frame[63] = 0x40;
  const std::string fields = "15" "180607" "1000";
  std::copy(fields.begin(), fields.end(), frame.begin() + 1);
  auto bit = [&](unsigned n) { return (variant >> n) & 1u; };
  frame[13] = bit(0) ? '1' : '0';
  const uint8_t sensors[] = {0, 1, 2, '0'};
  frame[14] = sensors[(variant >> 1) % 4];
  frame[15] = bit(3) ? '1' : '0';
  const std::string length = bit(4) ? "20171106" : "00012345";
  std::copy(length.begin(), length.end(), frame.begin() + 34);
  frame[42] = bit(5) ? 'x' : '0';  // any byte but "0" is on
  frame[56] = bit(6) ? '1' : '0';
  frame[57] = bit(7) ? '1' : '0';
  frame[58] = bit(8) ? '1' : '0';
  const uint8_t offsets[] = {0, 7, 11, 20, 21, 200};
  frame[59] = offsets[variant % 6];
  frame[60] = bit(9) ? '1' : '0';
  frame[61] = bit(10) ? '1' : '0';
  return frame;
}

std::string WithoutCarriageReturns(std::string text) {
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
  }
  return lines;
}

struct WindowAfterRead {
  test_support::MainWindowFixture f;
  std::string path = test_support::MainWindowFixture::DevicePath(kInstance);

  WindowAfterRead() {
    f.AttachPrinter("0", kInstance, 1);
    f.mainWindow.Load();
  }
  // The read button, then the reply timer's tick.
  void Read(const ctl::FrameBytes& frame) {
    f.devices.Endpoint(path).reply.assign(frame.begin(), frame.end());
    f.mainWindow.OnCommand8Click();
    f.mainWindow.OnTimer4Tick();
  }
  // The Set button: the batch it writes.
  std::string Set() {
    const size_t before = f.devices.Endpoint(path).writes.size();
    f.mainWindow.OnCommand4Click();
    const auto& writes = f.devices.Endpoint(path).writes;
    return writes.size() == before + 1 ? std::string(writes.back().begin(), writes.back().end()) : "<no single write>";
  }
};

TEST(WindowAgreement, TheSettingsAtLoadAreWhatTheWindowShows) {
  test_support::MainWindowFixture f;
  f.mainWindow.Load();
  EXPECT_EQ(quorvel::SettingsFromControls(f.controls), quorvel::SettingsAtWindowLoad());
}

TEST(WindowAgreement, AfterOneReadTheToolWritesTheBatchTheWindowsSetWrites) {
  for (unsigned variant = 0; variant < 2048; variant += 3) {
    const ctl::FrameBytes frame = FrameFor(variant);
    WindowAfterRead window;
    window.Read(frame);
    const std::string tool = quorvel::SettingsBatch(
        quorvel::SettingsShownAfter(quorvel::SettingsAtWindowLoad(), quorvel::SettingsOf(frame)));
    ASSERT_EQ(window.Set(), tool) << "frame variant " << variant;
  }
}

TEST(WindowAgreement, AFrameThatLeavesControlsAloneKeepsWhatTheEarlierReadShowed) {
  // The window keeps the front sensor, power and protection of an extended frame when a plain one follows,
  // and the offset when the next one reports none.
  ctl::FrameBytes first = FrameFor(0);
  const std::string mark = "20171106";
  std::copy(mark.begin(), mark.end(), first.begin() + 34);
  first[56] = '0';  // front sensor absent
  first[57] = '0';  // internal power
  first[59] = 11;   // +2 mm
  ctl::FrameBytes second = FrameFor(1);
  ASSERT_FALSE(quorvel::HasExtendedLayout(second));
  second[59] = 21;
  WindowAfterRead window;
  window.Read(first);
  window.Read(second);
  const quorvel::PrinterSettings tool = quorvel::SettingsShownAfter(
      quorvel::SettingsShownAfter(quorvel::SettingsAtWindowLoad(), quorvel::SettingsOf(first)),
      quorvel::SettingsOf(second));
  EXPECT_EQ(window.Set(), quorvel::SettingsBatch(tool));
  EXPECT_EQ(tool.offsetIndex, 11);
}

TEST(WindowAgreement, TheReportIsTheDebugViewsTextInEitherLanguage) {
  for (unsigned variant : {0u, 17u, 1234u, 2047u}) {
    const ctl::FrameBytes frame = FrameFor(variant);
    for (int16_t language : {0, 1}) {
      WindowAfterRead window;
      window.f.process.language = language;
      window.Read(frame);
      EXPECT_EQ(ctl::ReportLines(frame, language == 1 ? ctl::Language::Chinese : ctl::Language::English),
                WithoutCarriageReturns(window.f.richTextBox1.Text()))
          << variant << " " << language;
    }
  }
}

}  // namespace
