// Shared set-up of the audio tests (see audio_fixture.h).
#include "tests/audio/audio_fixture.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdio.h>
#include <sys/stat.h>
#include <thread>

namespace audiotest {

namespace {

void Put16(std::vector<uint8_t> &out, uint16_t v)
{
    out.push_back((uint8_t)(v & 0xff));
    out.push_back((uint8_t)(v >> 8));
}

void Put32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        out.push_back((uint8_t)(v >> (8 * i)));
}

void MakeDirs(const std::string &path)
{
    for (size_t i = 1; i < path.size(); i++)
        if (path[i] == '/')
            mkdir(path.substr(0, i).c_str(), 0755);
}

std::atomic<uint32_t> s_clock_now{100000};
std::atomic<uint32_t> s_clock_step{0};

uint32_t ClockNow()
{
    return s_clock_now.fetch_add(s_clock_step.load());
}
void ClockSleepS(unsigned s)
{
    s_clock_now += s * 1000;
    std::this_thread::sleep_for(std::chrono::seconds(s));
}
void ClockSleepUs(unsigned us)
{
    s_clock_now += us / 1000;
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}
const ov_time_source_t kTestClock = {ClockNow, ClockSleepS, ClockSleepUs, nullptr};

}  // namespace

void TestClock::Install()
{
    s_clock_now = 100000;
    s_clock_step = 0;
    OVT_SetTimeSource(&kTestClock);
}

void TestClock::Advance(uint32_t ms)
{
    s_clock_now += ms;
}

uint32_t TestClock::Now()
{
    return s_clock_now.load();
}

void TestClock::SetStepPerRead(uint32_t step)
{
    s_clock_step = step;
}

std::vector<uint8_t> MakeWav(const WavFormat &format, const std::vector<uint8_t> &data)
{
    std::vector<uint8_t> out;
    const uint32_t byte_rate = format.byte_rate ? format.byte_rate : format.rate * format.channels * format.bits / 8;
    const uint32_t data_size = format.data_size < 0 ? (uint32_t)data.size() : (uint32_t)format.data_size;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, (uint32_t)(36 + data.size()));
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, format.fmt_size);
    Put16(out, 1);
    Put16(out, format.channels);
    Put32(out, format.rate);
    Put32(out, byte_rate);
    Put16(out, (uint16_t)(format.channels * format.bits / 8));
    Put16(out, format.bits);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, data_size);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<uint8_t> Pcm16(const std::vector<int16_t> &samples)
{
    std::vector<uint8_t> out;
    for (int16_t s : samples)
        Put16(out, (uint16_t)s);
    return out;
}

std::vector<int16_t> Ramp(int n, int16_t start)
{
    std::vector<int16_t> out;
    for (int i = 0; i < n; i++)
        out.push_back((int16_t)(start + (i % 30000)));
    return out;
}

void WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    MakeDirs(path);
    std::ofstream f(path, std::ios::binary);
    f.write((const char *)bytes.data(), (std::streamsize)bytes.size());
}

bool WaitFor(const std::function<bool()> &cond, int timeout_ms)
{
    for (int i = 0; i < timeout_ms; i++) {
        if (cond())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return cond();
}

std::string GroupName(int n)
{
    char name[32];
    snprintf(name, sizeof name, "ovChannel%.2d", n);
    return name;
}

std::vector<uint8_t> WrittenBytes(const std::string &group)
{
    std::vector<uint8_t> out;
    for (const hl::PcmWrite &w : hl::pcm_writes())
        if (w.group == group)
            out.insert(out.end(), w.data.begin(), w.data.end());
    return out;
}

int AcceptedBytes(const std::string &group)
{
    int n = 0;
    for (const hl::PcmWrite &w : hl::pcm_writes())
        if (w.group == group && w.accepted > 0)
            n += w.accepted;
    return n;
}

std::vector<std::string> BusyGroups()
{
    std::vector<std::string> out;
    const std::string silence = GroupName(12);
    for (const hl::PcmWrite &w : hl::pcm_writes()) {
        if (w.accepted <= 0 || w.group == silence)
            continue;
        bool known = false;
        for (const std::string &g : out)
            known = known || g == w.group;
        if (!known)
            out.push_back(w.group);
    }
    return out;
}

void AudioTest::SetUp()
{
    EngineTest::SetUp();
    harness::record.parms.no_sound = 0;
    harness::switches.developer_mode = true;
    ASSERT_TRUE(hl::set_audio_mode(hl::AudioMode::Manual));
    TestClock::Install();
}

void AudioTest::TearDown()
{
    // Shuts the engine down (the audio thread ends first), then restores real time.
    EngineTest::TearDown();
    ovdev::UseHeadlessBackend();
}

void AudioTest::StartAudio()
{
    StartEngine();
    ASSERT_EQ(channel_count(), 12);
    hl::set_audio_capture(true);
}

void AudioTest::Advance(uint32_t ms)
{
    TestClock::Advance(ms);
}

void AudioTest::PumpPlay(const std::string &group, int total, int max_steps)
{
    for (int step = 0; step < max_steps; step++) {
        const int sub = std::stoi(group.substr(9));
        WaitFor([&] { return hl::queued_bytes(sub) >= 2048 || AcceptedBytes(group) >= total; }, 2000);
        if (AcceptedBytes(group) >= total && hl::queued_bytes(sub) == 0)
            return;
        hl::mix_audio(1024);
    }
}

void AudioTest::MixAndSettle(int frames)
{
    for (int left = frames; left > 0; left -= 1024) {
        hl::mix_audio(left < 1024 ? left : 1024);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

SoundImpQNX *AudioTest::imp()
{
    return ORVEX_SoundImp_GetInterface();
}

int AudioTest::channel_count()
{
    return (int)imp()->channels.size();
}

std::string AudioTest::silence_group()
{
    return GroupName(channel_count());
}

}  // namespace audiotest
