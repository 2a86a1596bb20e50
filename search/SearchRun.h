#pragma once

// One running scan of the open pages (a search or a comparison). While it lives the
// busy cursor shows, the host's input is held (Esc cancels), and its status line
// shows the scan's progress once it has run a while.

#include "search/SearchGate.h"
#include "search/SearchHost.h"
#include "search/Search.h"
#include "util/CursorSwapper.h"
#include "util/NoCopy.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <functional>

namespace search {

class SearchRun : NoCopy {
public:
    using ProgressWords = std::function<QString(int64_t position)>;

    // progressText gives the status line's text for a position the scan reached.
    SearchRun(SearchHost& host, ProgressWords progressText);
    ~SearchRun();

    // The pacer to give the scan: lets the window run a few dozen times a second, and
    // answers false once Esc was pressed or the window asked to close.
    SearchPacer pacer() { return [this](int64_t position) { return pace(position); }; }
    bool cancelled() const { return gate.cancelled(); }
    // The window was asked to close meanwhile; it closes once the run is over.
    bool closing() const { return gate.closeRequested(); }

    // The run alive now, if any.
    static inline SearchRun* running = nullptr;

private:
    bool pace(int64_t position);
    void showProgress(int64_t position);

    SearchHost& host;
    std::function<QString(int64_t)> progressText;
    util::CursorSwapper cursor{Qt::WaitCursor};
    SearchGate gate;
    QElapsedTimer clock;
    qint64 nextRunMs = 0;
    bool progressShown = false;
    QString shownText;
};

} // namespace search
