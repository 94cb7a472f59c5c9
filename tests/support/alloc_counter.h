#pragma once

// Counts the program's array allocations and can make the next one fail,
// by replacing the global operator new[] in test programs that link this.

#include <cstddef>
#include <vector>

namespace testsupport {

// Sizes in bytes of every operator new[] since the last call (then forgets).
std::vector<std::size_t> TakeArrayAllocations();

// The next operator new[] of at least `minBytes` throws std::bad_alloc.
void FailNextArrayAllocation(std::size_t minBytes);

} // namespace testsupport
