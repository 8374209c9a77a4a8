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
            // Times come in each benchmark's display unit; the table is in nanoseconds.
            const double ns = run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") m_nsPerIteration[name] = ns;
                m_hasMedian[name] = true;
            } else if (!m_hasMedian[name]) {
                m_nsPerIteration[name] = ns;
            }
        }
    }

    // Each baseline "<case>/plain" or "<case>/plain-<what>" is set against
    // "<case>/quor", with the same arguments after it.
    void PrintRatios() const {
        std::printf("\n%-52s %12s %12s %8s\n", "case (baseline)", "baseline ns", "quor ns", "ratio");
        for (const auto& [name, plainTime] : m_nsPerIteration) {
            const auto at = name.find("/plain");
            if (at == std::string::npos) continue;
            const auto segmentEnd = name.find('/', at + 1);
            const std::string baseline =
                name.substr(at + 6, segmentEnd == std::string::npos ? std::string::npos : segmentEnd - at - 6);
            std::string quorName = name;
            quorName.replace(at, (segmentEnd == std::string::npos ? name.size() : segmentEnd) - at, "/quor");
            const auto quor = m_nsPerIteration.find(quorName);
            if (quor == m_nsPerIteration.end()) continue;
            std::string label = quorName;
            label.erase(at, 5);
            if (!baseline.empty()) label += " (" + baseline.substr(1) + ")";
            std::printf("%-52s %12.1f %12.1f %8.2f\n", label.c_str(), plainTime, quor->second,
                        plainTime / quor->second);
        }
    }

    const CaseTimes& Times() const { return m_nsPerIteration; }

private:
    CaseTimes m_nsPerIteration;  // nanoseconds per iteration, by case
    std::map<std::string, bool> m_hasMedian;
};

}  // namespace

int RunWithRatios(int argc, char** argv, const std::function<void(const CaseTimes&)>& extra) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    if (extra) extra(reporter.Times());
    benchmark::Shutdown();
    return 0;
}

}  // namespace quor::bench
