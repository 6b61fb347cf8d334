#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The format every sound buffer holds and the device plays: signed 16-bit
// stereo frames, left sample first, at 44 100 frames per second.
constexpr int kSoundRate = 44100;
constexpr int kSoundChannels = 2;
constexpr int kSoundBits = 16;

// The one playback device. Sound buffers play only while it is open.
class SoundDevice {
public:
    SoundDevice() = default;
    // Closes the device if it is open.
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // Opens the default playback device in the fixed format; false if the
    // platform has no sound or another device is already open.
    bool Open();
    bool IsOpen() const { return open; }
    // The reason the last failing call gave.
    const std::string& LastError() const { return lastError; }

private:
    bool open = false;
    std::string lastError;
};

// While `refuse` holds, every Open fails as on a machine without sound, so
// tests can show what the game does there; false restores the real device.
void SetSoundDeviceRefused(bool refuse);

// A static sound in the device format with a mixer channel of its own, so a
// replay restarts it. Once its device is closed every call does nothing.
class SoundBuffer {
public:
    // The lowest and highest volume the buffer accepts, in hundredths of a
    // decibel of attenuation.
    static constexpr int kVolumeMin = -10000;
    static constexpr int kVolumeMax = 0;

    // A buffer holding `samples` (interleaved left, right); null when the
    // device is closed, the samples are fewer than one frame or every channel
    // is taken.
    static std::unique_ptr<SoundBuffer> Create(SoundDevice& device, std::vector<int16_t> samples);
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // Refuses (false) a volume outside kVolumeMin..kVolumeMax and keeps the
    // previous one.
    bool SetVolume(int hundredthsOfDecibel);
    int GetVolume() const { return volume; }
    // Makes the next Play start from the first frame.
    bool Rewind();
    // Plays once from the current position; false if the device is closed.
    bool Play();
    void Stop();
    bool IsPlaying() const;
    // How many times Play started the sound.
    int PlayCount() const { return plays; }
    // The samples held, interleaved left and right.
    const std::vector<int16_t>& Samples() const { return samples; }

private:
    struct Impl;
    SoundBuffer(std::vector<int16_t> samples, std::unique_ptr<Impl> impl);
    bool Live() const;

    std::vector<int16_t> samples;
    std::unique_ptr<Impl> impl;
    int volume = 0;
    int plays = 0;
};

// The mixer's linear volume (0 to 128) for an attenuation in hundredths of a
// decibel: 0 is full volume, every -2000 divides the amplitude by ten.
int MixerVolume(int hundredthsOfDecibel);

// Stops every sound buffer of the open device; nothing without one.
void StopAllSounds();

}  // namespace platform
