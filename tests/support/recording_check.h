#pragma once

// Reading a sink recording as a timeline: where the tone starts and ends,
// whether the sink went starved inside it, and whether every sample in
// between is the table, in order, from sample 0 (or, for the benchmarks,
// every place where it is not).
//
// `tolerance` is how far a sample may be from the table: 0 asks for the
// table bit for bit, as the float path delivers it; a path that converts to
// 16 bits with dither is judged within a few 16-bit steps instead, and then
// samples no larger than the tolerance count as silence.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// A sine at the rates offered never holds exactly 0 for more than one
// sample, so a run of this many silent samples inside a tone means the sink
// was starved: the stream underflowed somewhere on its way there.
constexpr std::size_t kGapSamples = 4;

struct ToneSpan {
    bool found = false;    // anything but silence at all
    std::size_t begin = 0; // the sample before the first non-silent one, where the table's sample 0 (a zero) lies
    std::size_t end = 0;   // one past the last non-silent sample
    std::size_t gaps = 0;  // runs of kGapSamples or more silent samples between the two
};

ToneSpan FindTone(const std::vector<float>& recording, float tolerance = 0.0f);

// Empty when recording[span.begin .. span.end) is the table played cyclically
// from index 0; otherwise the first difference. Runs of silence where the
// table has none, up to `insertedSilence` samples long, are passed over, the
// table carrying on after each where it stopped: what a sound server plays
// when its client falls behind, as Wine's audio thread does on a loaded
// machine.
std::string CompareWithTable(const std::vector<float>& recording, const ToneSpan& span, const std::vector<float>& table,
                             float tolerance = 0.0f, std::size_t insertedSilence = 0);

// CompareWithTable on the one tone in the recording, against the table of
// `frequency` at `rate`.
std::string ToneMismatch(const std::vector<float>& recording, std::uint32_t frequency, std::uint32_t rate,
                         float tolerance = 0.0f, std::size_t insertedSilence = 0);

// Two tones in a row: the first, cut where a sample stops continuing it, and
// after the silence of the restart the second from table sample 0.
struct Restart {
    bool found = false;
    std::size_t cut = 0;     // first sample that does not continue the first tone
    std::size_t restart = 0; // the second tone's sample 0
};
// Silence after which the first tone carries on is passed over as
// CompareWithTable does, unless it lies at or after `notBefore` and the
// second tone starts after it.
Restart FindRestart(const std::vector<float>& recording, const ToneSpan& whole, const std::vector<float>& table,
                    float tolerance = 0.0f, std::size_t insertedSilence = 0, std::size_t notBefore = 0);

// Checks a recording of two timed starts of `frequency` at `rate`, whose
// clicks were dated on the sink's timeline: the second click restarted the
// tone from sample 0 within `restartSeconds` of the click, and the tone ended
// `deadlineSeconds` after the first click (within `deadlineTolerance`: a
// tenth of a second covers dating clicks by sink blocks). `insertedSilence`
// as for CompareWithTable.
void ExpectRestartKeptTheFirstDeadline(const std::vector<float>& recording, std::uint32_t frequency, std::uint32_t rate,
                                       std::size_t firstClick, std::size_t secondClick, double deadlineSeconds,
                                       float tolerance = 0.0f, double deadlineTolerance = 0.1,
                                       double restartSeconds = 0.5, std::size_t insertedSilence = 0);

// Every place where a recording leaves the table, bit for bit, with the
// phase picked up again after each one: what a soak wants, where
// CompareWithTable stops at the first difference.
struct TableEvent {
    enum Kind {
        Silence, // zeros inserted, the table carries on where it stopped: a starved sink
        Skip,    // the table jumps forward: samples lost
        Repeat,  // the table jumps back: samples played twice
        Foreign, // samples that are not the table at all
    };
    Kind kind;
    std::size_t at;     // tone sample index where it happens (0 = the table's sample 0)
    std::size_t length; // samples of silence, skipped, repeated or foreign
    bool operator==(const TableEvent&) const = default;
};

struct TableFollow {
    ToneSpan tone;
    std::size_t matched = 0; // samples equal to the table at the expected phase
    std::vector<TableEvent> events;
};

TableFollow FollowTable(const std::vector<float>& recording, const std::vector<float>& table);

} // namespace testsupport
