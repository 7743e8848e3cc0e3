// What a screen reader reads of the windows: the real program walked from another process as a
// reader walks it, page by page, and a toolkit window whose labels change and which goes while
// its objects are still held.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/late_bound_win32.h"
#include "base/text_win32.h"
#include "gui/program_process.h"
#include "gui/registry_root.h"
#include "gui/toolkit_fixture.h"

namespace kvn {
namespace {

// An object as a reader meets it; `within` is the name of the nearest named object above it.
struct Seen {
  std::string name, value, within;
  long role = 0;
};

// Active Accessibility's client side, walking from a window's client object down, into each
// child window's client object, past what does not show.
class Reader {
 public:
  Reader() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~Reader() { CoUninitialize(); }

  IAccessible* Client(HWND window) const {
    IAccessible* object = nullptr;
    fromWindow_(window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object));
    return object;
  }
  // `object`'s child `id` (CHILDID_SELF: itself); false when it does not show.
  static bool Describe(IAccessible* object, long id, Seen& seen) {
    VARIANT child{}, role{}, state{};
    child.vt = VT_I4;
    child.lVal = id;
    BSTR name = nullptr, value = nullptr;
    object->get_accName(child, &name);
    object->get_accValue(child, &value);
    seen.name = name ? Narrow(name) : "";
    seen.value = value ? Narrow(value) : "";
    SysFreeString(name);
    SysFreeString(value);
    seen.role = SUCCEEDED(object->get_accRole(child, &role)) && role.vt == VT_I4 ? role.lVal : 0;
    return !(SUCCEEDED(object->get_accState(child, &state)) && state.vt == VT_I4 &&
             (state.lVal & STATE_SYSTEM_INVISIBLE));
  }
  std::vector<Seen> Walk(HWND window) const {
    std::vector<Seen> seen;
    if (IAccessible* client = Client(window)) {
      Visit(client, window, "", seen);
      client->Release();
    }
    return seen;
  }

 private:
  void Visit(IAccessible* object, HWND window, const std::string& within,
             std::vector<Seen>& out) const {
    long count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> children(count > 0 ? count : 0);
    long got = 0;
    if (count <= 0 || FAILED(children_(object, 0, count, children.data(), &got))) return;
    for (long i = 0; i < got; ++i) {
      Seen s{"", "", within};
      IAccessible* child = nullptr;
      if (children[i].vt == VT_I4 && Describe(object, children[i].lVal, s)) out.push_back(s);
      if (children[i].vt == VT_DISPATCH &&
          SUCCEEDED(children[i].pdispVal->QueryInterface(IID_IAccessible,
                                                         reinterpret_cast<void**>(&child)))) {
        // A child window's object: on to its client object, as Windows' own lists it.
        HWND inner = nullptr;
        windowOf_(child, &inner);
        IAccessible* next = inner && inner != window ? Client(inner) : child;
        if (next && Describe(next, CHILDID_SELF, s)) {
          out.push_back(s);
          Visit(next, inner ? inner : window, s.name.empty() ? within : s.name, out);
        }
        if (next && next != child) next->Release();
        child->Release();
      }
      VariantClear(&children[i]);
    }
  }

  decltype(&::AccessibleObjectFromWindow) fromWindow_ =
      LateBound<decltype(&::AccessibleObjectFromWindow)>(L"oleacc.dll",
                                                         "AccessibleObjectFromWindow");
  decltype(&::AccessibleChildren) children_ =
      LateBound<decltype(&::AccessibleChildren)>(L"oleacc.dll", "AccessibleChildren");
  decltype(&::WindowFromAccessibleObject) windowOf_ =
      LateBound<decltype(&::WindowFromAccessibleObject)>(L"oleacc.dll",
                                                         "WindowFromAccessibleObject");
};

// Any role but a static text's: an input control named by the caption beside it.
constexpr long kNamedControl = -1;

struct Expected {
  int page;
  const char* name;    // contained in the object's name
  const char* within;  // the nearest named object above it
  long role;           // 0: any
  const char* value;   // contained in its value; null: any
};

bool Matches(const Seen& s, const Expected& e) {
  return s.name.find(e.name) != std::string::npos && s.within == e.within &&
         (e.role == 0 || s.role == e.role ||
          (e.role == kNamedControl && s.role != ROLE_SYSTEM_STATICTEXT)) &&
         (!e.value || s.value.find(e.value) != std::string::npos);
}

// A label, a figure and a named input control of each page, found among what shows once the
// page is chosen from the tab control.
TEST(Accessibility, EveryPageReadsItsCaptionsFiguresAndNamedControls) {
  testing::RegistryRootForTest root{"accessibility"};
  SetEnvironmentVariableA("KORVANE_TEST_KEY", root.Path().c_str());
  testing::Program program;
  ASSERT_TRUE(program.WaitForWindow(true));
  // The window goes to the notification area by itself at first: the walk starts once it is back.
  ASSERT_TRUE(program.WaitForWindow(false, 12000));
  SendMessageW(program.MainWindow(), WM_USER, 0, 0);
  ASSERT_TRUE(program.WaitForWindow(true, 5000));
  const HWND tabs = FindWindowExW(program.MainWindow(), nullptr, WC_TABCONTROLW, nullptr);
  ASSERT_NE(tabs, nullptr);

  const Expected expected[] = {
      {0, "Affichage :", "Principal", ROLE_SYSTEM_GROUPING, nullptr},
      {0, "RAM libre :", "Affichage :", ROLE_SYSTEM_STATICTEXT, nullptr},
      {0, " Mo / ", "Affichage :", ROLE_SYSTEM_STATICTEXT, nullptr},
      {0, "PC démarré depuis : ", "Affichage :", ROLE_SYSTEM_STATICTEXT, nullptr},
      {0, "RAM libre :", "Affichage :", kNamedControl, " %"},
      {0, "Historique de la RAM libre", "Affichage :", ROLE_SYSTEM_CHART, "RAM libre "},
      {1, "Niveau alarme en %", "Propriétés de récupération", ROLE_SYSTEM_TEXT, nullptr},
      {1, "minutes.", "Propriétés de récupération", ROLE_SYSTEM_STATICTEXT, nullptr},
      {1, "Répéter l'optimisation", "Options facultatives", kNamedControl, nullptr},
      {1, "Nbre de Mo à essayer", "Nbre de Mo à essayer d'atteindre (méthode manuelle)",
       kNamedControl, nullptr},
      {2, "Opacité de la fenêtre", "Options Win XP, Win 2000", kNamedControl, nullptr},
      {2, "\"HotKey\" cette combinaison", "Général", kNamedControl, nullptr},
      {2, "Priorité d'exécution", "Priorité d'exécution", kNamedControl, nullptr},
      {2, "Fond :", "Couleurs du graphique", ROLE_SYSTEM_GRAPHIC, "rouge "},
      {3, "Disques :", "Informations système", ROLE_SYSTEM_TEXT, nullptr},
      {3, "Nom Machine : ", "Informations système", ROLE_SYSTEM_STATICTEXT, nullptr},
      {4, "Level 1 Code :", "Informations cache", ROLE_SYSTEM_STATICTEXT, nullptr},
      {5, "Liste des processus en cours", "Liste des processus en cours", kNamedControl, nullptr},
      {6, "https://www.korvane.example/", "A propos de...", ROLE_SYSTEM_LINK, nullptr},
  };
  Reader reader;
  for (int page = 0; page < 7; ++page) {
    SendMessageW(tabs, TCM_SETCURFOCUS, page, 0);
    std::vector<Seen> seen;
    const auto allFound = [&] {
      seen = reader.Walk(program.MainWindow());
      for (const Expected& e : expected)
        if (e.page == page &&
            std::none_of(seen.begin(), seen.end(), [&](const Seen& s) { return Matches(s, e); }))
          return false;
      return true;
    };
    testing::WaitFor(allFound, 10000);
    for (const Expected& e : expected) {
      if (e.page != page) continue;
      EXPECT_TRUE(
          std::any_of(seen.begin(), seen.end(), [&](const Seen& s) { return Matches(s, e); }))
          << "page " << page << ": " << e.name << " in " << e.within;
    }
  }
}

using testing::ToolkitWindow;

// A figure that changes is told to those listening, by the number it has as a child, and the
// objects a reader still holds once the window is gone answer that it is gone.
std::vector<std::pair<HWND, LONG>> nameChanges;

void CALLBACK OnNameChange(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT) nameChanges.emplace_back(hwnd, child);
}

TEST_F(ToolkitWindow, LabelsAreChildrenThatTellTheirChangesAndOutliveNoWindow) {
  Reader reader;
  form.Gauge1.SetLabelledBy(&form.Label1);
  IAccessible* group = reader.Client(W(form.Group));
  ASSERT_NE(group, nullptr);
  // The group's children in the form's order: the label, then the gauge it names.
  long label = 0;
  Seen seen;
  for (long id = 1; id < 6 && !label; ++id)
    if (Reader::Describe(group, id, seen) && seen.name == "RAM libre :") label = id;
  ASSERT_GT(label, 0);
  EXPECT_EQ(seen.role, ROLE_SYSTEM_STATICTEXT);
  // Where it is on the screen, and what a reader finds there.
  VARIANT child{}, hit{};
  child.vt = VT_I4;
  child.lVal = label;
  long x = 0, y = 0, width = 0, height = 0;
  ASSERT_EQ(group->accLocation(&x, &y, &width, &height, child), S_OK);
  EXPECT_GT(width, 0);
  ASSERT_EQ(group->accHitTest(x + width / 2, y + height / 2, &hit), S_OK);
  EXPECT_EQ(hit.vt == VT_I4 ? hit.lVal : -1, label);
  IAccessible* gauge = reader.Client(W(form.Gauge1));
  ASSERT_TRUE(gauge && Reader::Describe(gauge, CHILDID_SELF, seen));
  EXPECT_EQ(seen.name, "RAM libre :");
  EXPECT_EQ(seen.value, "42 %");

  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, OnNameChange,
                      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  form.Label1.SetCaption("RAM libre : 42 %");
  testing::PumpMessages(50);
  UnhookWinEvent(hook);
  EXPECT_EQ(nameChanges, (std::vector<std::pair<HWND, LONG>>{{W(form.Group), label}}));
  ASSERT_TRUE(Reader::Describe(group, label, seen));
  EXPECT_EQ(seen.name, "RAM libre : 42 %");

  host.reset();
  BSTR name = nullptr;
  long count = 0;
  EXPECT_EQ(group->get_accName(child, &name), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(group->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(gauge->get_accValue(child, &name), CO_E_OBJNOTCONNECTED);
  group->Release();
  gauge->Release();
}

}  // namespace
}  // namespace kvn
