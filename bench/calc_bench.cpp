// Cost of one calculation, from the field texts to the result text, and of each
// conversion alone, next to a floor measured in the same run: the standard
// library's std::from_chars / std::to_chars on the same texts and values.
//
// Every benchmark runs in several repetitions, interleaved at random with the
// others; the median of each is compared. Prints one "RESULT" line per ratio.
#include "calc/calculation.h"
#include "calc/numconv.h"

#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace {

// A calculator window's field texts in reading order.
struct Calculation {
    const char* name;
    calc::Formula formula;
    std::vector<std::u16string> fields;
};

const std::vector<Calculation> kCalculations = {
    {"blanking", calc::Formula::Blanking, {u"125.6", u"2", u"350"}},
    {"drawing", calc::Formula::Drawing, {u"188.4", u"1.5", u"420", u"0.8"}},
    {"bending", calc::Formula::Bending, {u"60", u"3", u"450", u"2.5"}},
};

// Texts a user types; the floor reads the ASCII form (full-width forms fold to it).
struct Text {
    const char* name;
    std::u16string typed;
    std::string ascii;
};

const std::vector<Text> kTexts = {
    {"integer", u"350", "350"},      {"decimal", u"125.6", "125.6"},   {"fraction", u"0.8", "0.8"},
    {"exponent", u"1.5e3", "1.5e3"}, {"trailing_unit", u"12mm", "12"}, {"full_width", u"１２５．６", "125.6"},
};

struct Value {
    const char* name;
    float value;
};

const std::vector<Value> kValues = {
    {"integer", 114296.0f},
    {"decimal", 101736.0f / 7.0f},
    {"small", 1.2345e-7f},
    {"large", 3.0e25f},
};

std::string Ascii(const std::u16string& text) { return std::string(text.begin(), text.end()); }

std::vector<std::u16string_view> Views(const Calculation& c) { return {c.fields.begin(), c.fields.end()}; }

// The result's value, for the floor to write.
float Result(const Calculation& c) {
    calc::FpStatus status;
    std::array<char16_t, calc::kSingleTextCapacity> text;
    const std::size_t size = calc::Calculate(c.formula, Views(c), status, text);
    const std::string ascii(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size));
    float value = 0;
    std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    return value;
}

void RunCalculation(benchmark::State& state, const Calculation& c) {
    const std::vector<std::u16string_view> fields = Views(c);
    calc::FpStatus status;
    for (auto _ : state) {
        std::array<char16_t, calc::kSingleTextCapacity> text;
        const std::size_t size = calc::Calculate(c.formula, fields, status, text);
        benchmark::DoNotOptimize(size);
        benchmark::DoNotOptimize(text.data());
        benchmark::ClobberMemory();
    }
}

void CalculationFloor(benchmark::State& state, const std::vector<std::string>& fields, float result) {
    for (auto _ : state) {
        for (const std::string& field : fields) {
            double value = 0.0;
            const char* first = field.data();
            benchmark::DoNotOptimize(first);
            std::from_chars(first, first + field.size(), value);
            benchmark::DoNotOptimize(value);
        }
        float force = result;
        benchmark::DoNotOptimize(force);
        std::array<char, 32> text{};
        const auto written = std::to_chars(text.data(), text.data() + text.size(), force);
        benchmark::DoNotOptimize(written.ptr);
        benchmark::ClobberMemory();
    }
}

void RunTextToNumber(benchmark::State& state, const std::u16string& text) {
    calc::FpStatus status;
    for (auto _ : state) {
        std::u16string_view view = text;
        benchmark::DoNotOptimize(view);
        double value = calc::TextToNumber(view, status);
        benchmark::DoNotOptimize(value);
    }
}

void FromCharsFloor(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        const char* first = text.data();
        benchmark::DoNotOptimize(first);
        double value = 0.0;
        std::from_chars(first, first + text.size(), value);
        benchmark::DoNotOptimize(value);
    }
}

void RunSingleToText(benchmark::State& state, float value) {
    for (auto _ : state) {
        float v = value;
        benchmark::DoNotOptimize(v);
        std::array<char16_t, calc::kSingleTextCapacity> text;
        const std::size_t size = calc::SingleToText(v, text);
        benchmark::DoNotOptimize(size);
        benchmark::DoNotOptimize(text.data());
        benchmark::ClobberMemory();
    }
}

void ToCharsFloor(benchmark::State& state, float value) {
    for (auto _ : state) {
        float v = value;
        benchmark::DoNotOptimize(v);
        std::array<char, 32> text{};
        const auto written = std::to_chars(text.data(), text.data() + text.size(), v);
        benchmark::DoNotOptimize(written.ptr);
        benchmark::ClobberMemory();
    }
}

// A measured benchmark and its floor; a target of 0 means reported only.
struct Pair {
    std::string program;
    std::string floor;
    double target;
};

// Keeps the median of each benchmark while the console shows the runs.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred)
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> medians;
};

benchmark::internal::Benchmark* Configure(benchmark::internal::Benchmark* b) {
    return b->Repetitions(45)->ReportAggregatesOnly(true)->MinTime(0.007)->Unit(benchmark::kNanosecond);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<Pair> pairs;
    for (const Calculation& c : kCalculations) {
        const std::string name = std::string("calc/") + c.name;
        std::vector<std::string> ascii;
        for (const std::u16string& field : c.fields)
            ascii.push_back(Ascii(field));
        const float result = Result(c);
        Configure(
            benchmark::RegisterBenchmark(name.c_str(), [&c](benchmark::State& s) { RunCalculation(s, c); }));
        Configure(
            benchmark::RegisterBenchmark((name + "/floor").c_str(), [ascii, result](benchmark::State& s) {
                CalculationFloor(s, ascii, result);
            }));
        pairs.push_back({name, name + "/floor", 2.0});
    }
    for (const Text& t : kTexts) {
        const std::string name = std::string("TextToNumber/") + t.name;
        Configure(benchmark::RegisterBenchmark(name.c_str(),
                                               [&t](benchmark::State& s) { RunTextToNumber(s, t.typed); }));
        Configure(benchmark::RegisterBenchmark((name + "/floor").c_str(),
                                               [&t](benchmark::State& s) { FromCharsFloor(s, t.ascii); }));
        pairs.push_back({name, name + "/floor", 0.0});
    }
    for (const Value& v : kValues) {
        const std::string name = std::string("SingleToText/") + v.name;
        const float value = v.value;
        Configure(benchmark::RegisterBenchmark(name.c_str(),
                                               [value](benchmark::State& s) { RunSingleToText(s, value); }));
        Configure(benchmark::RegisterBenchmark((name + "/floor").c_str(),
                                               [value](benchmark::State& s) { ToCharsFloor(s, value); }));
        pairs.push_back({name, name + "/floor", 0.0});
    }

    // Interleaved repetitions: a slow phase of the machine falls on both sides of a ratio.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 2;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n");
    int missing = 0;
    for (const Pair& p : pairs) {
        const auto program = reporter.medians.find(p.program);
        const auto floor = reporter.medians.find(p.floor);
        if (program == reporter.medians.end() || floor == reporter.medians.end()) {
            ++missing;
            continue;
        }
        // RESULT name measured floor unit ratio target (0: reported only)
        std::printf("RESULT %s %.1f %.1f ns %.2f %.2f\n", p.program.c_str(), program->second, floor->second,
                    program->second / floor->second, p.target);
    }
    return missing == static_cast<int>(pairs.size()) ? 1 : 0;
}
