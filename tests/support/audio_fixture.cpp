#include "audio_fixture.h"

#include "message_box_answerer.h"
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

void AudioTest::Wait(int ms)
{
    Pump(ms);
}

} // namespace testsupport
