// Started by the start-up benchmark: the program's own start-up (or, built with
// MINIMAL_WINDOW, one empty main window); prints a line at the main window's first
// paint, with the processor time the process has used by then, and ends.

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <ctime>

#ifndef MINIMAL_WINDOW
#include "app/Application.h"
#include "app/Mainform.h"
#include "app/Startup.h"
#endif

namespace {

class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window_) : window(window_) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!done && watched == window && event->type() == QEvent::Paint) {
            done = true;
            timespec cpu;
            clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
            std::printf("painted %.3f\n", static_cast<double>(cpu.tv_sec) * 1e3 + static_cast<double>(cpu.tv_nsec) / 1e6);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    QWidget* window;
    bool done = false;
};

} // namespace

int main(int argc, char** argv)
{
#ifdef MINIMAL_WINDOW
    QApplication app(argc, argv);
    QMainWindow window;
    QMainWindow* shown = &window;
#else
    Application app(argc, argv);
    const std::unique_ptr<TBEForm> window = StartByteloom();
    QMainWindow* shown = window.get();
#endif
    FirstPaint probe(shown);
    shown->installEventFilter(&probe);
    shown->show();
    return QApplication::exec();
}
