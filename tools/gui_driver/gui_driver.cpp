// gui_driver: finds, reads and operates the windows of another program in the same Wine prefix.
//   gui_driver wait|gone|dump|close --title T [--timeout MS]
//   gui_driver click|select|dblclick|check|type --title T (--name N | --id ID | --text CAPTION) [...]
//     (click --sync: returns once the window has handled the click; for clicks that open no message box)
//   gui_driver msgbox [--press ok] [--timeout MS]
//   gui_driver filedialog --title T (--path P | --cancel) [--then-window W --name N --length L]
//     fills in and confirms an open-file dialog; with --then-window it also waits until control N of window W
//     holds at least L characters and prints the milliseconds from the confirmation to then
//   gui_driver list
//   gui_driver stats --title T     handles and private bytes of the process that owns window T
//   gui_driver focus --title T     the control that has the keyboard focus in the thread of window T, with its
//                                  place, that of the window's client area, and the label right before it
//   gui_driver winevents --title T --for MS
//     the accessibility events that window T's controls raise for MS milliseconds: name changes and live-region
//     changes, each with the control's name and its text then
//   gui_driver probe --title T --for MS [--each MS]
//     asks window T again and again, for MS milliseconds, whether it responds, as the system does (WM_NULL sent
//     with a time limit, given up at once when the window counts as hung); prints how many probes went unanswered
//   gui_driver queuegap --title T --name CHECKBOX --for MS
//   gui_driver watchcheck --title T --name CHECKBOX --value V [--timeout MS]
//     how long window T's thread takes to get to what is posted to it (see queue_timing.h)
//   gui_driver syscolors INDEX=R,G,B...
//     sets system colours (COLOR_* indexes) for the session, as a switch of colour scheme does; programs started
//     afterwards draw with them, those running get WM_SYSCOLORCHANGE
#include <windows.h>
#include <commctrl.h>

#include <psapi.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "tools/gui_driver/queue_timing.h"
#include "tools/win32_common/tool_io.h"

namespace {

using tool_io::JsonString;
using tool_io::Utf8;

std::wstring Text(HWND hwnd) {
  int length = static_cast<int>(::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = ::SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                  reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied));
  return text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  ::GetClassNameW(hwnd, name, 256);
  return name;
}

bool ClassIs(HWND hwnd, std::wstring_view prefix) {
  std::wstring name = ClassOf(hwnd);
  if (name.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::towlower(name[i]) != std::towlower(prefix[i])) return false;
  }
  return true;
}

std::wstring NameOf(HWND control) {
  auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(::GetPropW(control, L"CtlName")));
  wchar_t name[256] = {};
  if (!atom || !::GlobalGetAtomNameW(atom, name, 256)) return {};
  return name;
}

std::vector<HWND> TopWindows() {
  std::vector<HWND> windows;
  ::EnumWindows([](HWND hwnd, LPARAM list) -> BOOL {
    if (::IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  ::EnumChildWindows(parent, [](HWND hwnd, LPARAM list) -> BOOL {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND FindTitled(const std::wstring& title) {
  for (HWND hwnd : TopWindows()) {
    wchar_t text[512] = {};
    ::GetWindowTextW(hwnd, text, 512);
    if (title == text) return hwnd;
  }
  return nullptr;
}

DWORD TimeoutOf(const std::vector<std::wstring>& args) {
  return static_cast<DWORD>(std::wcstoul(tool_io::Option(args, L"--timeout", L"5000").c_str(), nullptr, 10));
}

HWND WaitTitled(const std::vector<std::wstring>& args) {
  std::wstring title = tool_io::Option(args, L"--title");
  if (title.empty()) tool_io::Fail("--title is required", 2);
  DWORD start = ::GetTickCount();
  for (;;) {
    if (HWND hwnd = FindTitled(title)) return hwnd;
    if (::GetTickCount() - start > TimeoutOf(args)) tool_io::Fail("no window titled " + Utf8(title), 1);
    ::Sleep(50);
  }
}

HWND FindControl(HWND window, const std::vector<std::wstring>& args) {
  std::wstring name = tool_io::Option(args, L"--name");
  std::wstring id = tool_io::Option(args, L"--id");
  std::wstring caption = tool_io::Option(args, L"--text");
  for (HWND child : Children(window)) {
    if (!name.empty() && NameOf(child) == name) return child;
    if (!id.empty() && ::GetDlgCtrlID(child) == _wtoi(id.c_str())) return child;
    if (!caption.empty() && Text(child) == caption) return child;
  }
  tool_io::Fail("no such control", 1);
  return nullptr;
}

void Notify(HWND control, int code) {
  ::SendMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

std::string Rect(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + "]";
}

std::string Items(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage) {
  std::string json = "[";
  int count = static_cast<int>(::SendMessageW(control, countMessage, 0, 0));
  for (int i = 0; i < count; ++i) {
    int length = static_cast<int>(::SendMessageW(control, lengthMessage, static_cast<WPARAM>(i), 0));
    // The program may refill the list between the two questions (a printer search does): the copy gets room to
    // spare, and its own answer tells how much it wrote.
    std::wstring item(static_cast<size_t>(length > 0 ? length : 0) + 1024, L'\0');
    LRESULT copied =
        ::SendMessageW(control, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(copied > 0 ? std::min(static_cast<size_t>(copied), item.size() - 1) : 0);
    json += (i ? "," : "") + JsonString(Utf8(item));
  }
  return json + "]";
}

std::string DumpControl(HWND control) {
  std::wstring name = NameOf(control);
  std::string json = "{\"name\":" + (name.empty() ? std::string("null") : JsonString(Utf8(name))) +
                     ",\"id\":" + std::to_string(::GetDlgCtrlID(control)) +
                     ",\"class\":" + JsonString(Utf8(ClassOf(control))) +
                     ",\"text\":" + JsonString(Utf8(Text(control))) +
                     ",\"enabled\":" + (::IsWindowEnabled(control) ? "true" : "false") +
                     ",\"visible\":" + (::IsWindowVisible(control) ? "true" : "false") + ",\"rect\":" + Rect(control);
  if (ClassIs(control, L"ListBox")) {
    json += ",\"items\":" + Items(control, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT) +
            ",\"selected\":" + std::to_string(static_cast<int>(::SendMessageW(control, LB_GETCURSEL, 0, 0)));
  } else if (ClassIs(control, L"ComboBox")) {
    json += ",\"items\":" + Items(control, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT) +
            ",\"selected\":" + std::to_string(static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0)));
  } else if (ClassIs(control, L"Button")) {
    json += ",\"checked\":" + std::to_string(static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0)));
  } else if (ClassIs(control, L"Edit") || ClassIs(control, L"RichEdit50W")) {
    json += ",\"read_only\":" + std::string((::GetWindowLongPtrW(control, GWL_STYLE) & ES_READONLY) ? "true" : "false");
  } else if (ClassIs(control, L"msctls_progress32")) {
    json += ",\"progress\":{\"pos\":" + std::to_string(::SendMessageW(control, PBM_GETPOS, 0, 0)) +
            ",\"min\":" + std::to_string(::SendMessageW(control, PBM_GETRANGE, TRUE, 0)) +
            ",\"max\":" + std::to_string(::SendMessageW(control, PBM_GETRANGE, FALSE, 0)) + "}";
  }
  return json + "}";
}

std::string DumpWindow(HWND window) {
  std::string json = "{\"title\":" + JsonString(Utf8(Text(window))) + ",\"class\":" +
                     JsonString(Utf8(ClassOf(window))) + ",\"enabled\":" +
                     (::IsWindowEnabled(window) ? "true" : "false") + ",\"visible\":" +
                     (::IsWindowVisible(window) ? "true" : "false") + ",\"topmost\":" +
                     ((::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? "true" : "false") +
                     ",\"rect\":" + Rect(window) + ",\"controls\":[";
  bool first = true;
  for (HWND child : Children(window)) {
    json += (first ? "" : ",") + DumpControl(child);
    first = false;
  }
  return json + "]}\n";
}

int MessageBoxCommand(const std::vector<std::wstring>& args) {
  DWORD start = ::GetTickCount();
  for (;;) {
    for (HWND hwnd : TopWindows()) {
      if (ClassOf(hwnd) != L"#32770") continue;
      HWND text = ::GetDlgItem(hwnd, 0xFFFF);
      tool_io::Print("{\"title\":" + JsonString(Utf8(Text(hwnd))) + ",\"text\":" +
                     JsonString(Utf8(text ? Text(text) : L"")) + "}\n");
      if (tool_io::Option(args, L"--press") == L"ok") {
        HWND button = ::GetDlgItem(hwnd, IDOK);
        if (!button) button = ::GetDlgItem(hwnd, IDCANCEL);
        ::PostMessageW(button, BM_CLICK, 0, 0);
        for (int i = 0; i < 100 && ::IsWindow(hwnd); ++i) ::Sleep(50);
      }
      return 0;
    }
    if (::GetTickCount() - start > TimeoutOf(args)) tool_io::Fail("no message box", 1);
    ::Sleep(50);
  }
}

HWND FindDialog(const std::wstring& title, DWORD timeout) {
  DWORD start = ::GetTickCount();
  for (;;) {
    for (HWND hwnd : TopWindows()) {
      if (ClassOf(hwnd) == L"#32770" && Text(hwnd) == title) return hwnd;
    }
    if (::GetTickCount() - start > timeout) tool_io::Fail("no dialog titled " + Utf8(title), 1);
    ::Sleep(50);
  }
}

int FileDialogCommand(const std::vector<std::wstring>& args) {
  HWND dialog = FindDialog(tool_io::Option(args, L"--title"), TimeoutOf(args));
  if (tool_io::Option(args, L"--cancel", L"no") != L"no" || tool_io::Option(args, L"--path").empty()) {
    ::PostMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    return 0;
  }
  std::wstring path = tool_io::Option(args, L"--path");
  HWND name = ::GetDlgItem(dialog, 0x47C);  // the file name box of the explorer-style dialog
  if (!name) name = ::GetDlgItem(dialog, 0x480);
  if (!name) tool_io::Fail("no file name box in the dialog", 1);
  ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  DWORD confirmed = ::GetTickCount();
  ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);

  std::wstring windowTitle = tool_io::Option(args, L"--then-window");
  if (windowTitle.empty()) return 0;
  HWND window = FindTitled(windowTitle);
  if (!window) tool_io::Fail("no window titled " + Utf8(windowTitle), 1);
  HWND control = FindControl(window, args);
  const LRESULT wanted = _wtoi(tool_io::Option(args, L"--length", L"1").c_str());
  while (::SendMessageW(control, WM_GETTEXTLENGTH, 0, 0) < wanted) {
    if (::GetTickCount() - confirmed > TimeoutOf(args)) tool_io::Fail("text did not arrive", 1);
    ::Sleep(10);
  }
  tool_io::Print("{\"milliseconds\":" + std::to_string(::GetTickCount() - confirmed) + "}\n");
  return 0;
}

// Handles of process `pid`. GetProcessHandleCount answers 0 under Wine, so the system handle table is counted:
// a count, then entries {ULONG pid; BYTE type; BYTE flags; USHORT value; PVOID object; ULONG access}.
long HandleCount(DWORD pid) {
  using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  std::vector<unsigned char> buffer(1 << 20);
  for (;;) {
    ULONG needed = 0;
    LONG status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) break;
    if (buffer.size() > (1u << 28)) return -1;
    buffer.resize(buffer.size() * 2);
  }
  struct Entry {
    ULONG pid;
    BYTE type;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  const ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + 8);
  long mine = 0;
  for (ULONG i = 0; i < count; ++i) mine += entries[i].pid == pid ? 1 : 0;
  return mine;
}

int StatsCommand(HWND window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  // A figure that cannot be read must not pass for a small one.
  if (!process) tool_io::Fail("cannot open the process of the window", 1);
  const BOOL read =
      ::K32GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
  ::CloseHandle(process);
  const long handles = HandleCount(pid);
  if (!read || memory.PagefileUsage == 0 || handles <= 0) tool_io::Fail("the process figures cannot be read", 1);
  // Wine leaves PrivateUsage at 0; Windows defines it as the same figure as PagefileUsage, which Wine fills.
  tool_io::Print("{\"handles\":" + std::to_string(handles) + ",\"private_bytes\":" +
                 std::to_string(memory.PagefileUsage) + "}\n");
  return 0;
}

// Another process's focus is not GetFocus's to tell; the window's GUI thread knows it.
int FocusCommand(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) {
    tool_io::Fail("the window's thread cannot be asked for its focus", 1);
  }
  RECT client{};
  ::GetClientRect(window, &client);
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  std::string clientJson = "[" + std::to_string(client.left) + "," + std::to_string(client.top) + "," +
                           std::to_string(client.right) + "," + std::to_string(client.bottom) + "]";
  HWND focus = info.hwndFocus;
  // The edit part of a combo box counts as the combo box.
  if (focus && ::GetParent(focus) && ::GetParent(focus) != window && ::IsChild(window, focus)) {
    HWND parent = ::GetParent(focus);
    if (ClassIs(parent, L"ComboBox")) focus = parent;
  }
  std::string json = "{\"active\":" + JsonString(Utf8(info.hwndActive ? Text(info.hwndActive) : L"")) +
                     ",\"client\":" + clientJson + ",\"in_window\":" +
                     ((focus && (focus == window || ::IsChild(window, focus))) ? "true" : "false");
  if (focus) {
    std::wstring name = NameOf(focus);
    json += ",\"name\":" + (name.empty() ? std::string("null") : JsonString(Utf8(name))) +
            ",\"class\":" + JsonString(Utf8(ClassOf(focus))) + ",\"id\":" + std::to_string(::GetDlgCtrlID(focus)) +
            ",\"rect\":" + Rect(focus) + ",\"visible\":" + (::IsWindowVisible(focus) ? "true" : "false");
    // What a screen reader takes as the name of a box without text of its own: the static label right before it
    // in z-order, shown or not.
    HWND before = ::GetWindow(focus, GW_HWNDPREV);
    // Where the caret is: its line, the box's first line in view, and whether the caret lies inside the box.
    if (info.hwndCaret == focus && (ClassIs(focus, L"Edit") || ClassIs(focus, L"RichEdit50W"))) {
      RECT inside{};
      ::GetClientRect(focus, &inside);
      const RECT& caret = info.rcCaret;
      const bool inView = caret.top >= inside.top && caret.bottom <= inside.bottom && caret.left >= inside.left &&
                          caret.left < inside.right;
      json += ",\"caret_line\":" + std::to_string(::SendMessageW(focus, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0)) +
              ",\"first_line\":" + std::to_string(::SendMessageW(focus, EM_GETFIRSTVISIBLELINE, 0, 0)) +
              ",\"caret_in_view\":" + (inView ? "true" : "false");
    }
    json += ",\"label\":" + (before && ClassIs(before, L"Static") ? JsonString(Utf8(Text(before))) : std::string("null"));
  } else {
    json += ",\"name\":null";
  }
  tool_io::Print(json + "}\n");
  return 0;
}

// What the hook of WinEventsCommand collects: out of context, the events arrive as messages to this thread.
struct WinEventLog {
  HWND window = nullptr;
  std::string json;
};
WinEventLog* winEventLog = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG, LONG, DWORD, DWORD) {
  if (!winEventLog || !hwnd || !::IsChild(winEventLog->window, hwnd)) return;
  winEventLog->json += (winEventLog->json.empty() ? "" : ",") + std::string("{\"event\":") +
                       (event == EVENT_OBJECT_NAMECHANGE ? "\"name\"" : "\"live\"") +
                       ",\"name\":" + JsonString(Utf8(NameOf(hwnd))) + ",\"text\":" + JsonString(Utf8(Text(hwnd))) +
                       "}";
}

int WinEventsCommand(HWND window, const std::vector<std::wstring>& args) {
  constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
  const DWORD total = static_cast<DWORD>(std::wcstoul(tool_io::Option(args, L"--for", L"3000").c_str(), nullptr, 10));
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  WinEventLog log{window, {}};
  winEventLog = &log;
  HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, kLiveRegionChanged, nullptr, &OnWinEvent, pid, 0,
                                         WINEVENT_OUTOFCONTEXT);
  if (!hook) tool_io::Fail("the event hook could not be set", 1);
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < total) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
  }
  ::UnhookWinEvent(hook);
  winEventLog = nullptr;
  tool_io::Print("[" + log.json + "]\n");
  return 0;
}

int ProbeCommand(HWND window, const std::vector<std::wstring>& args) {
  const DWORD total = static_cast<DWORD>(std::wcstoul(tool_io::Option(args, L"--for", L"5000").c_str(), nullptr, 10));
  const DWORD each = static_cast<DWORD>(std::wcstoul(tool_io::Option(args, L"--each", L"2000").c_str(), nullptr, 10));
  int probes = 0, unanswered = 0;
  DWORD longest = 0;
  const DWORD start = ::GetTickCount();
  do {
    const DWORD sent = ::GetTickCount();
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, each, &result)) ++unanswered;
    longest = std::max(longest, ::GetTickCount() - sent);
    ++probes;
    ::Sleep(100);
  } while (::GetTickCount() - start < total);
  tool_io::Print("{\"probes\":" + std::to_string(probes) + ",\"unanswered\":" + std::to_string(unanswered) +
                 ",\"longest_ms\":" + std::to_string(longest) + "}\n");
  return 0;
}

int SysColorsCommand(const std::vector<std::wstring>& args) {
  std::vector<INT> indexes;
  std::vector<COLORREF> colours;
  for (size_t i = 1; i < args.size(); ++i) {
    int index = 0;
    unsigned red = 0, green = 0, blue = 0;
    if (::swscanf(args[i].c_str(), L"%d=%u,%u,%u", &index, &red, &green, &blue) != 4 || red > 255 || green > 255 ||
        blue > 255) {
      tool_io::Fail("syscolors: expected INDEX=R,G,B, got " + Utf8(args[i]), 2);
    }
    indexes.push_back(index);
    colours.push_back(RGB(red, green, blue));
  }
  if (indexes.empty()) tool_io::Fail("syscolors: no colours given", 2);
  if (!::SetSysColors(static_cast<int>(indexes.size()), indexes.data(), colours.data())) {
    tool_io::Fail("syscolors: SetSysColors failed (" + std::to_string(::GetLastError()) + ")", 1);
  }
  return 0;
}

int Run(const std::vector<std::wstring>& args) {
  if (args.empty()) tool_io::Fail("usage: gui_driver COMMAND [options]", 2);
  const std::wstring& command = args[0];
  if (command == L"list") {
    std::string json = "[";
    for (HWND hwnd : TopWindows()) {
      DWORD pid = 0;
      ::GetWindowThreadProcessId(hwnd, &pid);
      json += (json.size() > 1 ? "," : "") + std::string("{\"title\":") + JsonString(Utf8(Text(hwnd))) +
              ",\"class\":" + JsonString(Utf8(ClassOf(hwnd))) + ",\"pid\":" + std::to_string(pid) + "}";
    }
    tool_io::Print(json + "]\n");
    return 0;
  }
  if (command == L"msgbox") return MessageBoxCommand(args);
  if (command == L"syscolors") return SysColorsCommand(args);
  if (command == L"workarea") {  // the primary monitor's work area, as windows are placed in it
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    tool_io::Print("[" + std::to_string(work.left) + "," + std::to_string(work.top) + "," +
                   std::to_string(work.right) + "," + std::to_string(work.bottom) + "]\n");
    return 0;
  }
  if (command == L"filedialog") return FileDialogCommand(args);
  if (command == L"gone") {
    std::wstring title = tool_io::Option(args, L"--title");
    DWORD start = ::GetTickCount();
    while (FindTitled(title)) {
      if (::GetTickCount() - start > TimeoutOf(args)) {
      std::string message = "window still there: ";
      message += Utf8(title);
      tool_io::Fail(message, 1);
    }
      ::Sleep(50);
    }
    return 0;
  }
  HWND window = WaitTitled(args);
  if (command == L"wait") return 0;
  if (command == L"dump") {
    tool_io::Print(DumpWindow(window));
    return 0;
  }
  if (command == L"stats") return StatsCommand(window);
  if (command == L"focus") return FocusCommand(window);
  if (command == L"probe") return ProbeCommand(window, args);
  if (command == L"winevents") return WinEventsCommand(window, args);
  if (command == L"close") {
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  HWND control = FindControl(window, args);
  if (command == L"queuegap") return QueueGapCommand(control, args);
  if (command == L"watchcheck") return WatchCheckCommand(control, args);
  int index = _wtoi(tool_io::Option(args, L"--index", L"0").c_str());
  if (command == L"click" && (ClassIs(control, L"RichEdit") || ClassIs(control, L"Edit"))) {
    ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  } else if (command == L"click" && tool_io::HasOption(args, L"--sync")) {
    // Returns once the window has handled the click: for clicks that open no message box.
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_NORMAL, TimeoutOf(args), &result)) {
      tool_io::Fail("the window did not handle the click in time", 1);
    }
  } else if (command == L"click") {
    ::PostMessageW(control, BM_CLICK, 0, 0);  // posted: a message box the click opens must not block us
  } else if (command == L"select" || command == L"dblclick") {
    bool combo = ClassIs(control, L"ComboBox");
    ::SendMessageW(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Notify(control, combo ? CBN_SELCHANGE : LBN_SELCHANGE);
    if (command == L"dblclick") Notify(control, combo ? CBN_DBLCLK : LBN_DBLCLK);
  } else if (command == L"itemrect") {
    // Where item `index` of a list box is on the screen, for a real pointer to click it.
    RECT item{};
    if (::SendMessageW(control, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) ==
        LB_ERR) {
      tool_io::Fail("no such item", 1);
    }
    ::MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&item), 2);
    tool_io::Print("[" + std::to_string(item.left) + "," + std::to_string(item.top) + "," +
                   std::to_string(item.right) + "," + std::to_string(item.bottom) + "]\n");
  } else if (command == L"check") {
    int wanted = _wtoi(tool_io::Option(args, L"--value", L"1").c_str());
    for (int i = 0; i < 3 && ::SendMessageW(control, BM_GETCHECK, 0, 0) != wanted; ++i) {
      ::SendMessageW(control, BM_CLICK, 0, 0);
    }
    if (::SendMessageW(control, BM_GETCHECK, 0, 0) != wanted) tool_io::Fail("check state not reached", 1);
  } else if (command == L"type") {
    std::wstring text = tool_io::Option(args, L"--text");
    ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    // An edit control reports the change itself; a rich edit does so only when asked, so we tell its parent.
    if (!ClassIs(control, L"Edit")) Notify(control, EN_CHANGE);
  } else {
    tool_io::Fail("unknown command " + Utf8(command), 2);
  }
  return 0;
}

}  // namespace

int main() { return Run(tool_io::Arguments()); }
