// Part-file names, chunk arithmetic, the resume decision, the rate text and "404" pages.
#include "rules/DownloadRules.h"

#include <gtest/gtest.h>

TEST(DownloadRules, PartFileNameAddsSizeAndDateWithWrapAround) {
  EXPECT_EQ(PartFileName("C:\\T\\Setup.exe", 100000, 0x3C8A4A00u), "C:\\T\\Setup.exe.1015795872");
  EXPECT_EQ(PartFileName("a", 100, 0), "a.100");
  // 0x7FFFFFFF + 1 wraps to the most negative 32-bit number.
  EXPECT_EQ(PartFileName("a", 0x7FFFFFFF, 1), "a.-2147483648");
  EXPECT_EQ(PartFileName("a", 5, 0xFFFFFFFFu), "a.4");
}

TEST(DownloadRules, OnlyTargetDotNumberIsAPartFile) {
  struct Case {
    const char* name;
    bool part;
  };
  for (const Case& c : {Case{"Tolvane.100", true}, Case{"TOLVANE.-2147483648", true},
                        Case{"Tolvane.exe", false},  // the application itself
                        Case{"Tolvane.", false}, Case{"Tolvane.-", false},
                        Case{"Tolvane.12a", false}, Case{"Tolvane.1.2", false},
                        Case{"Tolvane", false}, Case{"Tolvanes.100", false},
                        Case{"Tolvane.12345678901", false}})
    EXPECT_EQ(IsPartFileNameOf(c.name, "Tolvane"), c.part) << c.name;
}

TEST(DownloadRules, ReadsOfALargeDownloadGrowOnAFastLinkAndShrinkOnASlowOne) {
  struct Case {
    std::int32_t current, chunk;
    bool filled;
    std::uint32_t ms;
    std::int32_t next;
  };
  for (const Case& c : {Case{10240, 10240, true, 0, 20480},  // quick and full: doubles
                        Case{524288, 10240, true, 24, kMaxDownloadRead},
                        Case{kMaxDownloadRead, 10240, true, 0, kMaxDownloadRead},  // the cap
                        Case{40960, 10240, false, 0, 40960},  // short read: the end is near
                        Case{40960, 10240, true, 25, 40960},  // neither quick nor slow
                        Case{40960, 10240, true, 101, 20480},  // slow: halves
                        Case{10240, 10240, true, 5000, 10240},  // never below the chunk
                        Case{10000, 10000, true, 0, 10000},  // small files: chunk by chunk
                        Case{1, 1, true, 0, 1}}) {
    EXPECT_EQ(NextReadSize(c.current, c.chunk, c.filled, c.ms), c.next)
        << c.current << " " << c.ms;
  }
}

TEST(DownloadRules, ChunkIsATenthAtMost10240AndNeverZero) {
  struct Case {
    std::int32_t size, chunk, high;
  };
  for (const Case& c : {Case{1, 1, 2}, Case{9, 1, 10}, Case{10, 1, 11}, Case{99, 9, 12},
                        Case{100000, 10000, 11}, Case{102400, 10240, 11},
                        Case{1048576, 10240, 103}, Case{0x7FFFFFFF, 10240, 209716}}) {
    EXPECT_EQ(DownloadChunkSize(c.size), c.chunk) << c.size;
    EXPECT_EQ(ProgressHigh(c.size, DownloadChunkSize(c.size)), c.high) << c.size;
  }
  EXPECT_EQ(ProgressPosition(40000, 10000), 4);
  EXPECT_EQ(ProgressPosition(45000, 10000), 5);  // rounded half up
  EXPECT_EQ(ProgressPosition(0, 1), 0);
}

TEST(DownloadRules, ResumeOnlyAPartThatIsShortAndDated) {
  struct Case {
    const char* what;
    std::int64_t part;
    bool dated;
    bool resume, truncate;
    std::int64_t offset;
  };
  for (const Case& c : {Case{"no part", -1, true, false, false, 0},
                        Case{"a short part", 40000, true, true, false, 40000},
                        Case{"an empty part", 0, true, false, true, 0},
                        Case{"a complete part", 100000, true, false, true, 0},
                        Case{"a part past the size", 140000, true, false, true, 0},
                        Case{"no date to check against", 40000, false, false, true, 0}}) {
    const ResumePlan p = PlanResume(c.part, 100000, c.dated);
    EXPECT_EQ(p.resume, c.resume) << c.what;
    EXPECT_EQ(p.truncate_part, c.truncate) << c.what;
    EXPECT_EQ(p.offset, c.offset) << c.what;
  }
  EXPECT_EQ(ResumeHeaders(40000, "Sat, 08 Apr 2006 08:50:34 GMT"),
            "Range: bytes=40000-\r\nIf-Range: Sat, 08 Apr 2006 08:50:34 GMT\r\n");
}

TEST(DownloadRules, ARangeReplyMustContinueAtTheOffset) {
  EXPECT_TRUE(RangeReplyContinues(206, "bytes 40000-99999/100000", 40000, 100000));
  EXPECT_TRUE(RangeReplyContinues(206, "bytes 40000-99999/*", 40000, 100000));
  EXPECT_FALSE(RangeReplyContinues(200, "", 40000, 100000));  // the whole file again
  EXPECT_FALSE(RangeReplyContinues(206, "bytes 0-99999/100000", 40000, 100000));
  EXPECT_FALSE(RangeReplyContinues(206, "bytes 40000-59999/100000", 40000, 100000));
  EXPECT_FALSE(RangeReplyContinues(206, "bytes 40000-99999/120000", 40000, 100000));
  EXPECT_FALSE(RangeReplyContinues(206, "", 40000, 100000));
  EXPECT_FALSE(RangeReplyContinues(206, "items 40000-99999/100000", 40000, 100000));
  // A missing number is no -1: only an offset inside the file can be continued.
  EXPECT_FALSE(RangeReplyContinues(206, "bytes -/0", -1, 0));
  EXPECT_FALSE(RangeReplyContinues(206, "bytes --1/0", -1, 0));
  EXPECT_FALSE(RangeReplyContinues(206, "bytes 0-/*", 0, 0));
}

TEST(DownloadRules, TheRateIsAveragedOverTheLastFiveChunks) {
  TransferMeter meter;
  // The first text of a download never shows a rate.
  EXPECT_EQ(meter.Text(true, 102400, 0, 0, 5000), "0/102400 Bytes   ");
  // Four chunks of 5120 bytes 500 ms apart: 20480 bytes over the five slots' 2000 ms.
  std::string text;
  for (int i = 1; i <= 4; ++i) text = meter.Text(false, 102400, 5120 * i, 5120, 5000 + 500 * i);
  EXPECT_EQ(text, "20480/102400 Bytes   10.00 KB/Sec");
  // No time between two texts right after a reset: still no rate.
  EXPECT_EQ(meter.Text(true, 10, 0, 0, 7), "0/10 Bytes   ");
  EXPECT_EQ(meter.Text(false, 10, 10, 10, 7), "10/10 Bytes   ");
}

TEST(DownloadRules, FourOhFourPagesAreRecognised) {
  const std::string url = "http://127.0.0.1/Setup.exe";
  const std::string msg = "<b>404 File Not Found...</b><P><P>URL:  " + url + ".";
  EXPECT_EQ(NotFoundPageTextOf("<html><head><title>404 Not Found</title></head></html>", url,
                               false, "Bad Secret Token!"),
            msg);
  EXPECT_EQ(NotFoundPageTextOf("<TITLE>Missing</TITLE><p>error 404", url, false, "d"), msg);
  EXPECT_EQ(NotFoundPageTextOf("<title>Missing</title>", url, false, "d"), "d");
  EXPECT_EQ(NotFoundPageTextOf("404 404 <title>", url, false, "d"), "d");
  EXPECT_EQ(NotFoundPageTextOf("MZ binary 404", url, false, "Bad Secret Token!"),
            "Bad Secret Token!");
  EXPECT_EQ(NotFoundPageTextOf("<title>404</title> iis", url, true, "d"),
            msg + "<P><P>If you are using an IIS webserver you must define appropriate MIME-Types.");
  EXPECT_EQ(NotFoundPageTextOf("<title>404</title> iis", url, false, "d"), msg);
}
