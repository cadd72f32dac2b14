// The message box's markup as a server's inform file or a "404" page delivers it: the plain text
// and its bold runs (single-byte and GBK), the button captions and keys, the measured lines.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "text/MarkupText.h"
#include "text/UtilsText.h"

using namespace box;

namespace {

void check_markup(const std::string& markup, LeadByteTest is_lead) {
  const PlainText plain = TranslateMarkup(markup, is_lead);
  // Every rule replaces a pattern by a shorter text or removes it.
  check(plain.text.size() <= markup.size());
  const int length = static_cast<int>(plain.text.size());
  for (const BoldRun& run : plain.bold) check(0 <= run.start && run.start < run.end && run.end <= length);
  // Text without a tag or escape is already plain.
  if (markup.find_first_of("<\\") == std::string::npos) check(plain.text == markup && plain.bold.empty());
  // Whatever a box puts around a text translates as well.
  const PlainText boxed = TranslateMarkup(OwnerlessBoxText(markup, markup), is_lead);
  for (const BoldRun& run : boxed.bold)
    check(0 <= run.start && run.start < run.end && run.end <= int(boxed.text.size()));

  const std::vector<std::string> lines = MeasuredLines(plain.text);
  check(!lines.empty());
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    check(lines[i].find("\r\n") == std::string::npos);
    joined += (i ? "\r\n" : "") + lines[i];
  }
  check(plain.text.empty() ? joined == " " : joined == plain.text);
}

void check_buttons(FuzzedDataProvider& in) {
  const unsigned flags = in.ConsumeIntegral<unsigned>();
  const LeadByteTest is_lead = in.ConsumeBool() ? GbkLeadByte : NoLeadBytes;
  const unsigned char typed = in.ConsumeIntegral<unsigned char>();
  const std::string texts = ButtonTextsOrDefault(in.ConsumeRandomLengthString(256));
  check(!texts.empty());
  const std::vector<BoxButton> buttons = ButtonSet(flags, texts);
  check(!buttons.empty() && buttons.size() <= 3);
  for (const BoxButton& b : buttons) check(b.id >= kResultOk && b.id <= kResultNo);
  const int count = static_cast<int>(buttons.size());
  const int def = DefaultButtonIndex(flags, count);
  check(def >= 0 && def < count);
  // A key picks the first button whose caption's access key it is.
  const int hit = ButtonForKey(buttons, typed, is_lead);
  check(hit >= -1 && hit < count);
  if (hit >= 0) {
    const unsigned char key = AccessKey(buttons[std::size_t(hit)].caption, is_lead);
    const unsigned char upper = typed >= 'a' && typed <= 'z' ? typed - 'a' + 'A' : typed;
    check(key != 0 && key == upper);
  }
  // The focus never leaves the buttons.
  const int place = ArrowFocusPlace(in.ConsumeIntegralInRange(-1, count - 1), in.ConsumeBool(), count);
  check(place >= 0 && place < count);
  // With the default captions every button has a caption and a key.
  for (const BoxButton& b : ButtonSet(flags, ButtonTextsOrDefault("")))
    check(!b.caption.empty() && AccessKey(b.caption, is_lead) != 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    check_buttons(in);
    return 0;
  }
  const std::string markup = in.ConsumeRemainingBytesAsString();
  check_markup(markup, NoLeadBytes);
  check_markup(markup, GbkLeadByte);
  return 0;
}
