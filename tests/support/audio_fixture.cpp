#include "audio_fixture.h"

#include "sine_table.h"

namespace testsupport {

void AudioTest::SetUp()
{
    ASSERT_TRUE(m_server.Start()) << m_server.Error();
    UseRate(22050);
}

void AudioTest::TearDown()
{
    m_server.Stop();
    g_sampleRate = 22050;
}

void AudioTest::UseRate(std::uint32_t rate)
{
    ASSERT_TRUE(m_server.UseRate(rate)) << m_server.Error();
    g_sampleRate = rate;
}

bool AudioTest::HearFor(double seconds)
{
    const auto samples = static_cast<std::size_t>(seconds * m_server.Rate());
    return m_server.WaitForSound(kPatience) && m_server.WaitForRecorded(m_server.RecordedCount() + samples, kPatience);
}

} // namespace testsupport
