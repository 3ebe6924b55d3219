#include "config_tool/win32/handheld_win32.h"

namespace quorvel_win32 {
namespace {

constexpr DWORD kFixedDialogStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
enum ControlId : int { kFrame = 100, kRichTextBox1 = 201, kTextPairCode, kTextblueToothname, kComboBandrate,
                       kCommandFactoryReset };
constexpr DWORD kEditStyle = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;

}  // namespace

// The debug view on the left; pairing code, name, baud rate and the reset button on the right (twips).
struct HandheldWin32::Controls {
  explicit Controls(HWND w) : hwnd(w), window(w), captions(w) {}
  HWND Make(const wchar_t* cls, const char* name, int id, DWORD style, RECT twips, DWORD exStyle = 0) {
    return win32::CreateNamedControl(hwnd, cls, name, id, style, "", twips, exStyle);
  }
  HWND Frame(const char* name, RECT twips) {
    return Make(L"BUTTON", name, nextFrameId++, WS_VISIBLE | BS_GROUPBOX, twips);
  }

  HWND hwnd;
  int nextFrameId = kFrame;
  win32::Win32Window window;
  win32::Win32Captions captions;
  HWND frameDebug = Frame("FrameDebug", {120, 120, 4200, 4200});
  HWND richTextBox1 = Make(L"RICHEDIT50W", "RichTextBox1", kRichTextBox1,
                           WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                           {240, 400, 3960, 3780}, WS_EX_CLIENTEDGE);
  HWND framePairCode = Frame("FramePairCode", {4440, 120, 3000, 720});
  HWND textPairCode = Make(L"EDIT", "TextPairCode", kTextPairCode, kEditStyle, {4560, 400, 2760, 340});
  HWND frameName = Frame("FrameBlueToothName", {4440, 960, 3000, 720});
  HWND textName = Make(L"EDIT", "TextblueToothname", kTextblueToothname, kEditStyle, {4560, 1240, 2760, 340});
  HWND frameBandrate = Frame("FrameBandrate", {4440, 1800, 3000, 720});
  HWND comboBandrate = Make(L"COMBOBOX", "ComboBandrate", kComboBandrate,
                            WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, {4560, 2080, 2760, 2400});
  HWND commandReset = Make(L"BUTTON", "CommandFactoryReset", kCommandFactoryReset,
                           WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, {4440, 3720, 3000, 600});
};

HandheldWin32::HandheldWin32() = default;

HandheldWin32::~HandheldWin32() {
  logic_.reset();
  controls_.reset();
}

bool HandheldWin32::Create() {
  return CreateTopLevel(L"QuorvelHandheld", kFixedDialogStyle, win32::TwipsToPixels(7560), win32::TwipsToPixels(4440),
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

LRESULT HandheldWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      font_.Reset(win32::CreatePointFont(L"宋体", 90, false, GB2312_CHARSET));
      controls_ = std::make_unique<Controls>(Handle());
      logic_ = std::make_unique<quorvel::HandheldWindow>(quorvel::HandheldControls{controls_->window,
                                                                                    controls_->captions});
      logic_->Load();
      win32::LeaveOnTabAndEscape(controls_->richTextBox1);
      UseDialogKeys();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_.Get());
    case WM_COMMAND:
      if (logic_ && LOWORD(wParam) == kCommandFactoryReset && HIWORD(wParam) == BN_CLICKED) {
        logic_->OnFactoryResetClick();
      }
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace quorvel_win32
