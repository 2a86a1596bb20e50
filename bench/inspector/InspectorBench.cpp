// inspector_us: one RefreshInspector on a shown page (sample, 21 rows, 42 cells written),
// as on every key press; inspector_core_us: the sample and the 21 texts alone.

#include "Summary.h"
#include "page/Inspector.h"
#include "page/InspectorView.h"
#include "page/Page_form.h"
#include "support/TempFiles.h"

#include <QApplication>
#include <QLocale>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int64_t FileSize = 1 << 20;

// The median over rounds of the time per call, in microseconds; the cursor moves by an
// odd stride so each call meets other bytes.
double MedianMicroseconds(const std::function<void(int64_t)>& refresh)
{
    constexpr int Rounds = 9;
    constexpr int PerRound = 2000;
    std::vector<double> perCall;
    int64_t address = 0;
    for (int round = 0; round < Rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < PerRound; ++i) {
            address = (address + 4099) % FileSize;
            refresh(address);
        }
        const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        perCall.push_back(spent.count() / PerRound);
        QApplication::processEvents(); // the table's repaint, outside the timing
    }
    std::sort(perCall.begin(), perCall.end());
    return perCall[Rounds / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testing_support::TempDir dir;
    const std::string path = dir.write("inspect.bin", testing_support::RandomBytes(FileSize, 7));

    QWidget sheet;
    sheet.resize(1000, 700);
    auto* page = new TPageForm(&sheet, path);
    sheet.show();
    QApplication::processEvents();

    const double full = MedianMicroseconds([page](int64_t address) { RefreshInspector(*page, address); });
    size_t sink = 0;
    const double core = MedianMicroseconds([page, &sink](int64_t address) {
        const page::InspectorSample sample =
            page::TakeInspectorSample([page](int64_t offset) { return ReadByte(*page, offset); }, address);
        sink += static_cast<size_t>(page::InspectorRowsOf(sample, QLocale())[12].text.size());
    });
    if (sink == 0)
        return 1;
    Summary("inspector_us", full, "us");
    Summary("inspector_core_us", core, "us");
    return 0;
}
