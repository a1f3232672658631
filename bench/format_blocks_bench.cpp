// The block routine alone, on 64 KiB of random bytes in the cache: the
// listing's own cost without reading or writing.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "listing/checksum.hpp"
#include "listing/format_blocks.hpp"

namespace {

using routine = char* (*)(const unsigned char*, std::size_t, std::uint32_t, char*);

void run_routine(benchmark::State& state, routine format)
{
    constexpr std::size_t blocks = 512;
    std::vector<unsigned char> input(blocks * vantrel::BLOCK_BYTES);
    std::mt19937 random(1);
    for (auto& b : input)
        b = static_cast<unsigned char>(random());
    std::vector<char> text(blocks * vantrel::LINE_CHARS);
    std::uint32_t address = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(format(input.data(), blocks, address, text.data()));
        benchmark::ClobberMemory();
        address += 8;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

void plain(benchmark::State& state)
{
    run_routine(state, vantrel::format_blocks_plain);
}
BENCHMARK(plain);

void chosen(benchmark::State& state)
{
    run_routine(state, vantrel::format_blocks);
}
BENCHMARK(chosen);

} // namespace

BENCHMARK_MAIN();
