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
    // where the sound device would not open.
    void Play();
    void Stop();

    const std::string& GetPath() const { return path; }
    // Null when the file could not be read or there is no sound device.
    platform::Music* GetMusic() const { return music.get(); }

private:
    std::string path;
    std::unique_ptr<platform::Music> music;
};
