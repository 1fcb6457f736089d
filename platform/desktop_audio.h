// The desktop backend's audio output (an SDL2 audio device fed by the layer's mixer).
#ifndef OVDEV_DESKTOP_AUDIO_H
#define OVDEV_DESKTOP_AUDIO_H

namespace ovdev {
namespace desktop {

// Makes an SDL2 audio device the consumer of mixed output; leaves the real-time
// consumer in place when SDL has no audio.
void InstallAudioOutput();

}  // namespace desktop
}  // namespace ovdev

#endif
