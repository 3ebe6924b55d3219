#include <gtest/gtest.h>

#include <algorithm>

#include "config_tool/console/command_console.h"
#include "config_tool/console/usb_probe.h"
#include "platform/fakes/fake_controls.h"
#include "platform/fakes/fake_services.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct ConsoleFixture {
  fakes::FakeWindow window;
  fakes::FakeCaptions captions;
  fakes::FakeComboBox comboPrinter;
  fakes::FakeRichText text1, tascii, txtre;
  fakes::FakeListBox list2, list1;
  fakes::FakeCheckBox checkHexMode, check1;
  fakes::FakeLabel label2;
  fakes::FakeTimer timer3;
  fakes::FakeSpooler spooler;
  fakes::FakeDialogs dialogs;
  fakes::FakeTextCodec codec;
  fakes::FakeWmi wmi;
  fakes::FakeFileSystem files;
  fakes::FakeSkinEngine skin;
  quorvel::ProcessState process{1};  // Chinese, as the launcher starts
  quorvel::CommandConsole::Clock::time_point now{};
  quorvel::CommandConsole console{
      {window, captions, comboPrinter, text1, tascii, list2, txtre, checkHexMode, check1, label2, timer3, list1},
      {spooler, dialogs, codec, wmi, files, {skin, files, dialogs}},
      process,
      [this] { return now; }};

  explicit ConsoleFixture(std::vector<std::string> printers = {"KESTRAMO K-108", "Office"}) {
    spooler.printers = std::move(printers);
    console.Load(15000, 9000);
  }

  void SendText(const std::string& text, bool hex) {
    text1.SetText(text);
    checkHexMode.SetValue(hex ? platform::CheckValue::Checked : platform::CheckValue::Unchecked);
    console.OnCommand4Click();
  }

  Bytes LastJob() const { return spooler.jobs.empty() ? Bytes{} : spooler.jobs.back().bytes; }
};

TEST(ConsoleLoad, ListsPrintersDressesAndEnlargesTheSendBox) {
  ConsoleFixture f;
  EXPECT_EQ(f.window.Caption(), "Lumisk-条码打印机指令测试");
  EXPECT_EQ(f.comboPrinter.items, (std::vector<std::string>{"KESTRAMO K-108", "Office"}));
  EXPECT_EQ(f.comboPrinter.Selected(), 0);
  EXPECT_EQ(f.console.State(), quorvel::ViewState::Enlarged);
  EXPECT_FALSE(f.tascii.Visible());
  EXPECT_FALSE(f.txtre.Visible());
  EXPECT_FALSE(f.list2.Visible());
  EXPECT_EQ(f.text1.color, 0x800080u);
  EXPECT_EQ(f.console.Geometry().text1.left, 2000);
  EXPECT_EQ(f.console.Geometry().text1.width, 146000);
  EXPECT_FALSE(f.timer3.Running());
  EXPECT_EQ(f.label2.Text(), "######");
  EXPECT_EQ(f.skin.calls.front(), "Attach");
  EXPECT_EQ(f.window.repaints, 2);  // the skin start's, and the one before the send box is enlarged
}

TEST(ConsoleSend, HexModeSkipsSpacesAndTakesPairs) {
  ConsoleFixture f;
  f.SendText("1B 40 0d0A", true);
  EXPECT_EQ(f.LastJob(), (Bytes{0x1B, 0x40, 0x0D, 0x0A}));
  EXPECT_EQ(f.spooler.jobs.back().document, "AAAAAA");
  EXPECT_EQ(f.spooler.jobs.back().printer, "KESTRAMO K-108");
  f.SendText("1B 4", true);
  EXPECT_EQ(f.LastJob(), (Bytes{0x1B, 0x04}));
  EXPECT_EQ(f.console.LastSentCount(), 2u);
  EXPECT_TRUE(f.dialogs.messages.empty());
}

TEST(ConsoleSend, BadHexSendsNothingAndSaysSo) {
  for (const char* text : {"1B 40\r\n0D 0A", "1G", "中文"}) {
    ConsoleFixture f;
    f.SendText(text, true);
    EXPECT_TRUE(f.spooler.jobs.empty()) << text;
    ASSERT_EQ(f.dialogs.messages.size(), 1u) << text;
    EXPECT_EQ(f.dialogs.messages[0].text, "发送失败!格式不对！");
    EXPECT_EQ(f.dialogs.messages[0].title, "提示");
  }
}

TEST(ConsoleSend, TextModeSendsCodePageBytesLeadByteFirst) {
  ConsoleFixture f;
  f.SendText("AB中\r\n", false);
  EXPECT_EQ(f.LastJob(), (Bytes{0x41, 0x42, 0xD6, 0xD0, 0x0D, 0x0A}));
  EXPECT_EQ(quorvel::EncodeDoubleByteHex(f.codec, "中"), "D6D0");
  f.SendText("", false);  // an empty box is an empty job
  ASSERT_EQ(f.spooler.jobs.size(), 2u);
  EXPECT_TRUE(f.LastJob().empty());
}

TEST(ConsoleSend, CharacterWithoutCodePageFormIsRefusedNotSubstituted) {
  ConsoleFixture f;
  f.SendText("A\xE2\x82\xAC", false);  // a euro sign: not in the fake code page
  EXPECT_TRUE(f.spooler.jobs.empty());
  // Not a format fault: the text names the character that cannot be sent.
  EXPECT_EQ(f.dialogs.messages.at(0).text, "发送失败！字符“€”在本机的代码页中没有编码，无法以文本方式发送。");
  EXPECT_EQ(f.dialogs.messages.at(0).title, "提示");
}

TEST(ConsoleSend, BufferHoldsExactly3000001Bytes) {
  ConsoleFixture f;
  f.SendText(std::string(3'000'001, 'A'), false);
  ASSERT_EQ(f.spooler.jobs.size(), 1u);
  EXPECT_EQ(f.LastJob().size(), 3'000'001u);
  f.SendText(std::string(3'000'002, 'A'), false);
  EXPECT_EQ(f.spooler.jobs.size(), 1u);
  EXPECT_EQ(f.dialogs.messages.at(0).text, "发送失败!格式不对！");

  std::string hex;
  for (int i = 0; i < 3'000'002; ++i) hex += "00";
  f.SendText(hex, true);
  EXPECT_EQ(f.spooler.jobs.size(), 1u);
  EXPECT_EQ(f.dialogs.messages.size(), 2u);
}

TEST(ConsoleSend, UnknownPrinterAndRefusedJobAreReported) {
  ConsoleFixture empty(std::vector<std::string>{});
  empty.SendText("X", false);
  EXPECT_TRUE(empty.spooler.jobs.empty());
  ASSERT_EQ(empty.dialogs.messages.size(), 1u);
  EXPECT_EQ(empty.dialogs.messages[0].text, "The Printer Name you typed wasn't recognized.");

  ConsoleFixture refusing;
  refusing.spooler.acceptLimit = 2;
  refusing.SendText("1B 40 1B", true);
  EXPECT_TRUE(refusing.spooler.jobs.empty());
  ASSERT_EQ(refusing.dialogs.messages.size(), 1u);
  EXPECT_NE(refusing.dialogs.messages[0].text.find("发送失败"), std::string::npos);
  EXPECT_NE(refusing.dialogs.messages[0].text.find("2 / 3"), std::string::npos);
}

TEST(ConsoleSend, AJobThatTookEveryByteButDidNotEndIsNotCalledCancelled) {
  ConsoleFixture f;
  f.spooler.failEnd = true;
  f.SendText("1B 40 1B", true);
  ASSERT_EQ(f.dialogs.messages.size(), 1u);
  const std::string& text = f.dialogs.messages[0].text;
  EXPECT_EQ(text, "发送失败！打印机“KESTRAMO K-108”已接收全部 3 字节，但打印任务没有正常结束，可能不会打印。");
  EXPECT_EQ(text.find("已取消"), std::string::npos);
}

TEST(ConsoleTimedSend, RepeatsEvery100msAndStopsOnAFailure) {
  ConsoleFixture f;
  f.text1.SetText("PTESTPAGE");
  f.check1.SetValue(platform::CheckValue::Checked);
  f.console.OnCheck1Click();
  EXPECT_TRUE(f.timer3.Running());
  EXPECT_EQ(f.timer3.Interval(), 1u);
  for (int i = 0; i < 5; ++i) f.console.OnTimer3Tick();
  EXPECT_EQ(f.timer3.Interval(), 100u);
  EXPECT_EQ(f.spooler.jobs.size(), 5u);

  f.comboPrinter.Clear();  // the printer went away
  f.console.OnTimer3Tick();
  EXPECT_EQ(f.dialogs.messages.size(), 1u);
  EXPECT_FALSE(f.timer3.Running());
  EXPECT_EQ(f.check1.Value(), platform::CheckValue::Unchecked);

  f.check1.SetValue(platform::CheckValue::Checked);
  f.console.OnCheck1Click();
  f.check1.SetValue(platform::CheckValue::Unchecked);
  f.console.OnCheck1Click();
  EXPECT_FALSE(f.timer3.Running());
}

// A printer that takes no data keeps each job in the queue: the timed send waits for it rather than pile up a job
// every 100 ms, and goes on once the job has left.
TEST(ConsoleTimedSend, SendsOnlyOnceThePreviousJobHasLeftTheQueue) {
  ConsoleFixture f;
  f.spooler.holdJobs = true;
  f.text1.SetText("PTESTPAGE");
  f.check1.SetValue(platform::CheckValue::Checked);
  f.console.OnCheck1Click();
  for (int i = 0; i < 50; ++i) f.console.OnTimer3Tick();
  EXPECT_EQ(f.spooler.jobs.size(), 1u);
  EXPECT_TRUE(f.timer3.Running());  // still on: waiting is not a failure
  EXPECT_TRUE(f.dialogs.messages.empty());

  f.spooler.queued.clear();  // the printer took the job
  f.console.OnTimer3Tick();
  f.console.OnTimer3Tick();
  EXPECT_EQ(f.spooler.jobs.size(), 2u);

  // A send by the button is the user's own: it is never held back.
  f.console.OnCommand4Click();
  EXPECT_EQ(f.spooler.jobs.size(), 3u);
}

// Ticks of the timed send, each 100 ms after the one before, over `span`.
void TickFor(ConsoleFixture& f, std::chrono::milliseconds span) {
  for (auto end = f.now + span; f.now < end; f.now += std::chrono::milliseconds(100)) f.console.OnTimer3Tick();
}

void StartTimedSend(ConsoleFixture& f) {
  f.text1.SetText("PTESTPAGE");
  f.check1.SetValue(platform::CheckValue::Checked);
  f.console.OnCheck1Click();
}

// A job the spooler keeps for a reason of its own never leaves by waiting: after a while the timed send stops and
// the receive view says why, in the language chosen at the start.
TEST(ConsoleTimedSend, GivesUpOnAHeldJobAndSaysWhy) {
  struct Case {
    const char* what;
    platform::QueuedJob held;
    int16_t language;
    std::vector<std::string> told;
  };
  const Case cases[] = {
      {"in error", {.error = true}, 1, {"出错"}},
      {"paused", {.paused = true}, 1, {"已暂停"}},
      {"kept after printing", {.printed = true}, 1, {"保留已打印的文档"}},
      {"offline and out of paper", {.offline = true, .paperOut = true}, 1, {"脱机", "缺纸"}},
      {"blocked", {.blocked = true}, 1, {"阻塞"}},
      {"no reason given", {}, 1, {"没有接收"}},
      {"in error, English", {.error = true}, 0, {"in error"}},
      {"paused, English", {.paused = true}, 0, {"paused"}},
      {"kept after printing, English", {.printed = true}, 0, {"keeps printed documents"}},
      {"offline and out of paper, English", {.offline = true, .paperOut = true}, 0, {"offline", "out of paper"}},
  };
  for (const Case& c : cases) {
    ConsoleFixture f;
    f.process.language = c.language;
    f.spooler.holdJobs = true;
    f.spooler.heldAs = c.held;
    StartTimedSend(f);
    TickFor(f, quorvel::kTimedSendQueueWait - std::chrono::milliseconds(200));
    EXPECT_TRUE(f.timer3.Running()) << c.what;  // a short wait is no reason to stop
    EXPECT_EQ(f.txtre.Text(), "") << c.what;
    TickFor(f, std::chrono::milliseconds(300));
    EXPECT_FALSE(f.timer3.Running()) << c.what;
    EXPECT_EQ(f.check1.Value(), platform::CheckValue::Unchecked) << c.what;
    EXPECT_EQ(f.spooler.jobs.size(), 1u) << c.what;
    EXPECT_TRUE(f.dialogs.messages.empty()) << c.what;  // said in the console, no box to close every time
    EXPECT_TRUE(f.txtre.Visible()) << c.what;
    const std::string& text = f.txtre.Text();
    EXPECT_NE(text.find("KESTRAMO K-108"), std::string::npos) << c.what << ": " << text;
    for (const std::string& reason : c.told) EXPECT_NE(text.find(reason), std::string::npos) << c.what << ": " << text;
  }
}

// The timed send follows the printer chosen now: a job held at the printer chosen before holds nothing back.
TEST(ConsoleTimedSend, AnotherPrinterChosenNoLongerWaitsForThePreviousOnesJob) {
  ConsoleFixture f;
  f.spooler.holdJobs = true;
  f.spooler.heldAs = {.paused = true};
  StartTimedSend(f);
  TickFor(f, std::chrono::seconds(3));
  ASSERT_EQ(f.spooler.jobs.size(), 1u);
  f.comboPrinter.Select(1);
  f.spooler.holdJobs = false;  // the other printer takes its jobs
  TickFor(f, std::chrono::milliseconds(500));
  EXPECT_EQ(f.spooler.jobs.size(), 6u);
  EXPECT_EQ(f.spooler.jobs.back().printer, "Office");
  // Back at the first printer, whose job is still held: the next job goes to it, and waits from then on.
  f.comboPrinter.Select(0);
  f.spooler.holdJobs = true;
  TickFor(f, std::chrono::seconds(9));
  EXPECT_EQ(f.spooler.jobs.size(), 7u);
  EXPECT_EQ(f.spooler.jobs.back().printer, "KESTRAMO K-108");
  EXPECT_TRUE(f.timer3.Running());
  EXPECT_EQ(f.txtre.Text(), "");
}

TEST(ConsoleCommandList, ReplacesTheCharacterViewAndAppendsCommandWords) {
  ConsoleFixture f;
  f.console.OnCommandCClick();
  EXPECT_FALSE(f.tascii.Visible());
  EXPECT_TRUE(f.list2.Visible());
  ASSERT_EQ(f.list2.Count(), 6);
  EXPECT_EQ(f.list2.Item(4), "打开ＵＳＢ定位");
  f.list2.Select(1);
  f.console.OnList2DoubleClick();
  f.console.OnList2DoubleClick();
  f.list2.Select(0);
  f.console.OnList2DoubleClick();  // the heading
  EXPECT_EQ(f.text1.Text(), "PROGRAME UPGRADE\r\nPROGRAME UPGRADE\r\n");
  f.text1.SetText("");
  f.list2.Select(2);
  f.console.OnList2DoubleClick();
  f.SendText(f.text1.Text(), false);
  EXPECT_EQ(f.LastJob(), (Bytes{'R', 'E', 'T', 'U', 'R', 'N', ' ', 'V', 'A', 'L', 'U', 'E', 0x0D, 0x0A}));
}

TEST(ConsoleRefreshAndClear, RefillPrintersAndEmptyTheBoxes) {
  ConsoleFixture f;
  f.spooler.printers = {};
  f.console.OnCommand6Click();
  EXPECT_EQ(f.comboPrinter.Count(), 0);
  f.spooler.printers = {"A", "B"};
  f.console.OnCommand6Click();
  EXPECT_EQ(f.comboPrinter.Text(), "A");
  f.text1.SetText("x");
  f.tascii.SetText("y");
  f.txtre.SetText("z");
  f.console.OnCommand7Click();
  EXPECT_EQ(f.text1.Text() + f.tascii.Text() + f.txtre.Text(), "");
}

TEST(ConsoleLayout, FollowsTheWindowInBothViewStates) {
  quorvel::ConsoleGeometry g = quorvel::ConsoleGeometry::Designed();
  quorvel::LayOut(g, quorvel::ViewState::SideBySide, 12000, 8000);  // X = 120000, H = 8000
  EXPECT_EQ(g.text1, (quorvel::Box{1500, 840, 39000, 5675}));
  EXPECT_EQ(g.tascii.left, 42000);
  EXPECT_EQ(g.txtre.left, 82500);
  EXPECT_EQ(g.txtre.width, 39000);
  EXPECT_EQ(g.checkHexMode.top, 6630);
  EXPECT_EQ(g.command7, (quorvel::Box{34000, 6830, 12000, 420}));
  EXPECT_EQ(g.command8.left, 48000);
  EXPECT_EQ(g.command5.left, 76000);
  EXPECT_EQ(g.command4.left, 90000);
  EXPECT_EQ(g.commandC.left, 104000);
  EXPECT_EQ(g.list2, g.tascii);

  quorvel::LayOut(g, quorvel::ViewState::Enlarged, 12000, 8000);
  for (const quorvel::Box& box : {g.text1, g.tascii, g.txtre}) {
    EXPECT_EQ(box.left, 2000);
    EXPECT_EQ(box.width, 116000);
  }

  // A small window keeps the sizes and button places of the last large one.
  quorvel::ConsoleGeometry small = g;
  quorvel::LayOut(small, quorvel::ViewState::SideBySide, 8000, 7000);
  EXPECT_EQ(small.text1.width, g.text1.width);
  EXPECT_EQ(small.text1.height, g.text1.height);
  EXPECT_EQ(small.command7, g.command7);
}

TEST(ConsoleViewState, ClicksToggleTheEnlargedBox) {
  ConsoleFixture f;
  f.console.OnTextBoxClick(quorvel::TextBox::Receive);  // enlarged -> side by side
  EXPECT_EQ(f.console.State(), quorvel::ViewState::SideBySide);
  EXPECT_TRUE(f.tascii.Visible() && f.txtre.Visible() && f.text1.Visible());
  EXPECT_EQ(f.console.Geometry().text1.width, 49000);
  f.console.OnTextBoxClick(quorvel::TextBox::Characters);
  EXPECT_EQ(f.console.State(), quorvel::ViewState::Enlarged);
  EXPECT_TRUE(f.tascii.Visible());
  EXPECT_FALSE(f.text1.Visible() || f.txtre.Visible());
  EXPECT_EQ(f.console.Geometry().tascii.width, 146000);
  f.console.OnResize(20000, 10000);
  EXPECT_EQ(f.console.Geometry().tascii.width, 196000);
}

TEST(ConsoleKeys, EscHidesTheCommandListAndBringsTheSendBoxBack) {
  struct Case {
    const char* what;
    std::vector<quorvel::TextBox> clicks;  // before the command list shows
    bool listShown;
    bool characterViewAfter;
  };
  const Case cases[] = {
      {"send box enlarged, list over it", {}, true, false},
      {"side by side, list over the character view", {quorvel::TextBox::Receive}, true, true},
      {"receive view enlarged, no list", {quorvel::TextBox::Receive, quorvel::TextBox::Receive}, false, true},
      {"character view enlarged, no list", {quorvel::TextBox::Receive, quorvel::TextBox::Characters}, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConsoleFixture f;
    for (quorvel::TextBox box : c.clicks) f.console.OnTextBoxClick(box);
    if (c.listShown) f.console.OnCommandCClick();
    f.console.OnEscape();
    EXPECT_FALSE(f.list2.Visible());
    EXPECT_TRUE(f.text1.Visible());
    EXPECT_EQ(f.tascii.Visible(), c.characterViewAfter);
  }
}

TEST(ConsoleKeys, F6TogglesAnyViewAndEnterOrSpaceOnlyTheReadOnlyReceiveView) {
  using quorvel::TextBox;
  using quorvel::ViewKey;
  struct Case {
    TextBox box;
    ViewKey key;
    bool toggles;
  };
  const Case cases[] = {
      {TextBox::Send, ViewKey::F6, true},         {TextBox::Characters, ViewKey::F6, true},
      {TextBox::Receive, ViewKey::F6, true},      {TextBox::Receive, ViewKey::Enter, true},
      {TextBox::Receive, ViewKey::Space, true},   {TextBox::Send, ViewKey::Enter, false},
      {TextBox::Send, ViewKey::Space, false},     {TextBox::Characters, ViewKey::Enter, false},
      {TextBox::Receive, ViewKey::Other, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.box) * 10 + static_cast<int>(c.key));
    ConsoleFixture f;
    f.console.OnTextBoxClick(TextBox::Receive);  // side by side
    ConsoleFixture clicked;
    clicked.console.OnTextBoxClick(TextBox::Receive);
    clicked.console.OnTextBoxClick(c.box);
    EXPECT_EQ(f.console.OnViewKey(c.box, c.key), c.toggles);
    EXPECT_EQ(f.console.State(), c.toggles ? clicked.console.State() : quorvel::ViewState::SideBySide);
    EXPECT_EQ(f.text1.Visible(), c.toggles ? clicked.text1.Visible() : true);
  }
}

struct FileLoad : ConsoleFixture {
  void Load(const Bytes& bytes) {
    files.files["C:\\fw.bin"] = bytes;
    dialogs.nextChosenFile = "C:\\fw.bin";
    window.repaints = 0;
    console.OnCommand5Click();
  }
};

TEST(ConsoleFileLoad, ShowsHexAndCharactersAndSendsTheFileBack) {
  FileLoad f;
  f.Load({0x1B, 0x40, 0xFF, 0x0A, 0x00});
  ASSERT_EQ(f.dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(f.dialogs.fileRequests[0].title, "打开二进制文件");
  EXPECT_EQ(f.dialogs.fileRequests[0].filter, "AllFile(*.*)|*.*|");
  EXPECT_EQ(f.text1.Text(), "1B 40 FF 0A 00 ");
  EXPECT_EQ(f.tascii.Text(), "\x1B@...");
  EXPECT_TRUE(f.tascii.Visible());
  f.checkHexMode.SetValue(platform::CheckValue::Checked);
  f.console.OnCommand4Click();
  EXPECT_EQ(f.LastJob(), (Bytes{0x1B, 0x40, 0xFF, 0x0A, 0x00}));
}

// What a send of the file's whole hex text in the send box gives: the bytes, or nothing when it is refused.
std::optional<Bytes> SendOfWholeHexText(const Bytes& file, bool hex) {
  std::string text;
  quorvel::AppendHexText(file, text);
  quorvel::SendBuffer buffer;
  fakes::FakeTextCodec codec;
  const bool ok = hex ? quorvel::EncodeHexMode(text, buffer) : bool(quorvel::EncodeTextMode(codec, text, buffer));
  if (!ok) return std::nullopt;
  return Bytes(buffer.Filled().begin(), buffer.Filled().end());
}

// However large the file, no box is given more than a small text at a time, and a send gives what a send of the
// file's whole hex text gives, in both modes: the bytes, the hex characters, or the refusal of an oversized send.
TEST(ConsoleFileLoad, ALargeFileKeepsEveryBoxTextSmallAndSendsWhatItsWholeHexTextWould) {
  constexpr size_t kBoxTextLimit = 3 * quorvel::kShownFileBytes + 1024;
  struct Case {
    size_t size;
    bool hex;
  };
  const Case cases[] = {{quorvel::kLargestLoadableFile, true}, {quorvel::kLargestLoadableFile, false},
                        {quorvel::kSendBufferSize, true},      {quorvel::kSendBufferSize + 1, true},
                        {1'000'000, false},                    {1'000'001, false},
                        {5, false},                            {quorvel::kShownFileBytes + 1, true}};
  for (const Case& c : cases) {
    const std::string what = std::to_string(c.size) + (c.hex ? " bytes, hex" : " bytes, text");
    FileLoad f;
    Bytes file(c.size);
    for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 7 + i / 251);
    f.files.files["C:\\fw.bin"] = file;
    f.dialogs.nextChosenFile = "C:\\fw.bin";
    size_t largest = 0;
    auto look = [&] { largest = std::max({largest, f.text1.Text().size(), f.tascii.Text().size()}); };
    f.console.OnCommand5Click();
    look();
    EXPECT_LE(largest, kBoxTextLimit) << what;

    f.checkHexMode.SetValue(c.hex ? platform::CheckValue::Checked : platform::CheckValue::Unchecked);
    f.console.OnCommand4Click();
    const std::optional<Bytes> expected = SendOfWholeHexText(file, c.hex);
    if (expected) {
      ASSERT_EQ(f.spooler.jobs.size(), 1u) << what;
      EXPECT_TRUE(f.LastJob() == *expected) << what;
      EXPECT_TRUE(f.dialogs.messages.empty()) << what;
    } else {
      EXPECT_TRUE(f.spooler.jobs.empty()) << what;
      ASSERT_EQ(f.dialogs.messages.size(), 1u) << what;
      EXPECT_EQ(f.dialogs.messages[0].text, "发送失败!格式不对！") << what;
    }
  }
}

// A file larger than the boxes show says so; once the user changes the send box, the box's text is what goes.
TEST(ConsoleFileLoad, AFileCutShortForTheBoxesSaysSoAndAChangedBoxSendsItsOwnText) {
  for (int16_t language : {1, 0}) {
    FileLoad f;
    f.process.language = language;
    f.Load(Bytes(3 * quorvel::kShownFileBytes, 0x41));
    const std::string note = f.tascii.Text().substr(0, f.tascii.Text().find("\r\n"));
    ASSERT_LT(note.size(), 1000u);
    EXPECT_NE(note.find(std::to_string(quorvel::kShownFileBytes)), std::string::npos) << note;
    EXPECT_NE(note.find(std::to_string(3 * quorvel::kShownFileBytes)), std::string::npos) << note;
    EXPECT_NE(note.find(language == 1 ? "整个文件" : "whole file"), std::string::npos) << note;
    EXPECT_EQ(f.text1.Text().size(), 3 * quorvel::kShownFileBytes);

    f.text1.SetText(f.text1.Text() + "1B");
    f.checkHexMode.SetValue(platform::CheckValue::Checked);
    f.console.OnCommand4Click();
    Bytes typed(quorvel::kShownFileBytes, 0x41);
    typed.push_back(0x1B);
    EXPECT_TRUE(f.LastJob() == typed);
  }
  FileLoad small;
  small.Load(Bytes(quorvel::kShownFileBytes, 0x41));
  EXPECT_EQ(small.tascii.Text(), std::string(quorvel::kShownFileBytes, 'A'));  // shown whole: no note
}

TEST(ConsoleFileLoad, NoFileEmptyUnreadableOrHugeFileLeavesTheBoxes) {
  FileLoad f;
  f.text1.SetText("kept");
  f.console.OnCommand5Click();  // cancelled
  f.Load({});
  f.files.unreadable["C:\\locked.bin"] = "Access is denied.";
  f.dialogs.nextChosenFile = "C:\\locked.bin";
  f.console.OnCommand5Click();
  f.Load(Bytes(quorvel::kLargestLoadableFile + 1));
  ASSERT_EQ(f.dialogs.messages.size(), 4u);
  // The console's own texts are in its language; the system's description of a failure stays the system's.
  EXPECT_EQ(f.dialogs.messages[1].text, "文件是空的。");
  EXPECT_EQ(f.dialogs.messages[3].text, "文件太大：最多只能载入 16777216 字节。");
  EXPECT_EQ(f.dialogs.messages[0].text, "Please select file");
  EXPECT_EQ(f.dialogs.messages[0].title, "Tips");
  EXPECT_EQ(f.dialogs.messages[1].title, "error");
  EXPECT_EQ(f.dialogs.messages[2].text, "Access is denied.");
  EXPECT_EQ(f.dialogs.messages[2].title, "error");
  EXPECT_EQ(f.text1.Text(), "kept");
}

TEST(UsbProbe, FindsThe1A86ProductAndIgnoresOthers) {
  ConsoleFixture f;
  f.wmi.dependents = {R"(\\PC\root\cimv2:Win32_PnPEntity.DeviceID="USB\\VID_046D&PID_C077\\5&1")",
                      R"(\\PC\root\cimv2:Win32_PnPEntity.DeviceID="USB\\vid_1a86&pid_1111\\5&2")",
                      R"(\\PC\root\cimv2:Win32_PnPEntity.DeviceID="USB\\VID_1A86&PID_7584\\5&3")"};
  f.txtre.SetText("old");
  f.console.OnCommand8Click();
  EXPECT_EQ(f.label2.Text(), "7584");
  EXPECT_EQ(f.txtre.Text(), "找到PID：7584");
  EXPECT_EQ(f.wmi.queries.at(0), "Select   *   From   Win32_USBControllerDevice / Dependent");
  EXPECT_EQ(f.window.repaints, 2 + 3);

  std::vector<std::string> trail;
  auto found = quorvel::ProductIdOf("USB\\VID_1A86&PID_7584\\X", [&] { trail.push_back("vendor"); });
  EXPECT_EQ(found, "7584");
  EXPECT_EQ(trail.size(), 1u);
}

TEST(UsbProbe, NothingFoundOrNoServiceKeepsTheLabel) {
  ConsoleFixture f;
  f.wmi.dependents = {"USB\\VID_1A86\\NOPRODUCT", "USB\\VID_0483&PID_5720\\X", "USB\\VID", "VID_1A86&PID"};
  ASSERT_FALSE(f.txtre.Visible());  // the starting view shows the send box alone
  f.console.OnCommand8Click();
  EXPECT_EQ(f.txtre.Text(), "没有找到PID");
  // The answer is in view: the receive box enlarged in the send box's place.
  EXPECT_TRUE(f.txtre.Visible());
  EXPECT_FALSE(f.text1.Visible());
  EXPECT_FALSE(f.tascii.Visible());
  EXPECT_FALSE(f.list2.Visible());
  EXPECT_EQ(f.label2.Text(), "######");
  f.wmi.reachable = false;
  f.console.OnCommand8Click();
  EXPECT_EQ(f.txtre.Text(), "没有找到PID");
}

}  // namespace
