// A thin layer of window controls over Win32: one object per control owns its
// HWND, keeps the settings it needs and calls plain callback members for its
// events. Texts are cp1250; every Win32 call that shows text uses the W API.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace plat {

class Component;
class Container;
class Form;

// Handlers receive the component that raised the event.
using Event = std::function<void(Component* sender)>;

// An RGB value, or kSysColor | COLOR_xxx for a system colour.
using Color = unsigned;
constexpr Color kSysColor = 0x80000000u;
constexpr Color clBtnFace = kSysColor | COLOR_BTNFACE;
constexpr Color clWindowText = kSysColor | COLOR_WINDOWTEXT;
constexpr Color clNavy = RGB(0, 0, 128);
constexpr Color clSilver = RGB(192, 192, 192);
constexpr Color clYellow = RGB(255, 255, 0);
constexpr Color clWhite = RGB(255, 255, 255);
constexpr Color clBlack = RGB(0, 0, 0);
COLORREF ToRgb(Color c);

enum FontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4 };

struct FontSpec {
  const char* face;
  int height;  // character height in pixels at 96 dpi
  unsigned style;
  Color color;
  unsigned char charset;
};

// Settings of one control in a stored layout. Positions are client pixels of
// the parent at 96 dpi.
enum ControlFlag : unsigned {
  cfDisabled = 1,
  cfHidden = 2,
  cfTransparent = 4,  // graphic controls: leave the background as it is
  cfAutoSize = 8,     // size the control to its text
  cfAlignClient = 16,
  cfActivePage = 32,  // pages: the page control's current page
};

struct ControlSpec {
  const char* name;
  const char* parent;     // nullptr: the form itself
  RECT bounds;            // left, top, width, height
  const char* text;       // caption; for images the bitmap resource name
  const FontSpec* font;   // nullptr: the form's font
  Color color;            // background; 0 takes the parent's
  unsigned flags;
  int tabOrder;           // -1: not in the tab order
};

struct FormSpec {
  const char* caption;
  SIZE client;
  Color color;
  FontSpec font;
  const char* activeControl;  // focused when the form is first shown
};

class Component {
 public:
  Component() = default;
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;
  virtual ~Component() = default;

 protected:
  friend class Form;
  virtual void Create(const ControlSpec& spec, Container& parent) = 0;
};

// A component with a window handle of its own.
class Window : public Component {
 public:
  ~Window() override;
  HWND Handle() const { return hwnd_; }
  static Window* FromHandle(HWND hwnd);

  const std::string& Caption() const { return text_; }
  void SetCaption(const std::string& text);
  bool Enabled() const;
  void SetEnabled(bool on);
  bool Visible() const;
  void SetVisible(bool on);

 protected:
  friend class Container;
  void Attach(HWND hwnd);
  // Child notifications routed here by the parent container.
  virtual void Notify(WORD /*code*/) {}
  virtual HBRUSH ControlColor(HDC /*dc*/) { return nullptr; }
  // Creates the window of a standard control class from its layout settings.
  void CreateControl(const wchar_t* cls, DWORD style, DWORD exStyle, const ControlSpec& spec, Container& parent);

  HWND hwnd_ = nullptr;
  std::string text_;
  Form* form_ = nullptr;
  Color fontColor_ = clWindowText;
};

// A component without a window, painted by its parent (labels, images).
class Graphic : public Component {
 protected:
  friend class Container;
  virtual void Paint(HDC dc) = 0;
  RECT rect_{};
};

// A window of our own class that holds other controls.
class Container : public Window {
 public:
  Color BackColor() const { return color_; }
  HBRUSH BackBrush();
  Form& OwnerForm() const { return *form_; }
  RECT ClientArea() const;  // where children are placed
  void AddGraphic(Graphic* g) { graphics_.push_back(g); }

 protected:
  friend class Form;
  friend class Window;
  friend class Graphic;
  void CreateContainer(const ControlSpec& spec, Container& parent, DWORD exStyle);
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK StaticWndProc(HWND, UINT, WPARAM, LPARAM);
  virtual void PaintBackground(HDC dc, const RECT& client);
  virtual RECT Inset() const { return RECT{0, 0, 0, 0}; }

  Color color_ = clBtnFace;
  std::vector<Graphic*> graphics_;
  HBRUSH brush_ = nullptr;
};

class Panel : public Container {
 protected:
  void Create(const ControlSpec& spec, Container& parent) override;
};

class TabSheet : public Container {
 public:
  Event OnShow;
  Event OnHide;
  int Tag = 0;

 protected:
  void Create(const ControlSpec& spec, Container& parent) override;
};

// Pages without tabs; a page change runs the pages' handlers in a fixed order.
class PageControl : public Container {
 public:
  int ActivePageIndex() const { return active_; }
  int PageCount() const { return int(pages_.size()); }
  TabSheet& Page(int index) const { return *pages_[size_t(index)]; }
  void SetActivePageIndex(int index);

 protected:
  friend class TabSheet;
  void Create(const ControlSpec& spec, Container& parent) override;
  void PaintBackground(HDC dc, const RECT& client) override;
  RECT Inset() const override;

 private:
  std::vector<TabSheet*> pages_;
  int active_ = -1;
};

class StaticText : public Window {
 protected:
  void Create(const ControlSpec& spec, Container& parent) override;
  HBRUSH ControlColor(HDC dc) override;
};

class Edit : public Window {
 public:
  const std::string& Text() const { return Caption(); }
  void SetText(const std::string& text) { SetCaption(text); }

 protected:
  void Create(const ControlSpec& spec, Container& parent) override;
};

class BitBtn : public Window {
 public:
  Event OnClick;
  void Click();

 protected:
  void Create(const ControlSpec& spec, Container& parent) override;
  void Notify(WORD code) override;
};

class Label : public Graphic {
 protected:
  void Create(const ControlSpec& spec, Container& parent) override;
  void Paint(HDC dc) override;

 private:
  std::wstring text_;
  HFONT font_ = nullptr;
  Color fontColor_ = clWindowText;
  Color back_ = 0;
  bool transparent_ = false;
};

class Image : public Graphic {
 public:
  ~Image() override;

 protected:
  void Create(const ControlSpec& spec, Container& parent) override;
  void Paint(HDC dc) override;

 private:
  HBITMAP bitmap_ = nullptr;
  bool transparent_ = false;
};

// A top-level window built from a stored layout. The first form created is the
// application's main form; closing it ends the event loop.
class Form : public Container {
 public:
  struct Binding {
    const char* name;
    Component* component;
  };
  explicit Form(const FormSpec& spec);
  ~Form() override;

  // Creates the components from the layout; `components` binds the layout's
  // names to the objects.
  void Load(std::span<const ControlSpec> layout, std::span<const Binding> components);

  void Show();
  void Close();
  HFONT Font(const FontSpec& spec);
  HFONT WindowFont() { return Font(font_); }
  // The control's own font, or the form's when it has none.
  const FontSpec& FontOf(const ControlSpec& spec) const { return spec.font ? *spec.font : font_; }
  int ScaleSize(int v) const { return MulDiv(v, scaleNum_, scaleDen_); }

 protected:
  void Create(const ControlSpec&, Container&) override {}
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  struct CachedFont {
    FontSpec spec;
    HFONT font;
  };
  void ComputeScale();
  FontSpec font_;
  const char* activeName_;
  Window* activeControl_ = nullptr;
  HWND focus_ = nullptr;
  std::vector<CachedFont> fonts_;
  int dpi_ = 96;
  int scaleNum_ = 1, scaleDen_ = 1;
};

}  // namespace plat
