#include "ui/win32/Win32Accessible.h"

#include "base/win32/LibrarySearch.h"
#include "platform/win32/EntryPoint.h"
#include "platform/win32/Win32DisplayScale.h"
#include "platform/win32/Win32HighContrast.h"
#include "ui/Accessibility.h"
#include "ui/Contrast.h"
#include "ui/Controls.h"
#include "ui/DialogKeys.h"
#include "ui/Forms.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32ContainerWindow.h"
#include "ui/win32/Win32Peer.h"

#include <ole2.h>
#include <oleacc.h>

#include <string>
#include <vector>

namespace {

// The few functions of oleacc.dll the backend needs, from the system folder
// only: a DLL of that name beside the program is never loaded.
struct TOleacc {
  decltype(&CreateStdAccessibleObject) CreateStd = nullptr;
  decltype(&LresultFromObject) Lresult = nullptr;
};

const TOleacc *Oleacc() {
  static const TOleacc loaded = [] {
    TOleacc o;
    HMODULE module = LoadSystemLibrary("oleacc.dll");
    o.CreateStd = EntryPoint<decltype(o.CreateStd)>(module, "CreateStdAccessibleObject");
    o.Lresult = EntryPoint<decltype(o.Lresult)>(module, "LresultFromObject");
    return o;
  }();
  return loaded.CreateStd && loaded.Lresult ? &loaded : nullptr;
}

BSTR Bstr(const std::string &text) {
  if (text.empty())
    return nullptr;
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  BSTR result = SysAllocStringLen(nullptr, length);
  if (result)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result, length);
  return result;
}

long RoleOf(TAccessibleRole role) {
  using R = TAccessibleRole;
  switch (role) {
  case R::Client: return ROLE_SYSTEM_CLIENT;
  case R::Pane: return ROLE_SYSTEM_PANE;
  case R::Grouping: return ROLE_SYSTEM_GROUPING;
  case R::PageTabList: return ROLE_SYSTEM_PAGETABLIST;
  case R::PropertyPage: return ROLE_SYSTEM_PROPERTYPAGE;
  case R::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
  case R::CheckBox: return ROLE_SYSTEM_CHECKBUTTON;
  case R::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
  case R::SpinBox: return ROLE_SYSTEM_SPINBUTTON;
  case R::ProgressBar: return ROLE_SYSTEM_PROGRESSBAR;
  case R::Slider: return ROLE_SYSTEM_SLIDER;
  case R::Link: return ROLE_SYSTEM_LINK;
  case R::Text: return ROLE_SYSTEM_TEXT;
  case R::StaticText: return ROLE_SYSTEM_STATICTEXT;
  case R::Graphic: return ROLE_SYSTEM_GRAPHIC;
  case R::List: return ROLE_SYSTEM_LIST;
  case R::ComboBox: return ROLE_SYSTEM_COMBOBOX;
  case R::Outline: return ROLE_SYSTEM_OUTLINE;
  case R::StatusBar: return ROLE_SYSTEM_STATUSBAR;
  case R::Chart: return ROLE_SYSTEM_CHART;
  }
  return ROLE_SYSTEM_CLIENT;
}

long StateOf(const TAccessibleState &s) {
  long bits = 0;
  if (s.Focused) bits |= STATE_SYSTEM_FOCUSED;
  if (s.Focusable) bits |= STATE_SYSTEM_FOCUSABLE;
  if (s.Pressed) bits |= STATE_SYSTEM_PRESSED;
  if (s.Unavailable) bits |= STATE_SYSTEM_UNAVAILABLE;
  if (s.Checked) bits |= STATE_SYSTEM_CHECKED;
  return bits;
}

// The window of a child control that has one of its own.
HWND OwnWindowOf(const TControl &control) {
  TWin32Peer *peer = PeerOf(control);
  return peer && !control.Windowless() ? peer->Window : nullptr;
}

TWinControl *ContainerOf(HWND window) {
  return dynamic_cast<TWinControl *>(TWin32Application::ControlOf(window));
}

// The model's name of the control of a window: its own, or, for a window
// a control made inside its own (a page control's tab strip), its owner's.
std::string ModelNameOf(HWND window) {
  for (HWND w = window; w; w = GetParent(w))
    if (TControl *control = TWin32Application::ControlOf(w))
      return AccessibleNameOf(*control);
  return {};
}

struct TChild {
  TAccessibleElement Element;
  HWND Window = nullptr; // a windowed control's own window
};

// The children of a container window now: the model's, then the windows its
// control made inside its own (radio buttons, a tab strip), which the
// system names from their texts.
std::vector<TChild> ChildrenOf(HWND window) {
  std::vector<TChild> children;
  TWinControl *container = ContainerOf(window);
  if (!container)
    return children; // the window is going
  for (TAccessibleElement &element : AccessibleChildren(*container)) {
    HWND own = element.Link < 0 ? OwnWindowOf(*element.Control) : nullptr;
    if (own && !IsWindowVisible(own))
      continue; // shown in the model, not yet made visible
    children.push_back({std::move(element), own});
  }
  if (TWin32Peer *peer = PeerOf(*container))
    for (HWND item : peer->ItemWindows)
      if (IsWindowVisible(item)) {
        TChild c;
        c.Element.Control = container;
        c.Element.Name = WindowText(item);
        const bool radio = container->Kind() == TComponentKind::ckRadioGroup;
        c.Element.Role = radio ? TAccessibleRole::RadioButton : TAccessibleRole::PageTabList;
        c.Element.State.Checked = radio && SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
        c.Element.State.Unavailable = !IsWindowEnabled(item);
        c.Element.State.Focusable = true;
        c.Element.Bounds = {}; // the window's own place is asked for
        c.Window = item;
        children.push_back(std::move(c));
      }
  return children;
}

// A control whose window shows a value rather than its name.
bool IsField(const TControl &control) {
  switch (AccessibleRoleOf(control)) {
  case TAccessibleRole::Text:
  case TAccessibleRole::SpinBox:
  case TAccessibleRole::List:
  case TAccessibleRole::ComboBox:
  case TAccessibleRole::Slider:
  case TAccessibleRole::ProgressBar:
  case TAccessibleRole::Outline:
    return true;
  default:
    return false;
  }
}

// The object of one window: for a container window, the model's children,
// then the windows its control made inside it (radio buttons, tabs); for
// any other window the system's object, with the model's name where the
// system has none. Everything not about the children goes to the system's.
class TWindowAccessible final : public IAccessible {
public:
  TWindowAccessible(HWND window, IAccessible *standard, bool container)
      : window_(window), std_(standard), container_(container) {}

  static IAccessible *Make(HWND window) {
    const TOleacc *oleacc = Oleacc();
    IAccessible *standard = nullptr;
    if (!oleacc || FAILED(oleacc->CreateStd(window, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void **>(&standard))))
      return nullptr;
    const bool container =
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) == ContainerProc;
    return new TWindowAccessible(window, standard, container);
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
    if (!out)
      return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible *>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
      std_->Release();
      delete this;
    }
    return left;
  }
  // IDispatch: clients use the interface's own methods.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override {
    if (count)
      *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *,
                                   EXCEPINFO *, UINT *) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch **parent) override {
    return std_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long *count) override {
    if (!container_ && !HidesInnerWindows())
      return std_->get_accChildCount(count);
    if (!container_) {
      if (!count)
        return E_POINTER;
      *count = 0;
      return S_OK;
    }
    if (!count)
      return E_POINTER;
    *count = static_cast<long>(ChildrenOf(window_).size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch **out) override {
    if (!container_ && HidesInnerWindows())
      return E_INVALIDARG;
    if (!container_)
      return std_->get_accChild(child, out);
    if (!out)
      return E_POINTER;
    *out = nullptr;
    const TChild *c = Find(child);
    if (!c)
      return E_INVALIDARG;
    if (!c->Window)
      return S_FALSE; // an element of this object
    IAccessible *object = Make(c->Window);
    if (!object)
      return S_FALSE;
    *out = object;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR *name) override {
    if (!name)
      return E_POINTER;
    *name = nullptr;
    if (IsSelf(child)) {
      // A field is named by its label, not by the text in it (which a
      // system without an object of the field's class would read out).
      if (TControl *control = TWin32Application::ControlOf(window_); control && IsField(*control))
        if (std::string label = AccessibleNameOf(*control); !label.empty()) {
          *name = Bstr(label);
          return S_OK;
        }
      // A button or box beside one of the same text is told apart by its hint.
      if (TControl *control = TWin32Application::ControlOf(window_))
        if (std::string apart = LookalikeName(*control); !apart.empty()) {
          *name = Bstr(apart);
          return S_OK;
        }
      // A panel or a page has no text the system could read out (a page's
      // window text is its internal name): the model names it.
      if (TControl *control = TWin32Application::ControlOf(window_);
          control && container_ && control->Kind() != TComponentKind::ckForm)
        if (std::string model = AccessibleNameOf(*control); !model.empty()) {
          *name = Bstr(model);
          return S_OK;
        }
      HRESULT result = std_->get_accName(child, name);
      if (SUCCEEDED(result) && *name && SysStringLen(*name) > 0)
        return result;
      if (*name)
        SysFreeString(*name);
      *name = Bstr(ModelNameOf(window_));
      return *name ? S_OK : S_FALSE;
    }
    if (!container_)
      return std_->get_accName(child, name);
    const TChild *c = Find(child);
    if (!c)
      return E_INVALIDARG;
    *name = Bstr(c->Element.Name);
    return *name ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR *value) override {
    if (!container_ || IsSelf(child))
      return std_->get_accValue(child, value);
    if (!value)
      return E_POINTER;
    const TChild *c = Find(child);
    if (!c)
      return E_INVALIDARG;
    *value = Bstr(c->Element.Value);
    return *value ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR *text) override {
    if (!container_ || IsSelf(child))
      return std_->get_accDescription(child, text);
    if (!text)
      return E_POINTER;
    const TChild *c = Find(child);
    if (!c)
      return E_INVALIDARG;
    // The long part of the hint, as the status bar shows it.
    const std::string hint = c->Element.Link < 0 ? c->Element.Control->LongHint() : std::string();
    *text = hint != c->Element.Name ? Bstr(hint) : nullptr;
    return *text ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT *role) override {
    if (IsSelf(child)) {
      HRESULT result = std_->get_accRole(child, role);
      // A system without an object of the window's class calls every window
      // a client area: the model knows better (a panel, a status bar).
      TControl *control = TWin32Application::ControlOf(window_);
      if (SUCCEEDED(result) && role && role->vt == VT_I4 && role->lVal == ROLE_SYSTEM_CLIENT &&
          control && control->Kind() != TComponentKind::ckForm)
        role->lVal = RoleOf(AccessibleRoleOf(*control));
      return result;
    }
    if (!container_)
      return std_->get_accRole(child, role);
    if (!role)
      return E_POINTER;
    const TChild *c = Find(child);
    if (!c)
      return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = RoleOf(c->Element.Role);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT *state) override {
    if (!container_ || IsSelf(child))
      return std_->get_accState(child, state);
    if (!state)
      return E_POINTER;
    const TChild *c = Find(child);
    if (!c)
      return E_INVALIDARG;
    state->vt = VT_I4;
    state->lVal = StateOf(c->Element.State);
    if (c->Window && GetFocus() == c->Window)
      state->lVal |= STATE_SYSTEM_FOCUSED;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR *help) override {
    if (!container_ || IsSelf(child))
      return std_->get_accHelp(child, help);
    if (help)
      *help = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR *file, VARIANT child, long *topic) override {
    if (!container_ || IsSelf(child))
      return std_->get_accHelpTopic(file, child, topic);
    if (file)
      *file = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR *keys) override {
    if (!container_ || IsSelf(child))
      return std_->get_accKeyboardShortcut(child, keys);
    if (!keys)
      return E_POINTER;
    const TChild *c = Find(child);
    if (!c)
      return E_INVALIDARG;
    const char key = c->Element.Link < 0 ? AccessKeyOf(*c->Element.Control) : 0;
    *keys = key ? Bstr(std::string("Alt+") + key) : nullptr;
    return *keys ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT *focus) override {
    if (!container_)
      return std_->get_accFocus(focus);
    if (!focus)
      return E_POINTER;
    const std::vector<TChild> children = ChildrenOf(window_);
    HWND focused = GetFocus();
    for (size_t i = 0; i < children.size(); ++i) {
      const TChild &c = children[i];
      if (c.Element.Link < 0 &&
          (c.Window ? focused && (focused == c.Window || IsChild(c.Window, focused))
                    : c.Element.State.Focused)) {
        focus->vt = VT_I4;
        focus->lVal = static_cast<long>(i + 1);
        return S_OK;
      }
    }
    return std_->get_accFocus(focus);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT *selection) override {
    return std_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR *action) override {
    if (!container_ || IsSelf(child))
      return std_->get_accDefaultAction(child, action);
    if (!action)
      return E_POINTER;
    const TChild *c = Find(child);
    if (!c)
      return E_INVALIDARG;
    *action = Bstr(c->Element.DefaultAction);
    return *action ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    if (!container_ || IsSelf(child))
      return std_->accSelect(flags, child);
    const TChild *c = Find(child);
    if (!c)
      return E_INVALIDARG;
    if (!(flags & SELFLAG_TAKEFOCUS) || c->Element.Link >= 0 || !TakesFocus(*c->Element.Control))
      return S_FALSE;
    c->Element.Control->SetFocus();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long *left, long *top, long *width, long *height,
                                        VARIANT child) override {
    if (!container_ || IsSelf(child))
      return std_->accLocation(left, top, width, height, child);
    if (!left || !top || !width || !height)
      return E_POINTER;
    const TChild *c = Find(child);
    if (!c)
      return E_INVALIDARG;
    RECT r = ClientRectOf(c->Element.Bounds, DisplayScaleOf(window_));
    if (c->Window) {
      GetWindowRect(c->Window, &r);
    } else {
      MapWindowPoints(window_, nullptr, reinterpret_cast<POINT *>(&r), 2);
    }
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT *end) override {
    if (!container_)
      return std_->accNavigate(direction, start, end);
    if (!end)
      return E_POINTER;
    VariantInit(end);
    const long count = static_cast<long>(ChildrenOf(window_).size());
    long to = 0;
    if (IsSelf(start)) {
      if (direction == NAVDIR_FIRSTCHILD)
        to = 1;
      else if (direction == NAVDIR_LASTCHILD)
        to = count;
      else
        return std_->accNavigate(direction, start, end);
    } else {
      if (start.vt != VT_I4 || start.lVal < 1 || start.lVal > count)
        return E_INVALIDARG;
      if (direction == NAVDIR_NEXT)
        to = start.lVal + 1;
      else if (direction == NAVDIR_PREVIOUS)
        to = start.lVal - 1;
    }
    if (to < 1 || to > count)
      return S_FALSE;
    end->vt = VT_I4;
    end->lVal = to;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT *hit) override {
    if (!container_)
      return std_->accHitTest(x, y, hit);
    if (!hit)
      return E_POINTER;
    POINT at{x, y};
    ScreenToClient(window_, &at);
    const TDisplayScale scale = DisplayScaleOf(window_);
    at = {scale.ToDesign(at.x), scale.ToDesign(at.y)};
    RECT client;
    GetClientRect(window_, &client);
    if (!PtInRect(&client, at))
      return std_->accHitTest(x, y, hit);
    const std::vector<TChild> children = ChildrenOf(window_);
    // The topmost first: a link before its text, a later child over an earlier one.
    for (size_t i = children.size(); i-- > 0;)
      if (children[i].Element.Bounds.Contains(at.x, at.y)) {
        if (children[i].Element.Role == TAccessibleRole::Text && i + 1 < children.size() &&
            children[i + 1].Element.Link >= 0)
          for (size_t j = i + 1; j < children.size() && children[j].Element.Link >= 0; ++j)
            if (children[j].Element.Bounds.Contains(at.x, at.y)) {
              i = j;
              break;
            }
        hit->vt = VT_I4;
        hit->lVal = static_cast<long>(i + 1);
        return S_OK;
      }
    hit->vt = VT_I4;
    hit->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!container_ || IsSelf(child))
      return std_->accDoDefaultAction(child);
    const TChild *c = Find(child);
    if (!c)
      return E_INVALIDARG;
    if (c->Element.DefaultAction.empty())
      return DISP_E_MEMBERNOTFOUND;
    TApplication *application = ApplicationOf(*c->Element.Control);
    if (!application || !c->Element.Control->CanUse())
      return E_FAIL;
    // Done from the message loop: the caller waits for no dialog the action
    // opens. By then the element may be gone; it is looked up again.
    HWND window = window_;
    TControl *control = c->Element.Control;
    const int link = c->Element.Link;
    application->Post([window, control, link] {
      if (TWinControl *container = ContainerOf(window))
        for (const TAccessibleElement &element : AccessibleChildren(*container))
          if (element.Control == control && element.Link == link) {
            DoDefaultAction(element);
            return;
          }
    });
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
  // A spinner's arrows are a window of their own inside its edit: to a
  // screen reader the spin box is the edit, stepped by the arrow keys.
  bool HidesInnerWindows() const {
    TControl *control = TWin32Application::ControlOf(window_);
    return control && control->Kind() == TComponentKind::ckSpinner;
  }

  static bool IsSelf(const VARIANT &child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }

  const TChild *Find(const VARIANT &child) {
    if (child.vt != VT_I4 || child.lVal < 1)
      return nullptr;
    found_ = ChildrenOf(window_);
    if (static_cast<size_t>(child.lVal) > found_.size())
      return nullptr;
    return &found_[child.lVal - 1];
  }

  LONG refs_ = 1;
  HWND window_;
  IAccessible *std_;
  bool container_;
  std::vector<TChild> found_; // what Find's last answer points into
};

} // namespace

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT)
    return 0;
  const TOleacc *oleacc = Oleacc();
  if (!oleacc)
    return 0;
  // The object is handed to other programs through COM on this thread.
  static const bool comReady = SUCCEEDED(CoInitialize(nullptr));
  (void)comReady;
  IAccessible *object = TWindowAccessible::Make(window);
  if (!object)
    return 0;
  const LRESULT result = oleacc->Lresult(__uuidof(IAccessible), wParam, object);
  object->Release();
  return result;
}

void NotifyWindowlessFocus(HWND parentWindow, const TControl &control) {
  const std::vector<TChild> children = ChildrenOf(parentWindow);
  for (size_t i = 0; i < children.size(); ++i)
    if (children[i].Element.Control == &control && children[i].Element.Link < 0) {
      NotifyWinEvent(EVENT_OBJECT_FOCUS, parentWindow, OBJID_CLIENT, static_cast<LONG>(i + 1));
      return;
    }
}

bool ReadSystemContrast() {
  static TWin32HighContrastSetting system;
  return FollowHighContrast(system);
}
