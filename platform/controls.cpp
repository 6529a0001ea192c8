#include "controls.h"

#include <algorithm>
#include <cstring>

#include "application.h"
#include "text.h"

namespace plat {

namespace {

const wchar_t kContainerClass[] = L"PlatContainer";
const wchar_t kFormClass[] = L"PlatForm";
constexpr int kPageInset = 4;  // frame of the page control around its pages

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void RegisterOnce(const wchar_t* name, WNDPROC proc, HICON icon) {
  WNDCLASSW existing;
  if (GetClassInfoW(Instance(), name, &existing)) return;
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = Instance();
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hIcon = icon;
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}

int NextControlId() {
  static int id = 100;
  return ++id;
}

}  // namespace

COLORREF ToRgb(Color c) { return (c & kSysColor) ? GetSysColor(int(c & 0xFF)) : COLORREF(c); }

// ---- Window ---------------------------------------------------------------

Window::~Window() {
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

Window* Window::FromHandle(HWND hwnd) {
  return hwnd ? reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

void Window::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Window::SetCaption(const std::string& text) {
  text_ = text;
  if (hwnd_) SetWindowTextW(hwnd_, Widen(text_).c_str());
}

bool Window::Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }
void Window::SetEnabled(bool on) { EnableWindow(hwnd_, on); }
bool Window::Visible() const { return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE); }
void Window::SetVisible(bool on) { ShowWindow(hwnd_, on ? SW_SHOW : SW_HIDE); }

namespace {

// The control's scaled place in its parent: left, top, width, height.
RECT Place(const ControlSpec& spec, const Container& parent) {
  const Form& f = parent.OwnerForm();
  RECT area = parent.ClientArea();
  if (spec.flags & cfAlignClient) return RECT{area.left, area.top, area.right - area.left, area.bottom - area.top};
  RECT r{area.left + f.ScaleSize(int(spec.bounds.left)), area.top + f.ScaleSize(int(spec.bounds.top)),
         f.ScaleSize(int(spec.bounds.right)), f.ScaleSize(int(spec.bounds.bottom))};
  return r;
}

}  // namespace

void Window::CreateControl(const wchar_t* cls, DWORD style, DWORD exStyle, const ControlSpec& spec,
                           Container& parent) {
  form_ = &parent.OwnerForm();
  text_ = spec.text ? spec.text : "";
  if (!(spec.flags & cfHidden)) style |= WS_VISIBLE;
  if (spec.flags & cfDisabled) style |= WS_DISABLED;
  const RECT r = Place(spec, parent);
  Attach(CreateWindowExW(exStyle, cls, Widen(text_).c_str(), WS_CHILD | style, r.left, r.top, r.right, r.bottom,
                         parent.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())),
                         Instance(), nullptr));
  const FontSpec& font = form_->FontOf(spec);
  fontColor_ = font.color;
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(form_->Font(font)), FALSE);
}

// ---- Container ------------------------------------------------------------

LRESULT CALLBACK Container::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Container*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->Attach(hwnd);
  }
  auto* self = static_cast<Container*>(FromHandle(hwnd));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->WndProc(msg, wp, lp);
}

LRESULT Container::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (Window* child = FromHandle(reinterpret_cast<HWND>(lp))) {
        child->Notify(HIWORD(wp));
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (Window* child = FromHandle(reinterpret_cast<HWND>(lp))) {
        if (HBRUSH b = child->ControlColor(reinterpret_cast<HDC>(wp))) return reinterpret_cast<LRESULT>(b);
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT client;
      GetClientRect(hwnd_, &client);
      // Paint off screen, so labels drawn over each other do not flicker.
      HDC mem = CreateCompatibleDC(dc);
      HBITMAP bmp = CreateCompatibleBitmap(dc, client.right, client.bottom);
      HGDIOBJ old = SelectObject(mem, bmp);
      PaintBackground(mem, client);
      for (Graphic* g : graphics_) g->Paint(mem);
      BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteObject(bmp);
      DeleteDC(mem);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      if (brush_) DeleteObject(brush_);
      brush_ = nullptr;
      hwnd_ = nullptr;
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

HBRUSH Container::BackBrush() {
  if (!brush_) brush_ = CreateSolidBrush(ToRgb(color_));
  return brush_;
}

void Container::PaintBackground(HDC dc, const RECT& client) { FillRect(dc, &client, BackBrush()); }

RECT Container::ClientArea() const {
  RECT r;
  GetClientRect(hwnd_, &r);
  RECT in = Inset();
  return RECT{r.left + in.left, r.top + in.top, r.right - in.right, r.bottom - in.bottom};
}

void Container::CreateContainer(const ControlSpec& spec, Container& parent, DWORD exStyle) {
  form_ = &parent.OwnerForm();
  color_ = spec.color ? spec.color : parent.BackColor();
  RegisterOnce(kContainerClass, StaticWndProc, nullptr);
  RECT r = Place(spec, parent);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | ((spec.flags & cfHidden) ? 0 : WS_VISIBLE);
  CreateWindowExW(exStyle | WS_EX_CONTROLPARENT, kContainerClass, L"", style, r.left, r.top, r.right, r.bottom,
                  parent.Handle(), nullptr, Instance(), this);
}

void Panel::Create(const ControlSpec& spec, Container& parent) { CreateContainer(spec, parent, 0); }

// ---- Pages ----------------------------------------------------------------

void TabSheet::Create(const ControlSpec& spec, Container& parent) {
  auto& pages = dynamic_cast<PageControl&>(parent);
  ControlSpec page = spec;
  page.flags = (spec.flags | cfAlignClient | cfHidden);
  CreateContainer(page, parent, 0);
  pages.pages_.push_back(this);
  if (spec.flags & cfActivePage) pages.SetActivePageIndex(pages.PageCount() - 1);
}

void PageControl::Create(const ControlSpec& spec, Container& parent) { CreateContainer(spec, parent, 0); }

RECT PageControl::Inset() const { return RECT{kPageInset, kPageInset, kPageInset, kPageInset}; }

void PageControl::PaintBackground(HDC dc, const RECT& client) {
  Container::PaintBackground(dc, client);
  RECT frame = client;
  DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT);
}

void PageControl::SetActivePageIndex(int index) {
  if (index == active_ || index < -1 || index >= PageCount()) return;
  TabSheet* next = index >= 0 ? pages_[size_t(index)] : nullptr;
  TabSheet* prev = active_ >= 0 ? pages_[size_t(active_)] : nullptr;
  // Handlers run only while the control is on screen; otherwise the change is silent.
  const bool showing = IsWindowVisible(hwnd_);
  if (next) {
    SetWindowPos(next->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(next->Handle(), SW_SHOW);
    if (showing) App().Invoke(next->OnShow, next);
  }
  if (prev) {
    ShowWindow(prev->Handle(), SW_HIDE);
    if (showing) App().Invoke(prev->OnHide, prev);
  }
  active_ = index;
}

// ---- Standard controls ------------------------------------------------------

namespace {

SIZE MeasureText(HFONT font, const std::wstring& text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_LEFT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{r.right, r.bottom};
}

}  // namespace

void StaticText::Create(const ControlSpec& spec, Container& parent) {
  CreateControl(L"STATIC", SS_LEFT, 0, spec, parent);
  if (spec.flags & cfAutoSize) {
    SIZE s = MeasureText(form_->Font(form_->FontOf(spec)), Widen(text_));
    SetWindowPos(hwnd_, nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HBRUSH StaticText::ControlColor(HDC dc) {
  SetTextColor(dc, ToRgb(fontColor_));
  SetBkMode(dc, TRANSPARENT);
  auto* parent = static_cast<Container*>(FromHandle(GetParent(hwnd_)));
  return parent ? parent->BackBrush() : nullptr;
}

void Edit::Create(const ControlSpec& spec, Container& parent) {
  CreateControl(L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, spec, parent);
}

void BitBtn::Create(const ControlSpec& spec, Container& parent) {
  CreateControl(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, spec, parent);
}

void BitBtn::Notify(WORD code) {
  if (code == BN_CLICKED) Click();
}

void BitBtn::Click() {
  // A disabled button cannot be clicked, whatever message arrives.
  if (Enabled() && Visible()) App().Invoke(OnClick, this);
}

// ---- Graphic controls -------------------------------------------------------

void Label::Create(const ControlSpec& spec, Container& parent) {
  const FontSpec& fs = parent.OwnerForm().FontOf(spec);
  font_ = parent.OwnerForm().Font(fs);
  fontColor_ = fs.color;
  back_ = parent.BackColor();
  transparent_ = spec.flags & cfTransparent;
  text_ = Widen(spec.text ? spec.text : "");
  RECT r = Place(spec, parent);
  // A label sizes itself to its text.
  SIZE s = MeasureText(font_, text_);
  rect_ = RECT{r.left, r.top, r.left + s.cx, r.top + s.cy};
  parent.AddGraphic(this);
}

void Label::Paint(HDC dc) {
  if (!transparent_) {
    HBRUSH b = CreateSolidBrush(ToRgb(back_));
    FillRect(dc, &rect_, b);
    DeleteObject(b);
  }
  HGDIOBJ old = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToRgb(fontColor_));
  RECT r = rect_;
  DrawTextW(dc, text_.c_str(), int(text_.size()), &r, DT_LEFT | DT_NOCLIP);
  SelectObject(dc, old);
}

Image::~Image() {
  if (bitmap_) DeleteObject(bitmap_);
}

void Image::Create(const ControlSpec& spec, Container& parent) {
  transparent_ = spec.flags & cfTransparent;
  bitmap_ = static_cast<HBITMAP>(
      LoadImageW(Instance(), Widen(spec.text).c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  RECT r = Place(spec, parent);
  rect_ = RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
  parent.AddGraphic(this);
}

void Image::Paint(HDC dc) {
  if (!bitmap_) return;
  BITMAP bm;
  GetObjectW(bitmap_, sizeof bm, &bm);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, bitmap_);
  // The picture keeps its natural size whatever the control's scale.
  if (transparent_) {
    // The colour of the bottom-left pixel is left out.
    GdiTransparentBlt(dc, rect_.left, rect_.top, bm.bmWidth, bm.bmHeight, mem, 0, 0, bm.bmWidth, bm.bmHeight,
                      GetPixel(mem, 0, bm.bmHeight - 1));
  } else {
    BitBlt(dc, rect_.left, rect_.top, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
}

// ---- Form -----------------------------------------------------------------

Form::Form(const FormSpec& spec) : font_(spec.font), activeName_(spec.activeControl) {
  form_ = this;
  color_ = spec.color;
  if (!App().mainForm_) App().mainForm_ = this;
  ComputeScale();

  RegisterOnce(kFormClass, StaticWndProc, LoadIconW(Instance(), L"MAINICON"));
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;
  RECT r{0, 0, ScaleSize(int(spec.client.cx)), ScaleSize(int(spec.client.cy))};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  text_ = spec.caption;
  CreateWindowExW(exStyle, kFormClass, Widen(text_).c_str(), style, 0, 0, r.right - r.left, r.bottom - r.top,
                  App().Handle(), nullptr, Instance(), this);
}

void Form::Load(std::span<const ControlSpec> layout, std::span<const Binding> components) {
  auto find = [&](const char* name) -> Component* {
    for (const Binding& b : components)
      if (std::strcmp(b.name, name) == 0) return b.component;
    return nullptr;
  };
  for (const ControlSpec& c : layout) {
    Container* parent = c.parent ? dynamic_cast<Container*>(find(c.parent)) : this;
    find(c.name)->Create(c, *parent);
  }
  // Stacking follows the tab order among siblings: the first in tab order is on top.
  std::vector<const ControlSpec*> order;
  for (const ControlSpec& c : layout)
    if (c.tabOrder >= 0) order.push_back(&c);
  std::stable_sort(order.begin(), order.end(),
                   [](const ControlSpec* a, const ControlSpec* b) { return a->tabOrder < b->tabOrder; });
  for (const ControlSpec* c : order)
    if (auto* w = dynamic_cast<Window*>(find(c->name)))
      SetWindowPos(w->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  activeControl_ = activeName_ ? dynamic_cast<Window*>(find(activeName_)) : nullptr;
}

Form::~Form() {
  if (App().mainForm_ == this) App().mainForm_ = nullptr;
  for (CachedFont& f : fonts_) DeleteObject(f.font);
}

void Form::ComputeScale() {
  HDC dc = GetDC(nullptr);
  dpi_ = GetDeviceCaps(dc, LOGPIXELSY);
  if (dpi_ != 96) {
    // On another density the fonts scale with it, and the layout with the
    // window font's new text height.
    HGDIOBJ old = SelectObject(dc, WindowFont());
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    scaleNum_ = tm.tmHeight;
    scaleDen_ = 13;
  }
  ReleaseDC(nullptr, dc);
}

HFONT Form::Font(const FontSpec& spec) {
  for (const CachedFont& f : fonts_)
    if (std::strcmp(f.spec.face, spec.face) == 0 && f.spec.height == spec.height && f.spec.style == spec.style &&
        f.spec.charset == spec.charset)
      return f.font;
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(spec.height, dpi_, 96);
  lf.lfWeight = (spec.style & fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (spec.style & fsItalic) != 0;
  lf.lfUnderline = (spec.style & fsUnderline) != 0;
  lf.lfCharSet = spec.charset;
  lf.lfQuality = DEFAULT_QUALITY;
  std::wstring face = Widen(spec.face);
  wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectW(&lf);
  fonts_.push_back(CachedFont{spec, font});
  return font;
}

void Form::Show() {
  RECT r;
  GetWindowRect(hwnd_, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0,
               0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  if (activeControl_) SetFocus(activeControl_->Handle());
}

void Form::Close() {
  if (App().MainForm() == this) App().Terminate();
}

LRESULT Form::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ACTIVATE:
      // Keep the focused control across deactivation, as a dialog does.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focus_ = focus;
      } else {
        HWND target = focus_ && IsWindow(focus_) && IsWindowEnabled(focus_) && IsWindowVisible(focus_)
                          ? focus_
                          : (activeControl_ ? activeControl_->Handle() : nullptr);
        if (target) {
          SetFocus(target);
          return 0;
        }
      }
      break;
    case WM_COMMAND:
      if (lp == 0) return 0;  // IDOK/IDCANCEL from the dialog manager: no default or cancel button
      break;
  }
  return Container::WndProc(msg, wp, lp);
}

}  // namespace plat
