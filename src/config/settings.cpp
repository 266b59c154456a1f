#include "config/settings.h"

#include "config/settings_values.h"

namespace lum {

namespace {
constexpr std::u16string_view kDefault = u"DEFAULT";
constexpr std::u16string_view kCustomize = u"CUSTOMIZE";
}  // namespace

int NewsIntervalIndex(int32_t minutes) {
  const std::u16string wanted = ToDecimal(minutes);
  for (size_t i = 0; i < kNewsIntervals.size(); ++i)
    if (kNewsIntervals[i] == wanted) return static_cast<int>(i);
  return -1;
}

CaptionStyle CaptionStyleOf(const Settings& s) {
  CaptionStyle style;
  style.textColor = s.textColor;
  style.alignment = s.alignment;
  style.bold = s.fontWeight != 0;
  style.clockShown = s.clockShown();
  style.clockFormatIndex = s.clockFormatIndex;
  style.clockAlignment = s.clockAlignment;
  style.outline = s.outline();
  style.outlineColor = s.shadowColor;
  style.ownIcon = s.iconOption;
  style.horizontalTicker = s.scrollMode == 1;
  style.newsOn = s.newsOn();
  return style;
}

std::u16string DefaultIniText(std::u16string_view programDir) {
  std::u16string text;
  auto line = [&text](std::u16string_view s) {
    text += s;
    text += u"\r\n";
  };
  line(u"[DEFAULT]");
  line(u"PICTURE=" + std::u16string(programDir) + u"\\Lum1.bmp");
  line(u"COLOR=16777215");
  line(u"ALIGENMENT=1");
  line(u"FONT=1");
  line(u";;TIMERは1が表示、0が非表示");
  line(u"TIMER=1");
  line(u"ANIMATION=1");
  line(u"NEWS=0");
  line(u"CONNECT=0");
  line(u"");
  line(u"[CUSTOMIZE]");
  line(u"TOP=1");
  line(u"LEFT=0");
  return text;
}

Settings ReadSettings(const IniReader& ini, const StartupEnvironment& env) {
  Settings s;
  auto number = [&](std::u16string_view section, std::u16string_view key) { return IntOrZero(ini(section, key)); };
  s.picture = ini(kDefault, u"PICTURE");
  s.animation = number(kDefault, u"ANIMATION");
  s.textColor = number(kDefault, u"COLOR");
  s.clock = number(kDefault, u"CLOCK");
  // Negating INT32_MIN overflows; such a value is no "shown" either way.
  s.clockFlag = s.clock == INT32_MIN ? 0 : -s.clock;
  s.shadow = number(kDefault, u"SHADOW");
  s.shadowColor = number(kDefault, u"SHADOWCOLOR");
  // A number that does not fit 16 bits leaves the default.
  if (auto v = ToInt16(ini(kDefault, u"ALIGENMENT"))) s.alignment = *v;
  if (auto v = ToInt16(ini(kDefault, u"CLOCKALIGENMENT")))
    s.clockAlignment = *v;
  else if (s.alignment >= 0 && s.alignment <= 2)
    // Never stored yet: the title's own placement is the last one other than none, so
    // choosing none later keeps the clock where the text was.
    s.clockAlignment = s.alignment;
  if (auto v = ToInt16(ini(kDefault, u"FONT"))) s.fontWeight = *v;
  if (auto v = ToInt32(ini(kDefault, u"CONNECT"))) s.connectMode = *v;
  if (auto v = ParseNumber(ini(kDefault, u"ICON"))) s.iconOption = *v != 0;
  if (auto v = ToInt16(ini(kDefault, u"SCROLL"))) s.scrollMode = *v;
  s.firstRunDone = !ini(kDefault, u"FIRST").empty();
  s.overlay = ini(kDefault, u"OVERLAY");

  s.top = number(kCustomize, u"TOP");
  if (env.screenHeightTwips <= s.top) s.top = 0;
  s.left = number(kCustomize, u"LEFT");
  if (env.screenWidthTwips <= s.left) s.left = 0;
  const int32_t format = number(kCustomize, u"CLOCK");
  s.clockFormatIndex = format > kLastClockFormat ? 0 : format;
  s.offerGif = ini(kCustomize, u"DIRECT") == u"1";

  if (env.channelCount >= 1) {
    s.news = number(kDefault, u"NEWS");
    auto index = ToInt32(ini(kDefault, u"CHANNEL"));
    s.channel = index && *index >= 0 && *index <= env.channelCount ? *index : 0;
    s.newsInterval = number(kDefault, u"TIMER");
  }
  return s;
}

void SettingsStore::Load(const IniReader& read, IniWriter write, const StartupEnvironment& env) {
  values_ = ReadSettings(read, env);
  write_ = std::move(write);
  Changed();
}

void SettingsStore::Write(std::u16string_view section, std::u16string_view key, int64_t value) const {
  Write(section, key, ToDecimal(value));
}

void SettingsStore::Write(std::u16string_view section, std::u16string_view key, std::u16string_view value) const {
  if (write_) write_(section, key, value);
}

template <typename T>
bool SettingsStore::SetInRange(T& field, int64_t value, int64_t high, std::u16string_view key) {
  if (value < 0 || value > high) return false;
  field = static_cast<T>(value);
  Write(kDefault, key, value);
  Changed();
  return true;
}

void SettingsStore::SetNumber(int32_t& field, int32_t value, std::u16string_view key) {
  field = value;
  Write(kDefault, key, value);
  Changed();
}

bool SettingsStore::SetAnimation(int64_t value) { return SetInRange(values_.animation, value, 2, u"ANIMATION"); }

void SettingsStore::SetTextColor(int32_t color) { SetNumber(values_.textColor, color, u"COLOR"); }

bool SettingsStore::SetClock(int64_t value) {
  if (value >= 0 && value <= 2) values_.clockFlag = value != 0 ? -1 : 0;
  return SetInRange(values_.clock, value, 2, u"CLOCK");
}

bool SettingsStore::SetShadow(int64_t value) { return SetInRange(values_.shadow, value, 2, u"SHADOW"); }

void SettingsStore::SetShadowColor(int32_t color) { SetNumber(values_.shadowColor, color, u"SHADOWCOLOR"); }

bool SettingsStore::SetAlignment(int64_t index) {
  if (!SetInRange(values_.alignment, index, 3, u"ALIGENMENT")) return false;
  if (index != 3) values_.clockAlignment = static_cast<int32_t>(index);
  // With no caption text the clock keeps the last placement it had.
  if (index == 3) Write(kDefault, u"CLOCKALIGENMENT", values_.clockAlignment);
  return true;
}

bool SettingsStore::SetFontWeight(int64_t index) { return SetInRange(values_.fontWeight, index, 1, u"FONT"); }

bool SettingsStore::SetScrollMode(int64_t index) { return SetInRange(values_.scrollMode, index, 1, u"SCROLL"); }

bool SettingsStore::SetNews(int64_t value) { return SetInRange(values_.news, value, 2, u"NEWS"); }

void SettingsStore::SetChannel(int32_t index) { SetNumber(values_.channel, index, u"CHANNEL"); }

void SettingsStore::SetNewsInterval(int32_t minutes) { SetNumber(values_.newsInterval, minutes, u"TIMER"); }

void SettingsStore::SetPicture(const std::u16string& path) {
  values_.picture = path;
  Write(kDefault, u"PICTURE", path);
  Changed();
}

bool SettingsStore::SetClockFormat(int32_t index) {
  // As it is read: past the last format is none of them.
  if (index > kLastClockFormat) return false;
  values_.clockFormatIndex = index;
  Write(kCustomize, u"CLOCK", index);
  Changed();
  return true;
}

void SettingsStore::SetPosition(int32_t top, int32_t left) {
  values_.top = top;
  values_.left = left;
  Write(kCustomize, u"TOP", top);
  Write(kCustomize, u"LEFT", left);
  Changed();
}

void SettingsStore::SetFirstRunDone() {
  values_.firstRunDone = true;
  Write(kDefault, u"FIRST", u"1");
  Changed();
}

}  // namespace lum
