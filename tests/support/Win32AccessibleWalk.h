#pragma once
// Walks what assistive technology finds in a window through Active
// Accessibility, as a screen reader asks for it: an object, its children
// and theirs, each written as
//   DEPTH ROLE | NAME | STATES | DEFAULT ACTION
// Shown elements without a name are marked "UNNAMED" and counted, except a
// window's client area (the window's title names it). A control that is
// no field named as the panel or page it stands in is marked "MISNAMED" and
// counted too: it took the heading's name (a container is named by its
// heading; only that text itself, a container inside, and a field labelled
// by it may share it). A button, box or radio button that reads the same
// name as another one of its container is marked "SHARED" and counted: a
// user could not tell which to choose. oleacc.dll is loaded when the walk
// is made.
#include <windows.h>
#include <ole2.h>
#include <oleacc.h>

#include <cstdio>
#include <set>
#include <string>
#include <utility>

namespace accessible_walk {

inline decltype(&AccessibleObjectFromWindow) FromWindow;
inline decltype(&GetRoleTextA) RoleText;

// Loads the functions of oleacc.dll; false without it.
inline bool Load() {
  HMODULE oleacc = LoadLibraryA("oleacc.dll");
  if (!oleacc)
    return false;
  FromWindow = reinterpret_cast<decltype(FromWindow)>(
      reinterpret_cast<void *>(GetProcAddress(oleacc, "AccessibleObjectFromWindow")));
  RoleText = reinterpret_cast<decltype(RoleText)>(
      reinterpret_cast<void *>(GetProcAddress(oleacc, "GetRoleTextA")));
  return FromWindow && RoleText;
}

inline std::string Ansi(BSTR text) {
  if (!text)
    return {};
  char buffer[1024] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
  SysFreeString(text);
  return buffer;
}

inline std::string StateText(long state) {
  std::string text;
  const std::pair<long, const char *> names[] = {
      {STATE_SYSTEM_FOCUSED, "focused"},     {STATE_SYSTEM_FOCUSABLE, "focusable"},
      {STATE_SYSTEM_PRESSED, "pressed"},     {STATE_SYSTEM_CHECKED, "checked"},
      {STATE_SYSTEM_UNAVAILABLE, "unavailable"}, {STATE_SYSTEM_INVISIBLE, "invisible"}};
  for (auto [bit, name] : names)
    if (state & bit)
      text += std::string(text.empty() ? "" : ",") + name;
  return text;
}

struct TWalk {
  FILE *Out;
  int Elements = 0, Unnamed = 0, Misnamed = 0, Shared = 0;

  // Prints one element inside a container of the name given; false when it
  // is not shown (its children neither). The element's name goes to *named;
  // a shown button's, box's or radio button's name into *chosen, where one
  // already there makes it shared.
  bool Describe(IAccessible *object, long id, int depth, const std::string &inside = {},
                std::string *named = nullptr, std::set<std::string> *chosen = nullptr) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    BSTR name = nullptr, action = nullptr;
    object->get_accName(child, &name);
    object->get_accDefaultAction(child, &action);
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    object->get_accRole(child, &role);
    object->get_accState(child, &state);
    char roleText[64] = "?";
    if (role.vt == VT_I4)
      RoleText(role.lVal, roleText, sizeof roleText);
    const long bits = state.vt == VT_I4 ? state.lVal : 0;
    const std::string text = Ansi(name), verb = Ansi(action);
    const bool shown = !(bits & STATE_SYSTEM_INVISIBLE);
    const long r = role.vt == VT_I4 ? role.lVal : 0;
    const bool client = r == ROLE_SYSTEM_CLIENT || r == ROLE_SYSTEM_WINDOW;
    const bool container = client || r == ROLE_SYSTEM_PANE || r == ROLE_SYSTEM_PROPERTYPAGE;
    const bool unnamed = shown && text.empty() && !client;
    const bool field = r == ROLE_SYSTEM_TEXT || r == ROLE_SYSTEM_COMBOBOX || r == ROLE_SYSTEM_LIST ||
                       r == ROLE_SYSTEM_SPINBUTTON || r == ROLE_SYSTEM_SLIDER ||
                       r == ROLE_SYSTEM_OUTLINE;
    const bool misnamed = shown && !text.empty() && text == inside && !container && !field &&
                          r != ROLE_SYSTEM_STATICTEXT;
    const bool choice = r == ROLE_SYSTEM_PUSHBUTTON || r == ROLE_SYSTEM_CHECKBUTTON ||
                        r == ROLE_SYSTEM_RADIOBUTTON;
    const bool shared = shown && choice && !text.empty() && chosen && !chosen->insert(text).second;
    if (shown)
      ++Elements;
    if (unnamed)
      ++Unnamed;
    if (misnamed)
      ++Misnamed;
    if (shared)
      ++Shared;
    // What a field or chart shows, as a screen reader reads it after the name.
    BSTR valueText = nullptr;
    object->get_accValue(child, &valueText);
    const std::string value = Ansi(valueText);
    std::fprintf(Out, "%d %s | %s | %s%s%s%s%s%s\n", depth, roleText, text.c_str(),
                 StateText(bits).c_str(), verb.empty() ? "" : " | ", verb.c_str(),
                 value.empty() ? "" : " | value: ", value.c_str(),
                 unnamed ? " UNNAMED" : misnamed ? " MISNAMED" : shared ? " SHARED" : "");
    if (named)
      *named = text;
    return shown;
  }

  // The children of an object named so.
  void Children(IAccessible *object, int depth, const std::string &name = {}) {
    long count = 0;
    if (FAILED(object->get_accChildCount(&count)) || depth > 8)
      return;
    std::set<std::string> chosen; // the names of the buttons and boxes met
    for (long i = 1; i <= count; ++i) {
      VARIANT id;
      VariantInit(&id);
      id.vt = VT_I4;
      id.lVal = i;
      IDispatch *dispatch = nullptr;
      IAccessible *inner = nullptr;
      if (object->get_accChild(id, &dispatch) == S_OK && dispatch) {
        dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void **>(&inner));
        dispatch->Release();
      }
      if (!inner) {
        Describe(object, i, depth, name, nullptr, &chosen);
        continue;
      }
      std::string innerName;
      if (Describe(inner, CHILDID_SELF, depth, name, &innerName, &chosen))
        Children(inner, depth + 1, innerName);
      inner->Release();
    }
  }
};

} // namespace accessible_walk

// Walks the client object of a window into out; false when the window has
// none. Elements, unnamed and misnamed ones are counted in walk.
inline bool WalkWindow(HWND window, accessible_walk::TWalk &walk) {
  IAccessible *client = nullptr;
  if (!accessible_walk::FromWindow ||
      FAILED(accessible_walk::FromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void **>(&client))) ||
      !client)
    return false;
  std::string name;
  walk.Describe(client, CHILDID_SELF, 0, {}, &name);
  walk.Children(client, 1, name);
  client->Release();
  return true;
}
