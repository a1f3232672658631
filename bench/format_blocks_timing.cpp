// Times the block routines of this build on 64 KiB of random bytes in the
// cache, where no Google Benchmark is built (WebAssembly): the median of
// several rounds, in MB/s of input, for each routine this processor can run.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "listing/checksum.hpp"
#include "listing/format_blocks.hpp"

namespace {

using routine = char* (*)(const unsigned char*, std::size_t, std::uint32_t, char*);

constexpr std::size_t BLOCKS = 512;
constexpr int ROUNDS = 15;
constexpr int CALLS_PER_ROUND = 2000;

double median_mb_per_s(routine format, const std::vector<unsigned char>& input,
                       std::vector<char>& text)
{
    std::vector<double> rates;
    std::uint32_t address = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int call = 0; call < CALLS_PER_ROUND; ++call, address += 8)
            format(input.data(), BLOCKS, address, text.data());
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        rates.push_back(static_cast<double>(input.size()) * CALLS_PER_ROUND / seconds.count() /
                        1e6);
    }
    std::sort(rates.begin(), rates.end());
    return rates[rates.size() / 2];
}

} // namespace

int main()
{
    std::vector<unsigned char> input(BLOCKS * vantrel::BLOCK_BYTES);
    std::mt19937 random(1);
    for (auto& b : input)
        b = static_cast<unsigned char>(random());
    std::vector<char> text(BLOCKS * vantrel::LINE_CHARS);
    const vantrel::processor cpu = vantrel::this_processor();
    for (const vantrel::named_routine& routine : vantrel::block_routines())
        if (routine.runs_on(cpu))
            std::printf("%-10s %8.0f MB/s\n", routine.name,
                        median_mb_per_s(routine.format, input, text));
    // The text is looked at, so that no call can be left out.
    return text[0] == '\0' ? 1 : 0;
}
