// The icon strip: one image and one count button per slot inside picActiveIcons, showing
// the slot model that the grouping fills. Left click asks for the process report, the right
// button opens the icon menu.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "capture/connection_table.h"
#include "capture/icon_grouping.h"
#include "capture/process_facts.h"
#include "capture/snapshot_cache.h"
#include "common/win32/handles_win.h"
#include "display/icon_menu.h"
#include "display/process_icon_win.h"
#include "display/stock_pictures_win.h"

namespace portlight {

// Class names, also used by tests to find the controls.
inline constexpr char kIconStripClass[] = "PortlightIconStrip";
inline constexpr char kSlotImageClass[] = "PortlightSlotImage";
// Control ids: slot i's image is kSlotImageBase + i, its count button kSlotButtonBase + i.
inline constexpr int kSlotImageBase = 0x6000;
inline constexpr int kSlotButtonBase = 0x6400;

struct IconStripHandlers {
    // Left click on a slot, or "Show Info" with the slot index from its tag.
    std::function<void(int slot)> ShowProcessReport;
    // A terminate entry of the icon menu: the menu as it was shown (the "Terminate All"
    // entries walk its other entries) and the chosen command id (IconMenuCommand).
    std::function<void(const IconMenu& menu, UINT command)> MenuCommand;
};

class IconStrip {
  public:
    // The slot model and the table are owned by the bar window and outlive the strip;
    // `snapshotRunning` tells whether cmdNetstats is disabled.
    IconStrip(const std::vector<IconSlot>& slots,
              const ConnectionTable& table,
              std::function<bool()> snapshotRunning);
    ~IconStrip();
    IconStrip(const IconStrip&) = delete;
    IconStrip& operator=(const IconStrip&) = delete;

    // CreateIconSlots: covers `container` and creates as many slots as fit its width.
    // Returns IconSlotCount, the highest slot index.
    int CreateIconSlots(HWND container, COLORREF background);
    int IconSlotCount() const { return static_cast<int>(images_.size()) - 1; }

    // Start of a snapshot: every count shows "0" and is hidden, every image is emptied and
    // hidden.
    void ResetSlots();
    // After the grouping: pictures, counts and hover texts of the filled slots.
    void ShowSlots();
    // The right button on slot i.
    void ShowIconMenu(int slot);

    HWND hwnd() const { return host_; }
    IconStripHandlers handlers;
    // Borrowed, may be null: when set, a program's icon is kept per process life (its id and
    // creation time) rather than per path alone; the bar ends each snapshot on it.
    ProcessFacts* facts = nullptr;

  private:
    LRESULT HandleHost(HWND window, UINT message, WPARAM wp, LPARAM lp);
    LRESULT HandleImage(HWND window, UINT message, WPARAM wp, LPARAM lp);
    void AddTool(HWND control);
    void RunMenuCommand(const IconMenu& menu, UINT command);
    void PaintImage(HWND image);
    // Sets a control's window text when it differs from what it shows; `control` is 2 * slot
    // for the image, 2 * slot + 1 for the count button.
    void SetText(size_t control, HWND window, const std::string& text);
    // The process life whose icon a slot shows: the owner of its first row.
    ProcessKey IconOwner(const IconSlot& slot);

    const std::vector<IconSlot>& slots_;
    const ConnectionTable& table_;
    std::function<bool()> snapshotRunning_;

    HWND host_ = nullptr;
    HWND tooltip_ = nullptr;
    win32::Font countFont_;
    std::vector<HWND> images_;
    std::vector<HWND> buttons_;
    std::vector<std::string> shownText_;                 // each image's and button's window text
    std::vector<std::unique_ptr<IconCanvas>> pictures_;  // each slot's copy of picLarge
    std::unique_ptr<StockPictures> stock_;
    std::unique_ptr<IconCanvas> picLarge_;
    std::unique_ptr<IconCanvas> picSmall_;
    // Each shown program's icon by process life and path, kept while the strip shows it.
    SnapshotCache<std::pair<ProcessKey, std::string>, std::unique_ptr<IconCanvas>> icons_;
    COLORREF background_ = 0;
    std::string tipText_;
};

}  // namespace portlight
