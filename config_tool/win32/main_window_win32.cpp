#include "config_tool/win32/main_window_win32.h"

namespace quorvel_win32 {
namespace {

constexpr int kClientWidthTwips = kMainWindowClientTwips.width;
constexpr int kClientHeightTwips = kMainWindowClientTwips.height;
constexpr DWORD kFixedSingleNoMinMax = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr UINT_PTR kTimer3 = 3, kTimer4 = 4;

enum ControlId : int {
  kFrame = 1000,  // frames and fixed labels take ids from here on
  kList1 = 1101, kList2, kList3, kList4,
  kLabel1 = 1201, kLabel4 = 1204,
  kComboPrinter = 1300, kCombo1, kCombo2, kCombo3, kCombo4, kCombo5, kCombo6, kCombo7, kCombo8,
  kRichTextBox1 = 1401,
  kCheck1 = 1501, kCheck2, kCheck4 = 1504, kCheck5, kCheckCloseOutSensor,
  kOption1 = 1601, kOption2, kOption3, kOption4, kOption5,
  kCommand1 = 1701, kCommand2, kCommand3, kCommand4, kCommand5, kCommand6, kCommand7, kCommand8,
  kCommand10 = 1710,
};

constexpr DWORD kVisible = WS_VISIBLE;
constexpr DWORD kFrameStyle = WS_VISIBLE | WS_GROUP | BS_GROUPBOX;
constexpr DWORD kListStyle = WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
constexpr DWORD kDropList = WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
constexpr DWORD kCheckStyle = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kOptionStyle = WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kButtonStyle = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabelStyle = WS_VISIBLE | SS_CENTERIMAGE;

}  // namespace

// Layout in twips (left, top, width, height) inside the 14310 x 9990 client area: models, detection and skins on
// the left, the settings and the buttons in the middle, the debug view on the right. Creation order keeps each
// frame's option buttons together, so that they exclude each other. The enumerated-printer list, the brand
// printer list and the status line sit at the bottom edge, practically out of sight.
struct MainWindowWin32::Controls {
  Controls(HWND w, HFONT frameFont) : hwnd(w), frameFont(frameFont), window(w), captions(w) {}

  HWND Make(const wchar_t* cls, const char* name, int id, DWORD style, RECT twips, DWORD exStyle = 0) {
    return win32::CreateNamedControl(hwnd, cls, name, id, style, "", twips, exStyle);
  }
  HWND Frame(const char* name, RECT twips) {
    HWND frame = Make(L"BUTTON", name, nextFrameId++, kFrameStyle, twips);
    ::SendMessageW(frame, WM_SETFONT, reinterpret_cast<WPARAM>(frameFont), FALSE);
    return frame;
  }
  HWND Label(const char* name, RECT twips) { return Make(L"STATIC", name, nextFrameId++, kLabelStyle, twips); }
  HWND Button(const char* name, int id, RECT twips) { return Make(L"BUTTON", name, id, kButtonStyle, twips); }

  HWND hwnd;
  HFONT frameFont;
  int nextFrameId = kFrame;
  win32::Win32Window window;
  win32::Win32Captions captions;
  std::vector<HWND> sensorGroup, usbGroup;

  // Left column: models, the detected printer, skins.
  HWND f4 = Frame("Frame4", {120, 120, 3600, 4280});
  win32::Win32ListBox list2{Make(L"LISTBOX", "List2", kList2, kListStyle | WS_GROUP, {240, 400, 3360, 3880})};
  HWND f7 = Frame("Frame7", {120, 4520, 3600, 2280});
  win32::Win32CheckBox check4{Make(L"BUTTON", "Check4", kCheck4, kCheckStyle | WS_GROUP, {240, 4800, 3360, 300})};
  win32::Win32ListBox list3{Make(L"LISTBOX", "List3", kList3, kListStyle, {240, 5160, 2300, 1500})};
  win32::Win32Label label4{Make(L"STATIC", "Label4", kLabel4, kVisible, {2640, 5180, 960, 300})};
  HWND f16 = Frame("Frame16", {120, 6920, 3600, 1940});
  win32::Win32ListBox list1{Make(L"LISTBOX", "List1", kList1, kListStyle | WS_GROUP, {240, 7200, 3360, 1540})};
  HWND command1 = Button("Command1", kCommand1, {120, 8980, 1160, 560});
  HWND command2 = Button("Command2", kCommand2, {1340, 8980, 1160, 560});
  HWND command3 = Button("Command3", kCommand3, {2560, 8980, 1160, 560});

  // Middle column: the settings, then the buttons.
  HWND f2 = Frame("Frame2", {3840, 120, 5040, 650});
  win32::Win32OptionButton option1{Make(L"BUTTON", "Option1", kOption1, kOptionStyle | WS_GROUP, {3960, 380, 1300, 300}), &sensorGroup};
  win32::Win32OptionButton option2{Make(L"BUTTON", "Option2", kOption2, kOptionStyle, {5400, 380, 1300, 300}), &sensorGroup};
  win32::Win32OptionButton option3{Make(L"BUTTON", "Option3", kOption3, kOptionStyle, {6840, 380, 1800, 300}), &sensorGroup};
  HWND f9 = Frame("Frame9", {3840, 860, 5040, 650});
  win32::Win32OptionButton option4{Make(L"BUTTON", "Option4", kOption4, kOptionStyle | WS_GROUP, {3960, 1120, 1300, 300}), &usbGroup};
  win32::Win32OptionButton option5{Make(L"BUTTON", "Option5", kOption5, kOptionStyle, {5400, 1120, 1300, 300}), &usbGroup};
  HWND f3 = Frame("Frame3", {3840, 1600, 5040, 650});
  win32::Win32CheckBox check1{Make(L"BUTTON", "Check1", kCheck1, kCheckStyle | WS_GROUP, {3960, 1860, 4800, 300})};
  HWND f10 = Frame("Frame10", {3840, 2340, 5040, 650});
  win32::Win32ComboBox combo4{Make(L"COMBOBOX", "Combo4", kCombo4, kDropList | WS_GROUP, {3960, 2580, 4800, 2400})};
  HWND f11 = Frame("Frame11", {3840, 3080, 5040, 650});
  win32::Win32ComboBox combo5{Make(L"COMBOBOX", "Combo5", kCombo5, kDropList | WS_GROUP, {3960, 3320, 4800, 2400})};
  HWND f13 = Frame("Frame13", {3840, 3820, 5040, 650});
  win32::Win32ComboBox combo6{Make(L"COMBOBOX", "Combo6", kCombo6, kDropList | WS_GROUP, {3960, 4060, 2300, 2400})};
  win32::Win32ComboBox combo7{Make(L"COMBOBOX", "Combo7", kCombo7, kDropList, {6400, 4060, 2360, 2400})};
  HWND f14 = Frame("Frame14", {3840, 4560, 5040, 650});
  HWND label5 = Label("Label5", {3960, 4800, 300, 320});
  win32::Win32ComboBox combo8{Make(L"COMBOBOX", "Combo8", kCombo8, kDropList | WS_GROUP, {4320, 4800, 2400, 4000})};
  HWND f15 = Frame("Frame15", {3840, 5300, 5040, 650});
  win32::Win32CheckBox check5{Make(L"BUTTON", "Check5", kCheck5, kCheckStyle | WS_GROUP, {3960, 5560, 4800, 300})};
  HWND f17 = Frame("Frame17", {3840, 6040, 5040, 650});
  win32::Win32CheckBox checkCloseOutSensor{
      Make(L"BUTTON", "CheckCloseOutSensor", kCheckCloseOutSensor, kCheckStyle | WS_GROUP, {3960, 6300, 4800, 300})};
  HWND f1 = Frame("Frame1", {3840, 6780, 5040, 650});
  HWND label3 = Label("Label3", {3960, 7020, 900, 320});
  win32::Win32ComboBox combo1{Make(L"COMBOBOX", "Combo1", kCombo1, kDropList | WS_GROUP, {4860, 7020, 1500, 4000})};
  HWND label2 = Label("Label2", {6480, 7020, 900, 320});
  win32::Win32ComboBox combo2{Make(L"COMBOBOX", "Combo2", kCombo2, kDropList | WS_GROUP, {7380, 7020, 1380, 4000})};
  HWND f8 = Frame("Frame8", {3840, 7520, 2460, 650});
  HWND labelLength = Label("LabelLength", {3960, 7760, 2220, 320});
  HWND f18 = Frame("Frame18", {6420, 7520, 2460, 650});
  HWND label6 = Label("Label6", {6540, 7760, 300, 320});
  HWND combo3 = Make(L"COMBOBOX", "Combo3", kCombo3, kDropList | WS_GROUP, {6900, 7760, 1860, 2400});
  HWND command8 = Button("Command8", kCommand8, {3840, 8300, 2460, 560});
  HWND command4 = Button("Command4", kCommand4, {6420, 8300, 2460, 560});
  HWND command7 = Button("Command7", kCommand7, {3840, 8980, 1560, 560});
  HWND command5 = Button("Command5", kCommand5, {5460, 8980, 1860, 560});
  HWND command6 = Button("Command6", kCommand6, {7380, 8980, 1500, 560});

  // Right column: the debug view.
  HWND f6 = Frame("Frame6", {9000, 120, 5190, 9420});
  win32::Win32RichText richTextBox1{Make(L"RICHEDIT50W", "RichTextBox1", kRichTextBox1,
                                         WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                                         {9120, 400, 4950, 8560}, WS_EX_CLIENTEDGE)};
  win32::Win32CheckBox check2{Make(L"BUTTON", "Check2", kCheck2, kCheckStyle | WS_GROUP, {9120, 9080, 4950, 300})};

  // Bottom edge.
  HWND f5 = Frame("Frame5", {120, 9960, 8700, 1200});
  win32::Win32ListBox list4{Make(L"LISTBOX", "List4", kList4, kListStyle, {240, 10200, 8400, 900})};
  HWND f12 = Frame("Frame12", {9000, 9840, 5190, 800});
  win32::Win32ComboBox comboPrinter{
      Make(L"COMBOBOX", "ComboPrinter", kComboPrinter, kDropList | WS_GROUP, {9120, 10100, 3500, 2400})};
  HWND command10 = Button("Command10", kCommand10, {12720, 10080, 1350, 400});
  win32::Win32Label label1{Make(L"STATIC", "Label1", kLabel1, kVisible, {120, 10320, 3000, 300})};

  win32::Win32Timer timer3{hwnd, kTimer3};
  win32::Win32Timer timer4{hwnd, kTimer4};

  quorvel::MainWindowControls Bind() {
    return {window,  captions, list1,  list2,  list3,  list4,   label1,  label4,  comboPrinter,
            richTextBox1,      check1, check2, check4, check5,  checkCloseOutSensor,
            option1, option2,  option3, option4, option5, combo1, combo2, combo4, combo5,
            combo6,  combo7,   combo8, timer3, timer4};
  }
};

MainWindowWin32::MainWindowWin32(quorvel::ProcessState& process, platform::SkinEngine& skin,
                                 std::function<void()> openConsole)
    : process_(process), skin_(skin), openConsole_(std::move(openConsole)) {}

MainWindowWin32::~MainWindowWin32() {
  waitWindow_.reset();
  logic_.reset();
  controls_.reset();
}

bool MainWindowWin32::Create() {
  return CreateTopLevel(L"QuorvelMainWindow", kFixedSingleNoMinMax, win32::TwipsToPixels(kClientWidthTwips),
                        win32::TwipsToPixels(kClientHeightTwips), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

void MainWindowWin32::CreateControls() {
  windowFont_.Reset(win32::CreatePointFont(L"微软雅黑", 90, true, GB2312_CHARSET));
  controlFont_.Reset(win32::CreatePointFont(L"宋体", 90, false, GB2312_CHARSET));
  dialogs_.SetOwner(Handle());
  controls_ = std::make_unique<Controls>(Handle(), static_cast<HFONT>(windowFont_.Get()));
  logic_ = std::make_unique<quorvel::MainWindow>(
      controls_->Bind(),
      quorvel::MainWindowServices{registry_, spooler_, devices_, background_, {skin_, files_, dialogs_}, shell_},
      process_, *this);
}

void MainWindowWin32::OpenSettingsWait() {
  waitWindow_ = std::make_unique<SettingsWaitWin32>(
      quorvel::SettingsWaitTargets{controls_->window, controls_->timer3, process_}, skin_);
  waitWindow_->Create(Handle());
}

void MainWindowWin32::OnCommand(int id, int notification) {
  if (!logic_) return;
  switch (id) {
    case kCheck4:
      if (notification == BN_CLICKED) logic_->OnCheck4Click();
      break;
    case kList3:
      if (notification == LBN_SELCHANGE) logic_->OnList3Click();
      break;
    case kCombo6:
      if (notification == CBN_SELCHANGE) logic_->OnCombo6Click();
      break;
    case kList1:
      if (notification == LBN_DBLCLK) logic_->OnList1DoubleClick();
      break;
    case kCommand1:
      if (notification == BN_CLICKED) logic_->OnCommand1Click();
      break;
    case kCommand2:
      if (notification == BN_CLICKED) logic_->OnCommand2Click();
      break;
    case kCommand3:
      if (notification == BN_CLICKED) logic_->OnCommand3Click();
      break;
    case kCommand5:
      if (notification == BN_CLICKED) logic_->OnCommand5Click();
      break;
    case kCommand6:
      if (notification == BN_CLICKED) logic_->OnCommand6Click();
      break;
    case kCommand7:
      if (notification == BN_CLICKED) logic_->OnCommand7Click();
      break;
    case kCommand8:
      if (notification == BN_CLICKED) logic_->OnCommand8Click();
      break;
    case kCommand4:
      if (notification == BN_CLICKED) logic_->OnCommand4Click();
      break;
    default:
      break;
  }
}

LRESULT MainWindowWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      logic_->Load();
      win32::LeaveOnTabAndEscape(controls_->richTextBox1.Handle());
      UseDialogKeys().UseShortcuts(L"MAIN_SHORTCUTS");
      return 0;
    case WM_GETFONT:  // the font controls take when they are made
      return reinterpret_cast<LRESULT>(controlFont_.Get());
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      if (Keyboard()) Keyboard()->Arrange();  // a handler may have shown or hidden a control
      return 0;
    case WM_TIMER:
      if (logic_ && wParam == kTimer3) logic_->OnTimer3Tick();
      if (logic_ && wParam == kTimer4) logic_->OnTimer4Tick();
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace quorvel_win32
