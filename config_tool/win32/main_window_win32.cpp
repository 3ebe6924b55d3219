#include "config_tool/win32/main_window_win32.h"

namespace quorvel_win32 {
namespace {

constexpr int kClientWidthTwips = 14310;
constexpr int kClientHeightTwips = 9990;
constexpr DWORD kFixedSingleNoMinMax = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

enum ControlId : int {
  kFrame4 = 1004, kFrame5, kFrame6, kFrame7, kFrame12,
  kList2 = 1102, kList3, kList4,
  kLabel1 = 1201, kLabel4 = 1204,
  kComboPrinter = 1301,
  kRichTextBox1 = 1401,
  kCheck4 = 1504,
};

constexpr DWORD kFrameStyle = WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD kListStyle = WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

}  // namespace

// Layout in twips (left, top, width, height) inside the 14310 x 9990 client area. The enumerated-printer list,
// the brand printer list and the status line sit at the bottom edge, practically out of sight.
struct MainWindowWin32::Controls {
  explicit Controls(HWND w)
      : window(w),
        frame4(win32::CreateNamedControl(w, L"BUTTON", "Frame4", kFrame4, kFrameStyle, "", {120, 120, 3600, 5400})),
        frame5(win32::CreateNamedControl(w, L"BUTTON", "Frame5", kFrame5, kFrameStyle, "", {120, 9960, 8700, 1200})),
        frame6(win32::CreateNamedControl(w, L"BUTTON", "Frame6", kFrame6, kFrameStyle, "", {9000, 120, 5190, 9600})),
        frame7(win32::CreateNamedControl(w, L"BUTTON", "Frame7", kFrame7, kFrameStyle, "", {3840, 120, 5040, 2400})),
        frame12(win32::CreateNamedControl(w, L"BUTTON", "Frame12", kFrame12, kFrameStyle, "", {9000, 9840, 5190, 800})),
        list2(win32::CreateNamedControl(w, L"LISTBOX", "List2", kList2, kListStyle, "", {240, 420, 3360, 4980})),
        list3(win32::CreateNamedControl(w, L"LISTBOX", "List3", kList3, kListStyle, "", {3960, 780, 3000, 1600})),
        list4(win32::CreateNamedControl(w, L"LISTBOX", "List4", kList4, kListStyle, "", {240, 10200, 8400, 900})),
        label1(win32::CreateNamedControl(w, L"STATIC", "Label1", kLabel1, WS_VISIBLE, "", {120, 10320, 3000, 300})),
        label4(win32::CreateNamedControl(w, L"STATIC", "Label4", kLabel4, WS_VISIBLE, "", {7080, 800, 1680, 300})),
        comboPrinter(win32::CreateNamedControl(w, L"COMBOBOX", "ComboPrinter", kComboPrinter,
                                               WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN, "", {9120, 10100, 3500, 2400})),
        richTextBox1(win32::CreateNamedControl(w, L"RICHEDIT50W", "RichTextBox1", kRichTextBox1,
                                               WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                                               "", {9120, 420, 4950, 9180}, WS_EX_CLIENTEDGE)),
        check4(win32::CreateNamedControl(w, L"BUTTON", "Check4", kCheck4, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                                         "", {3960, 420, 3000, 300})) {}

  win32::Win32Window window;
  win32::Win32Label frame4, frame5, frame6, frame7, frame12;
  win32::Win32ListBox list2, list3, list4;
  win32::Win32Label label1, label4;
  win32::Win32ComboBox comboPrinter;
  win32::Win32RichText richTextBox1;
  win32::Win32CheckBox check4;

  quorvel::MainWindowControls Bind() {
    return {window, frame4, frame5, frame6, frame7,       frame12,      list2,
            list3,  list4,  label1, label4, comboPrinter, richTextBox1, check4};
  }
};

MainWindowWin32::MainWindowWin32(quorvel::ProcessState& process) : process_(process) {}

MainWindowWin32::~MainWindowWin32() {
  logic_.reset();
  controls_.reset();
  if (font_) ::DeleteObject(font_);
}

bool MainWindowWin32::Create() {
  return CreateTopLevel(L"QuorvelMainWindow", kFixedSingleNoMinMax, win32::TwipsToPixels(kClientWidthTwips),
                        win32::TwipsToPixels(kClientHeightTwips), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

void MainWindowWin32::CreateControls() {
  font_ = ::CreateFontW(-win32::TwipsToPixels(180), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体");
  controls_ = std::make_unique<Controls>(Handle());
  logic_ = std::make_unique<quorvel::MainWindow>(controls_->Bind(),
                                                 quorvel::MainWindowServices{registry_, spooler_}, process_);
}

void MainWindowWin32::OnCommand(int id, int notification) {
  if (!logic_) return;
  if (id == kCheck4 && notification == BN_CLICKED) logic_->OnCheck4Click();
  if (id == kList3 && notification == LBN_SELCHANGE) logic_->OnList3Click();
}

LRESULT MainWindowWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      logic_->Load();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace quorvel_win32
