// The program's embedded sounds.
#pragma once

namespace lum {

// Plays the WAVE resource `id` of the running program and waits until it ends. Without a
// sound device (or without the resource) nothing is played and nothing is reported.
void PlayWaveResource(int id);

}  // namespace lum
