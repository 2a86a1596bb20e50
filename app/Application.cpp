#include "app/Application.h"

#include "util/DeferredError.h"
#include "util/Error.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const util::Reported&) {
        // The user was told already.
    } catch (const std::exception& e) {
        util::ShowErrorLater(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
