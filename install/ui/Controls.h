#pragma once
// Thin classes over the system's controls. A Control is a named field of the window that owns
// it; the system destroys it with its parent. A form lists its controls as one table of
// ControlRow rows (kind, text, font, bounds, colour, handler) and makes them with CreateControls;
// a control's notifications come back to the control itself (Control::From), which calls its
// handler and tells its colour, so a form needs no switch over its controls.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/Window.h"

namespace ui {

enum class Kind {
  kButton,
  kDefaultButton,  // the page's default push button
  kCheckBox,
  kLabel,
  kFittedLabel,  // one line, never wrapped: sized to its text
  kIcon,
  kMemo,  // read-only, multi-line
  kEdit,  // one line, with a border
  kList,
  kCombo,     // a drop-down list
  kRichText,  // read-only rich text with a vertical scroll bar
  kProgressBar,
};

// A control's text colour that means "the system's colours" (edit fields, combo boxes).
inline constexpr COLORREF kSystemColours = CLR_INVALID;

class Control {
 public:
  // The control object behind a control's window; null for a window not made by CreateControls.
  static Control* From(HWND window);

  HWND Handle() const { return window_; }
  bool Exists() const { return window_ != nullptr && ::IsWindow(window_); }

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

  // The handler a click calls; false when it has none.
  bool OnClick() const;
  COLORREF TextColour() const { return textColour_; }

 protected:
  friend void CreateControl(Control& field, HWND parent, Kind kind, const std::wstring& text,
                            HFONT font, const Bounds& bounds, COLORREF colour,
                            std::function<void()> onClick, bool hidden);
  HWND window_ = nullptr;
  COLORREF textColour_ = kSystemColours;
  std::function<void()> onClick_;
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

// One control of a form: where it lies (`in`: a container; the form itself when null), what it
// is and shows, and the form's member function its click calls.
template <typename Form>
struct ControlRow {
  Control* field = nullptr;
  const Window* in = nullptr;
  Kind kind = Kind::kLabel;
  std::wstring text = {};
  HFONT font = nullptr;
  Bounds bounds = {};
  COLORREF colour = RGB(0, 0, 0);  // the text's; kSystemColours for the system's
  void (Form::*onClick)() = nullptr;
  bool hidden = false;
};

// Makes one control of `kind` (the window class and style that the kind stands for).
void CreateControl(Control& field, HWND parent, Kind kind, const std::wstring& text, HFONT font,
                   const Bounds& bounds, COLORREF colour, std::function<void()> onClick,
                   bool hidden);

template <typename Form>
void CreateControls(Form& form, const std::vector<ControlRow<Form>>& table) {
  for (const ControlRow<Form>& row : table) {
    std::function<void()> click;
    if (row.onClick != nullptr) {
      click = [&form, handler = row.onClick] { (form.*handler)(); };
    }
    CreateControl(*row.field, row.in != nullptr ? row.in->Handle() : form.Handle(), row.kind,
                  row.text, row.font, row.bounds, row.colour, std::move(click), row.hidden);
  }
}

// Lines joined as a multi-line edit shows them.
std::wstring JoinLines(const std::vector<std::wstring>& lines);

}  // namespace ui
