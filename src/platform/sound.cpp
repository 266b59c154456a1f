#include "platform/sound.h"

#include <windows.h>
#include <mmsystem.h>

namespace lum {

namespace {

const void* FindWave(int id) {
  // Only 1..65535 are resource numbers; anything else would be read as a name's address.
  if (id <= 0 || id > 0xFFFF) return nullptr;
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), L"WAVE");
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  return loaded ? LockResource(loaded) : nullptr;
}

}  // namespace

void PlayWaveResource(int id) {
  if (const void* data = FindWave(id)) sndPlaySoundA(static_cast<LPCSTR>(data), SND_MEMORY | SND_NODEFAULT);
}

bool PlayWaveResourceAsync(int id) {
  const void* data = FindWave(id);
  return data && sndPlaySoundA(static_cast<LPCSTR>(data), SND_ASYNC | SND_MEMORY | SND_NODEFAULT);
}

}  // namespace lum
