#pragma once
// The wizard's pictures from the program's own resources (RCDATA, PNG), decoded by the system's
// GDI+: the seven images of the main window and the four button glyphs of the timed message form.
#include <windows.h>

#include <string>
#include <vector>

#include "MainBackgroundRules.h"

namespace wizard {

// GDI+ for the life of this object: started by the constructor, shut down by the destructor.
// The pictures can be loaded only while one exists. Raises OperatorError when GDI+ cannot start.
class GdiPlusSession {
 public:
  GdiPlusSession();
  ~GdiPlusSession();
  GdiPlusSession(const GdiPlusSession&) = delete;
  GdiPlusSession& operator=(const GdiPlusSession&) = delete;

 private:
  ULONG_PTR token_ = 0;
};

// The bytes of the RCDATA resource `name` of the program's own module. Raises OperatorError
// naming the resource when there is none.
std::string LoadResourceBytes(const wchar_t* name);

// The PNG image in the RCDATA resource `name`, drawn over opaque white by its alpha (transparent
// pixels white, partly transparent ones mixed with white) and then opaque everywhere. Raises
// OperatorError naming the resource when it is missing or cannot be decoded.
Bitmap32 LoadPngResource(const wchar_t* name);

// The seven pictures of the main window: "BACKGROUND", "MAIN", "LOGO", "TITLE_PNL_L",
// "TITLE_PNL_R", "TITLE_PNL_M", "TITLE", loaded in this order.
Artwork LoadArtwork();

// The four 16 x 16 button glyphs of the timed message form ("GLYPH0" to "GLYPH3": a cross for
// the cancel button, information, a tick for the OK button, a warning), with their own alpha
// (non-premultiplied ARGB): they are drawn on buttons, not on the window's picture.
std::vector<Bitmap32> LoadGlyphs();

}  // namespace wizard
