#pragma once

// Base for tests that play through a real sound server: each test gets a
// private PulseAudio daemon whose default sink records at the rate under
// test. A daemon that does not come up fails the test; it never skips.

#include "pulse_server.h"
#include "sine_table.h"

#include <gtest/gtest.h>

#include <QTest>

#include <chrono>
#include <cstdint>
#include <vector>

namespace testsupport {

// For what takes milliseconds when all is well (a tone reaching the sink, a
// timer firing): only a party that never gets there runs into it.
inline constexpr std::chrono::seconds kPatience{10};

class AudioTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.Start()) << m_server.Error();
        UseRate(22050);
    }

    void TearDown() override
    {
        m_server.Stop();
        g_sampleRate = 22050;
    }

    // Makes `rate` both the sink's rate and the generator's.
    void UseRate(std::uint32_t rate)
    {
        ASSERT_TRUE(m_server.UseRate(rate)) << m_server.Error();
        g_sampleRate = rate;
    }

    // Records while `action` runs and for `afterMs` more, returning the
    // timeline; `action` may itself wait.
    template <typename F> std::vector<float> Record(F&& action, int afterMs)
    {
        m_server.StartRecording();
        action();
        QTest::qWait(afterMs);
        return m_server.StopRecording();
    }

    // While recording: waits until the sink has heard `seconds` of sound;
    // false when none came.
    bool HearFor(double seconds)
    {
        const auto samples = static_cast<std::size_t>(seconds * m_server.Rate());
        return m_server.WaitForSound(kPatience) &&
               m_server.WaitForRecorded(m_server.RecordedCount() + samples, kPatience);
    }

    PulseServer m_server;
};

} // namespace testsupport
