#include "config_tool/console/console_layout.h"

#include <initializer_list>

namespace quorvel {

ConsoleGeometry ConsoleGeometry::Designed() {
  ConsoleGeometry g;
  g.text1 = {1500, 840, 49000, 6675};
  g.tascii = {52000, 840, 49000, 6675};
  g.txtre = {102500, 840, 46000, 6675};
  g.list2 = g.tascii;
  g.checkHexMode = {1200, 7630, 17000, 300};
  g.check1 = {19000, 7630, 13000, 300};
  g.command7 = {64000, 7830, 12000, 420};
  g.command8 = {78000, 7830, 12000, 420};
  g.command5 = {106000, 7830, 12000, 420};
  g.command4 = {120000, 7830, 12000, 420};
  g.commandC = {134000, 7830, 12000, 420};
  return g;
}

void LayOut(ConsoleGeometry& g, ViewState state, int widthTwips, int heightTwips) {
  const int x = 10 * widthTwips;
  const int h = heightTwips;
  const bool enlarged = state == ViewState::Enlarged;
  auto spanWidth = [&](Box& box) {
    box.left = 2000;
    box.width = x - 4000;
  };

  g.text1.left = 1500;
  if (x > 90000) {
    if (enlarged) {
      for (Box* box : {&g.text1, &g.tascii, &g.txtre}) spanWidth(*box);
    } else {
      g.text1.width = (x - 3000) / 3;
    }
    g.command4.left = x - 28000;
    g.command5.left = x - 58000;
    g.command7.left = x - 86000;
    g.command5.top = g.command7.top = g.command4.top;
  }
  if (h > 7550) {
    g.checkHexMode.top = g.check1.top = h - 1370;
    g.command4.top = h - 1270;
    g.text1.height = h - 2325;
    g.command5.top = g.command7.top = g.command4.top;
  }
  if (enlarged) {
    for (Box* box : {&g.text1, &g.tascii, &g.txtre}) spanWidth(*box);
  } else {
    g.tascii.left = g.text1.left + g.text1.width + 1500;
    g.txtre.left = g.tascii.left + g.text1.width + 1500;
    g.tascii.width = g.txtre.width = g.text1.width;
  }
  g.tascii.top = g.txtre.top = g.text1.top;
  g.tascii.height = g.txtre.height = g.text1.height;

  if (h > 7550) g.command7.top = h - 1170;
  g.command8.top = g.command5.top = g.command4.top = g.command7.top;
  g.command8.left = g.command7.left + 14000;
  g.command5.left = g.command8.left + 28000;
  g.command4.left = g.command8.left + 42000;
  g.commandC.top = g.command4.top;
  g.commandC.left = g.command4.left + 14000;

  g.list2 = g.tascii;
}

}  // namespace quorvel
