// appbar_types.h mirrors shell and window-manager constants so the docking rules build
// without <windows.h>; here the compiler holds each mirror to the real value.
#include <windows.h>

#include <shellapi.h>

#include "appbar/appbar_types.h"

namespace appbar {

static_assert(EdgeLeft == ABE_LEFT && EdgeTop == ABE_TOP && EdgeRight == ABE_RIGHT &&
              EdgeBottom == ABE_BOTTOM);

static_assert(abm::New == ABM_NEW && abm::Remove == ABM_REMOVE && abm::QueryPos == ABM_QUERYPOS &&
              abm::SetPos == ABM_SETPOS && abm::Activate == ABM_ACTIVATE &&
              abm::GetAutoHideBar == ABM_GETAUTOHIDEBAR &&
              abm::SetAutoHideBar == ABM_SETAUTOHIDEBAR &&
              abm::WindowPosChanged == ABM_WINDOWPOSCHANGED);

static_assert(abn::StateChange == ABN_STATECHANGE && abn::PosChanged == ABN_POSCHANGED &&
              abn::FullScreenApp == ABN_FULLSCREENAPP && abn::WindowArrange == ABN_WINDOWARRANGE);

static_assert(ht::Client == HTCLIENT && ht::Caption == HTCAPTION && ht::Left == HTLEFT &&
              ht::Right == HTRIGHT && ht::Top == HTTOP && ht::TopLeft == HTTOPLEFT &&
              ht::TopRight == HTTOPRIGHT && ht::Bottom == HTBOTTOM &&
              ht::BottomLeft == HTBOTTOMLEFT && ht::BottomRight == HTBOTTOMRIGHT &&
              ht::Border == HTBORDER);

static_assert(wmsz::Left == WMSZ_LEFT && wmsz::Right == WMSZ_RIGHT && wmsz::Top == WMSZ_TOP &&
              wmsz::TopLeft == WMSZ_TOPLEFT && wmsz::TopRight == WMSZ_TOPRIGHT &&
              wmsz::Bottom == WMSZ_BOTTOM && wmsz::BottomLeft == WMSZ_BOTTOMLEFT &&
              wmsz::BottomRight == WMSZ_BOTTOMRIGHT);

}  // namespace appbar
