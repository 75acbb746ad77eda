// Small helpers of the benchmarks: statistics and a plain text table.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace keyloom::bench {

// The value below which `fraction` of the samples lie (nearest rank).
inline double percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    auto rank = static_cast<std::size_t>(fraction * static_cast<double>(samples.size()) + 0.5);
    rank = std::clamp<std::size_t>(rank, 1, samples.size());
    return samples[rank - 1];
}

inline double median(const std::vector<double>& samples) { return percentile(samples, 0.5); }

// Rows of cells printed with aligned columns, the first row as the header.
class Table {
public:
    void row(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }
    void print() const {
        std::vector<std::size_t> width;
        for (const auto& r : rows_)
            for (std::size_t i = 0; i < r.size(); ++i) {
                if (width.size() <= i) width.push_back(0);
                width[i] = std::max(width[i], r[i].size());
            }
        for (std::size_t n = 0; n < rows_.size(); ++n) {
            std::string line;
            for (std::size_t i = 0; i < rows_[n].size(); ++i) {
                std::string cell = rows_[n][i];
                if (i + 1 < rows_[n].size()) cell.resize(width[i] + 2, ' ');
                line += cell;
            }
            std::printf("%s\n", line.c_str());
            if (n == 0) std::printf("%s\n", std::string(line.size(), '-').c_str());
        }
        std::fflush(stdout);
    }

private:
    std::vector<std::vector<std::string>> rows_;
};

inline std::string fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

}  // namespace keyloom::bench
