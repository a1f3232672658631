// Each block routine this processor can run, by name, on 64 KiB of random
// bytes in the cache: the listing's own cost without reading or writing.
// First it names the routine that the listing takes here.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "listing/checksum.hpp"
#include "listing/format_blocks.hpp"

namespace {

void run_routine(benchmark::State& state, vantrel::block_routine format)
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

} // namespace

int main(int argc, char** argv)
{
    const vantrel::processor cpu = vantrel::this_processor();
    std::printf("chosen: %s\n", vantrel::choose_routine(cpu).name);
    for (const vantrel::named_routine& routine : vantrel::block_routines()) {
        if (routine.runs_on(cpu))
            benchmark::RegisterBenchmark(routine.name, run_routine, routine.format);
        else
            std::printf("%s: not run, this processor cannot run it\n", routine.name);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
