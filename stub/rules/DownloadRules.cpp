#include "rules/DownloadRules.h"

#include <algorithm>

#include "text/UtilsText.h"

std::string PartFileName(const std::string& target, std::int32_t size, std::uint32_t dos_date) {
  const std::int32_t sum = std::int32_t(std::uint32_t(size) + dos_date);
  return target + "." + IntText(sum);
}

bool IsPartFileNameOf(const std::string& name, const std::string& target_name) {
  if (name.size() <= target_name.size() + 1) return false;
  if (!SameTextIC(name.substr(0, target_name.size()), target_name)) return false;
  if (name[target_name.size()] != '.') return false;
  std::string number = name.substr(target_name.size() + 1);
  if (number[0] == '-') number.erase(0, 1);
  return !number.empty() && number.size() <= 10 &&
         std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::int32_t DownloadChunkSize(std::int32_t size) {
  return std::max<std::int32_t>(1, std::min<std::int32_t>(kDownloadChunkLimit, size / 10));
}

std::int32_t NextReadSize(std::int32_t current, std::int32_t chunk, bool filled,
                          std::uint32_t elapsed_ms) {
  if (chunk < kDownloadChunkLimit) return chunk;
  if (elapsed_ms > kSlowReadMs) return std::max(chunk, current / 2);
  if (filled && elapsed_ms < kQuickReadMs) return std::min(kMaxDownloadRead, current * 2);
  return std::clamp(current, chunk, kMaxDownloadRead);
}

std::int32_t ProgressHigh(std::int32_t size, std::int32_t chunk) {
  return std::int32_t((std::int64_t(size) * 2 + chunk) / (std::int64_t(chunk) * 2)) + 1;
}

std::int32_t ProgressPosition(std::int64_t done, std::int32_t chunk) {
  return std::int32_t((done * 2 + chunk) / (std::int64_t(chunk) * 2));
}

ResumePlan PlanResume(std::int64_t part_size, std::int32_t size, bool has_last_modified) {
  ResumePlan plan;
  if (part_size < 0) return plan;
  if (part_size == 0 || part_size >= size || !has_last_modified) {
    plan.truncate_part = true;
    return plan;
  }
  plan.resume = true;
  plan.offset = part_size;
  return plan;
}

std::string ResumeHeaders(std::int64_t offset, const std::string& last_modified) {
  return "Range: bytes=" + IntText(offset) + "-\r\nIf-Range: " + last_modified + "\r\n";
}

bool RangeReplyContinues(int status, const std::string& content_range, std::int64_t offset,
                         std::int32_t size) {
  // Only the rest of a file can follow; outside it, a missing number would read as -1 and match.
  if (status != 206 || offset < 0 || offset >= size) return false;
  const std::string text = TrimText(content_range);
  if (!SameTextIC(text.substr(0, 6), "bytes ")) return false;
  const std::string range = TrimText(text.substr(6));
  const std::string first = TextBefore(range, "-"), rest = TextAfter(range, "-");
  const std::string last = TextBefore(rest, "/"), total = TextAfter(rest, "/");
  return ParseDecimal(first, -1) == offset && ParseDecimal(last, -1) == std::int64_t(size) - 1 &&
         (total == "*" || ParseDecimal(total, -1) == size);
}

std::string TransferMeter::Text(bool reset, std::int64_t total, std::int64_t done,
                                std::uint32_t chunk, std::uint32_t tick) {
  if (reset) {
    ticks_.fill(tick);
    sizes_.fill(0);
  }
  std::string text = IntText(done) + "/" + IntText(total) + " Bytes   ";
  std::rotate(ticks_.begin(), ticks_.begin() + 1, ticks_.end());
  ticks_.back() = tick;
  std::rotate(sizes_.begin(), sizes_.begin() + 1, sizes_.end());
  sizes_.back() = chunk;
  const std::uint32_t elapsed = ticks_.back() - ticks_.front();
  std::uint64_t bytes = 0;
  for (std::uint32_t s : sizes_) bytes += s;
  // A wrapped-around difference above a day is a clock that went back: no rate then.
  if (elapsed > 0 && elapsed < 86400000u) {
    text += FixedText(double(bytes) / (double(elapsed) / 1000.0) / 1024.0, 2) + " KB/Sec";
  }
  return text;
}

std::string NotFoundPageTextOf(const std::string& content, const std::string& url,
                               bool iis_hint, const std::string& default_text) {
  if (PosIC("<TITLE", content) == 0 || PosIC("</TITLE", content) == 0 || Pos("404", content) == 0)
    return default_text;
  std::string text = "<b>404 File Not Found...</b><P><P>URL:  " + url + ".";
  if (iis_hint && PosIC("IIS", content) > 0)
    text += "<P><P>If you are using an IIS webserver you must define appropriate MIME-Types.";
  return text;
}
