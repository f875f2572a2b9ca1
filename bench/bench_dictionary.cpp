// The Latin-to-Cyrillic dictionary at country scale: a 1 000 000-line "key=value" text loaded in one sort,
// and 1 000 000 three-word names translated word by word, each against its target (printed, never failed;
// STROVANE_BENCH_DICT_LOAD_S and STROVANE_BENCH_DICT_WORDS_S override the targets for slow machines).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "converter/names/LatRusDictionary.h"

namespace {

constexpr int kLines = 1000000;
constexpr int kNames = 1000000;

double loadSeconds = 0, translateSeconds = 0;

// A Latin word of letters only (digits would split it in word mode), distinct for each n.
std::string word(uint32_t n) {
    std::string out = "W";
    do {
        out += char('a' + n % 26);
        n /= 26;
    } while (n);
    return out;
}

std::string dictionaryText() {
    std::string text;
    text.reserve(size_t(kLines) * 24);
    for (uint32_t i = 0; i < kLines; ++i) {
        // Scattered order, so that the load has sorting to do.
        const uint32_t n = uint32_t((uint64_t(i) * 2654435761u) % kLines);
        text += word(n);
        text += '=';
        text += "\xC0\xC1\xC2";
        text += std::to_string(n);
        text += "\r\n";
    }
    return text;
}

LatRusDictionary& dictionary() {
    static LatRusDictionary d;
    return d;
}

void BM_LoadText(benchmark::State& state) {
    const std::string text = dictionaryText();
    for (auto _ : state) {
        LatRusDictionary d;
        const auto start = std::chrono::steady_clock::now();
        d.LoadFromText(text);
        loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(d.Count());
    }
    dictionary().LoadFromText(text);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_TranslateWords(benchmark::State& state) {
    std::vector<std::string> names;
    names.reserve(kNames);
    for (uint32_t i = 0; i < kNames; ++i)
        // Two known words and one unknown, separated as real names are.
        names.push_back(word(i % kLines) + " " + word((i * 7u) % kLines) + "-Unknown" +
                        std::to_string(i % 10));
    LatRusDictionary& d = dictionary();
    for (auto _ : state) {
        size_t bytes = 0;
        const auto start = std::chrono::steady_clock::now();
        for (const std::string& name : names)
            bytes += d.TranslateNameByWords(name, false).size();
        translateSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kNames);
}

BENCHMARK(BM_LoadText)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TranslateWords)->Unit(benchmark::kMillisecond)->Iterations(1);

double target(const char* variable, double fallback) {
    const char* value = std::getenv(variable);
    return value ? std::atof(value) : fallback;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double loadTarget = target("STROVANE_BENCH_DICT_LOAD_S", 5);
    const double wordsTarget = target("STROVANE_BENCH_DICT_WORDS_S", 3);
    std::printf("dictionary load of %d lines: %.2f s (target %.1f s: %s)\n", kLines, loadSeconds, loadTarget,
                loadSeconds <= loadTarget ? "met" : "missed");
    std::printf("%d three-word translations: %.2f s (target %.1f s: %s)\n", kNames, translateSeconds,
                wordsTarget, translateSeconds <= wordsTarget ? "met" : "missed");
    return 0;
}
