// inspector_us: one inspector refresh (sample and all 21 rows) at a moving cursor.

#include "Summary.h"
#include "page/Inspector.h"

#include <QLocale>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

int main()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    std::vector<uint8_t> file(1 << 16);
    std::mt19937 random(7);
    for (auto& b : file)
        b = static_cast<uint8_t>(random());
    const auto readByte = [&file](int64_t offset) -> uint8_t { return file.at(static_cast<size_t>(offset)); };

    constexpr int Rounds = 7;
    constexpr int PerRound = 5000;
    std::vector<double> perRefresh;
    size_t sink = 0;
    int64_t address = 0;
    for (int round = 0; round < Rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < PerRound; ++i) {
            address = (address + 4099) % static_cast<int64_t>(file.size());
            const InspectorRows rows = InspectorRowsOf(TakeInspectorSample(readByte, address), QLocale());
            sink += static_cast<size_t>(rows[12].text.size());
        }
        const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        perRefresh.push_back(spent.count() / PerRound);
    }
    std::sort(perRefresh.begin(), perRefresh.end());
    if (sink == 0)
        return 1;
    Summary("inspector_us", perRefresh[Rounds / 2], "us");
    return 0;
}
