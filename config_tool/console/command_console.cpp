#include "config_tool/console/command_console.h"

#include <algorithm>
#include <iterator>

#include "config_tool/console/usb_probe.h"
#include "config_tool/link/raw_spooler_job.h"

namespace quorvel {
namespace {

struct CommandEntry {
  std::string_view entry;
  std::string_view command;  // empty: the heading
};

constexpr CommandEntry kCommandList[] = {
    {"命令：", ""},
    {"下载程序", "PROGRAME UPGRADE"},
    {"返回参数", "RETURN VALUE"},
    {"打印自检页", "PTESTPAGE"},
    {"打开ＵＳＢ定位", "USBHANDO"},
    {"关闭ＵＳＢ定位", "USBHANDC"},
};

constexpr uint32_t kTimedSendFirstMs = 1, kTimedSendMs = 100;

}  // namespace

CommandConsole::CommandConsole(const ConsoleControls& controls, const ConsoleServices& services,
                               const ProcessState& process, std::function<Clock::time_point()> now)
    : controls_(controls),
      services_(services),
      process_(process),
      now_(std::move(now)),
      skins_(controls_.list1, controls_.window, services.skins) {}

void CommandConsole::Load(int widthTwips, int heightTwips) {
  width_ = widthTwips;
  height_ = heightTwips;
  controls_.window.SetCaption(kConsoleCaption);
  const std::pair<std::string_view, std::string_view> captions[] = {
      {"Command4", "发送"},     {"Command5", "打开文件"}, {"Command6", "刷新"},     {"Command7", "清除"},
      {"Command8", "检测PID"},  {"CommandC", "添加命令"}, {"Command1", "选择皮肤"}, {"Command2", "透明边框"},
      {"Command3", "取消透明"}, {"Label1", "打印机"},     {"Label3", "调试信息返回端口"}};
  for (const auto& [name, caption] : captions) controls_.captions.SetCaption(name, caption);
  controls_.checkHexMode.SetText("HEX发送模式");
  controls_.check1.SetText("定时发送");
  controls_.label2.SetText("######");

  controls_.timer3.SetEnabled(false);
  FillPrinters();
  skins_.Start(DressedWindow::Console);
  geometry_.text1.left = 1500;
  geometry_.text1.width = 10 * width_ - 3000;
  geometry_.command5.top = geometry_.command4.top;
  controls_.text1.SetTextColor(kSendBoxColor);
  controls_.window.Repaint();
  OnTextBoxClick(TextBox::Send);
  controls_.checkHexMode.SetValue(platform::CheckValue::Unchecked);
  controls_.list2.SetVisible(false);
}

void CommandConsole::OnResize(int widthTwips, int heightTwips) {
  width_ = widthTwips;
  height_ = heightTwips;
  LayOutNow();
  controls_.list2.SetVisible(false);
}

void CommandConsole::FillPrinters() {
  controls_.comboPrinter.Clear();
  for (const std::string& printer : services_.spooler.ListPrinters()) {
    controls_.comboPrinter.Add(printer);
    controls_.comboPrinter.Select(0);
  }
}

bool CommandConsole::Send() {
  if (sending_) return false;
  sending_ = true;
  buffer_.Restart();
  const std::string text = controls_.text1.Text();
  const bool hexMode = controls_.checkHexMode.Value() == platform::CheckValue::Checked;
  // A changed send box is the user's own text; while it still shows the loaded file, the whole file goes.
  if (loaded_ && text != loaded_->shownHex) loaded_.reset();
  const TextModeResult built = loaded_   ? TextModeResult{EncodeLoadedFile(loaded_->bytes, hexMode, buffer_), {}}
                               : hexMode ? TextModeResult{EncodeHexMode(text, buffer_), {}}
                                         : EncodeTextMode(services_.codec, text, buffer_);
  bool sent = false;
  if (!built && !built.unencodable.empty()) {
    // Not a fault of the format: this PC's code page has no bytes for the character.
    services_.dialogs.ShowMessage("发送失败！字符“" + built.unencodable + "”在本机的代码页中没有编码，无法以文本方式发送。",
                                  "提示");
  } else if (!built) {
    services_.dialogs.ShowMessage(kBadFormatText, "提示");
  } else {
    timedJobPrinter_ = controls_.comboPrinter.Text();
    timedJobSent_ = now_();
    sent = SendRawToPrinter(services_.spooler, services_.dialogs, timedJobPrinter_, buffer_.Filled(), sentCount_,
                            &timedJobId_);
  }
  // One message is enough: a failing timed send stops instead of asking again every 100 ms.
  if (!sent) StopTimedSend();
  sending_ = false;
  return sent;
}

void CommandConsole::StopTimedSend() {
  if (controls_.check1.Value() != platform::CheckValue::Checked) return;
  controls_.check1.SetValue(platform::CheckValue::Unchecked);
  controls_.timer3.SetEnabled(false);
}

void CommandConsole::OnCheck1Click() {
  if (controls_.check1.Value() == platform::CheckValue::Checked) {
    controls_.timer3.SetInterval(kTimedSendFirstMs);
    controls_.timer3.SetEnabled(true);
  } else {
    controls_.timer3.SetEnabled(false);
  }
}

void CommandConsole::OnTimer3Tick() {
  if (sending_) return;  // a message box of the previous send is still open
  controls_.timer3.SetInterval(kTimedSendMs);
  // The previous job has not gone to the printer yet: this tick waits for it rather than queue one more. A job at
  // another printer than the one chosen now holds nothing back.
  if (timedJobId_ != 0 && timedJobPrinter_ == controls_.comboPrinter.Text()) {
    if (std::optional<platform::QueuedJob> job = services_.spooler.FindQueuedJob(timedJobPrinter_, timedJobId_)) {
      // A job in error, paused or kept after printing never leaves by waiting.
      if (now_() - timedJobSent_ < kTimedSendQueueWait) return;
      StopTimedSend();
      ReportHeldJob(*job);
      return;
    }
  }
  Send();
}

void CommandConsole::ReportHeldJob(const platform::QueuedJob& job) {
  const bool chinese = process_.language == 1;
  std::vector<std::string_view> reasons;
  if (job.error) reasons.push_back(chinese ? "打印机或任务出错" : "the printer or the job is in error");
  if (job.paused) reasons.push_back(chinese ? "任务或打印机已暂停" : "the job or the printer is paused");
  if (job.offline) reasons.push_back(chinese ? "打印机脱机" : "the printer is offline");
  if (job.paperOut) reasons.push_back(chinese ? "打印机缺纸" : "the printer is out of paper");
  if (job.blocked) reasons.push_back(chinese ? "被前面出错的任务阻塞" : "it is blocked behind a job that failed");
  if (job.printed) {
    reasons.push_back(chinese ? "任务已打印，但打印机设置为保留已打印的文档"
                              : "it has printed, but the printer keeps printed documents");
  }
  if (reasons.empty()) reasons.push_back(chinese ? "打印机还没有接收数据" : "the printer has not taken its data yet");
  std::string why;
  for (std::string_view reason : reasons) {
    if (!why.empty()) why += chinese ? "；" : "; ";
    why += reason;
  }
  const std::string printer = "“" + timedJobPrinter_ + "”";
  const std::string seconds = std::to_string(kTimedSendQueueWait.count());
  ShowReceiveView();
  controls_.txtre.SetText(
      chinese ? "定时发送已停止：上一个任务在打印机" + printer + "的队列中已等待 " + seconds + " 秒（" + why +
                    "）。请在打印队列中处理或删除该任务，再勾选“定时发送”。\r\n"
              : "Timed send stopped: the previous job has waited " + seconds + " s in the queue of printer " +
                    printer + " (" + why + "). Resume or delete it in the print queue, then tick the box again.\r\n");
}

void CommandConsole::OnCommandCClick() {
  controls_.tascii.SetVisible(false);
  controls_.list2.SetVisible(true);
  controls_.list2.Clear();
  for (const CommandEntry& entry : kCommandList) controls_.list2.Add(entry.entry);
}

void CommandConsole::OnList2DoubleClick() {
  const int selected = controls_.list2.Selected();
  if (selected < 0 || selected >= static_cast<int>(std::size(kCommandList))) return;
  const std::string_view command = kCommandList[selected].command;
  if (command.empty()) return;
  controls_.text1.SetText(controls_.text1.Text() + std::string(command) + "\r\n");
}

void CommandConsole::OnCommand6Click() { FillPrinters(); }

void CommandConsole::OnCommand7Click() {
  loaded_.reset();
  controls_.text1.SetText("");
  controls_.tascii.SetText("");
  controls_.txtre.SetText("");
}

void CommandConsole::OnCommand8Click() {
  ShowReceiveView();
  ProbeUsbIdentity(services_.wmi, controls_.window, controls_.txtre, controls_.label2);
}

// What the console reports goes into the receive box, which the starting view hides: without it in view a report
// would show no change at all. It comes up as a click on it would enlarge it.
void CommandConsole::ShowReceiveView() {
  if (controls_.txtre.Visible()) return;
  state_ = ViewState::SideBySide;
  OnTextBoxClick(TextBox::Receive);
}

void CommandConsole::OnTextBoxClick(TextBox box) {
  if (box == TextBox::Send) {
    state_ = ViewState::Enlarged;
    controls_.tascii.SetVisible(false);
    controls_.txtre.SetVisible(false);
    geometry_.text1.left = 2000;
    geometry_.text1.width = 10 * width_ - 4000;
    return;
  }
  if (state_ == ViewState::SideBySide) {
    state_ = ViewState::Enlarged;
    controls_.text1.SetVisible(box == TextBox::Send);
    controls_.tascii.SetVisible(box == TextBox::Characters);
    controls_.txtre.SetVisible(box == TextBox::Receive);
    Box& clicked = box == TextBox::Characters ? geometry_.tascii : geometry_.txtre;
    clicked.left = 2000;
    clicked.width = 10 * width_ - 4000;
  } else {
    state_ = ViewState::SideBySide;
    ShowBoxes();
  }
  LayOutNow();
  controls_.list2.SetVisible(false);
}

void CommandConsole::OnEscape() {
  if (controls_.list2.Visible()) {
    controls_.list2.SetVisible(false);
    // The character view comes back where the list stood, unless the send box alone is in view.
    if (state_ == ViewState::SideBySide) controls_.tascii.SetVisible(true);
  }
  if (!controls_.text1.Visible()) {
    state_ = ViewState::SideBySide;
    ShowBoxes();
    LayOutNow();
  }
}

bool CommandConsole::OnViewKey(TextBox box, ViewKey key) {
  // F6 in any view box; Enter and Space only where they type nothing, in the read-only receive view.
  const bool toggles = key == ViewKey::F6 || (box == TextBox::Receive && (key == ViewKey::Enter || key == ViewKey::Space));
  if (toggles) OnTextBoxClick(box);
  return toggles;
}

void CommandConsole::ShowBoxes() {
  controls_.text1.SetVisible(true);
  controls_.tascii.SetVisible(true);
  controls_.txtre.SetVisible(true);
}

void CommandConsole::OnCommand5Click() {
  controls_.tascii.SetVisible(true);
  controls_.list2.SetVisible(false);
  LoadFile();
}

void CommandConsole::LoadFile() {
  platform::OpenFileRequest request;
  request.title = "打开二进制文件";
  request.filter = "AllFile(*.*)|*.*|";
  std::optional<std::string> chosen = services_.dialogs.ChooseFileToOpen(request);
  if (!chosen || chosen->empty()) {
    services_.dialogs.ShowMessage("Please select file", "Tips");
    return;
  }
  platform::FileContents file = services_.files.ReadWholeFile(*chosen, kLargestLoadableFile);
  if (!file.ok || file.bytes.empty()) {
    std::string message = file.ok         ? "文件是空的。"
                          : file.tooLarge ? "文件太大：最多只能载入 " + std::to_string(kLargestLoadableFile) + " 字节。"
                                          : file.error;
    services_.dialogs.ShowMessage(message, "error");
    return;
  }
  loaded_.emplace();
  loaded_->bytes = std::move(file.bytes);
  const std::span<const uint8_t> shown = std::span<const uint8_t>(loaded_->bytes).first(
      std::min(kShownFileBytes, loaded_->bytes.size()));
  AppendHexText(shown, loaded_->shownHex);
  std::string characters;
  if (shown.size() < loaded_->bytes.size()) characters = CutShortNote(loaded_->bytes.size()) + "\r\n";
  AppendCharacterText(shown, characters);
  controls_.text1.SetText(loaded_->shownHex);
  controls_.tascii.SetText(characters);
}

std::string CommandConsole::CutShortNote(size_t fileSize) const {
  const std::string shown = std::to_string(kShownFileBytes), whole = std::to_string(fileSize);
  const std::string limit = std::to_string(kSendBufferSize);
  const bool sendable = fileSize <= kSendBufferSize;
  if (process_.language == 1) {
    return "文件共 " + whole + " 字节，这里只显示前 " + shown + " 字节。发送框不改动时，发送使用整个文件" +
           (sendable ? "。" : "，但它超过了一次发送的上限 " + limit + " 字节，无法以HEX方式发送。");
  }
  return "The file has " + whole + " bytes; only the first " + shown + " are shown. While the send box is " +
         "unchanged, a send uses the whole file" +
         (sendable ? "." : ", but it is larger than one send can carry (" + limit + " bytes) in hex mode.");
}

}  // namespace quorvel
