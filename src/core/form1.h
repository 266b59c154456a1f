// The hidden tray form: start-up, the 180 ms repaint cycle and the renderer's settings.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "platform/profile.h"
#include "platform/scoped_win.h"
#include "render/caption_renderer.h"

namespace lum {

struct Form1Options {
  std::u16string programDir;
  // Names the single-instance lock; tests use their own so that they never meet a real run.
  std::u16string instanceName = u"Lumbrel.Form1.SingleInstance";
};

class Form1 {
 public:
  static constexpr UINT kTimer1Id = 1;
  static constexpr UINT kTimer1Interval = 180;

  Form1(SharedSettings& settings, Form1Options options);
  ~Form1();
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Start-up. False when another instance runs: then nothing was read or written.
  bool Form_Load();
  void Form_Unload();

  void Timer1_Timer();
  void InitialBar();
  // Rebuilds the caption picture frames from picBase.
  void PicAni();
  void chkAni_Click();
  // Adds the tray icon and hides the form.
  void Taskview();

  HWND hwnd() const { return hwnd_; }
  const Form1Controls& controls() const { return controls_; }
  CaptionRenderer& renderer() { return renderer_; }
  const ProfileFile& ini() const { return ini_; }
  int32_t frameCounter() const { return frameCounter_; }
  int32_t frameCount() const { return frameCount_; }
  void SetFrameCounter(int32_t counter) { frameCounter_ = counter; }
  // Frame k of the caption picture strip, 1..frameCount(); element 0 is the empty template.
  HBITMAP picActive(int index) const;
  // Replaces the frames; for the animation, which cuts the picture into bands.
  void SetFrames(std::vector<ScopedBitmap> frames);
  bool phase() const { return phase_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateFormWindow();
  void CreateDefaultIni() const;
  void LoadStartupPicture();
  void RegisterAsService() const;

  SharedSettings& settings_;
  Form1Options options_;
  ProfileFile ini_;
  Form1Controls controls_;
  CaptionRenderer renderer_;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  ScopedHandle instanceLock_;
  ScopedBitmap picBase_;
  std::vector<ScopedBitmap> picActive_;
  int32_t frameCounter_ = 0;
  int32_t frameCount_ = 0;
  bool phase_ = false;
  bool trayAdded_ = false;
  bool timer1Enabled_ = false;
};

}  // namespace lum
