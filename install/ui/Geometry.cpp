#include "ui/Geometry.h"

#include <algorithm>

namespace ui {

std::vector<Bounds> DockLayout(Bounds area, const std::vector<Docked>& controls) {
  std::vector<Bounds> placed;
  placed.reserve(controls.size());
  for (const Docked& control : controls) {
    const int size = control.visible ? control.size : 0;
    switch (control.dock) {
      case Dock::kTop:
        placed.push_back({area.left, area.top, area.width, size});
        area.top += size;
        area.height = std::max(0, area.height - size);
        break;
      case Dock::kBottom:
        placed.push_back({area.left, area.Bottom() - size, area.width, size});
        area.height = std::max(0, area.height - size);
        break;
      case Dock::kLeft:
        placed.push_back({area.left, area.top, size, area.height});
        area.left += size;
        area.width = std::max(0, area.width - size);
        break;
      case Dock::kRight:
        placed.push_back({area.Right() - size, area.top, size, area.height});
        area.width = std::max(0, area.width - size);
        break;
      case Dock::kFill:
        placed.push_back(area);
        break;
    }
  }
  return placed;
}

}  // namespace ui
