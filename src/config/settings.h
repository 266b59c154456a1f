// The program's settings: every key of LUM.ini as one value, read from the file in one place
// with its checks, and the store that holds the program's copy, writes each change at once and
// counts the changes. No window handles here: the Win32 side supplies a reader and a writer
// over the real file.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lum {

inline constexpr char16_t kIniName[] = u"LUM.ini";
inline constexpr int kIniBufferSize = 128;
inline constexpr int kLastClockFormat = 114;

// A check box holds 0, 1 or 2; a stored number outside that shows as 0.
inline int16_t CheckBoxValue(int64_t stored) { return stored >= 0 && stored <= 2 ? static_cast<int16_t>(stored) : 0; }

// The news intervals, in minutes, that the tray form and the settings window offer.
inline constexpr std::array<std::u16string_view, 5> kNewsIntervals = {u"3", u"5", u"10", u"15", u"30"};
// The offered interval of `minutes`, or -1 when it is none of them.
int NewsIntervalIndex(int32_t minutes);

// Every key of LUM.ini the program reads or writes. Numbers are as they were read (a key that
// is no number of its width keeps the default); what the controls show of them is derived by
// the member functions, so each rule lives here once.
struct Settings {
  // [DEFAULT]
  std::u16string picture;      // PICTURE
  int32_t animation = 0;       // ANIMATION: the menu mark is on for any non-zero number
  int32_t textColor = 0;       // COLOR, 0x00BBGGRR
  int32_t clock = 0;           // CLOCK: the check box and the menu mark
  int32_t clockFlag = 0;       // the clock is drawn only when this is -1 (minus CLOCK as read)
  int32_t shadow = 0;          // SHADOW: the outline is drawn for any non-zero number
  int32_t shadowColor = 0;     // SHADOWCOLOR
  int16_t alignment = 0;       // ALIGENMENT: 0 left, 1 right, 2 centre, 3 none
  int32_t clockAlignment = 0;  // CLOCKALIGENMENT: the clock's placement when the alignment is none
  int16_t fontWeight = 0;      // FONT: 0 normal, 1 bold
  int32_t connectMode = 0;     // CONNECT: 0 none, 1 online, 2 local
  bool iconOption = false;     // ICON
  int16_t scrollMode = 0;      // SCROLL: 0 vertical, 1 horizontal
  int32_t news = 0;            // NEWS: read only where there are channels
  int32_t channel = 0;         // CHANNEL: 0 (none) up to the number of channels
  int32_t newsInterval = 0;    // TIMER, minutes
  bool firstRunDone = false;   // FIRST
  std::u16string overlay;      // OVERLAY, as ChooseCaptionMode takes it
  // [CUSTOMIZE]
  int32_t top = 0, left = 0;     // TOP and LEFT: the settings window's place, in twips
  int32_t clockFormatIndex = 0;  // CLOCK
  bool offerGif = false;         // DIRECT

  int16_t animationCheck() const { return CheckBoxValue(animation); }
  int16_t clockCheck() const { return CheckBoxValue(clock); }
  int16_t shadowCheck() const { return CheckBoxValue(shadow); }
  int16_t newsCheck() const { return CheckBoxValue(news); }
  bool clockShown() const { return clockFlag == -1; }
  bool outline() const { return shadow != 0; }
  bool newsOn() const { return newsCheck() == 1; }
  // The option button each group shows selected, -1 for none.
  int alignmentOption() const { return alignment >= 0 && alignment <= 3 ? alignment : -1; }
  int fontOption() const { return fontWeight >= 0 && fontWeight <= 1 ? fontWeight : -1; }
  int scrollOption() const { return scrollMode >= 0 && scrollMode <= 1 ? scrollMode : -1; }
};

// What the caption shows of the settings: the renderer takes it whole when the settings change.
struct CaptionStyle {
  int32_t textColor = 0;
  int32_t alignment = 0;
  bool bold = false;
  bool clockShown = false;
  int32_t clockFormatIndex = 0;
  int32_t clockAlignment = 0;
  bool outline = false;
  int32_t outlineColor = 0;
  bool ownIcon = false;
  bool horizontalTicker = false;
  bool newsOn = false;
  bool operator==(const CaptionStyle&) const = default;
};
CaptionStyle CaptionStyleOf(const Settings& settings);

// Reads one key as text (the value cut at 127 characters; missing reads as empty).
using IniReader = std::function<std::u16string(std::u16string_view section, std::u16string_view key)>;
// Replaces or adds one key; a failed write is not reported.
using IniWriter = std::function<void(std::u16string_view section, std::u16string_view key, std::u16string_view value)>;

struct StartupEnvironment {
  int32_t screenWidthTwips = 0;
  int32_t screenHeightTwips = 0;
  int channelCount = 0;  // upper bound of the channel table; 0 when there is none
};

// The default LUM.ini, written on the first run; every line ends with CR LF.
std::u16string DefaultIniText(std::u16string_view programDir);

// The one reading of LUM.ini. TOP and LEFT at or past the screen's far edge read as 0; the
// news keys are read only where there are channels.
Settings ReadSettings(const IniReader& ini, const StartupEnvironment& env);

// The program's settings. Read once at start; every change goes through a setter, which checks
// the value, writes its key at once and counts a change, so that whoever shows the settings
// can tell by the generation that something changed. Setters that refuse a value change
// nothing and return false.
class SettingsStore {
 public:
  void Load(const IniReader& read, IniWriter write, const StartupEnvironment& env);
  const Settings& values() const { return values_; }
  // Counts the changes; read from any thread.
  uint32_t generation() const { return generation_.load(std::memory_order_acquire); }
  const std::atomic<uint32_t>& generationCounter() const { return generation_; }

  bool SetAnimation(int64_t value);  // 0..2
  void SetTextColor(int32_t color);
  bool SetClock(int64_t value);  // 0..2; the clock shows for any but 0
  bool SetShadow(int64_t value);  // 0..2
  void SetShadowColor(int32_t color);
  // 0..3; choosing none keeps the clock where the text was, and stores that place too.
  bool SetAlignment(int64_t index);
  bool SetFontWeight(int64_t index);  // 0..1
  bool SetScrollMode(int64_t index);  // 0..1
  bool SetNews(int64_t value);        // 0..2
  void SetChannel(int32_t index);
  void SetNewsInterval(int32_t minutes);
  void SetPicture(const std::u16string& path);
  bool SetClockFormat(int32_t index);  // up to kLastClockFormat
  void SetPosition(int32_t top, int32_t left);
  void SetFirstRunDone();

 private:
  void Changed() { generation_.fetch_add(1, std::memory_order_acq_rel); }
  void SetNumber(int32_t& field, int32_t value, std::u16string_view key);  // any [DEFAULT] number
  // A [DEFAULT] number from 0 to `high`.
  template <typename T>
  bool SetInRange(T& field, int64_t value, int64_t high, std::u16string_view key);
  void Write(std::u16string_view section, std::u16string_view key, int64_t value) const;
  void Write(std::u16string_view section, std::u16string_view key, std::u16string_view value) const;

  Settings values_;
  IniWriter write_;
  std::atomic<uint32_t> generation_{0};
};

}  // namespace lum
