#include <gtest/gtest.h>

#include "config_tool/main_window/main_window.h"
#include "driver_installer/installer_window.h"
#include "platform/fakes/fake_controls.h"

TEST(WindowLoad, MainWindowShowsItsCaption) {
  fakes::FakeWindow window;
  quorvel::MainWindow mainWindow({window});
  mainWindow.Load();
  EXPECT_EQ(window.Caption(), "热敏打印机参数设置工具V1.0--2017-12-12");
}

TEST(WindowLoad, InstallerWindowShowsItsCaption) {
  fakes::FakeWindow window;
  omblet::InstallerWindow installer({window});
  installer.Load();
  EXPECT_EQ(window.Caption(), "OmbletV300.19(20180607)");
}
