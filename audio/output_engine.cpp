// The start and stop sequences of the tone output and the audio library's
// lifetime. Their order is what makes the lock-free sharing with the audio
// thread safe: every shared write happens before the stream opens, and the
// table is freed only after the stream that reads it has closed.

#include "portaudio18.h"
#include "sine_callback.h"
#include "sine_table.h"
#include "tonegen_dlg.h"

using namespace pa18;

namespace {

// True from an initialisation until the next release, so that each release
// balances exactly one initialisation. Whether the initialisation worked is
// not the point: when it failed, the open that follows fails too.
bool s_libraryInitialised = false;

void InitialiseLibrary()
{
    Pa_Initialize();
    s_libraryInitialised = true;
}

void ReleaseLibrary()
{
    Pa_Terminate();
    s_libraryInitialised = false;
}

// However the program ends, it leaves no stream open and the library
// released; closing the dialog has already stopped any output.
struct ReleaseAtExit {
    ~ReleaseAtExit()
    {
        if (s_libraryInitialised)
            ReleaseLibrary();
    }
} s_releaseAtExit;

} // namespace

void CToneGenDlg::InitOutput()
{
    // A dialog opened again in the same process finds the library still
    // initialised by the last one; initialising twice would leave one
    // initialisation that no stop releases.
    if (!s_libraryInitialised)
        InitialiseLibrary();
}

void CToneGenDlg::StartOutput()
{
    // Throws std::bad_alloc before anything else changes; the framework
    // reports it and the start is simply over.
    BuildSineTable(m_frequency);
    g_tableIndex = 0;
    if (!s_libraryInitialised)
        InitialiseLibrary();

    const PaDeviceID device = Pa_GetDefaultOutputDeviceID();
    m_stream = nullptr;
    if (Pa_OpenStream(&m_stream, paNoDevice, 0, paFloat32, nullptr, device, 1, paFloat32, nullptr,
                      static_cast<double>(g_sampleRate), 1, 0, paClipOff, &SineCallback, nullptr) != paNoError) {
        StopOutput();
        return;
    }
    if (Pa_StartStream(m_stream) != paNoError) {
        StopOutput();
        return;
    }
    m_playing = true;
}

void CToneGenDlg::StopOutput()
{
    if (m_stream != nullptr) {
        Pa_CloseStream(m_stream);
        m_stream = nullptr;
    }
    ReleaseLibrary();
    FreeSineTable();
}
