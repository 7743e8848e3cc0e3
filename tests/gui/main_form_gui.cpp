// The main window on the screen: every page shows its controls, every caption has room for its
// text in the real font, and a screenshot of each page is kept for a person to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/text_win32.h"
#include "gui/screenshot.h"
#include "shell/main_form.h"
#include "ui/win32/form_host.h"

namespace kvn {
namespace {

using ui::Control;
using ui::win32::FormHost;

void Collect(Control& c, std::vector<Control*>& out) {
  for (Control* child : c.Children()) {
    out.push_back(child);
    Collect(*child, out);
  }
}

bool ShownInDesign(const Control& c, const Control& page) {
  for (const Control* p = &c; p && p != &page; p = p->Parent())
    if (!p->Visible()) return false;
  return true;
}

std::vector<std::wstring> CaptionLines(const std::string& caption) {
  std::wstring text = Widen(caption);
  std::wstring plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size() && text[i + 1] != L'&') continue;  // accelerator
    plain += text[i];
  }
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = plain.find(L"\r\n", start);
    lines.push_back(plain.substr(start, end == std::wstring::npos ? end : end - start));
    if (end == std::wstring::npos) return lines;
    start = end + 2;
  }
}

// What a text needs in the font the window really uses, and how much room the window offers.
struct Fit {
  int neededWidth = 0, neededHeight = 0, width = 0, height = 0;
};

Fit Measure(const std::string& caption, HWND window, bool wrap) {
  Fit fit;
  RECT client{};
  GetClientRect(window, &client);
  fit.width = client.right;
  fit.height = client.bottom;
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  if (wrap) {
    std::wstring text = Widen(caption);
    RECT r{0, 0, fit.width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    fit.neededWidth = r.right;
    fit.neededHeight = r.bottom;
  } else {
    const auto lines = CaptionLines(caption);
    for (const std::wstring& line : lines) {
      SIZE size{};
      GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
      fit.neededWidth = std::max<int>(fit.neededWidth, size.cx);
    }
    fit.neededHeight = metrics.tmHeight * static_cast<int>(lines.size());
  }
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return fit;
}

// Every text the control shows with the room around it that its own parts take: the box of a
// check or radio item, the frame a group's caption sits on, a button's edges.
std::vector<std::pair<std::string, Fit>> Captions(const Control& c) {
  std::vector<std::pair<std::string, Fit>> out;
  const int box = GetSystemMetrics(SM_CXMENUCHECK) + 4;
  const bool framed =
      dynamic_cast<const ui::GroupBox*>(&c) || dynamic_cast<const ui::RadioGroup*>(&c);
  if (!c.Caption().empty()) {
    const auto* label = dynamic_cast<const ui::Label*>(&c);
    Fit fit =
        Measure(c.Caption(), FormHost::WindowOf(c, framed ? 1 : 0), label && label->WordWrap());
    if (dynamic_cast<const ui::CheckBox*>(&c) || dynamic_cast<const ui::RadioButton*>(&c)) {
      fit.neededWidth += box;
    } else if (framed) {
      fit.neededWidth += 16;  // the caption sits on the frame, inset from its corner
      fit.neededHeight = 0;
    } else if (dynamic_cast<const ui::Button*>(&c)) {
      fit.neededWidth += 8;
      fit.neededHeight += 6;
    }
    out.emplace_back(c.Caption(), fit);
  }
  if (const auto* group = dynamic_cast<const ui::RadioGroup*>(&c)) {
    for (size_t i = 0; i < group->Items().size(); ++i) {
      Fit fit = Measure(group->Items()[i], FormHost::WindowOf(c, static_cast<int>(i) + 2), false);
      fit.neededWidth += box;
      out.emplace_back(group->Items()[i], fit);
    }
  }
  return out;
}

// The window's font as Windows realised it.
std::wstring FaceName(HWND window) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return face;
}

class MainFormWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Windows always has Tahoma; a bare Wine prefix may not find Wine's own copy and fall back
    // to a wider face, so lend it to this process when it is there.
    AddFontResourceExW(L"Z:\\usr\\share\\wine\\fonts\\tahoma.ttf", FR_PRIVATE, nullptr);
    AddFontResourceExW(L"Z:\\usr\\share\\wine\\fonts\\tahomabd.ttf", FR_PRIVATE, nullptr);
  }
  void SetUp() override {
    ui::win32::InitToolkit();
    SetCursorPos(0, 0);  // no tool tip in the screenshots
    host_ = std::make_unique<FormHost>(
        form_, ui::win32::FormStyle{L"KorvaneMainFormTest", MainForm::kClientWidth,
                                    MainForm::kClientHeight});
    ASSERT_TRUE(host_->Create());
    SetWindowTextW(host_->Handle(), L"Korvane");
    ShowWindow(host_->Handle(), SW_SHOWNORMAL);
    testing::PumpMessages(200);
  }
  void TearDown() override {
    if (host_ && host_->Handle()) DestroyWindow(host_->Handle());
    host_.reset();
  }
  MainForm form_;
  std::unique_ptr<FormHost> host_;
};

TEST_F(MainFormWindow, ClientAreaIsTheFormsSize) {
  RECT client{};
  GetClientRect(host_->Handle(), &client);
  EXPECT_EQ(client.right, 465);
  EXPECT_EQ(client.bottom, 351);
  // The pages sit inside the tab control's display area, clear of the tabs.
  HWND tabs = FormHost::WindowOf(form_.Memoire);
  ASSERT_NE(tabs, nullptr);
  RECT display{};
  GetClientRect(tabs, &display);
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const ui::Rect page = MainForm::kPageArea;
  EXPECT_GE(page.y, display.top);
  EXPECT_GE(page.x, display.left);
  EXPECT_LE(page.x + page.width, display.right);
  EXPECT_LE(page.y + page.height, display.bottom + 2);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETROWCOUNT, 0, 0), 1);  // the seven tabs fit in one row
}

TEST_F(MainFormWindow, EveryPageShowsItsControlsAndEveryCaptionFits) {
  const std::wstring face = FaceName(FormHost::WindowOf(form_.BitBtn1));
  const bool tahoma = face == L"Tahoma";
  EXPECT_TRUE(tahoma) << "captions not measured: the font is " << Narrow(face);
  const auto pages = form_.Memoire.Pages();
  for (size_t i = 0; i < pages.size(); ++i) {
    ui::TabSheet& page = *pages[i];
    SCOPED_TRACE(page.Caption());
    form_.Memoire.SetActivePage(&page);
    testing::PumpMessages(100);
    const std::string shot = testing::SaveWindowShot(
        host_->Handle(), "main_form_" + std::to_string(i + 1) + "_" + page.Name());
    EXPECT_FALSE(shot.empty());

    std::vector<Control*> controls;
    Collect(page, controls);
    ASSERT_FALSE(controls.empty());
    for (Control* c : controls) {
      HWND window = FormHost::WindowOf(*c);
      ASSERT_NE(window, nullptr) << c->Name();
      EXPECT_EQ(IsWindowVisible(window) != FALSE, ShownInDesign(*c, page)) << c->Name();
      if (!ShownInDesign(*c, page) || !tahoma) continue;
      for (const auto& [text, fit] : Captions(*c)) {
        EXPECT_LE(fit.neededWidth, fit.width)
            << c->Name() << " '" << text << "' needs " << fit.neededWidth << " px";
        EXPECT_LE(fit.neededHeight, fit.height)
            << c->Name() << " '" << text << "' needs " << fit.neededHeight << " px high";
      }
    }
    // The other pages are hidden.
    for (size_t j = 0; j < pages.size(); ++j) {
      if (j == i) continue;
      EXPECT_FALSE(IsWindowVisible(FormHost::WindowOf(*pages[j]))) << pages[j]->Name();
    }
  }
}

}  // namespace
}  // namespace kvn
