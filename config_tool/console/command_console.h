#pragma once
// The command console (Form1): raw sends through the spooler, the command list, file loads and the USB probe.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config_tool/console/console_encoding.h"
#include "config_tool/console/console_layout.h"
#include "config_tool/console/skin_procedures.h"
#include "config_tool/shared_state.h"
#include "platform/interfaces/controls.h"
#include "platform/interfaces/dialogs.h"
#include "platform/interfaces/spooler.h"
#include "platform/interfaces/text_codec.h"
#include "platform/interfaces/timer.h"
#include "platform/interfaces/wmi.h"

namespace quorvel {

inline constexpr std::string_view kConsoleCaption = "Lumisk-条码打印机指令测试";
// What a screen reader calls the boxes that have no label: the send box, the character view, the receive box,
// the command list and the skin list.
inline const std::map<std::string, std::string> kConsoleSpokenNames{
    {"Text1", "发送数据"}, {"TASCII", "字符显示"}, {"TXTRE", "调试信息返回"}, {"List2", "命令"}, {"List1", "皮肤"}};
inline constexpr std::string_view kBadFormatText = "发送失败!格式不对！";
inline constexpr uint32_t kSendBoxColor = 0x800080;  // purple
// The boxes show this much of a loaded file. Its whole hex text (three characters a byte) would take a text box
// seconds to minutes to lay out; a send takes the whole file from memory instead.
inline constexpr size_t kShownFileBytes = 64 * 1024;
// Images a little over the send buffer still load (their hex send is refused); a file far beyond it is surely the
// wrong one.
inline constexpr uint64_t kLargestLoadableFile = 16 * 1024 * 1024;
// How long the timed send waits for its previous job to leave the queue before it stops and says why it is held.
inline constexpr std::chrono::seconds kTimedSendQueueWait{10};

struct ConsoleControls {
  platform::Window& window;
  platform::Captions& captions;
  platform::ComboBox& comboPrinter;
  platform::RichText& text1;   // send box
  platform::RichText& tascii;  // character view of a loaded file
  platform::ListBox& list2;    // command list
  platform::RichText& txtre;   // receive and probe view
  platform::CheckBox& checkHexMode;
  platform::CheckBox& check1;  // timed send
  platform::Label& label2;     // product ID of the probe
  platform::Timer& timer3;     // timed send
  platform::ListBox& list1;    // skin list
};

struct ConsoleServices {
  platform::Spooler& spooler;
  platform::Dialogs& dialogs;
  platform::TextCodec& codec;
  platform::Wmi& wmi;
  platform::FileSystem& files;
  SkinServices skins;
};

// A loaded file: its bytes, and the send box's text that stands for them while the user leaves it unchanged.
struct LoadedConsoleFile {
  std::vector<uint8_t> bytes;
  std::string shownHex;
};

class CommandConsole {
 public:
  using Clock = std::chrono::steady_clock;
  // `process` gives the language of what the console reports in its views (a stopped timed send, a file cut short).
  CommandConsole(const ConsoleControls& controls, const ConsoleServices& services, const ProcessState& process,
                 std::function<Clock::time_point()> now = &Clock::now);

  // The window's client size in twips comes with the load and with every size change.
  void Load(int widthTwips, int heightTwips);
  void OnResize(int widthTwips, int heightTwips);

  void OnCommand4Click() { Send(); }  // 发送
  void OnCommand5Click();             // 打开文件
  void OnCommand6Click();             // 刷新
  void OnCommand7Click();             // 清除
  void OnCommand8Click();             // 检测PID
  void OnCommandCClick();             // 添加命令
  void OnCheck1Click();               // 定时发送
  void OnTimer3Tick();
  void OnList2DoubleClick();
  void OnTextBoxClick(TextBox box);
  // Esc: hides the command list and brings the send box back into view; the window then puts the focus in it.
  void OnEscape();
  // A key on a focused view box; true when it toggled the view as a click on the box does.
  bool OnViewKey(TextBox box, ViewKey key);
  void OnCommand1Click() { skins_.ChooseAndApply(); }
  void OnCommand2Click() { skins_.SetTransparentBorder(true); }
  void OnCommand3Click() { skins_.SetTransparentBorder(false); }
  void OnList1DoubleClick() { skins_.ApplySelected(); }

  const ConsoleGeometry& Geometry() const { return geometry_; }
  ViewState State() const { return state_; }
  // Bytes of the last send that the spooler took.
  uint32_t LastSentCount() const { return sentCount_; }

 private:
  bool Send();
  void FillPrinters();
  void LoadFile();
  void ShowBoxes();
  void ShowReceiveView();
  void StopTimedSend();
  void ReportHeldJob(const platform::QueuedJob& job);
  std::string CutShortNote(size_t fileSize) const;
  void LayOutNow() { LayOut(geometry_, state_, width_, height_); }

  ConsoleControls controls_;
  ConsoleServices services_;
  const ProcessState& process_;
  std::function<Clock::time_point()> now_;
  SkinProcedures skins_;
  SendBuffer buffer_;
  ConsoleGeometry geometry_ = ConsoleGeometry::Designed();
  ViewState state_ = ViewState::SideBySide;
  int width_ = 15000, height_ = 9000;
  uint32_t sentCount_ = 0;
  // The last file loaded, until the send box no longer shows it.
  std::optional<LoadedConsoleFile> loaded_;
  bool sending_ = false;  // a message box of a send is open: timer ticks wait
  // The job of the last send: the next timed send goes only once it has left the queue, so that a printer that
  // takes no data does not collect a job every 100 ms.
  std::string timedJobPrinter_;
  uint32_t timedJobId_ = 0;
  Clock::time_point timedJobSent_{};
};

}  // namespace quorvel
