// The self-deleting batch's text: bounded attempts with a pause, every path quoted, the folder
// only when asked, the batch last.
#include "rules/SelfDeleteBatch.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
  return lines;
}

SelfDeletePlan Plan(bool remove_folder, int tries) {
  SelfDeletePlan plan;
  plan.batch_path = "C:\\Temp\\_DEL_ME_42.BAT";
  plan.exe = "C:\\My Apps\\X_agent.exe";
  plan.folder = "C:\\My Apps";
  plan.remove_folder = remove_folder;
  plan.tries = tries;
  return plan;
}

TEST(SelfDeleteBatch, AttemptsPauseThenFolderThenItself) {
  const std::vector<std::string> expected = {
      "@ECHO OFF",
      "DEL \"C:\\My Apps\\X_agent.exe\"",
      "IF NOT EXIST \"C:\\My Apps\\X_agent.exe\" GOTO GONE",
      "PING -n 2 127.0.0.1 >NUL",
      "DEL \"C:\\My Apps\\X_agent.exe\"",
      "IF NOT EXIST \"C:\\My Apps\\X_agent.exe\" GOTO GONE",
      "PING -n 2 127.0.0.1 >NUL",
      ":GONE",
      "RD \"C:\\My Apps\"",
      "DEL \"C:\\Temp\\_DEL_ME_42.BAT\"",
  };
  EXPECT_EQ(Lines(SelfDeleteBatchText(Plan(true, 2))), expected);
}

TEST(SelfDeleteBatch, BoundedAndWithoutFolderWhenNotAsked) {
  const std::vector<std::string> lines = Lines(SelfDeleteBatchText(Plan(false, 60)));
  int deletes = 0, pauses = 0;
  for (const std::string& line : lines) {
    deletes += line == "DEL \"C:\\My Apps\\X_agent.exe\"";
    pauses += line.rfind("PING ", 0) == 0;
    EXPECT_NE(line.rfind("RD ", 0), 0u) << line;
    EXPECT_EQ(line.find("START"), std::string::npos) << "no unbounded loop: " << line;
  }
  EXPECT_EQ(deletes, 60);
  EXPECT_EQ(pauses, 60);
  EXPECT_EQ(lines.back(), "DEL \"C:\\Temp\\_DEL_ME_42.BAT\"");
}

TEST(SelfDeleteBatch, PathsQuotedAndPercentKeptLiteral) {
  EXPECT_EQ(BatchQuoted("C:\\100% done\\X_a.exe"), "\"C:\\100%% done\\X_a.exe\"");
  EXPECT_EQ(BatchQuoted("C:\\PROGRA~1\\X_A.EXE"), "\"C:\\PROGRA~1\\X_A.EXE\"");  // short too
  SelfDeletePlan plan = Plan(true, 1);
  plan.exe = "C:\\a&b\\X_%PATH%.exe";
  const std::string text = SelfDeleteBatchText(plan);
  EXPECT_NE(text.find("DEL \"C:\\a&b\\X_%%PATH%%.exe\"\r\n"), std::string::npos) << text;
}

// A path with a byte above ASCII reads differently in the ANSI and OEM code pages.
TEST(SelfDeleteBatch, OnlyAsciiPathsGoInUnchanged) {
  const std::pair<const char*, bool> paths[] = {
      {"C:\\users\\Jose\\Temp\\X_a.exe", true}, {"C:\\PROGRA~1\\X_A.EXE", true}, {"", true},
      {"C:\\users\\Jos\xE9\\Temp", false},      {"C:\\\xD5\xC5\xC8\xFD\\X_a.exe", false},
  };
  for (const auto& p : paths) EXPECT_EQ(IsBatchSafeText(p.first), p.second) << p.first;
}

TEST(SelfDeleteBatch, NamesPerProcessAndOnlyCopies) {
  EXPECT_EQ(SelfDeleteBatchName(1234), "_DEL_ME_1234.BAT");
  EXPECT_NE(SelfDeleteBatchName(1), SelfDeleteBatchName(2));
  const std::pair<const char*, bool> names[] = {
      {"X_WexlinStub.exe", true}, {"y_setup.exe", true}, {"WexlinStub.exe", false},
      {"X_", false},              {"XX_a.exe", false},   {"Z_a.exe", false}, {"", false},
  };
  for (const auto& n : names) EXPECT_EQ(IsStubCopyName(n.first), n.second) << n.first;
}

}  // namespace
