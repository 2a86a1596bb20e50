#include "search/SearchRun.h"

#include "search/FindCommands.h"
#include "search/SearchProgress.h"

namespace search {

SearchRun::SearchRun(SearchHost& host_, std::function<QString(int64_t)> progressText_)
    : host(host_), progressText(std::move(progressText_)), gate(*host_.boxOwner())
{
    running = this;
    host.holdInput(true);
    clock.start();
}

SearchRun::~SearchRun()
{
    if (progressShown)
        host.showStatus(QString());
    host.holdInput(false);
    running = nullptr;
}

// The engine asks every PacingStep positions, thousands of times a second on a fast
// disk; the window runs a few dozen times a second, by the clock.
bool SearchRun::pace(int64_t position)
{
    if (clock.elapsed() < nextRunMs)
        return true;
    nextRunMs = clock.elapsed() + PaceIntervalMs;
    SearchPaceSeam(position);
    if (!gate.cancelled() && clock.elapsed() >= ProgressDelayMs)
        showProgress(position);
    return !gate.cancelled();
}

void SearchRun::showProgress(int64_t position)
{
    const QString text = progressText(position);
    if (progressShown && text == shownText)
        return;
    progressShown = true;
    shownText = text;
    host.showStatus(text);
}

} // namespace search
