// The program's embedded sounds.
#pragma once

namespace lum {

// Plays the WAVE resource `id` of the running program and waits until it ends. Without a
// sound device (or without the resource) nothing is played and nothing is reported.
void PlayWaveResource(int id);

// Starts playing the WAVE resource `id` and returns at once. The sound is played from the
// resource itself, which lives as long as the program, so nothing can free it under the player.
// False when there is no such resource or nothing could be played.
bool PlayWaveResourceAsync(int id);

}  // namespace lum
