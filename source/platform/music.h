#pragma once

#include <memory>
#include <string>

namespace platform {

// One tune on the mixer's music channel, which plays beside the sound
// buffers' channels. The device has one music channel: playing a tune
// replaces whatever tune was playing. Once the device that opened a tune is
// closed, every call does nothing.
class Music {
public:
    // Reads the whole file now; null, with the reason in `error`, when the
    // sound device is closed or the file cannot be read as music.
    static std::unique_ptr<Music> Open(const std::string& path, std::string* error);
    ~Music();
    Music(const Music&) = delete;
    Music& operator=(const Music&) = delete;

    // Plays once from the beginning, whether playing, stopped or finished;
    // false when the device is gone or refuses.
    bool Play();
    // As Play, but at its end the tune starts again from its first sample,
    // without a gap, until it is stopped or another tune plays.
    bool PlayLooping();
    // Stops this tune if it is the one playing.
    void Stop();
    bool IsPlaying() const;
    // Seconds from the beginning of the tune; negative when unknown.
    double Position() const;
    // How many times Play started the tune.
    int PlayCount() const { return plays; }

    // The decoder behind a tune; only the platform layer sees inside.
    struct Impl;

private:
    explicit Music(std::unique_ptr<Impl> impl);
    bool Live() const;
    // `loops` as the mixer counts them: 0 once, -1 for ever.
    bool Start(int loops);

    std::unique_ptr<Impl> impl;
    int plays = 0;
};

// Whether any tune is playing on the music channel.
bool MusicPlaying();

// The music channel's loudness as an attenuation in hundredths of a decibel,
// the waves' law (0 full, clamped to -10000..0); kept across devices and
// applied to every tune from now on, the one playing too.
void SetMusicAttenuation(int hundredthsOfDecibel);
// The music channel's linear volume on the mixer (0 to 128).
int MusicMixerVolume();
// Stops whichever tune is playing.
void StopMusic();

// Frees every open tune's decoder; the sound device calls it before it closes.
void CloseAllMusic();

}  // namespace platform
