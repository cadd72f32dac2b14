// Every shipped acupoint measured back against its own location rule: the marker the viewer
// loads from the data files must lie where the rule puts it, on the body part it measures on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "atlas/atlas_files.h"
#include "atlas/placement_check.h"
#include "atlas/source_table.h"

namespace {

TEST(ShippedPlacement, EveryAcupointLiesWhereItsRuleSays) {
  std::vector<SourcePoint> source;
  std::string error;
  ASSERT_TRUE(read_source_table(ATLAS_TABLE_DIR, &source, &error)) << error;
  std::vector<AcupointRecord> table(kAcupointCapacity);
  const AtlasLoadResult loaded = load_atlas_dir(ATLAS_DATA_DIR, table.data(), kAcupointCapacity);
  ASSERT_EQ(loaded.count, int(source.size()));
  ASSERT_EQ(loaded.count, 309);

  const Body body = build_body();
  const PlacementChecker checker(body);
  double worst_off = 0, worst_along = 0;
  int wrong = 0;
  for (size_t i = 0; i < source.size(); ++i) {
    const SourcePoint& s = source[i];
    const AcupointRecord& r = table[i];
    PlacementMeasure m;
    ASSERT_TRUE(checker.measure(s.rule, {r.x, r.y, r.z}, &m, &error)) << s.code << ": " << error;
    worst_off = std::max(worst_off, m.off_cun);
    if (m.on_line) worst_along = std::max(worst_along, m.along_off_cun);
    const std::string problem = PlacementChecker::problem(s.rule, m);
    if (!problem.empty()) ++wrong;
    EXPECT_TRUE(problem.empty()) << s.code << " " << s.pinyin << ": " << problem;
  }
  std::printf("placement: %d of %zu off their rule; worst %.2f cun across, %.2f cun along a line\n",
              wrong, source.size(), worst_off, worst_along);
}

}  // namespace
