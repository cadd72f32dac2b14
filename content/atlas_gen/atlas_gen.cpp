// atlas_gen TABLE_DIR HELP_FILE OUT_DIR
// Reads the acupoint table and the help lines (UTF-8), puts every acupoint on the body model,
// chooses the search view that shows it, and writes dm.tz, ptab.tz and help.tz (GBK) to OUT_DIR.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "atlas_gen/gbk_convert.h"
#include "atlas_gen/location_text.h"
#include "atlas_gen/placement.h"
#include "atlas_gen/ptab_format.h"
#include "atlas_gen/source_table.h"
#include "body/body.h"

namespace {

class File {
 public:
  File(const std::string& path, const char* mode) : f(std::fopen(path.c_str(), mode)) {}
  ~File() {
    if (f) std::fclose(f);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool write_all(const std::string& bytes) {
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) return false;
    const bool closed = std::fclose(f) == 0;
    f = nullptr;
    return closed;
  }

 private:
  FILE* f;
};

bool write_file(const std::string& path, const std::string& bytes) {
  File file(path, "wb");
  if (file.write_all(bytes)) return true;
  std::fprintf(stderr, "atlas_gen: cannot write %s\n", path.c_str());
  return false;
}

bool to_gbk(const std::string& utf8, const std::string& where, std::string* gbk) {
  if (utf8_to_gbk(utf8, gbk)) return true;
  std::fprintf(stderr, "atlas_gen: %s: text not encodable in GBK: %s\n", where.c_str(),
               utf8.c_str());
  return false;
}

bool read_help_lines(const std::string& path, std::vector<std::string>* gbk_lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "atlas_gen: cannot read %s\n", path.c_str());
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::string gbk;
    if (!to_gbk(line, path, &gbk)) return false;
    if (gbk.find_first_of(" \t\r\v\f") != std::string::npos || gbk.size() >= kLongCapacity) {
      std::fprintf(stderr, "atlas_gen: %s: a help line holds whitespace or is too long\n",
                   path.c_str());
      return false;
    }
    gbk_lines->push_back(gbk);
  }
  return true;
}

bool make_record(const Body& body, const SourcePoint& p, ShippedRecord* r, bool* seen) {
  PlacedPoint placed;
  std::string error;
  if (!place_point(body, p.rule, &placed, &error)) {
    std::fprintf(stderr, "atlas_gen: %s %s: %s\n", p.where.c_str(), p.code.c_str(),
                 error.c_str());
    return false;
  }
  if (placed.fell_back)
    std::fprintf(stderr, "atlas_gen: %s %s: no skin along the rule's direction; nearest skin taken\n",
                 p.where.c_str(), p.code.c_str());
  const SearchView view = choose_view(body, placed, view_scale_for(p.rule), seen);
  r->x = float(placed.point.x);
  r->y = float(placed.point.y);
  r->z = float(placed.point.z);
  r->view_tx = view.tx;
  r->view_ty = view.ty;
  r->view_scale = view.scale;
  r->view_rot_x = view.rot_x;
  r->view_rot_y = view.rot_y;
  r->number = p.number;
  r->meridian = p.meridian;
  const std::string at = p.where + " " + p.code;
  if (!record_texts(p, r, &error)) {
    std::fprintf(stderr, "atlas_gen: %s: %s\n", at.c_str(), error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: atlas_gen TABLE_DIR HELP_FILE OUT_DIR\n");
    return 2;
  }
  const std::string table_dir = argv[1], help_file = argv[2], out_dir = argv[3];

  std::vector<SourcePoint> points;
  std::string error;
  if (!read_source_table(table_dir, &points, &error) || !check_source_table(points, &error)) {
    std::fprintf(stderr, "atlas_gen: %s\n", error.c_str());
    return 1;
  }
  std::vector<std::string> help;
  if (!read_help_lines(help_file, &help)) return 1;

  const Body body = build_body();
  std::vector<ShippedRecord> records(points.size());
  int unseen = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    bool seen = false;
    if (!make_record(body, points[i], &records[i], &seen)) return 1;
    if (!seen) {
      ++unseen;
      std::fprintf(stderr, "atlas_gen: %s %s: no direction sees the point; looking along its normal\n",
                   points[i].where.c_str(), points[i].code.c_str());
    }
  }

  if (!write_file(out_dir + "/dm.tz", format_count(int(records.size()))) ||
      !write_file(out_dir + "/ptab.tz", format_table(records)) ||
      !write_file(out_dir + "/help.tz", format_help(help)))
    return 1;
  std::printf("atlas_gen: %zu acupoints (%d without a clear view), %zu help lines in %s\n",
              records.size(), unseen, help.size(), out_dir.c_str());
  return 0;
}
