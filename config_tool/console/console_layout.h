#pragma once
// Where the console's moving controls sit. Horizontal values are the console's own units (ten to the window's
// twip, each 0.09923 twip); vertical values are twips.
namespace quorvel {

inline constexpr double kTwipsPerConsoleUnit = 0.09923;

struct Box {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Box&) const = default;
};

enum class ViewState : short { SideBySide = 0, Enlarged = 1 };
enum class TextBox { Send, Characters, Receive };  // Text1, TASCII, TXTRE
// Keys that may stand for a click on a view box.
enum class ViewKey { Enter, Space, F6, Other };

struct ConsoleGeometry {
  Box text1, tascii, txtre, list2;
  Box checkHexMode, check1;
  Box command4, command5, command7, command8, commandC;  // 发送, 打开文件, 清除, 检测PID, 添加命令

  // The positions the window is designed with, for a client area of 15000 x 9000 twips.
  static ConsoleGeometry Designed();
};

// The layout pass for a window `widthTwips` wide and `heightTwips` high. The command list takes the character
// view's place; the caller hides it.
void LayOut(ConsoleGeometry& geometry, ViewState state, int widthTwips, int heightTwips);

}  // namespace quorvel
