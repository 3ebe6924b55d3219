#include "config_tool/win32/console_win32.h"

#include <commctrl.h>
#include <richedit.h>

#include <cmath>

namespace quorvel_win32 {
namespace {

constexpr int kClientWidthTwips = kConsoleClientTwips.width;
constexpr int kClientHeightTwips = kConsoleClientTwips.height;
constexpr UINT_PTR kTimer3 = 3;
constexpr UINT kTextBoxClicked = WM_APP + 1;  // lParam: the box
constexpr UINT kViewKeyPressed = WM_APP + 2;  // wParam: the virtual key, lParam: the box; answers 1 when it acted

enum ControlId : int {
  kFixed = 100,  // labels take ids from here on
  kComboPrinter = 201, kText1, kTascii, kList2, kTxtre, kCheckHexMode, kCheck1, kLabel2, kList1,
  kCommand1 = 301, kCommand2, kCommand3, kCommand4, kCommand5, kCommand6, kCommand7, kCommand8, kCommandC,
};

// The three boxes and the command list may share one place: each draws only where no sibling lies in front of it.
constexpr DWORD kTextBoxStyle =
    WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
constexpr DWORD kButtonStyle = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kListStyle = WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

int UnitsToTwips(int units) { return static_cast<int>(std::lround(units * quorvel::kTwipsPerConsoleUnit)); }

}  // namespace

// Fixed controls along the top (printer, refresh, probe result, skins); the text boxes, check boxes, buttons and
// progress bar are placed from the core's geometry. Positions here are twips.
struct ConsoleWin32::Controls {
  explicit Controls(HWND w) : hwnd(w), window(w), captions(w) {}
  HWND Make(const wchar_t* cls, const char* name, int id, DWORD style, RECT twips, DWORD exStyle = 0) {
    return win32::CreateNamedControl(hwnd, cls, name, id, style, "", twips, exStyle);
  }
  // The receive view shows what the console reports: read-only, so that Enter and Space can toggle the view.
  HWND ReadOnlyRich(const char* name, int id) {
    HWND box = Make(L"RICHEDIT50W", name, id, kTextBoxStyle | ES_READONLY, {0, 0, 100, 100}, WS_EX_CLIENTEDGE);
    ::SendMessageW(box, EM_SETEVENTMASK, 0, ENM_MOUSEEVENTS);  // its clicks toggle the view
    ::SetWindowSubclass(box, &ReportViewKeys, 0, 0);
    return box;
  }
  // The boxes that show a loaded image (up to 196,608 characters of hex) are plain edit controls on one line that
  // scrolls sideways: wrapping a line that long takes time that grows with the square of its length.
  HWND ImageBox(const char* name, int id) {
    HWND box = Make(L"EDIT", name, id, kTextBoxStyle | WS_HSCROLL | ES_AUTOHSCROLL, {0, 0, 100, 100}, WS_EX_CLIENTEDGE);
    ::SetWindowSubclass(box, &ReportClicks, 0, 0);
    ::SetWindowSubclass(box, &ReportViewKeys, 0, 0);
    return box;
  }
  static LRESULT CALLBACK ReportClicks(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_LBUTTONDOWN) ::PostMessageW(::GetParent(box), kTextBoxClicked, 0, reinterpret_cast<LPARAM>(box));
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(box, &ReportClicks, 0);
    return ::DefSubclassProc(box, message, wParam, lParam);
  }
  // A key the window takes as a click on the box is not typed into it (nor its character, for Space and Enter).
  static LRESULT CALLBACK ReportViewKeys(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(box, &ReportViewKeys, 0);
    if (message == WM_KEYDOWN && ::SendMessageW(::GetParent(box), kViewKeyPressed, wParam, reinterpret_cast<LPARAM>(box))) {
      ::SetPropW(box, L"ViewKeyTaken", reinterpret_cast<HANDLE>(1));
      return 0;
    }
    if (message == WM_CHAR && ::RemovePropW(box, L"ViewKeyTaken")) return 0;
    if (message == WM_KEYUP) ::RemovePropW(box, L"ViewKeyTaken");
    return ::DefSubclassProc(box, message, wParam, lParam);
  }

  HWND hwnd;
  win32::Win32Window window;
  win32::Win32Captions captions;
  HWND label1 = Make(L"STATIC", "Label1", kFixed + 1, WS_VISIBLE | SS_CENTERIMAGE, {120, 180, 700, 330});
  win32::Win32ComboBox comboPrinter{Make(L"COMBOBOX", "ComboPrinter", kComboPrinter,
                                         WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, {840, 160, 3600, 3000})};
  HWND command6 = Make(L"BUTTON", "Command6", kCommand6, kButtonStyle, {4560, 140, 900, 400});
  HWND label3 = Make(L"STATIC", "Label3", kFixed + 3, WS_VISIBLE | SS_CENTERIMAGE, {5700, 180, 1800, 330});
  win32::Win32Label label2{Make(L"STATIC", "Label2", kLabel2, WS_VISIBLE | SS_CENTERIMAGE, {7560, 180, 1000, 330})};
  HWND command1 = Make(L"BUTTON", "Command1", kCommand1, kButtonStyle, {8760, 140, 1000, 400});
  HWND command2 = Make(L"BUTTON", "Command2", kCommand2, kButtonStyle, {9840, 140, 1000, 400});
  HWND command3 = Make(L"BUTTON", "Command3", kCommand3, kButtonStyle, {10920, 140, 1000, 400});
  win32::Win32ListBox list1{Make(L"LISTBOX", "List1", kList1, kListStyle, {12060, 60, 2820, 700})};

  win32::Win32EditText text1{ImageBox("Text1", kText1)};
  win32::Win32EditText tascii{ImageBox("TASCII", kTascii)};
  win32::Win32ListBox list2{Make(L"LISTBOX", "List2", kList2, kListStyle | WS_CLIPSIBLINGS, {0, 0, 100, 100})};
  win32::Win32RichText txtre{ReadOnlyRich("TXTRE", kTxtre)};
  win32::Win32CheckBox checkHexMode{
      Make(L"BUTTON", "CheckHEXMode", kCheckHexMode, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, {0, 0, 100, 100})};
  win32::Win32CheckBox check1{
      Make(L"BUTTON", "Check1", kCheck1, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, {0, 0, 100, 100})};
  HWND command7 = Make(L"BUTTON", "Command7", kCommand7, kButtonStyle, {0, 0, 100, 100});
  HWND command8 = Make(L"BUTTON", "Command8", kCommand8, kButtonStyle, {0, 0, 100, 100});
  HWND command5 = Make(L"BUTTON", "Command5", kCommand5, kButtonStyle, {0, 0, 100, 100});
  HWND command4 = Make(L"BUTTON", "Command4", kCommand4, kButtonStyle, {0, 0, 100, 100});
  HWND commandC = Make(L"BUTTON", "CommandC", kCommandC, kButtonStyle, {0, 0, 100, 100});
  win32::Win32Timer timer3{hwnd, kTimer3};

  quorvel::ConsoleControls Bind() {
    return {window, captions, comboPrinter, text1, tascii, list2, txtre, checkHexMode, check1, label2, timer3, list1};
  }
};

ConsoleWin32::ConsoleWin32(const quorvel::ProcessState& process, platform::SkinEngine& skin, platform::Wmi& wmi)
    : process_(process), skin_(skin), wmi_(wmi) {}

ConsoleWin32::~ConsoleWin32() {
  logic_.reset();
  controls_.reset();
}

void ConsoleWin32::Open() {
  if (Handle()) {
    ::ShowWindow(Handle(), SW_RESTORE);
    ::SetForegroundWindow(Handle());
    return;
  }
  if (!CreateTopLevel(L"QuorvelConsole", WS_OVERLAPPEDWINDOW, win32::TwipsToPixels(kClientWidthTwips),
                      win32::TwipsToPixels(kClientHeightTwips), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) {
    return;
  }
  ::ShowWindow(Handle(), SW_SHOW);
  ::UpdateWindow(Handle());
}

void ConsoleWin32::ClientSizeTwips(int& width, int& height) const {
  RECT client{};
  ::GetClientRect(Handle(), &client);
  const int pixelsPerInch = LayoutDpi();
  width = ::MulDiv(client.right, 1440, pixelsPerInch);
  height = ::MulDiv(client.bottom, 1440, pixelsPerInch);
}

void ConsoleWin32::ApplyGeometry() {
  if (!logic_ || !controls_) return;
  const quorvel::ConsoleGeometry& g = logic_->Geometry();
  auto place = [this](HWND control, const quorvel::Box& box) {
    ::MoveWindow(control, ToPixels(UnitsToTwips(box.left)), ToPixels(box.top), ToPixels(UnitsToTwips(box.width)),
                 ToPixels(box.height), TRUE);
  };
  Controls& c = *controls_;
  place(c.text1.Handle(), g.text1);
  place(c.tascii.Handle(), g.tascii);
  place(c.txtre.Handle(), g.txtre);
  place(c.list2.Handle(), g.list2);
  place(c.checkHexMode.Handle(), g.checkHexMode);
  place(c.check1.Handle(), g.check1);
  place(c.command4, g.command4);
  place(c.command5, g.command5);
  place(c.command7, g.command7);
  place(c.command8, g.command8);
  place(c.commandC, g.commandC);
  // Moves and changes of view change the reading order and what is in sight.
  if (Keyboard()) Keyboard()->Arrange();
}

void ConsoleWin32::OnTextBoxClick(HWND box) {
  Controls& c = *controls_;
  if (box == c.text1.Handle()) logic_->OnTextBoxClick(quorvel::TextBox::Send);
  if (box == c.tascii.Handle()) logic_->OnTextBoxClick(quorvel::TextBox::Characters);
  if (box == c.txtre.Handle()) logic_->OnTextBoxClick(quorvel::TextBox::Receive);
}

bool ConsoleWin32::OnViewKey(HWND box, WPARAM key) {
  const quorvel::ViewKey viewKey = key == VK_F6       ? quorvel::ViewKey::F6
                                   : key == VK_RETURN ? quorvel::ViewKey::Enter
                                   : key == VK_SPACE  ? quorvel::ViewKey::Space
                                                      : quorvel::ViewKey::Other;
  Controls& c = *controls_;
  const quorvel::TextBox which = box == c.text1.Handle()    ? quorvel::TextBox::Send
                                 : box == c.tascii.Handle() ? quorvel::TextBox::Characters
                                                            : quorvel::TextBox::Receive;
  if (!logic_->OnViewKey(which, viewKey)) return false;
  ApplyGeometry();
  return true;
}

void ConsoleWin32::OnEscape() {
  if (!logic_) return;
  logic_->OnEscape();
  ApplyGeometry();
  ::SetFocus(controls_->text1.Handle());
}

void ConsoleWin32::OnCommand(int id, int notification) {
  if (!logic_) return;
  if (notification == BN_CLICKED) {
    switch (id) {
      case kCommand1: logic_->OnCommand1Click(); break;
      case kCommand2: logic_->OnCommand2Click(); break;
      case kCommand3: logic_->OnCommand3Click(); break;
      case kCommand4: logic_->OnCommand4Click(); break;
      case kCommand5: logic_->OnCommand5Click(); break;
      case kCommand6: logic_->OnCommand6Click(); break;
      case kCommand7: logic_->OnCommand7Click(); break;
      case kCommand8: logic_->OnCommand8Click(); break;
      case kCommandC: logic_->OnCommandCClick(); break;
      case kCheck1: logic_->OnCheck1Click(); break;
      default: break;
    }
  }
  if (notification == LBN_DBLCLK && id == kList2) logic_->OnList2DoubleClick();
  if (notification == LBN_DBLCLK && id == kList1) logic_->OnList1DoubleClick();
}

LRESULT ConsoleWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      font_.Reset(win32::CreatePointFont(L"宋体", 90, false, GB2312_CHARSET));
      dialogs_.SetOwner(Handle());
      controls_ = std::make_unique<Controls>(Handle());
      logic_ = std::make_unique<quorvel::CommandConsole>(
          controls_->Bind(),
          quorvel::ConsoleServices{spooler_, dialogs_, codec_, wmi_, files_, {skin_, files_, dialogs_}}, process_);
      int width = 0, height = 0;
      ClientSizeTwips(width, height);
      logic_->Load(width, height);
      for (HWND box : {controls_->text1.Handle(), controls_->tascii.Handle(), controls_->txtre.Handle()}) {
        win32::LeaveOnTabAndEscape(box);
      }
      {
        win32::DialogKeyboard& keys = UseDialogKeys(quorvel::kConsoleSpokenNames);
        keys.ShowsOver({"List2"});
        keys.OnEscape([this] { OnEscape(); });
        keys.UseShortcuts(L"CONSOLE_SHORTCUTS");
      }
      ApplyGeometry();
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_.Get());
    case WM_SIZE:
      if (logic_ && wParam != SIZE_MINIMIZED) {
        int width = 0, height = 0;
        ClientSizeTwips(width, height);
        logic_->OnResize(width, height);
        ApplyGeometry();
      }
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      ApplyGeometry();
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (logic_ && header->code == EN_MSGFILTER &&
          reinterpret_cast<const MSGFILTER*>(lParam)->msg == WM_LBUTTONDOWN) {
        OnTextBoxClick(header->hwndFrom);
        ApplyGeometry();
      }
      return 0;
    }
    case kViewKeyPressed:
      return logic_ && OnViewKey(reinterpret_cast<HWND>(lParam), wParam) ? 1 : 0;
    case kTextBoxClicked:
      if (logic_) {
        OnTextBoxClick(reinterpret_cast<HWND>(lParam));
        ApplyGeometry();
      }
      return 0;
    case WM_CTLCOLOREDIT:
      if (HBRUSH brush = win32::ColorEditText(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      return DefaultHandling(message, wParam, lParam);
    case WM_TIMER:
      if (logic_ && wParam == kTimer3) logic_->OnTimer3Tick();
      return 0;
    case WM_DESTROY:
      logic_.reset();  // the timer stops with it; a later open starts afresh
      controls_.reset();
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace quorvel_win32
