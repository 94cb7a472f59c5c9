#pragma once

// PortAudio's own count of output underflows for the stream the generator
// opens, gathered without touching the generator's code or callback: a
// target that links underflow_counter.cpp also links with
// -Wl,--wrap=Pa_OpenStream, so the generator's open goes through a wrapper
// that slips a counting callback in front of SineCallback. The price is one
// extra indirect call per frame.

unsigned long OutputUnderflows();
