#include "tools/gui_driver/queue_timing.h"

#include <algorithm>
#include <cstdio>

#include "tools/win32_common/tool_io.h"

namespace {

double NowMs() {
  LARGE_INTEGER frequency{}, now{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Sent, so answered whenever the thread looks at its queue; never blocks us on a hung window.
LRESULT CheckState(HWND control) {
  DWORD_PTR state = BST_INDETERMINATE + 1;
  ::SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 50, &state);
  return static_cast<LRESULT>(state);
}

std::string Ms(double ms) { return std::to_string(static_cast<long long>(ms + 0.5)); }

}  // namespace

int QueueGapCommand(HWND control, const std::vector<std::wstring>& args) {
  const double total = std::wcstod(tool_io::Option(args, L"--for", L"5000").c_str(), nullptr);
  const LRESULT original = CheckState(control);
  std::vector<double> gaps;
  const double start = NowMs();
  LRESULT wanted = original == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
  while (NowMs() - start < total) {
    const double posted = NowMs();
    ::PostMessageW(control, BM_SETCHECK, static_cast<WPARAM>(wanted), 0);
    while (CheckState(control) != wanted && NowMs() - posted < 30000) ::Sleep(1);
    gaps.push_back(NowMs() - posted);
    wanted = wanted == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    ::Sleep(20);
  }
  ::SendMessageTimeoutW(control, BM_SETCHECK, static_cast<WPARAM>(original), 0, SMTO_NORMAL, 30000, nullptr);
  if (gaps.empty()) tool_io::Fail("queuegap: no sample taken", 1);
  std::vector<double> sorted = gaps;
  std::sort(sorted.begin(), sorted.end());
  tool_io::Print("{\"samples\":" + std::to_string(gaps.size()) + ",\"longest_ms\":" + Ms(sorted.back()) +
                 ",\"median_ms\":" + Ms(sorted[sorted.size() / 2]) + "}\n");
  return 0;
}

int WatchCheckCommand(HWND control, const std::vector<std::wstring>& args) {
  const LRESULT wanted = _wtoi(tool_io::Option(args, L"--value", L"1").c_str());
  const double timeout = std::wcstod(tool_io::Option(args, L"--timeout", L"10000").c_str(), nullptr);
  tool_io::Print("ready\n");
  char byte = 0;
  DWORD got = 0;
  while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &got, nullptr) && got == 1 && byte != '\n') {
  }
  const double clicked = NowMs();
  while (CheckState(control) != wanted) {
    if (NowMs() - clicked > timeout) tool_io::Fail("watchcheck: the box never took the value", 1);
    ::Sleep(1);
  }
  tool_io::Print("{\"ms\":" + Ms(NowMs() - clicked) + "}\n");
  return 0;
}
