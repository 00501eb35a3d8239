// What the inspection asks of the details window, so that the report and list flows run
// against a fake in tests. The window keeps the content marker and DetailsActive with its
// controls; the inspection reads and sets them.
#pragma once

#include <string>
#include <vector>

namespace portlight {

class DetailsView {
  public:
    virtual ~DetailsView() = default;

    virtual void Show() = 0;
    virtual void ShowList(bool visible) = 0;
    virtual void ShowExitButton() = 0;
    virtual void ClearList() = 0;
    virtual void SetLines(const std::vector<std::string>& lines) = 0;
    virtual void ReplaceLine(int index, const std::string& text) = 0;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void EnableTerminate(bool enabled) = 0;

    // Content marker kept with cmdNetstatsRefresh: "List of Connections" or the hover text
    // of the reported slot.
    std::string contentMarker;
    // Set when a report or the list is put into the window; cleared by its Exit button.
    bool DetailsActive = false;
};

}  // namespace portlight
