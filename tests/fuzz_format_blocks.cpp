// Feeds arbitrary bytes and addresses to every block routine this build and
// processor have, and stops on the first text that differs from the plain
// routine's. It says at the start which routines this processor cannot run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "listing/checksum.hpp"
#include "listing/format_blocks.hpp"

namespace {

void expect_same_as_plain(vantrel::block_routine format, const unsigned char* in,
                          std::size_t blocks, std::uint32_t address, const std::vector<char>& plain)
{
    std::vector<char> text(blocks * vantrel::LINE_CHARS + 1, '\0');
    const char* end = format(in, blocks, address, text.data());
    if (end != text.data() + blocks * vantrel::LINE_CHARS ||
        std::memcmp(text.data(), plain.data(), blocks * vantrel::LINE_CHARS) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (const vantrel::named_routine& routine : vantrel::block_routines())
        if (!routine.runs_on(vantrel::this_processor()))
            std::printf("fuzz: not testing %s, this processor cannot run it\n", routine.name);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < sizeof(std::uint32_t))
        return 0;
    std::uint32_t address = 0;
    std::memcpy(&address, data, sizeof address);
    const unsigned char* in = data + sizeof address;
    const std::size_t blocks = (size - sizeof address) / vantrel::BLOCK_BYTES;
    std::vector<char> plain(blocks * vantrel::LINE_CHARS + 1, '\0');
    vantrel::format_blocks_plain(in, blocks, address, plain.data());
    static const vantrel::processor cpu = vantrel::this_processor();
    for (const vantrel::named_routine& routine : vantrel::block_routines())
        if (routine.runs_on(cpu))
            expect_same_as_plain(routine.format, in, blocks, address, plain);
    return 0;
}
