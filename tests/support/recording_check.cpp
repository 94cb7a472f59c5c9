#include "recording_check.h"

#include <bit>
#include <cstdint>
#include <sstream>

namespace testsupport {

ToneSpan FindTone(const std::vector<float>& recording)
{
    ToneSpan span;
    std::size_t first = 0;
    while (first < recording.size() && recording[first] == 0.0f)
        ++first;
    if (first == recording.size())
        return span;
    std::size_t last = recording.size();
    while (last > first && recording[last - 1] == 0.0f)
        --last;
    span.found = true;
    span.begin = first > 0 ? first - 1 : 0;
    span.end = last;
    return span;
}

std::string CompareWithTable(const std::vector<float>& recording, const ToneSpan& span, const std::vector<float>& table)
{
    if (!span.found)
        return "no tone in the recording";
    if (recording[span.begin] != 0.0f)
        return "the tone does not start on a zero sample";
    for (std::size_t i = span.begin; i < span.end; ++i) {
        const float want = table[(i - span.begin) % table.size()];
        if (std::bit_cast<std::uint32_t>(recording[i]) != std::bit_cast<std::uint32_t>(want)) {
            std::ostringstream out;
            out << "sample " << (i - span.begin) << " of the tone is " << recording[i] << ", table has " << want;
            return out.str();
        }
    }
    return {};
}

Restart FindRestart(const std::vector<float>& recording, const ToneSpan& whole, const std::vector<float>& table)
{
    Restart r;
    std::size_t cut = whole.begin;
    while (cut < whole.end && recording[cut] == table[(cut - whole.begin) % table.size()])
        ++cut;
    if (cut >= whole.end)
        return r;
    std::size_t next = cut;
    while (next < whole.end && recording[next] == 0.0f)
        ++next;
    r.found = true;
    r.cut = cut;
    r.restart = next - 1;
    return r;
}

} // namespace testsupport
