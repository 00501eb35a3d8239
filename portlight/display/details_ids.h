// Window class, caption, control ids and private messages of the details window
// frmNetstatsInfo; end-to-end tests drive the window through the same ids.
#pragma once

namespace portlight {

inline constexpr char kDetailsWindowClass[] = "PortlightDetailsWindow";
inline constexpr char kDetailsPanelClass[] = "PortlightDetailsPanel";
inline constexpr char kDetailsWindowCaption[] = "Details Window";

inline constexpr int kIdcPicNetstatsInfo = 0x6800;
inline constexpr int kIdcLstNetstatsInfo = 0x6801;
inline constexpr int kIdcLblNetstatsInfo = 0x6802;
inline constexpr int kIdcCmdNetstatsRefresh = 0x6803;
inline constexpr int kIdcCmdNetstatsTerminate = 0x6804;
inline constexpr int kIdcCmdNetstatsWhoIs = 0x6805;
inline constexpr int kIdcCmdNetstatsPing = 0x6806;
inline constexpr int kIdcCmdNetstatsTrace = 0x6807;
inline constexpr int kIdcCmdNetstatsCopy = 0x6808;
inline constexpr int kIdcCmdExitNetstatInfo = 0x6809;

// tmrRefresh.
inline constexpr unsigned kIdtRefresh = 1;
inline constexpr unsigned kRefreshMilliseconds = 1000;

// WM_APP + 40: the lookup worker has answers for the host lines.
inline constexpr unsigned kWmHostAnswers = 0x8000 + 40;

}  // namespace portlight
