#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "audio/mp3.h"
#include "audio/wave.h"
#include "platform/audio.h"
#include "platform/music.h"
#include "support/screentest.h"
#include "support/sessionrecorder.h"
#include "support/wavefiles.h"

namespace {

using Mp3Test = ScreenTest;

// Waits, up to a generous limit, until the tune has played past `seconds`.
bool PlayedPast(const platform::Music& music, double seconds) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (music.Position() <= seconds) {
        if (std::chrono::steady_clock::now() > limit) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TEST_F(Mp3Test, PlayStartsFromTheBeginningEveryTimeAndNeverTwiceOver) {
    C_Mp3 tune("night_pipes.mp3");
    ASSERT_TRUE(Prompts().reports.empty()) << Prompts().reports.front().text;
    EXPECT_EQ(tune.GetPath(), "./mp3s/night_pipes.mp3");
    platform::Music* music = tune.GetMusic();
    ASSERT_NE(music, nullptr);
    tune.Stop();  // idle: nothing to stop, nothing reported
    EXPECT_FALSE(music->IsPlaying());
    tune.Play();
    ASSERT_TRUE(music->IsPlaying());
    ASSERT_TRUE(PlayedPast(*music, 0.3));
    tune.Play();
    EXPECT_LT(music->Position(), 0.3);
    EXPECT_TRUE(music->IsPlaying());
    EXPECT_EQ(music->PlayCount(), 2);
    tune.Stop();
    EXPECT_FALSE(platform::MusicPlaying());
    tune.Play();  // after a stop, from the beginning again
    EXPECT_TRUE(music->IsPlaying());
    EXPECT_LT(music->Position(), 0.3);
    tune.Stop();
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(Mp3Test, ALoopingTuneStartsAgainAtItsEndAndOnePlayedOnceStops) {
    // A quarter-second tune: the mixer plays WAV files as music too.
    if (!g_pDirectSound) {
        InitDirectSound();
    }
    ScratchDirectory scratch;
    WaveLayout layout;
    layout.samples = StereoRamp(11025);
    scratch.WriteWave("short.wav", BuildWave(layout));
    std::string reason;
    const std::unique_ptr<platform::Music> tune = platform::Music::Open("wavs/short.wav", &reason);
    ASSERT_NE(tune, nullptr) << reason;

    ASSERT_TRUE(tune->PlayLooping());
    double furthest = 0.0;
    EXPECT_TRUE(WaitFor([&] {
        const double now = tune->Position();
        furthest = std::max(furthest, now);
        return now < furthest - 0.1;  // back near the beginning
    }));
    EXPECT_TRUE(tune->IsPlaying());

    ASSERT_TRUE(tune->Play());
    EXPECT_TRUE(WaitFor([&] { return !tune->IsPlaying(); }));
    tune->Stop();
}

TEST_F(Mp3Test, AtMusicVolumeZeroNoTunePlaysAndRaisingItResumesTheLoop) {
    C_Mp3 menu("menu.mp3");
    C_Mp3 once("night_pipes.mp3");
    ASSERT_NE(menu.GetMusic(), nullptr);
    SetMusicVolume(0);
    menu.Loop();
    EXPECT_FALSE(platform::MusicPlaying());
    once.Play();
    EXPECT_FALSE(platform::MusicPlaying());
    menu.Loop();
    SetMusicVolume(4);  // the loop still wanted starts
    EXPECT_TRUE(menu.GetMusic()->IsPlaying());
    EXPECT_EQ(platform::MusicMixerVolume(), platform::MixerVolume(VolumeStepAttenuation(4)));
    SetMusicVolume(0);
    EXPECT_FALSE(platform::MusicPlaying());
    menu.Stop();
    SetMusicVolume(kVolumeStepsFull);  // stopped: no longer wanted
    EXPECT_FALSE(platform::MusicPlaying());
    EXPECT_EQ(platform::MusicMixerVolume(), 128);
    menu.Loop();
    EXPECT_TRUE(menu.GetMusic()->IsPlaying());
    menu.Loop();  // asked again while it loops: not restarted
    EXPECT_EQ(menu.GetMusic()->PlayCount(), 2);
    menu.Stop();
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(Mp3Test, AMissingTuneIsReportedAndPlaysNothing) {
    platform::StopMusic();  // the menu's tune
    C_Mp3 tune("no_such_tune.mp3");
    EXPECT_TRUE(Prompts().Saw("AddSourceFilter failed (error loading mp3)"));
    EXPECT_EQ(tune.GetMusic(), nullptr);
    tune.Play();
    EXPECT_TRUE(Prompts().Saw("mp3.play warning no iFiltCount!"));
    EXPECT_FALSE(platform::MusicPlaying());
    tune.Stop();
    EXPECT_EQ(Prompts().reports.size(), 2u);
}

TEST_F(Mp3Test, WithoutASoundDeviceOnlyItsFailureAndUnreadableTunesAreReported) {
    // One wave and two tunes, made and played, where the device will not
    // open; the second tune readable, missing, or the music folder itself.
    const struct {
        const char* second;
        bool unreadable;
    } cases[] = {{"night_pipes.mp3", false}, {"no_such_tune.mp3", true}, {"", true}};
    platform::SetSoundDeviceRefused(true);
    for (const auto& c : cases) {
        ReleaseAllWaves();  // a new run: the device is tried again
        Prompts().reports.clear();
        C_Wave wave("bonus.wav", 0);
        EXPECT_TRUE(wave.Load());
        wave.Play(100);
        C_Mp3 first("night_pipes.mp3");
        C_Mp3 second(c.second);
        for (C_Mp3* tune : {&first, &second, &first}) {
            tune->Play();
            EXPECT_EQ(tune->GetMusic(), nullptr);
        }
        EXPECT_EQ(Prompts().reports.size(), c.unreadable ? 2u : 1u) << c.second;
        EXPECT_TRUE(Prompts().Saw("Couldn't init DirectSound")) << c.second;
        EXPECT_EQ(Prompts().Saw("AddSourceFilter failed (error loading mp3)"), c.unreadable);
    }
    platform::SetSoundDeviceRefused(false);
    ReleaseAllWaves();
}

}  // namespace
