// The program's shared settings and the hidden controls of the tray form that mirror them,
// and the reading of both from LUM.ini at start-up. No window handles here: the Win32 side
// supplies a reader over the real file.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lum {

inline constexpr char16_t kIniName[] = u"LUM.ini";
inline constexpr int kIniBufferSize = 128;
inline constexpr int kLastClockFormat = 114;

// Settings every part of the program reads; filled at start-up, then changed by commands.
struct SharedSettings {
  int32_t textColor = 0;       // 0x00BBGGRR
  int32_t clockFlag = 0;       // minus [DEFAULT] CLOCK: the clock is drawn only when this is -1
  bool shadow = false;
  int32_t shadowColor = 0;
  int16_t alignment = 0;       // 0 left, 1 right, 2 centre, 3 none
  int32_t clockAlignment = 0;  // placement of the clock when the alignment is none
  int16_t fontWeight = 0;      // 0 normal, 1 bold
  int32_t connectMode = 0;     // 0 none, 1 online, 2 local
  int32_t clockFormatIndex = 0;
  bool iconOption = false;
  int32_t scrollMode = 0;      // 0 vertical, 1 horizontal
  int32_t newsInterval = 0;    // minutes
  int32_t captionButtonHeight = 0;
  bool startingUp = false;
  bool noChannels = false;
  std::array<uint32_t, 16> customColors{};  // the colour dialog's custom colours, kept for the run
};

// A check box holds 0, 1 or 2; setting anything else fails and leaves it as it was.
struct CheckBox {
  int16_t value = 0;
  bool Set(int64_t v) {
    if (v < 0 || v > 2) return false;
    value = static_cast<int16_t>(v);
    return true;
  }
};

// An option-button array: selecting an index that does not exist fails and changes nothing.
struct OptionGroup {
  int count = 0;
  int selected = -1;
  bool Select(int64_t index) {
    if (index < 0 || index >= count) return false;
    selected = static_cast<int>(index);
    return true;
  }
};

// The hidden controls of the tray form, kept as plain state.
struct TrayFormControls {
  int32_t top = 0;   // twips
  int32_t left = 0;  // twips
  std::u16string lblPic;
  CheckBox chkAni;
  bool cmdAnimationChecked = false;
  int32_t lblColorFore = 0;
  CheckBox chkTime;
  bool cmdTimerChecked = false;
  CheckBox chkShadow;
  bool mnuShadowChecked = false;
  int32_t lblShadowFore = 0;
  std::array<bool, 4> aligenMarks{};  // LeftAli, RightAli, CenterAli, NoCaption
  std::array<bool, 2> boldMarks{};    // NormalFont, BoldFont
  bool lblColorBold = false;
  OptionGroup optAligen{4};
  OptionGroup optBold{2};
  OptionGroup optVH{2};
  OptionGroup optNews{1};  // grows with the channels
  CheckBox chkNews;
  std::u16string txtNews;
  bool timNewsEnabled = true;
  int32_t timNewsInterval = 200;
  bool mnuNews0Visible = true;
  std::vector<std::u16string> cmbNews;
  int cmbNewsSelected = -1;
};

// The news intervals, in minutes, that the tray form and the settings window offer.
inline constexpr std::array<std::u16string_view, 5> kNewsIntervals = {u"3", u"5", u"10", u"15", u"30"};

// Reads one key as text (the value cut at 127 characters; missing reads as empty).
using IniReader = std::function<std::u16string(std::u16string_view section, std::u16string_view key)>;

struct StartupEnvironment {
  int32_t screenWidthTwips = 0;
  int32_t screenHeightTwips = 0;
  int channelCount = 0;  // upper bound of the channel table; 0 when there is none
};

// The default LUM.ini, written on the first run; every line ends with CR LF.
std::u16string DefaultIniText(std::u16string_view programDir);

// The form's position: [CUSTOMIZE] TOP and LEFT, reset to 0 when off the screen.
void ReadFormPosition(const IniReader& ini, const StartupEnvironment& env, TrayFormControls& form);

// Everything start-up reads after the picture: animation, colours, clock, shadow,
// alignment, weight, news mode, clock format, icon option, ticker direction and the channels.
void ReadDisplaySettings(const IniReader& ini, const StartupEnvironment& env, SharedSettings& settings,
                         TrayFormControls& form);

}  // namespace lum
