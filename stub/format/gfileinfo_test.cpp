// TGFileInfo's free routines: InflateEntry, the token routines, and the item queries.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>

#include <zlib.h>

#include "ArchiveWriter.h"
#include "TokenScramble.h"
#include "format/GFileInfo.h"
#include "text/UtilsText.h"

namespace {

std::string Hex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

bool IsDecimalBelow99999(const std::string& text) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return std::stoi(text) <= 99998;
}

TGFileInfo EmptyInfo() {
  archive::MemorySource none(std::string(10, 'x'));
  return TGFileInfo(none);
}

}  // namespace

TEST(InflateEntry, GrowsStepByStepWhenTheOutputIs64TimesTheInput) {
  std::string plain;
  for (int i = 0; i < 200000; ++i) plain += char('a' + i % 7);
  const std::string packed = pack::CompressEntry(plain, 9);
  ASSERT_GT(plain.size(), 64 * packed.size());
  int served = 0;
  const std::string out = InflateEntry(packed, [&] { ++served; });
  EXPECT_EQ(out, plain);
  // One call per filled step of the compressed size rounded up to 256.
  const std::size_t step = (packed.size() + 255) / 256 * 256;
  EXPECT_EQ(std::size_t(served), (plain.size() - 1) / step);
  EXPECT_GE(served, 64);
}

TEST(InflateEntry, ReadsStreamsOfEveryLevelAndEmptyFiles) {
  for (int level : {0, 1, 6, 9}) {
    const std::string plain = "|x|0|" + std::string(1, '\0') + std::string(70000, 'q');
    EXPECT_EQ(InflateEntry(pack::CompressEntry(plain, level)), plain) << level;
  }
  EXPECT_EQ(InflateEntry(pack::CompressEntry("", 9)), "");
  // zlib's own streams (header 0x78 0xDA at level 9) are read alike.
  const std::string plain(5000, 'z');
  uLongf size = compressBound(plain.size());
  std::string z(size, '\0');
  ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(&z[0]), &size,
                      reinterpret_cast<const Bytef*>(plain.data()), plain.size(), 9),
            Z_OK);
  z.resize(size);
  EXPECT_EQ(InflateEntry(z), plain);
}

TEST(InflateEntry, TheOutputLimitStopsABombBeforeItsMemoryIsTaken) {
  // 64 MiB of zeros pack into about 64 KiB: a bomb against a limit of 1 MiB.
  const std::string bomb = pack::CompressEntry(std::string(64u << 20, '\0'), 9);
  std::size_t served = 0;
  try {
    InflateEntry(bomb, [&] { ++served; }, 1u << 20);
    ADD_FAILURE() << "no error";
  } catch (const EInflateLimit& e) {
    EXPECT_EQ(e.limit(), 1u << 20);
  }
  const std::size_t step = (bomb.size() + 255) / 256 * 256;
  EXPECT_LE(served, (1u << 20) / step + 1);
  // Output of exactly the limit passes; one byte more does not.
  const std::string plain(100000, 'p');
  const std::string packed = pack::CompressEntry(plain, 9);
  EXPECT_EQ(InflateEntry(packed, {}, plain.size()), plain);
  EXPECT_THROW(InflateEntry(packed, {}, plain.size() - 1), EInflateLimit);
  EXPECT_EQ(InflateEntry(pack::CompressEntry("", 9), {}, 0), "");
}

TEST(InflateEntryInto, ABufferKeptFromALargerEntryHoldsTheLimitAndTheServingPace) {
  std::string buffer;
  const std::string large(3u << 20, 'L');
  const std::string packed_large = pack::CompressEntry(large, 9);
  int served = 0;
  ASSERT_EQ(InflateEntryInto(packed_large, &buffer, [&] { ++served; }), large.size());
  EXPECT_EQ(buffer.substr(0, large.size()), large);
  // The kept memory does not lift the limit, nor stop the serving between MiB slices.
  const std::string plain(5u << 19, 'p');  // 2.5 MiB: three slices, two pauses
  const std::string packed = pack::CompressEntry(plain, 9);
  EXPECT_THROW(InflateEntryInto(packed, &buffer, {}, plain.size() - 1), EInflateLimit);
  served = 0;
  ASSERT_EQ(InflateEntryInto(packed, &buffer, [&] { ++served; }, plain.size()), plain.size());
  EXPECT_EQ(buffer.substr(0, plain.size()), plain);
  EXPECT_GE(served, 2);
  EXPECT_GE(buffer.size(), large.size());
}

TEST(InflateEntry, DamagedStreamsRaiseZlibsMessage) {
  std::string good = pack::CompressEntry("some text to compress, some text to compress", 9);
  std::string bad_adler = good;
  bad_adler.back() ^= 1;
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"wrong header check", Hex("789D4B4C4A0600"), "incorrect header check"},
      {"unknown method", Hex("7709"), "unknown compression method"},
      {"reserved block type", Hex("789C07"), "invalid block type"},
      {"bad stored length", Hex("789C010500FFFF"), "invalid stored block lengths"},
      {"wrong Adler-32", bad_adler, "incorrect data check"},
      {"preset dictionary", Hex("782000000001"), "need dictionary"},
      {"cut short", good.substr(0, good.size() / 2), "buffer error"},
      {"empty", "", "buffer error"},
  };
  for (const Case& c : cases) {
    try {
      InflateEntry(c.bytes);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const EZLibError& e) {
      EXPECT_STREQ(e.what(), c.message) << c.what;
    }
  }
}

TEST(Tokens, ScrambledTokensDecodeBack) {
  std::mt19937 rng(20260410);
  const std::string tokens[] = {"",
                                "A",
                                "Tolvane-1.0",
                                std::string(46, 'K'),
                                std::string("\x00\xFF\x7F|bin", 7),
                                std::string(200, 'z')};
  for (const std::string& token : tokens) {
    for (int round = 0; round < 20; ++round) {
      const std::string stored = pack::ScrambleToken(token, rng);
      EXPECT_EQ(stored.size() % 2, 0u);
      for (char c : stored) EXPECT_TRUE((c >= 'b' && c <= 'k') || (c >= 's' && c <= 'x')) << c;
      EXPECT_EQ(UnscrambleToken(stored), token);
    }
  }
}

TEST(Tokens, DamagedTokensGiveARandomNumberText) {
  std::mt19937 rng(7);
  const std::string good = pack::ScrambleToken("product-token", rng);
  std::string flipped = good;
  flipped[6] = flipped[6] == 'b' ? 'c' : 'b';
  std::string lower = good;
  lower[3] = 'a';                                              // 'a' - 50 is no hexadecimal digit
  const std::string cases[] = {"",         "bc",  "bcdefghi",  // four bytes or fewer
                               flipped,    lower, good.substr(0, good.size() - 2),
                               good + "bb"};
  for (const std::string& c : cases) {
    std::string token;
    EXPECT_FALSE(TryUnscrambleToken(c, &token)) << c;
    EXPECT_TRUE(IsDecimalBelow99999(UnscrambleToken(c))) << c;
  }
  // Padding counts that point past the end: bytes 01 FF FF .. with a valid check byte.
  std::string b = Hex("00FFFF0000");
  b[3] = char(std::uint8_t(0x00 + 0xFF + 0xFF + 0x00));  // check = sum of the others
  std::string stored;
  for (unsigned char v : b) {
    stored += char("0123456789ABCDEF"[v >> 4] + 50);
    stored += char("0123456789ABCDEF"[v & 15] + 50);
  }
  std::string token;
  EXPECT_FALSE(TryUnscrambleToken(stored, &token));
}

TEST(Tokens, OneComparisonAndDamagedTokensNeverMatch) {
  std::mt19937 rng(3);
  const std::string good = pack::ScrambleToken("TOK", rng);
  const std::string same = pack::ScrambleToken("TOK", rng);  // stored differently
  ASSERT_NE(good, same);
  EXPECT_TRUE(SameToken(good, same));
  EXPECT_FALSE(SameToken(good, pack::ScrambleToken("tok", rng)));  // case matters
  std::string flipped = good;
  flipped[6] = flipped[6] == 'b' ? 'c' : 'b';
  // Damaged tokens unscramble to random number texts that may be equal; they match nothing,
  // not themselves, not each other, not a sound token.
  const std::string damaged[] = {"", "bc", "bcdefghi", flipped, "not a token"};
  for (const std::string& a : damaged) {
    EXPECT_FALSE(SameToken(a, good)) << a;
    EXPECT_FALSE(SameToken(good, a)) << a;
    for (const std::string& b : damaged) EXPECT_FALSE(SameToken(a, b)) << a << " / " << b;
  }

  // The update token of a downloaded update and the token field of an inform file go through
  // the same comparison.
  TGFileInfo own = EmptyInfo(), update = EmptyInfo();
  own.Info = "|url|p.dat|agent.exe|" + good + "|0|";
  update.Info = "|url|p.dat|agent.exe|" + same + "|0|";
  EXPECT_TRUE(SameUpdateToken(own, update));
  own.Info = update.Info = "|url|p.dat|agent.exe|bcdefghi|0|";
  EXPECT_FALSE(SameUpdateToken(own, update));
  std::string stored, body;
  SplitTokenField(ScrambleText("7|" + same + "|a|b|news", true), &stored, &body);
  EXPECT_EQ(stored, same);
  EXPECT_EQ(body, "news");
  EXPECT_TRUE(SameToken(stored, good));
  // The token stands where the format puts it, or the text is no token file at all.
  for (const std::string& text : {"x|" + same + "|a|b|news", "Any page\n|" + same + "|||news",
                                  "12345678901|" + same + "|||news", same + "|||news"}) {
    for (bool scrambled : {false, true}) {
      SplitTokenField(ScrambleText(text, scrambled), &stored, &body);
      EXPECT_EQ(stored, "") << text;
      EXPECT_EQ(body, "") << text;
      EXPECT_FALSE(SameToken(stored, good)) << text;
    }
  }
}

TEST(Tokens, SplitTokenTextReadsPlainAndScrambledTexts) {
  std::mt19937 rng(11);
  const std::string stored = pack::ScrambleToken("TOK", rng);
  const std::string text = "|" + stored + "|x|y|body with | bars";
  std::string token, body;
  SplitTokenText(text, &token, &body);
  EXPECT_EQ(token, "TOK");
  EXPECT_EQ(body, "body with | bars");
  SplitTokenText(ScrambleText(text, true), &token, &body);
  EXPECT_EQ(token, "TOK");
  EXPECT_EQ(body, "body with | bars");
  SplitTokenText("no bars at all", &token, &body);
  EXPECT_TRUE(IsDecimalBelow99999(token));
  EXPECT_EQ(body, "");
}

TEST(TGFileInfo, FileNamesDeriveFromTheUpdateFileItem) {
  struct Case {
    const char* item1;
    const char* info;
    const char* settings;
  };
  const Case cases[] = {
      {"Product.dat", "Product.info", "Product.original"},
      {"Product", "Product.info", "Product.original"},
      {"C:\\dir.x\\Product.dat", "Product.info", "Product.original"},
      {".info", ".info", ".original"},
      {"", ".info", ".original"},
  };
  TGFileInfo info = EmptyInfo();
  for (const Case& c : cases) {
    info.Info = std::string("|url|") + c.item1 + "|agent.exe|tok|1|";
    EXPECT_EQ(info.InfoFileName(), c.info) << c.item1;
    EXPECT_EQ(info.SettingsFileName(), c.settings) << c.item1;
  }
  EXPECT_TRUE(info.RunHidden());
  EXPECT_EQ(info.AgentExeName(), "agent.exe");
}

TEST(TGFileInfo, FileNamesKeepDoubleByteCharacters) {
  // 0xB1 0x5C is one GBK character whose second byte has the value of a backslash.
  TGFileInfo info = EmptyInfo();
  SetLeadByteTest(GbkLeadByte);
  info.Info = "|url|C:\\dir\\\xB1\\x.dat|agent.exe|tok|0|";
  EXPECT_EQ(info.InfoFileName(), "\xB1\\x.info");
  info.Info = "|url|a.\xB1\\b|agent.exe|tok|0|";
  EXPECT_EQ(info.SettingsFileName(), "a.original");
  SetLeadByteTest(NoLeadBytes);  // a single-byte code page: 0x5C is a separator
  EXPECT_EQ(info.SettingsFileName(), "b.original");
}

// An archive whose language block claims more than the limit, with the bytes really there (so
// only the limit refuses it), and an update info block after it.
std::string ArchiveWithLanguageBlockOf(std::uint32_t length) {
  std::string file;
  archive::AppendU32(file, length);
  file += std::string(std::min<std::uint32_t>(length, archive::kMaxHeaderBlockSize + 16), 'L');
  archive::AppendU32(file, 11);
  file += "|u|f.dat|a|";
  archive::ArchiveTrailer t;
  t.ArchiveMagic = archive::kArchiveMagic;
  t.HeaderBlocks = 2;
  t.TrailerSize = archive::kTrailerSize;
  const archive::TrailerBytes record = archive::EncodeTrailer(t);
  file.append(reinterpret_cast<const char*>(record.data()), record.size());
  return file;
}

TEST(TGFileInfo, HeaderBlocksAboveTheLimitAreRefused) {
  archive::MemorySource at_limit(ArchiveWithLanguageBlockOf(archive::kMaxHeaderBlockSize));
  const TGFileInfo read(at_limit);
  EXPECT_EQ(read.Languages.size(), archive::kMaxHeaderBlockSize);
  EXPECT_EQ(read.UpdateInfoUrl(), "u");
  for (std::uint32_t length : {archive::kMaxHeaderBlockSize + 1, 0xFFFFFFF0u}) {
    archive::MemorySource huge(ArchiveWithLanguageBlockOf(length));
    const TGFileInfo refused(huge);
    EXPECT_TRUE(refused.Trailer.HasMagic());
    EXPECT_EQ(refused.Languages, "") << length;
    EXPECT_EQ(refused.Info, "") << length;  // nothing after a refused block is trusted
  }
}

TEST(TGFileInfo, MissingFileAndMissingItemsGiveDefaults) {
  const TGFileInfo none("/nonexistent/dir/setup.exe");
  EXPECT_FALSE(none.Trailer.HasMagic());
  EXPECT_EQ(none.Trailer.TrailerSize, 0u);
  EXPECT_EQ(none.SpaceNeededForCluster(4096), 0.0);
  EXPECT_EQ(none.UpdateInfoUrl(), "");
  EXPECT_FALSE(none.DownloadAlways());
  EXPECT_FALSE(none.RunHidden());
  EXPECT_EQ(none.LangText("s1", "default"), "default");
  EXPECT_EQ(none.Charset(), 0);
  EXPECT_EQ(none.FontSize(), 8);
  EXPECT_EQ(none.FontName(), "Tahoma");
  // A checksum that cannot be computed is no checksum, not even against a stored 0.
  const archive::ChecksumResult sum = ArchiveChecksum("/nonexistent/dir/setup.exe", 74);
  EXPECT_FALSE(sum.has_value());
  EXPECT_FALSE(archive::ChecksumAccepted(sum, 0));
}

TEST(TGFileInfo, SpaceNeededFollowsTheClusterSize) {
  TGFileInfo info = EmptyInfo();
  for (std::size_t i = 0; i < archive::kSpaceSlots; ++i)
    info.Trailer.SpaceNeeded[i] = 0x80000000u + std::uint32_t(i);  // read unsigned
  EXPECT_EQ(info.SpaceNeededForCluster(0), 2147483648.0);
  EXPECT_EQ(info.SpaceNeededForCluster(512), 2147483649.0);
  EXPECT_EQ(info.SpaceNeededForCluster(2048), 2147483651.0);
  EXPECT_EQ(info.SpaceNeededForCluster(4096), 2147483652.0);
  EXPECT_EQ(info.SpaceNeededForCluster(1 << 20), 2147483656.0);
}
