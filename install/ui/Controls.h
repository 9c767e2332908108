#pragma once
// Thin classes over the system's controls. A Control is a named field of the window that owns
// it; the system destroys it with its parent. A form lists its controls, texts, fonts and bounds
// as one table of ControlSpec rows and makes them with CreateControls.
#include <windows.h>

#include <string>
#include <vector>

#include "ui/Window.h"

namespace ui {

class Control {
 public:
  HWND Handle() const { return window_; }
  bool Exists() const { return window_ != nullptr && ::IsWindow(window_); }
  void Attach(HWND window) { window_ = window; }

  void SetText(const std::wstring& text);
  std::wstring Text() const;
  void SetVisible(bool visible);
  bool Visible() const;
  void SetEnabled(bool enabled);
  bool Enabled() const;
  void SetFont(HFONT font);
  void Focus();
  void SetBounds(const Bounds& bounds);
  // Immediate repaint, handling no other message.
  void Repaint();

  // Buttons.
  void Click();
  bool Checked() const;
  void SetChecked(bool checked);
  void SetDefault(bool isDefault);

 protected:
  HWND window_ = nullptr;
};

// The list box's lines, held by the list box itself as strings.
class ListBox : public Control {
 public:
  int Add(const std::wstring& line);
  std::wstring Get(int index) const;
  void Put(int index, const std::wstring& line);
  int Count() const;
  void Clear();
  void SetItemHeight(int height);
};

class ComboBox : public Control {
 public:
  void AddItem(const std::wstring& item);
  int ItemIndex() const;
  void SetItemIndex(int index);
};

struct ControlSpec {
  Control* field;
  const wchar_t* windowClass;  // WC_BUTTONW, WC_EDITW, ...
  std::wstring text;
  DWORD style;  // besides WS_CHILD
  Bounds bounds;
  HWND parent;
  int id;
  HFONT font;
};

void CreateControls(const std::vector<ControlSpec>& table);

// Lines joined as a multi-line edit shows them.
std::wstring JoinLines(const std::vector<std::wstring>& lines);

}  // namespace ui
