// A console reporter that also keeps the median of every benchmark's repetitions, for
// the ratio tables printed after the runs.
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace quorix::bench {

class TCollector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& Runs) override {
        for (const Run& R : Runs)
            if (R.run_type == Run::RT_Aggregate && R.aggregate_name == "median")
                Median[R.run_name.function_name] = R.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(Runs);
    }
    // In ns; NAN for a benchmark that did not run.
    double Of(const std::string& sName) const {
        const auto It = Median.find(sName);
        return It == Median.end() ? NAN : It->second;
    }

private:
    std::map<std::string, double> Median;
};

}  // namespace quorix::bench
