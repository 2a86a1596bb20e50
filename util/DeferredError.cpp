#include "util/DeferredError.h"

#include "util/Messages.h"

#include <QApplication>
#include <QTimer>

#include <deque>

namespace util {

namespace {

std::deque<QString> pending;
bool scheduled = false;

void showPending()
{
    while (!pending.empty()) {
        const QString text = pending.front();
        pending.pop_front();
        util::ShowMessage(QApplication::activeWindow(),
                          {QCoreApplication::applicationName(), text, util::BoxIcon::Error});
    }
    scheduled = false;
}

} // namespace

void ShowErrorLater(const QString& text)
{
    pending.push_back(text);
    if (!scheduled) {
        scheduled = true;
        QTimer::singleShot(0, qApp, showPending);
    }
}

} // namespace util
