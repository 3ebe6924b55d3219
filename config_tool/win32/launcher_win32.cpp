#include "config_tool/win32/launcher_win32.h"

namespace quorvel_win32 {
namespace {

constexpr DWORD kFixedDialogStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
enum ControlId : int { kFrame1 = 100, kOption1, kOption2, kCommand1, kCommand2, kList1 };

}  // namespace

// The language choice on the left, the two ways in on the right, the skin list below them (twips).
struct LauncherWin32::Controls {
  explicit Controls(HWND w) : hwnd(w), window(w), captions(w) {}
  HWND Make(const wchar_t* cls, const char* name, int id, DWORD style, RECT twips) {
    return win32::CreateNamedControl(hwnd, cls, name, id, WS_VISIBLE | style, "", twips);
  }

  HWND hwnd;
  win32::Win32Window window;
  win32::Win32Captions captions;
  std::vector<HWND> languageGroup;
  HWND frame1 = Make(L"BUTTON", "Frame1", kFrame1, BS_GROUPBOX, {240, 180, 2400, 1500});
  win32::Win32OptionButton option2{
      Make(L"BUTTON", "Option2", kOption2, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, {480, 540, 1900, 360}),
      &languageGroup};
  win32::Win32OptionButton option1{
      Make(L"BUTTON", "Option1", kOption1, BS_AUTORADIOBUTTON | WS_TABSTOP, {480, 1020, 1900, 360}), &languageGroup};
  HWND command1 = Make(L"BUTTON", "Command1", kCommand1, BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, {2880, 260, 3600, 600});
  HWND command2 = Make(L"BUTTON", "Command2", kCommand2, BS_PUSHBUTTON | WS_TABSTOP, {2880, 1020, 3600, 600});
  win32::Win32ListBox list1{Make(L"LISTBOX", "List1", kList1,
                                 WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                 {240, 1860, 6240, 900})};
};

LauncherWin32::LauncherWin32(quorvel::ProcessState& process, platform::SkinEngine& skin, quorvel::LauncherHost& host)
    : process_(process), skin_(skin), host_(host) {}

LauncherWin32::~LauncherWin32() {
  logic_.reset();
  controls_.reset();
}

bool LauncherWin32::Create() {
  return CreateTopLevel(L"QuorvelLauncher", kFixedDialogStyle, win32::TwipsToPixels(6720), win32::TwipsToPixels(2940),
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

LRESULT LauncherWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      font_.Reset(win32::CreatePointFont(L"宋体", 90, false, GB2312_CHARSET));
      dialogs_.SetOwner(Handle());
      controls_ = std::make_unique<Controls>(Handle());
      logic_ = std::make_unique<quorvel::LauncherWindow>(
          quorvel::LauncherControls{controls_->window, controls_->captions, controls_->option1, controls_->option2,
                                    controls_->list1},
          quorvel::SkinServices{skin_, files_, dialogs_}, process_, host_);
      logic_->Load();
      UseDialogKeys({{"List1", quorvel::kLauncherSkinListName}}, quorvel::kLauncherDefaultButton);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_.Get());
    case WM_COMMAND:
      if (!logic_) return 0;
      if (LOWORD(wParam) == kCommand1 && HIWORD(wParam) == BN_CLICKED) logic_->OnCommand1Click();
      if (LOWORD(wParam) == kCommand2 && HIWORD(wParam) == BN_CLICKED) logic_->OnCommand2Click();
      if (LOWORD(wParam) == kList1 && HIWORD(wParam) == LBN_SELCHANGE) logic_->OnList1Click();
      if (Keyboard()) Keyboard()->Arrange();  // the chosen language is the tab stop of its group
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace quorvel_win32
