#pragma once

// The application object: the last stop for errors. A failure that leaves an event
// handler is caught here and its text shown in a modal box once the event is over.

#include <QApplication>

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
