#include "atlas_gen/source_table.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace {

constexpr int kColumns = 14;
constexpr const char* kExplanationLabel = "\xE3\x80\x90\xE9\x87\x8A\xE4\xB9\x89\xE3\x80\x91";  // 【释义】
constexpr const char* kLocationLabel = "\xE3\x80\x90\xE5\xAE\x9A\xE4\xBD\x8D\xE3\x80\x91";    // 【定位】
constexpr const char* kEffectsLabel = "\xE3\x80\x90\xE5\x8A\x9F\xE8\x83\xBD\xE3\x80\x91";      // 【功能】

std::vector<std::string> split_tabs(const std::string& line) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    out.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return out;
    start = tab + 1;
  }
}

bool parse_number(const std::string& text, double* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return errno == 0 && end == text.c_str() + text.size();
}

bool parse_int(const std::string& text, int* value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  *value = std::atoi(text.c_str());
  return true;
}

bool has_space(const std::string& text) {
  return text.find_first_of(" \t\r\n\v\f") != std::string::npos;
}

bool parse_frame(const std::string& text, Frame* frame) {
  static const std::pair<const char*, Frame> kFrames[] = {
      {"TR", Frame::kTrunk}, {"AT", Frame::kAt}, {"FC", Frame::kFace},
      {"LN", Frame::kLine}, {"HD", Frame::kHead}, {"NL", Frame::kNail}};
  for (const auto& f : kFrames)
    if (text == f.first) {
      *frame = f.second;
      return true;
    }
  return false;
}

// "A>B/span"
bool parse_line_ref(const std::string& text, LocationRule* rule) {
  const size_t gt = text.find('>'), slash = text.find('/');
  if (gt == std::string::npos || slash == std::string::npos || slash < gt || gt == 0 ||
      slash == gt + 1)
    return false;
  rule->ref = text.substr(0, gt);
  rule->ref_to = text.substr(gt + 1, slash - gt - 1);
  return parse_number(text.substr(slash + 1), &rule->span) && rule->span > 0;
}

bool parse_face(const std::string& text, LocationRule* rule) {
  if (text == "-") {
    rule->face_normal = true;
    return true;
  }
  rule->face_normal = false;
  const size_t slash = text.find('/');
  if (slash == std::string::npos) {
    rule->pitch = 0;
    return parse_number(text, &rule->yaw);
  }
  return parse_number(text.substr(0, slash), &rule->yaw) &&
         parse_number(text.substr(slash + 1), &rule->pitch) && rule->pitch >= -90 &&
         rule->pitch <= 90;
}

bool starts_with(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

bool parse_source_line(const std::string& line, SourcePoint* point, std::string* error) {
  const std::vector<std::string> c = split_tabs(line);
  if (int(c.size()) != kColumns) {
    *error = "expected " + std::to_string(kColumns) + " tab-separated columns, found " +
             std::to_string(c.size());
    return false;
  }
  for (const std::string& column : c)
    if (column.empty() || has_space(column)) {
      *error = "empty column or whitespace inside a column";
      return false;
    }
  SourcePoint p;
  p.code = c[0];
  p.pinyin = c[1];
  p.name = c[2];
  p.meridian_name = c[4];
  p.location = c[11] == "-" ? std::string() : c[11];
  p.explanation = c[12];
  p.effects = c[13];
  // The code is the meridian's letters and the point's number in it.
  const size_t digits = p.code.find_first_of("0123456789");
  if (digits == 0 || digits == std::string::npos || !parse_int(p.code.substr(digits), &p.number) ||
      p.number < 1) {
    *error = "bad code " + p.code;
    return false;
  }
  if (!parse_int(c[3], &p.meridian) || p.meridian < 1 || p.meridian > kLastMeridian) {
    *error = "bad meridian number " + c[3];
    return false;
  }
  LocationRule& r = p.rule;
  if (!parse_frame(c[5], &r.frame)) {
    *error = "unknown frame " + c[5];
    return false;
  }
  if (r.frame == Frame::kLine) {
    if (!parse_line_ref(c[6], &r)) {
      *error = "a line needs A>B/span, not " + c[6];
      return false;
    }
  } else {
    r.ref = c[6];
  }
  if (!parse_number(c[7], &r.along) || !parse_number(c[8], &r.lat) ||
      !parse_number(c[9], &r.fwd)) {
    *error = "along, lat and fwd must be numbers";
    return false;
  }
  if (!parse_face(c[10], &r)) {
    *error = "bad face " + c[10];
    return false;
  }
  if (!starts_with(p.explanation, kExplanationLabel) || !starts_with(p.effects, kEffectsLabel) ||
      (!p.location.empty() && !starts_with(p.location, kLocationLabel))) {
    *error = "location, explanation and effects must begin with their labels";
    return false;
  }
  *point = p;
  return true;
}

bool read_source_table(const std::string& dir, std::vector<SourcePoint>* points,
                       std::string* error) {
  std::vector<std::string> files;
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tsv") == 0) files.push_back(name);
    }
    closedir(d);
  } else {
    *error = "cannot open the table folder " + dir;
    return false;
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    *error = "no .tsv files in " + dir;
    return false;
  }
  points->clear();
  for (const std::string& name : files) {
    const std::string path = dir + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      *error = "cannot read " + path;
      return false;
    }
    std::string line;
    int line_no = 0;
    while (std::getline(in, line)) {
      ++line_no;
      if (line_no == 1 || line.empty()) continue;  // header
      SourcePoint p;
      std::string why;
      if (!parse_source_line(line, &p, &why)) {
        *error = path + ":" + std::to_string(line_no) + ": " + why;
        return false;
      }
      p.where = name + ":" + std::to_string(line_no);
      points->push_back(p);
    }
  }
  return true;
}

bool check_source_table(const std::vector<SourcePoint>& points, std::string* error) {
  std::set<std::string> codes;
  int meridian = 0, expected = 0;
  std::string meridian_name;
  for (const SourcePoint& p : points) {
    const std::string at = p.where + ": " + p.code + ": ";
    if (!codes.insert(p.code).second) {
      *error = at + "code used twice";
      return false;
    }
    if (p.meridian != meridian) {
      if (p.meridian != meridian + 1) {
        *error = at + "meridians must follow each other 1.." + std::to_string(kLastMeridian) +
                 ", each in one run";
        return false;
      }
      meridian = p.meridian;
      meridian_name = p.meridian_name;
      expected = 1;
    }
    if (p.number != expected) {
      *error = at + "expected number " + std::to_string(expected);
      return false;
    }
    ++expected;
    if (p.meridian_name != meridian_name) {
      *error = at + "meridian name differs within the meridian";
      return false;
    }
    if (p.pinyin.empty() ||
        !std::all_of(p.pinyin.begin(), p.pinyin.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
      *error = at + "pinyin must be upper-case letters";
      return false;
    }
  }
  if (meridian != kLastMeridian) {
    *error = "the table ends at meridian " + std::to_string(meridian) + ", not " +
             std::to_string(kLastMeridian);
    return false;
  }
  return true;
}

bool is_front_chain(const std::string& ref) {
  return ref == "sternal_notch" || ref == "xiphoid" || ref == "navel" || ref == "pubic_symphysis";
}
