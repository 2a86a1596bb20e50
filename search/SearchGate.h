#pragma once

// While a search runs: no input reaches the window but Esc, which cancels it, and
// closing the window cancels it and closes the window once the gate is gone. A box
// that opens meanwhile (an error shown after a paint) still takes its own input.

#include <QObject>

class QWidget;

namespace search {

class SearchGate : public QObject {
public:
    explicit SearchGate(QWidget& window);
    ~SearchGate() override;

    bool cancelled() const { return cancelled_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ofWindow(const QObject* object) const;

    QWidget& window;
    bool cancelled_ = false;
    bool closeRequested = false;
};

} // namespace search
