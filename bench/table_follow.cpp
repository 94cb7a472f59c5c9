#include "table_follow.h"

#include "recording_check.h"

#include <bit>
#include <cstdio>
#include <unordered_map>

namespace {

std::uint32_t Bits(float x)
{
    return std::bit_cast<std::uint32_t>(x);
}

std::uint64_t PairKey(float a, float b)
{
    return (static_cast<std::uint64_t>(Bits(a)) << 32) | Bits(b);
}

// Long enough that a phase found through a pair of samples is the phase, not
// a near twin of it.
constexpr std::size_t kConfirm = 32;

class PhaseIndex {
  public:
    explicit PhaseIndex(const std::vector<float>& table) : table_(table)
    {
        const std::size_t n = table.size();
        index_.reserve(n);
        for (std::size_t p = 0; p < n; ++p)
            index_.emplace(PairKey(table[p], table[(p + 1) % n]), static_cast<std::uint32_t>(p));
    }

    // The table phase that recording[i ..] continues, if any.
    bool Find(const std::vector<float>& rec, std::size_t i, std::size_t end, std::size_t* phase) const
    {
        if (i + 1 >= end)
            return false;
        const auto [lo, hi] = index_.equal_range(PairKey(rec[i], rec[i + 1]));
        for (auto it = lo; it != hi; ++it) {
            const std::size_t n = table_.size();
            bool same = true;
            for (std::size_t j = 0; j < kConfirm && i + j < end && same; ++j)
                same = Bits(rec[i + j]) == Bits(table_[(it->second + j) % n]);
            if (same) {
                *phase = it->second;
                return true;
            }
        }
        return false;
    }

  private:
    const std::vector<float>& table_;
    std::unordered_multimap<std::uint64_t, std::uint32_t> index_;
};

} // namespace

TableFollow FollowTable(const std::vector<float>& rec, const std::vector<float>& table)
{
    TableFollow f;
    const testsupport::ToneSpan tone = testsupport::FindTone(rec);
    if (!tone.found || table.empty())
        return f;
    f.found = true;
    f.begin = tone.begin;
    f.end = tone.end;
    // The first non-zero sample: FindTone starts the tone on the zero before
    // it, where there is one.
    const std::size_t first = rec[f.begin] == 0.0f ? f.begin + 1 : f.begin;
    f.startsAtZero = first > f.begin && Bits(rec[f.begin]) == Bits(table[0]);

    const PhaseIndex index(table);
    const std::size_t n = table.size();
    std::size_t k = f.startsAtZero ? 0 : 1 % n;
    std::size_t i = f.startsAtZero ? f.begin : first;
    while (i < f.end) {
        if (Bits(rec[i]) == Bits(table[k])) {
            ++f.matched;
            ++i;
            k = k + 1 == n ? 0 : k + 1;
            continue;
        }
        const std::size_t at = i - f.begin;
        if (rec[i] == 0.0f) {
            std::size_t z = 0;
            while (i + z < f.end && rec[i + z] == 0.0f)
                ++z;
            i += z;
            // Whether the table carries on at k after the silence is the next
            // comparison's business; a jump there becomes its own event.
            f.events.push_back({TableEvent::Silence, at, z});
            continue;
        }
        std::size_t phase = 0;
        if (index.Find(rec, i, f.end, &phase)) {
            const std::size_t d = (phase + n - k) % n;
            if (d <= n / 2)
                f.events.push_back({TableEvent::Skip, at, d});
            else
                f.events.push_back({TableEvent::Repeat, at, n - d});
            k = phase;
            continue;
        }
        std::size_t len = 0;
        while (i < f.end && rec[i] != 0.0f && !index.Find(rec, i, f.end, &phase)) {
            ++i;
            ++len;
        }
        f.events.push_back({TableEvent::Foreign, at, len});
        if (i < f.end && rec[i] != 0.0f)
            k = phase;
    }
    return f;
}

const char* KindName(TableEvent::Kind kind)
{
    switch (kind) {
    case TableEvent::Silence:
        return "silence";
    case TableEvent::Skip:
        return "skip";
    case TableEvent::Repeat:
        return "repeat";
    case TableEvent::Foreign:
        return "foreign";
    }
    return "?";
}

std::string Describe(const TableFollow& f, double rate, std::size_t maxEvents)
{
    if (!f.found)
        return "no tone in the recording\n";
    std::string out;
    char line[200];
    std::size_t count[4] = {};
    for (const auto& e : f.events)
        ++count[e.kind];
    std::snprintf(line, sizeof line,
                  "tone: %zu samples (%.3f s), starts at table sample 0: %s, samples matching the table: %zu\n",
                  f.end - f.begin, static_cast<double>(f.end - f.begin) / rate, f.startsAtZero ? "yes" : "NO",
                  f.matched);
    out += line;
    std::snprintf(line, sizeof line, "events: %zu silence gaps, %zu skips, %zu repeats, %zu foreign stretches\n",
                  count[0], count[1], count[2], count[3]);
    out += line;
    for (std::size_t j = 0; j < f.events.size() && j < maxEvents; ++j) {
        const auto& e = f.events[j];
        std::snprintf(line, sizeof line, "  %-8s at tone sample %zu (%.4f s), %zu samples\n", KindName(e.kind), e.at,
                      static_cast<double>(e.at) / rate, e.length);
        out += line;
    }
    if (f.events.size() > maxEvents)
        out += "  ...\n";
    return out;
}
