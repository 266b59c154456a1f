#include "config/settings.h"

#include "config/settings_values.h"

namespace lum {

namespace {
constexpr std::u16string_view kDefault = u"DEFAULT";
constexpr std::u16string_view kCustomize = u"CUSTOMIZE";

// "Read a key as a 16-bit integer into a setting": on failure the setting keeps its value.
void ReadInt16Into(const IniReader& ini, std::u16string_view key, int16_t& setting) {
  if (auto v = ToInt16(ini(kDefault, key))) setting = *v;
}
}  // namespace

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

void ReadFormPosition(const IniReader& ini, const StartupEnvironment& env, TrayFormControls& form) {
  int32_t top = IntOrZero(ini(kCustomize, u"TOP"));
  if (env.screenHeightTwips <= top) top = 0;
  form.top = top;
  int32_t left = IntOrZero(ini(kCustomize, u"LEFT"));
  if (env.screenWidthTwips <= left) left = 0;
  form.left = left;
}

void ReadDisplaySettings(const IniReader& ini, const StartupEnvironment& env, SharedSettings& s,
                         TrayFormControls& form) {
  int32_t animation = IntOrZero(ini(kDefault, u"ANIMATION"));
  form.chkAni.Set(animation);
  form.cmdAnimationChecked = animation != 0;

  s.textColor = IntOrZero(ini(kDefault, u"COLOR"));
  form.lblColorFore = s.textColor;

  int32_t clock = IntOrZero(ini(kDefault, u"CLOCK"));
  // Negating INT32_MIN overflows; such a value is no "shown" either way.
  s.clockFlag = clock == INT32_MIN ? 0 : -clock;
  form.chkTime.Set(clock);
  form.cmdTimerChecked = clock != 0;

  int32_t shadow = IntOrZero(ini(kDefault, u"SHADOW"));
  s.shadow = shadow != 0;
  form.chkShadow.Set(shadow);
  form.mnuShadowChecked = shadow != 0;

  s.shadowColor = IntOrZero(ini(kDefault, u"SHADOWCOLOR"));
  form.lblShadowFore = s.shadowColor;

  ReadInt16Into(ini, u"ALIGENMENT", s.alignment);
  form.optAligen.Select(s.alignment);
  if (auto v = ToInt16(ini(kDefault, u"CLOCKALIGENMENT")))
    s.clockAlignment = *v;
  else if (s.alignment >= 0 && s.alignment <= 2)
    // Never stored yet: the title's own placement is the last one other than none, so
    // choosing none later keeps the clock where the text was.
    s.clockAlignment = s.alignment;
  ReadInt16Into(ini, u"FONT", s.fontWeight);
  form.optBold.Select(s.fontWeight);

  std::u16string connect = ini(kDefault, u"CONNECT");
  s.connectMode = 0;
  if (auto v = ToInt32(connect)) s.connectMode = *v;

  int32_t format = IntOrZero(ini(kCustomize, u"CLOCK"));
  s.clockFormatIndex = format > kLastClockFormat ? 0 : format;

  std::u16string icon = ini(kDefault, u"ICON");
  s.iconOption = false;
  if (auto v = ParseNumber(icon)) s.iconOption = *v != 0;

  int16_t scroll = 0;
  if (auto v = ToInt16(ini(kDefault, u"SCROLL"))) scroll = *v;
  s.scrollMode = scroll;
  form.optVH.Select(scroll);

  switch (s.connectMode) {
    case 0:
      form.timNewsInterval = 0;
      break;
    case 1:
      form.txtNews = u"現在、ニュース購読が選択されていません";
      break;
    case 2:
      form.txtNews = u"現在、ニュース購読はローカルモードに設定されています";
      break;
    default:
      break;
  }

  if (env.channelCount < 1) {
    form.mnuNews0Visible = false;
    form.timNewsEnabled = false;
    s.noChannels = true;
    return;
  }
  form.chkNews.Set(IntOrZero(ini(kDefault, u"NEWS")));
  form.optNews.count = env.channelCount + 1;
  std::u16string channel = ini(kDefault, u"CHANNEL");
  auto index = ToInt32(channel);
  if (index && *index >= 0 && *index <= env.channelCount)
    form.optNews.Select(*index);
  else
    form.optNews.Select(0);
  form.cmbNews.assign(kNewsIntervals.begin(), kNewsIntervals.end());
  s.newsInterval = IntOrZero(ini(kDefault, u"TIMER"));
  form.cmbNewsSelected = -1;
  std::u16string wanted = ToDecimal(s.newsInterval);
  for (size_t i = 0; i < form.cmbNews.size(); ++i) {
    if (form.cmbNews[i] == wanted) {
      form.cmbNewsSelected = static_cast<int>(i);
      break;
    }
  }
}

}  // namespace lum
