// Under wine: the builder's RTF of an inform text, given to a RichEdit control the way the
// inform window gives it (riched32's "RICHEDIT", SetWindowTextA), shows the text with its bold
// runs and line breaks, GBK characters included, and no markup or RTF words.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>

#include "InformRtf.h"


namespace {

class RichEdit {
 public:
  RichEdit() : module_(LoadLibraryA("riched32.dll")) {
    if (module_)
      window_ = CreateWindowExA(0, "RICHEDIT", "", WS_POPUP | ES_MULTILINE | ES_READONLY, 0, 0,
                                300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    // A bold font here must not make the whole text bold: the RTF resets it.
    if (window_) SendMessageA(window_, WM_SETFONT, WPARAM(GetStockObject(SYSTEM_FONT)), FALSE);
  }
  ~RichEdit() {
    if (window_) DestroyWindow(window_);
    if (module_) FreeLibrary(module_);
  }
  RichEdit(const RichEdit&) = delete;
  RichEdit& operator=(const RichEdit&) = delete;

  HWND get() const { return window_; }
  // The shown text, with CR LF and lone CR read as "\n".
  std::string Text() const {
    char buf[1024] = "";
    GetWindowTextA(window_, buf, sizeof buf);
    std::string t;
    for (const char* p = buf; *p; ++p)
      if (*p != '\r') t += *p; else if (p[1] != '\n') t += '\n';
    return t;
  }
  bool BoldAt(int start, int end) const {
    SendMessageA(window_, EM_SETSEL, start, end);
    CHARFORMATA f{};
    f.cbSize = sizeof f;
    SendMessageA(window_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    return (f.dwMask & CFM_BOLD) && (f.dwEffects & CFE_BOLD);
  }

 private:
  HMODULE module_;
  HWND window_ = nullptr;
};

TEST(InformRtfInRichEdit, BoldRunsLineBreaksAndTabsShowAsFormatting) {
  RichEdit edit;
  ASSERT_NE(edit.get(), nullptr);
  const std::string markup = "<B>Tolvane 2</B><P>{ready}<T>now\\\\nend";
  SetWindowTextA(edit.get(), pack::MarkupToRtf(markup, 1252).c_str());
  EXPECT_EQ(edit.Text(), "Tolvane 2\n{ready}\tnow\nend");
  EXPECT_TRUE(edit.BoldAt(0, 9));
  EXPECT_FALSE(edit.BoldAt(10, 17));
}

TEST(InformRtfInRichEdit, GbkTextShowsAsItsCharactersInCodePage936) {
  if (GetACP() != 936) GTEST_SKIP() << "the test prefix's code page is " << GetACP();
  RichEdit edit;
  ASSERT_NE(edit.get(), nullptr);
  // "新版本" bold, a line break, then "图集\" with a backslash-trail character (D5 5C).
  const std::string gbk = "<B>\xd0\xc2\xb0\xe6\xb1\xbe</B><P>\xcd\xbc\xbc\xaf\xd5\x5c";
  SetWindowTextA(edit.get(), pack::MarkupToRtf(gbk, 936).c_str());
  EXPECT_EQ(edit.Text(), "\xd0\xc2\xb0\xe6\xb1\xbe\n\xcd\xbc\xbc\xaf\xd5\x5c");
  EXPECT_TRUE(edit.BoldAt(0, 3));   // positions count characters
  EXPECT_FALSE(edit.BoldAt(4, 6));
}

}  // namespace
