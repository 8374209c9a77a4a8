#include "bench/ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace quor::bench {
namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions the median stands for the case; a single run stands alone.
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) continue;
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") m_nsPerIteration[name] = run.GetAdjustedRealTime();
                m_hasMedian[name] = true;
            } else if (!m_hasMedian[name]) {
                m_nsPerIteration[name] = run.GetAdjustedRealTime();
            }
        }
    }

    void PrintRatios() const {
        std::printf("\n%-48s %12s %12s %8s\n", "case", "plain", "quor", "ratio");
        for (const auto& [name, quorTime] : m_nsPerIteration) {
            const auto slash = name.find("/quor");
            if (slash == std::string::npos) continue;
            std::string plainName = name;
            plainName.replace(slash, 5, "/plain");
            const auto plain = m_nsPerIteration.find(plainName);
            if (plain == m_nsPerIteration.end()) continue;
            std::string label = name;
            label.erase(slash, 5);
            std::printf("%-48s %12.1f %12.1f %8.2f\n", label.c_str(), plain->second, quorTime,
                        plain->second / quorTime);
        }
    }

private:
    std::map<std::string, double> m_nsPerIteration;  // nanoseconds per iteration, by case
    std::map<std::string, bool> m_hasMedian;
};

}  // namespace

int RunWithRatios(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}

}  // namespace quor::bench
