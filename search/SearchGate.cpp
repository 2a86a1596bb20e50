#include "search/SearchGate.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace search {

SearchGate::SearchGate(QWidget& window_) : window(window_) { QCoreApplication::instance()->installEventFilter(this); }

SearchGate::~SearchGate()
{
    QCoreApplication::instance()->removeEventFilter(this);
    if (closeRequested_)
        QMetaObject::invokeMethod(&window, [w = &window] { w->close(); }, Qt::QueuedConnection);
}

bool SearchGate::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Close:
        if (watched != &window)
            return false;
        cancelled_ = true;
        closeRequested_ = true;
        event->ignore();
        return true;
    case QEvent::KeyPress:
        if (!ofWindow(watched))
            return false;
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            cancelled_ = true;
        return true;
    case QEvent::ShortcutOverride:
        if (!ofWindow(watched))
            return false;
        event->accept(); // so that no shortcut fires
        return true;
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        return ofWindow(watched);
    default:
        return false;
    }
}

// Input to the window, its widgets and its shortcuts, and to the windows it holds
// with it (not to a box it shows).
bool SearchGate::ofWindow(const QObject* object) const
{
    for (; object; object = object->parent())
        if (object->isWidgetType()) {
            const QWidget* top = static_cast<const QWidget*>(object)->window();
            return top == &window ||
                   (top->parentWidget() == &window && top->property(HeldWhileSearching).toBool());
        }
    return false;
}

} // namespace search
