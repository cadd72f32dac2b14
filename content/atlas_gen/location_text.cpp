#include "atlas_gen/location_text.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "atlas_gen/gbk_convert.h"
#include "body/pi.h"

namespace {

// Landmarks of the body model in the terms of point location (anatomical facts).
const std::map<std::string, std::string>& terms() {
  static const std::map<std::string, std::string> kTerms = {
      {"achilles", "跟腱"}, {"acromion", "肩峰外侧端"}, {"adams_apple", "喉结"},
      {"ankle_front", "踝关节前横纹中点"}, {"asis", "髂前上棘"}, {"axilla", "腋窝顶点"},
      {"axillary_fold_back", "腋后纹头"}, {"axillary_fold_front", "腋前纹头"},
      {"brow_middle", "眉毛中点"}, {"c7", "第7颈椎棘突下"}, {"clavicle_medial", "锁骨内侧端"},
      {"clavicle_mid", "锁骨中点"}, {"coccyx", "尾骨"}, {"coracoid", "锁骨下窝"},
      {"cubital_crease", "肘横纹中点"}, {"cubital_crease_radial", "肘横纹桡侧端"},
      {"cubital_crease_ulnar", "肘横纹尺侧端"}, {"deltoid_insertion", "三角肌止点"},
      {"ear_apex", "耳尖"}, {"ear_front", "耳屏前"}, {"elbow_lateral", "肱骨外上髁"},
      {"elbow_medial", "肱骨内上髁"}, {"external_occipital", "枕外隆凸"},
      {"eye_inner", "目内眦"}, {"eye_outer", "目外眦"}, {"fibula_head", "腓骨头"},
      {"finger1_tip", "拇指尖"}, {"finger2_mcp", "第2掌指关节"}, {"finger2_tip", "食指尖"},
      {"finger3_tip", "中指尖"}, {"finger4_mcp", "第4掌指关节"}, {"finger4_tip", "无名指尖"},
      {"finger5_nail_ulnar", "小指指甲根尺侧"}, {"gluteal_fold", "臀横纹中点"},
      {"greater_trochanter", "股骨大转子"}, {"hairline_back", "后发际正中"},
      {"hairline_front", "前发际正中"}, {"hairline_temple", "额角发际"}, {"heel", "足跟后缘"},
      {"inguinal_mid", "腹股沟中点"}, {"jaw_muscle", "咬肌隆起"},
      {"knee_eye_lateral", "犊鼻"}, {"malleolus_lateral", "外踝尖"},
      {"malleolus_medial", "内踝尖"}, {"mandible_angle", "下颌角"}, {"mastoid", "乳突"},
      {"mouth_corner", "口角"}, {"navel", "脐中"}, {"nipple", "乳头"},
      {"olecranon", "尺骨鹰嘴"}, {"patella_base", "髌底"}, {"philtrum", "人中沟"},
      {"popliteal_crease", "腘横纹中点"}, {"pubic_symphysis", "耻骨联合上缘"},
      {"pupil", "瞳孔"}, {"radial_styloid", "桡骨茎突"},
      {"rib_free_end_11", "第11肋游离端"}, {"rib_free_end_12", "第12肋游离端"},
      {"scapula_inferior", "肩胛骨下角"}, {"scapula_spine_mid", "肩胛冈中点"},
      {"scapula_spine_root", "肩胛冈内侧端"}, {"sternal_notch", "胸骨上窝"},
      {"subnasale", "鼻中隔下缘"}, {"tibia_medial_condyle", "胫骨内侧髁下缘"},
      {"toe1_mtp", "第1跖趾关节"}, {"toe1_tip", "足大趾尖"}, {"toe2_mtp", "第2跖趾关节"},
      {"toe2_tip", "第2趾尖"}, {"toe4_mtp", "第4跖趾关节"}, {"toe4_tip", "第4趾尖"},
      {"toe5_mtp", "第5跖趾关节"}, {"toe5_tip", "小趾尖"}, {"tragus", "耳屏"},
      {"ulnar_styloid", "尺骨茎突"}, {"wrist_crease", "腕掌侧横纹中点"},
      {"wrist_crease_radial", "腕掌侧横纹桡侧端"}, {"wrist_crease_ulnar", "腕掌侧横纹尺侧端"},
      {"wrist_dorsal", "腕背侧横纹中点"}, {"zygoma", "颧骨下缘"},
      {"finger1", "拇指"}, {"finger2", "食指"}, {"finger3", "中指"}, {"finger4", "无名指"},
      {"finger5", "小指"}, {"toe1", "足大趾"}, {"toe2", "第2趾"}, {"toe3", "第3趾"},
      {"toe4", "第4趾"}, {"toe5", "小趾"},
      {"xiphoid", "剑胸结合"}, {"perineum", "会阴部"}, {"hyoid", "舌骨上缘"},
      {"mentolabial", "颏唇沟"}, {"nose_tip", "鼻尖"}, {"lip_upper", "上唇结节"},
      {"mouth_line", "口裂正中"}, {"sacral_hiatus", "骶管裂孔"},
  };
  return kTerms;
}

// Shorter or standard names of a landmark that a location text may use in place of its term
// (the standard names the distal wrist crease, the crease of the elbow as a whole ...).
const std::map<std::string, std::vector<std::string>>& aliases() {
  static const std::map<std::string, std::vector<std::string>> kAliases = {
      {"acromion", {"肩峰"}}, {"axilla", {"腋窝"}}, {"ankle_front", {"踝关节前"}},
      {"axillary_fold_back", {"腋后纹"}}, {"axillary_fold_front", {"腋前纹"}},
      {"cubital_crease", {"肘横纹"}}, {"cubital_crease_radial", {"肘横纹"}},
      {"cubital_crease_ulnar", {"肘横纹"}}, {"gluteal_fold", {"臀沟", "臀横纹"}},
      {"inguinal_mid", {"腹股沟"}}, {"popliteal_crease", {"腘横纹"}},
      {"scapula_spine_mid", {"肩胛冈"}}, {"scapula_spine_root", {"肩胛冈"}},
      {"tibia_medial_condyle", {"胫骨内侧髁"}}, {"wrist_crease", {"腕掌侧远端横纹"}},
      {"wrist_crease_radial", {"腕掌侧远端横纹"}}, {"wrist_crease_ulnar", {"腕掌侧远端横纹"}},
      {"wrist_dorsal", {"腕背侧远端横纹"}}, {"zygoma", {"颧骨"}}, {"tragus", {"耳屏"}},
      {"ear_front", {"耳屏"}}, {"mastoid", {"乳突"}}, {"hairline_back", {"后发际"}},
      {"hairline_front", {"前发际"}}, {"coracoid", {"喙突"}},
      {"finger5_nail_ulnar", {"小指"}}, {"heel", {"足跟"}}, {"brow_middle", {"眉头", "眉梢", "眉上"}},
  };
  return kAliases;
}

// Spine levels: t1..t12, l1..l5 (the hollow below the spinous process), s1..s4 (the sacral
// foramina).
bool spine_term(const std::string& name, std::string* term) {
  if (name.size() < 2 || name.size() > 3) return false;
  const std::string n = name.substr(1);
  if (n.find_first_not_of("0123456789") != std::string::npos) return false;
  const int level = std::stoi(n);
  if (name[0] == 't' && level >= 1 && level <= 12) *term = "第" + n + "胸椎棘突下";
  else if (name[0] == 'l' && level >= 1 && level <= 5) *term = "第" + n + "腰椎棘突下";
  else if (name[0] == 's' && level >= 1 && level <= 4) *term = "平第" + n + "骶后孔";
  else return false;
  return true;
}

bool term_of(const std::string& name, std::string* term, std::string* error) {
  const size_t plus = name.find('+');
  if (plus != std::string::npos) {
    std::string a, b;
    if (!term_of(name.substr(0, plus), &a, error) || !term_of(name.substr(plus + 1), &b, error))
      return false;
    *term = a + "与" + b + "的中点";
    return true;
  }
  const auto it = terms().find(name);
  if (it != terms().end()) {
    *term = it->second;
    return true;
  }
  if (spine_term(name, term)) return true;
  *error = "no Chinese term for the landmark " + name;
  return false;
}

// 1.5 -> "1.5", 3 -> "3", -0.8 -> "0.8" (the sign goes into the words).
std::string cun(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", std::abs(value));
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s + "寸";
}

// A share of a line: a simple fraction when there is one, else a decimal.
std::string share(double fraction) {
  for (int d = 2; d <= 10; ++d) {
    const int n = int(std::lround(fraction * d));
    if (n > 0 && n < d && std::abs(fraction - double(n) / d) < 0.011) {
      bool lowest = true;
      for (int k = 2; k <= n; ++k)
        if (n % k == 0 && d % k == 0) lowest = false;
      if (lowest) return std::to_string(n) + "/" + std::to_string(d);
    }
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", fraction);
  return text;
}

bool near_zero(double v) { return std::abs(v) < 1e-9; }

// "上1寸、外开0.5寸、向后0.3寸", or empty.
std::string offsets(double up, double lat, double fwd) {
  std::string out;
  auto add = [&out](const std::string& part) { out += (out.empty() ? "" : "、") + part; };
  if (!near_zero(up)) add((up > 0 ? "上" : "下") + cun(up));
  if (!near_zero(lat)) add((lat > 0 ? "外开" : "内收") + cun(lat));
  if (!near_zero(fwd)) add((fwd > 0 ? "向前" : "向后") + cun(fwd));
  return out;
}

bool sideways(const LocationRule& r) {
  return !r.face_normal && std::abs(std::sin(r.yaw * kPi / 180)) > 0.7;
}

bool trunk_words(const LocationRule& r, std::string* out, std::string* error) {
  std::string ref;
  if (!term_of(r.ref, &ref, error)) return false;
  const bool front = is_front_chain(r.ref);
  std::string level = ref;
  if (near_zero(r.along)) {
    if (front) level = "平" + ref;
  } else {
    level += (r.along > 0 ? "上" : "下") + cun(r.along);
  }
  std::string across;
  if (!near_zero(r.lat)) {
    across = (front ? "前正中线旁开" : "后正中线旁开") + cun(r.lat);
  } else if (sideways(r)) {
    across = "躯干侧面正中";
    if (!near_zero(r.fwd)) across += (r.fwd > 0 ? "向前" : "向后") + cun(r.fwd);
  } else {
    across = front ? "前正中线上" : "后正中线上";
  }
  if (!near_zero(r.fwd) && !sideways(r)) across += (r.fwd > 0 ? "，向前" : "，向后") + cun(r.fwd);
  *out = level + "，" + across;
  return true;
}

bool line_words(const LocationRule& r, std::string* out, std::string* error) {
  std::string a, b;
  if (!term_of(r.ref, &a, error) || !term_of(r.ref_to, &b, error)) return false;
  if (near_zero(r.along)) {
    *out = a + "处";
  } else if (r.span >= 3) {
    // A span of whole cun: the standard's bone-proportional measure of that part.
    *out = a + "至" + b + "作" + cun(r.span) + "，其连线上距" + a + cun(r.along);
  } else {
    *out = a + "与" + b + "连线上，距" + a + "全长的" + share(r.along / r.span) + "处";
  }
  return true;
}

bool nail_words(const LocationRule& r, std::string* out, std::string* error) {
  std::string digit;
  if (!term_of(r.ref, &digit, error)) return false;
  const bool finger = r.ref.rfind("finger", 0) == 0;
  const std::string side = finger ? (r.lat > 0 ? "桡侧" : "尺侧") : (r.lat > 0 ? "内侧" : "外侧");
  *out = digit + "末节" + side + "，距" + (finger ? "指尖" : "趾尖") + cun(r.along) + "、偏" +
         side + cun(r.lat) + "，" + (finger ? "指甲" : "趾甲") + "根角旁";
  return true;
}

// A level of the sternum in cun below the sternal notch, as the intercostal space it is level
// with (the first five).
std::string intercostal_term(const LocationRule& r) {
  static const double kLevels[] = {-2.0, -3.6, -5.2, -6.8, -8.4};
  if (r.frame != Frame::kTrunk || r.ref != "sternal_notch") return "";
  for (int i = 0; i < 5; ++i)
    if (std::abs(r.along - kLevels[i]) < 1e-9) return "第" + std::to_string(i + 1) + "肋间隙";
  return "";
}

}  // namespace

std::vector<std::string> rule_terms(const LocationRule& r) {
  std::vector<std::string> out;
  if (r.frame == Frame::kHead) return {"前发际正中", "后发际正中"};
  std::vector<std::string> names;
  for (const std::string& ref : {r.ref, r.ref_to}) {
    size_t start = 0;
    while (!ref.empty() && start <= ref.size()) {
      const size_t plus = ref.find('+', start);
      names.push_back(ref.substr(start, plus == std::string::npos ? std::string::npos : plus - start));
      if (plus == std::string::npos) break;
      start = plus + 1;
    }
  }
  for (const std::string& name : names) {
    std::string term, error;
    if (term_of(name, &term, &error)) out.push_back(term);
    // "平第2骶后孔": the foramen itself names the level too.
    if (term.rfind("平", 0) == 0) out.push_back(term.substr(std::string("平").size()));
    const auto alias = aliases().find(name);
    if (alias != aliases().end()) out.insert(out.end(), alias->second.begin(), alias->second.end());
  }
  const std::string space = intercostal_term(r);
  if (!space.empty()) out.push_back(space);
  return out;
}

std::string unnamed_landmark(const LocationRule& r, const std::string& text) {
  const std::vector<std::string> terms = rule_terms(r);
  for (const std::string& t : terms)
    if (text.find(t) != std::string::npos) return "";
  std::string wanted;
  for (const std::string& t : terms) wanted += (wanted.empty() ? "" : " / ") + t;
  return "the location names none of its rule's landmarks (" + wanted + ")";
}

bool location_text(const LocationRule& r, std::string* text, std::string* error) {
  std::string words;
  switch (r.frame) {
    case Frame::kTrunk:
      if (!trunk_words(r, &words, error)) return false;
      break;
    case Frame::kAt:
    case Frame::kFace: {
      std::string ref;
      if (!term_of(r.ref, &ref, error)) return false;
      const std::string off = offsets(r.along, r.lat, r.fwd);
      words = off.empty() ? ref + "处" : ref + off;
      break;
    }
    case Frame::kLine:
      if (!line_words(r, &words, error)) return false;
      break;
    case Frame::kHead:
      words = "前发际正中" + (near_zero(r.along) ? std::string() : "直上" + cun(r.along)) +
              (near_zero(r.lat) ? std::string("，头正中线上") : "，旁开" + cun(r.lat));
      break;
    case Frame::kNail:
      if (!nail_words(r, &words, error)) return false;
      break;
  }
  *text = "【定位】" + words + "。";
  return true;
}

bool record_texts(const SourcePoint& p, ShippedRecord* r, std::string* error) {
  std::string location = p.location;
  if (location.empty()) {
    if (!location_text(p.rule, &location, error)) return false;
  } else {
    *error = unnamed_landmark(p.rule, location);
    if (!error->empty()) return false;
  }
  const std::pair<const std::string*, std::string*> texts[] = {
      {&p.pinyin, &r->pinyin}, {&p.name, &r->name}, {&p.meridian_name, &r->meridian_name},
      {&p.effects, &r->effects}};
  for (const auto& t : texts)
    if (!utf8_to_gbk(*t.first, t.second)) {
      *error = "text not encodable in GBK: " + *t.first;
      return false;
    }
  const std::string explanation = p.explanation + location;
  if (!utf8_to_gbk(explanation, &r->explanation)) {
    *error = "text not encodable in GBK: " + explanation;
    return false;
  }
  *error = record_problem(*r);
  return error->empty();
}
