// The descrambler undone by its inverse gives back every stored byte.

#include "Check.h"
#include "banner/Cryptapi.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string out = banner::Descramble(std::span<const uint8_t>(data, size));
    FUZZ_CHECK(out.size() == size);
    std::vector<uint8_t> in(size);
    for (size_t i = 0; i < size; ++i) {
        const auto o = static_cast<uint8_t>(static_cast<uint8_t>(out[i]) + 31);
        in[i] = i == 0 ? o : static_cast<uint8_t>(o ^ in[i - 1]);
        FUZZ_CHECK(in[i] == data[i]);
    }
    return 0;
}
