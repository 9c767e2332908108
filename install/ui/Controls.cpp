#include "ui/Controls.h"

#include <commctrl.h>
#include <richedit.h>

#include "Error.h"

namespace ui {

void Control::SetText(const std::wstring& text) {
  ::SetWindowTextW(window_, text.c_str());
}

std::wstring Control::Text() const {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window_)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(::GetWindowTextW(window_, text.data(), static_cast<int>(text.size()))));
  return text;
}

void Control::SetVisible(bool visible) {
  ::ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
}
bool Control::Visible() const {
  return ::IsWindowVisible(window_) != FALSE;
}
void Control::SetEnabled(bool enabled) {
  ::EnableWindow(window_, enabled ? TRUE : FALSE);
}
bool Control::Enabled() const {
  return ::IsWindowEnabled(window_) != FALSE;
}

void Control::SetFont(HFONT font) {
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Control::Focus() {
  ::SetFocus(window_);
}

void Control::SetBounds(const Bounds& bounds) {
  ::MoveWindow(window_, bounds.left, bounds.top, bounds.width, bounds.height, TRUE);
}

void Control::Repaint() {
  ::InvalidateRect(window_, nullptr, TRUE);
  ::UpdateWindow(window_);
}

void Control::Click() {
  ::SendMessageW(window_, BM_CLICK, 0, 0);
}

bool Control::Checked() const {
  return ::SendMessageW(window_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Control::SetChecked(bool checked) {
  ::SendMessageW(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Control::SetDefault(bool isDefault) {
  ::SendMessageW(window_, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

int ListBox::Add(const std::wstring& line) {
  const LRESULT index =
      ::SendMessageW(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  if (index < 0) {
    throw OperatorError(L"Недостаточно памяти для списка хода установки");
  }
  return static_cast<int>(index);
}

std::wstring ListBox::Get(int index) const {
  const LRESULT length = ::SendMessageW(window_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) {
    throw OperatorError(L"Индекс списка вне диапазона (" + std::to_wstring(index) + L")");
  }
  std::wstring line(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = ::SendMessageW(window_, LB_GETTEXT, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(line.data()));
  line.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
  return line;
}

void ListBox::Put(int index, const std::wstring& line) {
  if (index < 0 || index >= Count()) {
    throw OperatorError(L"Индекс списка вне диапазона (" + std::to_wstring(index) + L")");
  }
  // The list box has no replace: the line is inserted at its place and the old one deleted,
  // keeping the selection and the visible part of the list as they were.
  const LRESULT top = ::SendMessageW(window_, LB_GETTOPINDEX, 0, 0);
  ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(window_, LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(line.c_str()));
  ::SendMessageW(window_, LB_DELETESTRING, static_cast<WPARAM>(index + 1), 0);
  ::SendMessageW(window_, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  ::SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(window_, nullptr, TRUE);
}

int ListBox::Count() const {
  return static_cast<int>(::SendMessageW(window_, LB_GETCOUNT, 0, 0));
}

void ListBox::Clear() {
  ::SendMessageW(window_, LB_RESETCONTENT, 0, 0);
}

void ListBox::SetItemHeight(int height) {
  ::SendMessageW(window_, LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0));
}

void ComboBox::AddItem(const std::wstring& item) {
  ::SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int ComboBox::ItemIndex() const {
  return static_cast<int>(::SendMessageW(window_, CB_GETCURSEL, 0, 0));
}

void ComboBox::SetItemIndex(int index) {
  ::SendMessageW(window_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

namespace {

struct KindClass {
  const wchar_t* windowClass;
  DWORD style;  // besides WS_CHILD and WS_VISIBLE
};

KindClass ClassOf(Kind kind) {
  switch (kind) {
    case Kind::kButton:
      return {WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON};
    case Kind::kDefaultButton:
      return {WC_BUTTONW, WS_TABSTOP | BS_DEFPUSHBUTTON};
    case Kind::kCheckBox:
      return {WC_BUTTONW, WS_TABSTOP | BS_AUTOCHECKBOX};
    case Kind::kLabel:
      return {WC_STATICW, SS_LEFT | SS_NOPREFIX};
    case Kind::kFittedLabel:
      return {WC_STATICW, SS_LEFTNOWORDWRAP | SS_NOPREFIX};
    case Kind::kIcon:
      return {WC_STATICW, SS_ICON};
    case Kind::kMemo:
      return {WC_EDITW, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL};
    case Kind::kEdit:
      return {WC_EDITW, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL};
    case Kind::kList:
      return {WC_LISTBOXW,
              WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | LBS_HASSTRINGS};
    case Kind::kCombo:
      return {WC_COMBOBOXW, WS_TABSTOP | CBS_DROPDOWNLIST};
    case Kind::kRichText:
      // The system's newer rich edit where its library is loaded, the older one otherwise.
      return {::GetModuleHandleW(L"Msftedit.dll") != nullptr ? MSFTEDIT_CLASS : L"RichEdit20W",
              WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL};
    case Kind::kProgressBar:
      return {PROGRESS_CLASSW, PBS_SMOOTH};
  }
  return {WC_STATICW, 0};
}

}  // namespace

Control* Control::From(HWND window) {
  return window != nullptr ? reinterpret_cast<Control*>(::GetWindowLongPtrW(window, GWLP_USERDATA))
                           : nullptr;
}

bool Control::OnClick() const {
  if (!onClick_) {
    return false;
  }
  onClick_();
  return true;
}

void CreateControl(Control& field, HWND parent, Kind kind, const std::wstring& text, HFONT font,
                   const Bounds& bounds, COLORREF colour, std::function<void()> onClick,
                   bool hidden) {
  const KindClass made = ClassOf(kind);
  const HWND window = ::CreateWindowExW(0, made.windowClass, text.c_str(),
                                        WS_CHILD | made.style | (hidden ? 0 : WS_VISIBLE),
                                        bounds.left, bounds.top, bounds.width, bounds.height,
                                        parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) {
    throw OperatorError(L"Не удалось создать элемент окна \"" + text + L"\"");
  }
  field.window_ = window;
  field.textColour_ = colour;
  field.onClick_ = std::move(onClick);
  ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&field));
  if (font != nullptr) {
    field.SetFont(font);
  }
}

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) {
      text += L"\r\n";
    }
    text += lines[i];
  }
  return text;
}

}  // namespace ui
