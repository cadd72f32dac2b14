// The reviewable acupoint table: one UTF-8 TSV file per meridian (table/NN_XX.tsv), a header
// line and then one acupoint per line, in the standard order of its meridian.
//
// Columns: code pinyin name meridian meridian_name frame ref along lat fwd face location
// explanation effects. `location` is the 【定位】 text in the standard's landmark terms, or "-"
// for the words made from the rule. The location columns say where the point lies on the body, in B-cun from landmarks
// of the body model (names without their side suffix, the generator picks the side; "a+b" is
// the point midway between landmarks a and b):
//   TR  trunk and neck: `ref` a midline landmark; `along` cun upward (on the front the cun of
//       the sternum, upper and lower abdomen in turn), `lat` cun from the midline, `fwd` cun
//       forward. A point facing sideways is found from the middle of the trunk outward.
//   AT  at a landmark: `along` cun up, `lat` cun lateral, `fwd` cun forward (chest cun).
//   FC  like AT on the head and face, in the cun of the forehead.
//   LN  on the line A>B/span: `along` cun from A toward B when the line spans `span` cun.
//   HD  on the scalp: `along` cun back from the anterior hairline over the midline, `lat` cun
//       sideways over the head.
//   NL  beside a nail: `ref` a digit (finger1..finger5, toe1..toe5); `along` cun back from its
//       tip, `lat` cun toward the side of the thumb or big toe (negative: the little finger's or
//       little toe's side). The point faces that side and the back of the digit.
// `face` is the direction the point faces, from which it is found on the skin: "-" for the
// skin's own normal, else yaw degrees (0 front, 90 lateral, 180 back, 270 medial), optionally
// "/pitch" degrees upward.
#pragma once

#include <string>
#include <vector>

enum class Frame { kTrunk, kAt, kFace, kLine, kHead, kNail };

struct LocationRule {
  Frame frame = Frame::kAt;
  std::string ref;       // landmark, or line start for kLine
  std::string ref_to;    // line end (kLine only)
  double span = 0;       // cun between ref and ref_to (kLine only)
  double along = 0, lat = 0, fwd = 0;
  bool face_normal = true;  // "-": face along the skin normal
  double yaw = 0, pitch = 0;  // degrees, when !face_normal
};

// A trunk rule from one of these landmarks measures from the front midline; from any other (a
// level of the spine) from the back.
bool is_front_chain(const std::string& ref);

// The twelve principal meridians, then the Conception (13) and Governor (14) vessels.
constexpr int kLastMeridian = 14;

struct SourcePoint {
  std::string code;  // e.g. "LU1"
  std::string pinyin, name, meridian_name, explanation, effects;  // UTF-8
  std::string location;  // 【定位】 text, UTF-8; empty: made from the rule
  int meridian = 0;
  int number = 0;    // 1..n within the meridian, from the code
  LocationRule rule;
  std::string where;  // file:line, for messages
};

// One data line (without its line end). False with a message on any malformed column.
bool parse_source_line(const std::string& line, SourcePoint* point, std::string* error);

// Every *.tsv of dir in name order, header lines skipped. False with the first problem found.
bool read_source_table(const std::string& dir, std::vector<SourcePoint>* points,
                       std::string* error);

// The table as a whole: meridians 1..kLastMeridian in order, each contiguous, numbered 1..n by its codes,
// codes unique, pinyin upper-case letters only, texts labelled and free of whitespace.
bool check_source_table(const std::vector<SourcePoint>& points, std::string* error);
