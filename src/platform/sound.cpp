#include "platform/sound.h"

#include <windows.h>
#include <mmsystem.h>

namespace lum {

void PlayWaveResource(int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), L"WAVE");
  if (!resource) return;
  HGLOBAL loaded = LoadResource(module, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return;
  sndPlaySoundA(static_cast<LPCSTR>(data), SND_MEMORY | SND_NODEFAULT);
}

}  // namespace lum
