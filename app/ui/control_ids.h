// Numeric identifiers of the windows' controls. Every control carries its
// identifier as its object name ("1009"), so tests and people find it.
#pragma once

#include <QString>
#include <QWidget>

namespace ui {

// Main window.
inline constexpr int kIdExit = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdExport = 3;
inline constexpr int kIdConfiguration = 4;
inline constexpr int kIdAbout = 1001;
inline constexpr int kIdHomePage = 1006;
inline constexpr int kIdHelp = 1007;
inline constexpr int kIdDeviceList = 1009;
inline constexpr int kIdTabs = 1010;
inline constexpr int kIdAppIcon = 1017;
inline constexpr int kIdLastUpdated = 1067;
inline constexpr int kIdRefresh = 1068;
inline constexpr int kIdDevicesLabel = 1075;

// Timers.
inline constexpr int kTimerRefresh = 1000;
inline constexpr int kTimerSelfTest = 1001;
inline constexpr int kTimerActivity = 1002;

// Tray menu commands.
inline constexpr int kCmdTrayExit = 40010;
inline constexpr int kCmdTrayShow = 40011;

inline QString IdName(int id) { return QString::number(id); }

// Gives widget its identifier as object name and returns it.
template <typename W>
W* Named(W* widget, int id) {
  widget->setObjectName(IdName(id));
  return widget;
}

}  // namespace ui
