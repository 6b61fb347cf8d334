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

    std::unique_ptr<Impl> impl;
    int plays = 0;
};

// Whether any tune is playing on the music channel.
bool MusicPlaying();

// Frees every open tune's decoder; the sound device calls it before it closes.
void CloseAllMusic();

}  // namespace platform
