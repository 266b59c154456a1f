#include "settings/command_table.h"

#include "settings/settings_controls.h"
#include "settings/settings_menu.h"

namespace lum {

namespace {

using D = SettingsControlId;
// The channel entries: kMnuNewsFirst itself is the template, channel n is kMnuNewsFirst + n.
constexpr int kMaxChannels = 99;

constexpr CommandRow kRows[] = {
    {Command::kPicture, kCmdBar, D::kCmdfix, 1, u"PICTURE", Opens::kPictureFile},
    {Command::kTextColour, kCmdC, D::kCmdColor, 1, u"COLOR", Opens::kColourDialog},
    {Command::kShadowColour, kCmdS, D::kCmdShadow, 1, u"SHADOWCOLOR", Opens::kColourDialog},
    {Command::kFontWeight, kNormalFont, D::kOptBold0, 2, u"FONT", Opens::kNothing},
    {Command::kOutline, kMnuShadow, D::kChkShadow, 1, u"SHADOW", Opens::kNothing},
    {Command::kAlignment, kLeftAli, D::kOptAligen0, 4, u"ALIGENMENT", Opens::kNothing},
    {Command::kClock, kCmdTimer, D::kChkTime, 1, u"CLOCK", Opens::kNothing},
    {Command::kAnimation, kCmdAnimation, D::kChkAni, 1, u"ANIMATION", Opens::kNothing},
    {Command::kScroll, kVscroll, D::kOptVH0, 2, u"SCROLL", Opens::kNothing},
    {Command::kNews, 0, D::kChkNews, 1, u"NEWS", Opens::kNothing},
    {Command::kNewsInterval, 0, D::kCmbNews, 1, u"TIMER", Opens::kNothing},
    {Command::kChannel, kMnuNewsFirst + 1, 0, kMaxChannels, u"CHANNEL", Opens::kNothing},
    {Command::kClockWindow, kMnuClock, 0, 1, nullptr, Opens::kClockWindow},
    {Command::kNewsWindow, kMnuNewsText, D::kCmdNewsText, 1, nullptr, Opens::kNewsWindow},
    {Command::kChannelSetup, kMnuCsetup, 0, 1, nullptr, Opens::kChannelFile},
    {Command::kHelp, kMnuHelp, 0, 1, nullptr, Opens::kHelp},
    {Command::kAbout, kCmdAbout, 0, 1, nullptr, Opens::kAboutBox},
    {Command::kQuit, kCmdQuit, 0, 1, nullptr, Opens::kNothing},
};

}  // namespace

std::optional<CommandCall> FindCommand(UINT id) {
  for (const CommandRow& row : kRows) {
    if (row.menuId && id >= row.menuId && id < row.menuId + static_cast<UINT>(row.count))
      return CommandCall{&row, static_cast<int>(id - row.menuId) + (row.command == Command::kChannel ? 1 : 0)};
    if (row.controlId && id >= static_cast<UINT>(row.controlId) &&
        id < static_cast<UINT>(row.controlId + row.count))
      return CommandCall{&row, static_cast<int>(id) - row.controlId};
  }
  return std::nullopt;
}

const CommandRow* CommandRows(size_t* count) {
  *count = sizeof kRows / sizeof kRows[0];
  return kRows;
}

}  // namespace lum
