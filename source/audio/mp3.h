#pragma once

#include <memory>
#include <string>

#include "platform/music.h"

// One tune from "./mp3s/" as background music. It is read when the object is
// made; Play starts it from the beginning and it plays once to its end.
class C_Mp3 {
public:
    // Opens the sound device first if no sound has yet; a file that cannot
    // be read is reported here, and the object then plays nothing. Where the
    // device would not open, a readable file is a silent tune and nothing is
    // reported: the device's failure was, once.
    explicit C_Mp3(std::string fileName);
    // Does not stop the tune first: the owner calls Stop.
    ~C_Mp3();
    C_Mp3(const C_Mp3&) = delete;
    C_Mp3& operator=(const C_Mp3&) = delete;

    // From the beginning every time, whether playing, stopped or finished;
    // never a second playback over the first. Silent, without a report,
    // where the sound device would not open, and at a music volume of 0.
    void Play();
    // As Play, but the tune starts again at its end until stopped or another
    // tune plays; asked again while it loops, it goes on where it is. At a
    // music volume of 0 it waits silent, and starts from its beginning when
    // the volume is raised.
    void Loop();
    void Stop();

    const std::string& GetPath() const { return path; }
    // Null when the file could not be read or there is no sound device.
    platform::Music* GetMusic() const { return music.get(); }

private:
    friend void SetMusicVolume(int step);

    void StartLooping();

    std::string path;
    std::unique_ptr<platform::Music> music;
};

// The music volume, clamped to 0..10 (10 at start), with the steps of
// VolumeStepAttenuation. At 0 whatever tune plays stops; raised from 0, the
// tune last asked to loop, if still wanted, starts again.
void SetMusicVolume(int step);
int GetMusicVolume();
