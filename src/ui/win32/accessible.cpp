#include "ui/win32/accessible.h"

#include <new>

#include "base/system_functions_win32.h"
#include "base/text_win32.h"

namespace kvn::ui::win32 {

namespace {

bool inUse = false;  // a screen reader has asked for an object

// The child a VARIANT names: CHILDID_SELF, a child's number from 1, or -1 for none.
LONG ChildId(const VARIANT& id) {
  if (id.vt == VT_EMPTY) return CHILDID_SELF;
  return id.vt == VT_I4 ? id.lVal : -1;
}

VARIANT Number(LONG n) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = n;
  return v;
}

// A child as a screen reader is handed it: a child window's own object (as the standard objects
// give them), an element's number.
HRESULT Reference(const AccessibleChild& child, LONG number, VARIANT* out) {
  if (!child.window) {
    *out = Number(number);
    return S_OK;
  }
  IDispatch* object = nullptr;
  const HRESULT hr = Oleacc().AccessibleObjectFromWindow(
      child.window, OBJID_WINDOW, __uuidof(IDispatch), reinterpret_cast<void**>(&object));
  if (FAILED(hr) || !object) return FAILED(hr) ? hr : E_FAIL;
  out->vt = VT_DISPATCH;
  out->pdispVal = object;
  return S_OK;
}

}  // namespace

// Windows' standard object for the window, with the content's answers over it. Every call comes
// from the window's thread, through its message loop: the thread is a single-threaded apartment.
class AccessibleObject final : public IAccessible {
 public:
  AccessibleObject(HWND hwnd, IAccessible* standard, AccessibleContent& content)
      : hwnd_(hwnd), standard_(standard), content_(&content) {}
  HWND Window() const { return hwnd_; }
  void Disconnect() {
    content_ = nullptr;
    standard_->Release();
    standard_ = nullptr;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IDispatch)) ||
        IsEqualIID(iid, __uuidof(IAccessible))) {
      *out = static_cast<IAccessible*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (!left) delete this;
    return left;
  }

  // IDispatch, through the standard object's description of the interface but on this object, so
  // that a late-bound caller is told the same as the others.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return content_ ? standard_->GetTypeInfoCount(count) : CO_E_OBJNOTCONNECTED;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
    *info = nullptr;
    return content_ ? standard_->GetTypeInfo(index, lcid, info) : CO_E_OBJNOTCONNECTED;
  }
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                             DISPID* ids) override {
    return content_ ? standard_->GetIDsOfNames(iid, names, count, lcid, ids) : CO_E_OBJNOTCONNECTED;
  }
  STDMETHODIMP Invoke(DISPID member, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* error, UINT* badArgument) override {
    ITypeInfo* info = nullptr;
    const HRESULT hr = GetTypeInfo(0, lcid, &info);
    if (FAILED(hr)) return hr;
    const HRESULT done = info->Invoke(static_cast<IAccessible*>(this), member, flags, params,
                                      result, error, badArgument);
    info->Release();
    return done;
  }

  // IAccessible. What is not the content's goes to the standard object.
  STDMETHODIMP get_accParent(IDispatch** parent) override {
    *parent = nullptr;
    return content_ ? standard_->get_accParent(parent) : CO_E_OBJNOTCONNECTED;
  }
  STDMETHODIMP get_accChildCount(long* count) override {
    *count = 0;
    AccessibleChildList children;
    if (!content_) return CO_E_OBJNOTCONNECTED;
    if (!content_->AccessibleChildren(hwnd_, children)) return standard_->get_accChildCount(count);
    *count = children.count;
    return S_OK;
  }
  STDMETHODIMP get_accChild(VARIANT id, IDispatch** child) override {
    *child = nullptr;
    AccessibleChildList children;
    if (!content_) return CO_E_OBJNOTCONNECTED;
    if (!content_->AccessibleChildren(hwnd_, children)) return standard_->get_accChild(id, child);
    const LONG n = ChildId(id);
    if (n < 1 || n > children.count) return E_INVALIDARG;
    // An element has no object of its own: the caller asks this one about it.
    VARIANT found{};
    const HRESULT hr = Reference(children.items[n - 1], n, &found);
    if (found.vt == VT_DISPATCH) *child = found.pdispVal;
    return FAILED(hr) ? hr : *child ? S_OK : S_FALSE;
  }
  STDMETHODIMP get_accName(VARIANT id, BSTR* name) override {
    return GetText(id, Text::Name, name, &IAccessible::get_accName);
  }
  STDMETHODIMP get_accValue(VARIANT id, BSTR* value) override {
    return GetText(id, Text::Value, value, &IAccessible::get_accValue);
  }
  STDMETHODIMP get_accDescription(VARIANT id, BSTR* text) override {
    return GetText(id, Text::Other, text, &IAccessible::get_accDescription);
  }
  STDMETHODIMP get_accHelp(VARIANT id, BSTR* text) override {
    return GetText(id, Text::Other, text, &IAccessible::get_accHelp);
  }
  STDMETHODIMP get_accKeyboardShortcut(VARIANT id, BSTR* text) override {
    return GetText(id, Text::Other, text, &IAccessible::get_accKeyboardShortcut);
  }
  STDMETHODIMP get_accDefaultAction(VARIANT id, BSTR* action) override {
    return GetText(id, Text::Action, action, &IAccessible::get_accDefaultAction);
  }
  STDMETHODIMP get_accRole(VARIANT id, VARIANT* role) override {
    role->vt = VT_EMPTY;
    const Target t = Resolve(id);
    if (FAILED(t.error)) return t.error;
    const LONG own = t.element ? t.element->ElementRole() : t.self ? content_->AccessibleRole() : 0;
    if (!own) return standard_->get_accRole(id, role);
    *role = Number(own);
    return S_OK;
  }
  STDMETHODIMP get_accState(VARIANT id, VARIANT* state) override {
    state->vt = VT_EMPTY;
    const Target t = Resolve(id);
    if (FAILED(t.error)) return t.error;
    if (!t.element) return standard_->get_accState(id, state);
    *state = Number(t.element->ElementState());
    return S_OK;
  }
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT id, long* topic) override {
    *file = nullptr;
    *topic = -1;
    const Target t = Resolve(id);
    if (FAILED(t.error)) return t.error;
    return t.element ? S_FALSE : standard_->get_accHelpTopic(file, id, topic);
  }
  STDMETHODIMP get_accFocus(VARIANT* focus) override {
    focus->vt = VT_EMPTY;
    return content_ ? standard_->get_accFocus(focus) : CO_E_OBJNOTCONNECTED;
  }
  STDMETHODIMP get_accSelection(VARIANT* selection) override {
    selection->vt = VT_EMPTY;
    return content_ ? standard_->get_accSelection(selection) : CO_E_OBJNOTCONNECTED;
  }
  STDMETHODIMP accSelect(long flags, VARIANT id) override {
    const Target t = Resolve(id);
    if (FAILED(t.error)) return t.error;
    return t.element ? DISP_E_MEMBERNOTFOUND : standard_->accSelect(flags, id);
  }
  STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT id) override {
    *left = *top = *width = *height = 0;
    const Target t = Resolve(id);
    if (FAILED(t.error)) return t.error;
    if (!t.element) return standard_->accLocation(left, top, width, height, id);
    const RECT r = t.element->ElementRect();
    POINT origin{r.left, r.top};
    ClientToScreen(hwnd_, &origin);
    *left = origin.x;
    *top = origin.y;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  }
  STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
    end->vt = VT_EMPTY;
    AccessibleChildList children;
    if (!content_) return CO_E_OBJNOTCONNECTED;
    const LONG from = ChildId(start);
    const bool inside = direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD;
    if (!content_->AccessibleChildren(hwnd_, children) || (from == CHILDID_SELF && !inside))
      return standard_->accNavigate(direction, start, end);
    LONG to = 0;
    if (from == CHILDID_SELF && inside)
      to = direction == NAVDIR_FIRSTCHILD ? 1 : children.count;
    else if (from < 1 || from > children.count)
      return E_INVALIDARG;
    else if (direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS)
      to = from + (direction == NAVDIR_NEXT ? 1 : -1);
    else
      return DISP_E_MEMBERNOTFOUND;  // the others are a child window's own business
    if (to < 1 || to > children.count) return S_FALSE;
    return Reference(children.items[to - 1], to, end);
  }
  STDMETHODIMP accHitTest(long x, long y, VARIANT* found) override {
    found->vt = VT_EMPTY;
    AccessibleChildList children;
    if (!content_) return CO_E_OBJNOTCONNECTED;
    // The elements, then the standard object's own finding among the child windows (a group
    // box's frame, a window, lies under the labels it holds).
    POINT p{x, y};
    if (content_->AccessibleChildren(hwnd_, children) && ScreenToClient(hwnd_, &p))
      for (LONG i = 0; i < children.count; ++i)
        if (AccessibleElement* e = children.items[i].element) {
          const RECT r = e->ElementRect();
          if (!(e->ElementState() & STATE_SYSTEM_INVISIBLE) && PtInRect(&r, p)) {
            *found = Number(i + 1);
            return S_OK;
          }
        }
    return standard_->accHitTest(x, y, found);
  }
  STDMETHODIMP accDoDefaultAction(VARIANT id) override {
    const Target t = Resolve(id);
    if (FAILED(t.error)) return t.error;
    if (!t.element) return standard_->accDoDefaultAction(id);
    return t.element->ElementAction() ? S_OK : DISP_E_MEMBERNOTFOUND;
  }
  STDMETHODIMP put_accName(VARIANT id, BSTR name) override {
    const Target t = Resolve(id);
    if (FAILED(t.error)) return t.error;
    return t.element ? DISP_E_MEMBERNOTFOUND : standard_->put_accName(id, name);
  }
  STDMETHODIMP put_accValue(VARIANT id, BSTR value) override {
    const Target t = Resolve(id);
    if (FAILED(t.error)) return t.error;
    return t.element ? DISP_E_MEMBERNOTFOUND : standard_->put_accValue(id, value);
  }

 private:
  // What a call is about: the object itself, an element the window draws, or else a child of the
  // standard object's own. A child window answers for itself, through its own object.
  struct Target {
    HRESULT error;
    bool self;
    AccessibleElement* element;
  };
  Target Resolve(const VARIANT& id) const {
    if (!content_) return {CO_E_OBJNOTCONNECTED, false, nullptr};
    const LONG n = ChildId(id);
    AccessibleChildList children;
    if (n == CHILDID_SELF || !content_->AccessibleChildren(hwnd_, children))
      return {S_OK, n == CHILDID_SELF, nullptr};
    if (n < 1 || n > children.count || !children.items[n - 1].element)
      return {E_INVALIDARG, false, nullptr};
    return {S_OK, false, children.items[n - 1].element};
  }

  // The texts: the content's own name and value, an element's name and a link's action, the
  // standard object's otherwise. What making one throws (memory running out) ends here.
  enum class Text { Name, Value, Action, Other };
  using TextCall = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
  HRESULT GetText(const VARIANT& id, Text kind, BSTR* out, TextCall standard) noexcept {
    *out = nullptr;
    const Target t = Resolve(id);
    if (FAILED(t.error)) return t.error;
    try {
      std::wstring text;
      if (t.element) {
        if (kind == Text::Name)
          text = t.element->ElementName();
        else if (kind == Text::Action && t.element->ElementRole() == ROLE_SYSTEM_LINK)
          text = L"Ouvrir";
        else
          return S_FALSE;
      } else if (!t.self || !(kind == Text::Name    ? content_->AccessibleName(text)
                              : kind == Text::Value ? content_->AccessibleValue(text)
                                                    : false)) {
        return (standard_->*standard)(id, out);
      }
      *out = OleAut32().SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      return *out ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  ULONG references_ = 1;
  HWND hwnd_;
  IAccessible* standard_;
  AccessibleContent* content_;  // null once the window is gone
};

bool AccessibleServer::Answer(HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) return false;
  const OleaccFunctions& oleacc = Oleacc();
  if (!oleacc.LresultFromObject || !oleacc.CreateStdAccessibleObject ||
      !oleacc.AccessibleObjectFromWindow || !OleAut32().SysAllocStringLen)
    return false;
  if (object_ && object_->Window() != hwnd) Disconnect();
  if (!object_) {
    // A screen reader's calls must come through this thread's message loop, never on threads of
    // COM's own: the thread is a single-threaded apartment, or the window answers as Windows does.
    const auto initialize = Ole32().CoInitializeEx;
    if (!initialize || FAILED(initialize(nullptr, COINIT_APARTMENTTHREADED))) return false;
    IAccessible* standard = nullptr;
    if (FAILED(oleacc.CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                                reinterpret_cast<void**>(&standard))) ||
        !standard)
      return false;
    object_ = new (std::nothrow) AccessibleObject(hwnd, standard, content_);
    if (!object_) {
      standard->Release();
      return false;
    }
  }
  inUse = true;
  result =
      oleacc.LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object_));
  // Not handed over (no COM service to pass it through): the standard object then, as ever.
  return SUCCEEDED(static_cast<HRESULT>(result));
}

void AccessibleServer::Disconnect() {
  if (!object_) return;
  object_->Disconnect();
  object_->Release();
  object_ = nullptr;
}

void AccessibleServer::WindowGone(HWND hwnd) {
  if (object_ && object_->Window() == hwnd) Disconnect();
}

bool AccessibilityInUse() {
  return inUse;
}

void NotifyAccessibleChange(DWORD event, HWND hwnd, LONG child) {
  if (inUse && hwnd) NotifyWinEvent(event, hwnd, OBJID_CLIENT, child);
}

std::wstring AccessibleText(const std::string& caption) {
  const std::wstring wide = Widen(caption);
  std::wstring text;
  bool blank = false;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const wchar_t c = wide[i];
    // "&&" shows one '&'; a lone one marks the mnemonic and does not show.
    if (c == L'&') {
      if (i + 1 >= wide.size() || wide[i + 1] != L'&') continue;
      ++i;
    }
    if (c == L' ' || c == L'\r' || c == L'\n' || c == L'\t') {
      blank = !text.empty();
      continue;
    }
    if (blank) text += L' ';
    blank = false;
    text += c;
  }
  return text;
}

}  // namespace kvn::ui::win32
