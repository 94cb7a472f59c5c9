// libFuzzer target: any UTF-16 field text, read by the dialog's integer
// reader and by the reference model, must give the same outcome.

#include "dialog_integer.h"
#include "reference_integer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    const std::optional<int> real = ParseDialogInteger(text);
    const std::optional<int> model = reference::ParseDialogInteger(text);
    if (real != model) {
        std::fprintf(stderr, "disagreement: real %s%d, reference %s%d\n", real ? "" : "fail ", real.value_or(0),
                     model ? "" : "fail ", model.value_or(0));
        std::abort();
    }
    return 0;
}
