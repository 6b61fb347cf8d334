#include "audio/wave.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/framework.h"
#include "support/promptrecorder.h"
#include "support/wavefiles.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) {
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

// ---- The reader, on bytes in memory ----

struct ReadCase {
    const char* name;
    std::vector<uint8_t> file;
    bool loads;
    size_t dataBytes;
};

std::vector<ReadCase> ReadCases() {
    const std::vector<uint8_t> ramp = StereoRamp(10);  // 40 bytes
    WaveLayout plain;
    plain.samples = ramp;
    WaveLayout shortFormat = plain;
    shortFormat.formatBytes = 16;
    WaveLayout listFirst = plain;
    listFirst.listBytesBeforeFormat = 26;
    WaveLayout oddList = plain;
    oddList.listBytesBeforeFormat = 5;  // padded to 6 in the file
    WaveLayout floats = plain;
    floats.formatTag = 3;
    WaveLayout overlong = plain;
    overlong.claimedDataBytes = 4000;
    WaveLayout sixChannels = plain;
    sixChannels.channels = 6;
    WaveLayout twelveBit = plain;
    twelveBit.bits = 12;
    WaveLayout zeroRate = plain;
    zeroRate.rate = 0;

    std::vector<uint8_t> noData = BuildWave(plain);
    noData.resize(noData.size() - ramp.size() - 8);
    std::vector<uint8_t> notWave = BuildWave(plain);
    notWave[8] = 'A';
    std::vector<uint8_t> cutInFormatHeader = BuildWave(plain);
    cutInFormatHeader.resize(16);
    std::vector<uint8_t> cutInFormatBody = BuildWave(plain);
    cutInFormatBody.resize(30);
    std::vector<uint8_t> cutInDataHeader = BuildWave(plain);
    cutInDataHeader.resize(12 + 26 + 4);

    return {
        {"plain 16-bit stereo", BuildWave(plain), true, ramp.size()},
        {"format chunk of 16 bytes", BuildWave(shortFormat), true, ramp.size()},
        {"LIST chunk before the format", BuildWave(listFirst), true, ramp.size()},
        {"odd LIST chunk with its pad byte", BuildWave(oddList), true, ramp.size()},
        {"data longer than the file is cut", BuildWave(overlong), true, ramp.size()},
        {"not PCM", BuildWave(floats), false, 0},
        {"six channels", BuildWave(sixChannels), false, 0},
        {"12-bit samples", BuildWave(twelveBit), false, 0},
        {"rate 0", BuildWave(zeroRate), false, 0},
        {"no data chunk", noData, false, 0},
        {"RIFF but not WAVE", notWave, false, 0},
        {"empty file", {}, false, 0},
        {"cut inside RIFF header", Bytes({'R', 'I', 'F', 'F', 4, 0}), false, 0},
        {"cut inside the format chunk header", cutInFormatHeader, false, 0},
        {"cut inside the format chunk", cutInFormatBody, false, 0},
        {"cut inside the data chunk header", cutInDataHeader, false, 0},
    };
}

TEST(WaveReader, FindsChunksByIdentifierAndRefusesWhatItCannotPlay) {
    for (const ReadCase& c : ReadCases()) {
        WaveFormat format;
        std::vector<uint8_t> data;
        EXPECT_EQ(ReadWaveFile(c.file, &format, &data), c.loads) << c.name;
        if (c.loads) {
            EXPECT_EQ(format.channels, 2) << c.name;
            EXPECT_EQ(format.samplesPerSec, 44100) << c.name;
            EXPECT_EQ(format.bitsPerSample, 16) << c.name;
            EXPECT_EQ(data, StereoRamp(10)) << c.name;
            EXPECT_EQ(data.size(), c.dataBytes) << c.name;
        }
    }
}

TEST(WaveReader, AnOverlongDataChunkKeepsExactlyTheBytesTheFileHas) {
    WaveLayout layout;
    layout.samples = StereoRamp(3);
    layout.claimedDataBytes = 0xFFFFFFF0u;
    std::vector<uint8_t> file = BuildWave(layout);
    file.resize(file.size() - 2);  // half a sample lost at the end
    WaveFormat format;
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadWaveFile(file, &format, &data));
    EXPECT_EQ(data.size(), 10u);
    EXPECT_EQ(ConvertToDeviceFormat(format, data).size(), 4u);  // the partial frame is dropped
}

// ---- Conversion to 16-bit stereo at 44 100 Hz ----

struct ConvertCase {
    const char* name;
    WaveFormat format;
    std::vector<uint8_t> data;
    std::vector<int16_t> expected;
};

TEST(WaveConversion, EveryPcmLayoutBecomesDeviceFrames) {
    const std::vector<ConvertCase> cases = {
        {"16-bit stereo is kept",
         {1, 2, 44100, 16},
         Bytes({1, 0, 0xFF, 0xFF, 0, 0x80, 0xFF, 0x7F}),
         {1, -1, -32768, 32767}},
        {"16-bit mono is doubled",
         {1, 1, 44100, 16},
         Bytes({0x34, 0x12, 0xFE, 0xFF}),
         {0x1234, 0x1234, -2, -2}},
        {"8-bit mono is centred and widened",
         {1, 1, 44100, 8},
         Bytes({0, 128, 255}),
         {-32768, -32768, 0, 0, 32512, 32512}},
        {"8-bit stereo", {1, 2, 44100, 8}, Bytes({129, 127}), {256, -256}},
        {"24-bit keeps the top 16 bits",
         {1, 2, 44100, 24},
         Bytes({0x99, 0x34, 0x12, 0, 0, 0x80}),
         {0x1234, -32768}},
        {"32-bit keeps the top 16 bits",
         {1, 1, 44100, 32},
         Bytes({1, 2, 0xFF, 0x7F}),
         {32767, 32767}},
        {"22 050 Hz doubles the frames, halfway frames interpolated",
         {1, 1, 22050, 16},
         Bytes({0, 0, 100, 0, 0xC8, 0}),
         {0, 0, 50, 50, 100, 100, 150, 150, 200, 200, 200, 200}},
        {"88 200 Hz keeps every other frame",
         {1, 1, 88200, 16},
         Bytes({10, 0, 20, 0, 30, 0, 40, 0}),
         {10, 10, 30, 30}},
        {"no data gives no frames", {1, 2, 22050, 16}, {}, {}},
    };
    for (const ConvertCase& c : cases) {
        EXPECT_EQ(ConvertToDeviceFormat(c.format, c.data), c.expected) << c.name;
    }
}

TEST(WaveConversion, OtherRatesKeepTheirDuration) {
    const std::vector<int> rates = {8000, 11025, 22050, 32000, 48000, 96000};
    for (int rate : rates) {
        const WaveFormat format{1, 2, rate, 16};
        const std::vector<uint8_t> oneSecond(static_cast<size_t>(rate) * 4, 0);
        const size_t frames = ConvertToDeviceFormat(format, oneSecond).size() / 2;
        EXPECT_EQ(frames, 44100u) << rate;
    }
}

TEST(WaveVolume, HundredthsOfADecibelBecomeTheMixersLinearVolume) {
    const std::vector<std::pair<int, int>> cases = {{0, 128},    {-600, 64}, {-1500, 23},
                                                    {-2000, 13}, {-3000, 4}, {-10000, 0}};
    for (const auto& [attenuation, linear] : cases) {
        EXPECT_EQ(platform::MixerVolume(attenuation), linear) << attenuation;
    }
}

TEST(WaveVolume, EachHalvingOfTheVolumeStepTakesTenDecibelsOff) {
    const std::vector<std::pair<int, int>> cases = {{10, 0},     {5, -1000},   {1, -3322},
                                                    {0, -10000}, {-4, -10000}, {12, 0}};
    for (const auto& [step, attenuation] : cases) {
        EXPECT_EQ(VolumeStepAttenuation(step), attenuation) << step;
    }
    for (int step = 1; step <= kVolumeStepsFull; ++step) {
        EXPECT_GT(VolumeStepAttenuation(step), VolumeStepAttenuation(step - 1)) << step;
    }
}

// ---- Waves on the (dummy) sound device ----

class WaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        Prompts().Install();
        WaveLayout layout;
        layout.samples = StereoRamp(44100);  // one second: still sounding when checked
        scratch.WriteWave("tone.wav", BuildWave(layout));
    }

    void TearDown() override {
        SetEffectsVolume(kVolumeStepsFull);
        platform::SetSoundDeviceRefused(false);
        ReleaseAllWaves();
        g_waveCache.clear();
    }

    ScratchDirectory scratch;
};

TEST_F(WaveTest, TheFirstWaveOpensTheDeviceAndLoadsAndPlays) {
    ReleaseAllWaves();
    ASSERT_EQ(g_pDirectSound, nullptr);
    C_Wave wave("tone.wav", 0);
    ASSERT_NE(g_pDirectSound, nullptr);
    EXPECT_EQ(wave.GetBuffer(), nullptr);  // nothing read yet
    ASSERT_TRUE(wave.Load());
    ASSERT_NE(wave.GetBuffer(), nullptr);
    EXPECT_EQ(wave.GetBuffer()->Samples().size(), 2u * 44100u);
    wave.Play(100);
    EXPECT_TRUE(wave.GetBuffer()->IsPlaying());
    EXPECT_EQ(wave.GetBuffer()->PlayCount(), 1);
    wave.Stop();
    EXPECT_FALSE(wave.GetBuffer()->IsPlaying());
    EXPECT_FALSE(wave.Load());  // a loaded wave is not loaded again
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(WaveTest, FilesThatOnceBrokeLoadingNowLoad) {
    WaveLayout list;
    list.listBytesBeforeFormat = 30;
    list.samples = StereoRamp(100);
    WaveLayout mono22k;
    mono22k.channels = 1;
    mono22k.rate = 22050;
    mono22k.samples = std::vector<uint8_t>(200, 0);  // 100 frames
    WaveLayout eightBit;
    eightBit.channels = 1;
    eightBit.bits = 8;
    eightBit.samples = std::vector<uint8_t>(50, 128);
    WaveLayout overlong;
    overlong.samples = StereoRamp(100);
    overlong.claimedDataBytes = 1000000;
    scratch.WriteWave("list.wav", BuildWave(list));
    scratch.WriteWave("mono22k.wav", BuildWave(mono22k));
    scratch.WriteWave("eight.wav", BuildWave(eightBit));
    scratch.WriteWave("overlong.wav", BuildWave(overlong));

    const std::vector<std::pair<std::string, size_t>> cases = {
        {"list.wav", 200}, {"mono22k.wav", 400}, {"eight.wav", 100}, {"overlong.wav", 200}};
    for (const auto& [name, samples] : cases) {
        C_Wave wave(name, 0);
        ASSERT_TRUE(wave.Load()) << name;
        EXPECT_EQ(wave.GetBuffer()->Samples().size(), samples) << name;
    }
}

TEST_F(WaveTest, BadFilesFailToLoadAndPlayingThemReportsNotLoaded) {
    WaveLayout floats;
    floats.formatTag = 3;
    floats.samples = StereoRamp(10);
    std::vector<uint8_t> truncated = BuildWave(floats);
    truncated.resize(20);
    WaveLayout empty;
    scratch.WriteWave("float.wav", BuildWave(floats));
    scratch.WriteWave("truncated.wav", truncated);
    scratch.WriteWave("empty.wav", BuildWave(empty));

    for (const char* name : {"float.wav", "truncated.wav", "empty.wav", "missing.wav"}) {
        C_Wave wave(name, 1);
        EXPECT_FALSE(wave.Load()) << name;
        EXPECT_EQ(wave.GetBuffer(), nullptr) << name;
        EXPECT_EQ(g_waveCache.count(name), 0u) << name;
        Prompts().reports.clear();
        wave.Play(100);
        EXPECT_TRUE(Prompts().Saw("Wave not loaded!")) << name;
    }
}

TEST_F(WaveTest, PlayTurnsPercentIntoAttenuationAndRefusesPositiveOnes) {
    C_Wave wave("tone.wav", 0);
    ASSERT_TRUE(wave.Load());
    platform::SoundBuffer* buffer = wave.GetBuffer();
    struct Case {
        int percent;
        int volume;  // what the buffer holds afterwards
        bool refused;
    };
    const std::vector<Case> cases = {{100, 0, false},        {50, -1500, false},  {0, -3000, false},
                                     {150, -3000, true},     {-300, -3000, true}, {75, -750, false},
                                     {INT32_MIN, -750, true}};
    for (const Case& c : cases) {
        Prompts().reports.clear();
        buffer->Stop();
        wave.Play(c.percent);
        EXPECT_EQ(buffer->GetVolume(), c.volume) << c.percent;
        EXPECT_EQ(Prompts().Saw("Problem setting volume"), c.refused) << c.percent;
        EXPECT_EQ(Prompts().reports.size(), c.refused ? 1u : 0u) << c.percent;
        EXPECT_TRUE(buffer->IsPlaying()) << c.percent;  // refused or not, it plays
    }
}

TEST_F(WaveTest, TheEffectsVolumeLowersEveryWaveAndAtZeroNothingPlays) {
    C_Wave wave("tone.wav", 0);
    ASSERT_TRUE(wave.Load());
    platform::SoundBuffer* buffer = wave.GetBuffer();
    struct Case {
        int step;
        int percent;
        int volume;  // what the buffer holds afterwards
        bool refused;
    };
    const std::vector<Case> cases = {
        {10, 100, 0, false},    {5, 100, -1000, false}, {5, 0, -4000, false},
        {1, 50, -4822, false},  {1, 150, -4822, true},  {1, -200, -10000, false},
        {12, 50, -1500, false},  // above 10 is full
    };
    for (const Case& c : cases) {
        Prompts().reports.clear();
        SetEffectsVolume(c.step);
        wave.Play(c.percent);
        EXPECT_EQ(buffer->GetVolume(), c.volume) << c.step << " " << c.percent;
        EXPECT_EQ(Prompts().Saw("Problem setting volume"), c.refused) << c.step << " " << c.percent;
        EXPECT_TRUE(buffer->IsPlaying());
    }
    // At 0 the sounding wave stops, and neither it nor a new one starts.
    Prompts().reports.clear();
    SetEffectsVolume(-1);
    EXPECT_EQ(GetEffectsVolume(), 0);
    EXPECT_FALSE(buffer->IsPlaying());
    const int plays = buffer->PlayCount();
    C_Wave shared("tone.wav", 1);
    ASSERT_TRUE(shared.Load());
    for (C_Wave* silent : {&wave, &shared}) {
        silent->Play(100);
        EXPECT_FALSE(silent->GetBuffer()->IsPlaying());
    }
    EXPECT_EQ(buffer->PlayCount(), plays);
    EXPECT_EQ(shared.GetBuffer()->PlayCount(), 0);
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(WaveTest, SharedWavesReadTheFileOnceAndOutliveEachOther) {
    auto first = std::make_unique<C_Wave>("tone.wav", 1);
    ASSERT_TRUE(first->Load());
    scratch.RemoveWave("tone.wav");  // a second read would now fail
    auto second = std::make_unique<C_Wave>("tone.wav", 1);
    ASSERT_TRUE(second->Load());
    EXPECT_EQ(first->GetBuffer(), second->GetBuffer());
    EXPECT_EQ(g_waveCache.at("tone.wav").get(), first->GetBuffer());

    first.reset();
    second->Play(100);
    EXPECT_TRUE(second->GetBuffer()->IsPlaying());
    second.reset();
    ASSERT_NE(g_waveCache.at("tone.wav"), nullptr);
    EXPECT_TRUE(g_waveCache.at("tone.wav")->IsPlaying());

    C_Wave unshared("tone.wav", 0);
    EXPECT_FALSE(unshared.Load());  // not shared: it reads the file, which is gone
}

TEST_F(WaveTest, ReleaseAllWavesEmptiesTheCacheEntriesAndClosesTheDevice) {
    C_Wave shared("tone.wav", 1);
    C_Wave own("tone.wav", 0);
    ASSERT_TRUE(shared.Load());
    ASSERT_TRUE(own.Load());

    ReleaseAllWaves();
    EXPECT_EQ(g_pDirectSound, nullptr);
    ASSERT_EQ(g_waveCache.count("tone.wav"), 1u);
    EXPECT_EQ(g_waveCache.at("tone.wav"), nullptr);

    // The shared wave made before sees the released entry; the own one has no device.
    shared.Play(100);
    EXPECT_TRUE(Prompts().Saw("Wave not loaded!"));
    own.Play(100);
    EXPECT_TRUE(Prompts().Saw("DirectSound not initialized!"));

    // A shared wave made afterwards takes the empty entry and is not loaded.
    Prompts().reports.clear();
    C_Wave late("tone.wav", 1);
    EXPECT_TRUE(late.Load());
    EXPECT_EQ(late.GetBuffer(), nullptr);
    late.Play(100);
    EXPECT_TRUE(Prompts().Saw("Wave not loaded!"));
}

TEST_F(WaveTest, WithoutASoundDeviceOneReportAndEveryWaveIsSilent) {
    ReleaseAllWaves();
    platform::SetSoundDeviceRefused(true);
    for (int shared : {0, 1, 0, 1}) {
        C_Wave wave("tone.wav", shared);
        EXPECT_TRUE(wave.Load()) << shared;  // its owner has nothing to report
        EXPECT_EQ(wave.GetBuffer(), nullptr) << shared;
        wave.Play(100);
    }
    C_Wave missing("missing.wav", 1);
    EXPECT_FALSE(missing.Load());  // a file that cannot be read still fails
    ASSERT_EQ(Prompts().reports.size(), 1u);
    EXPECT_TRUE(Prompts().Saw("Couldn't init DirectSound"));

    // The device is not tried again during the run, even if it would open now.
    platform::SetSoundDeviceRefused(false);
    C_Wave later("tone.wav", 0);
    EXPECT_EQ(g_pDirectSound, nullptr);
    EXPECT_EQ(Prompts().reports.size(), 1u);

    ReleaseAllWaves();
    C_Wave nextRun("tone.wav", 0);
    EXPECT_NE(g_pDirectSound, nullptr);
    EXPECT_TRUE(nextRun.Load());
    EXPECT_NE(nextRun.GetBuffer(), nullptr);
}

}  // namespace

namespace {

using WaveShutdownTest = FrameworkTest;

TEST_F(WaveShutdownTest, TheGamesShutdownReleasesEveryWaveAndTheDevice) {
    ScratchDirectory scratch;
    WaveLayout layout;
    layout.samples = StereoRamp(100);
    scratch.WriteWave("tone.wav", BuildWave(layout));
    StartGame();
    auto wave = std::make_unique<C_Wave>("tone.wav", 1);
    ASSERT_TRUE(wave->Load());
    ASSERT_NE(g_pDirectSound, nullptr);
    StopGame();
    EXPECT_EQ(g_pDirectSound, nullptr);
    EXPECT_EQ(g_waveCache.at("tone.wav"), nullptr);
    wave.reset();
    g_waveCache.clear();
}

}  // namespace
