// The settings window's controls, by the identifiers their notifications carry.
#pragma once

namespace lum {

enum SettingsControlId : int {
  kLblPic = 1000,
  kCmdfix,
  kLblColor,
  kCmdColor,
  kLblShadow,
  kCmdShadow,
  kOptAligen0,  // .. kOptAligen0 + 3
  kOptBold0 = kOptAligen0 + 4,
  kChkShadow = kOptBold0 + 2,
  kChkTime,
  kChkAni,
  kFrmNews,
  kChkNews,
  kOptVH0,
  kSpeciaList1 = kOptVH0 + 2,
  kLabelInterval,
  kCmbNews,
  kLabelMinutes,
  kCmdNewsText,
  kFramePicture,
  kFrameColour,
  kFramePosition,
  kFrameTypeface,
};

}  // namespace lum
