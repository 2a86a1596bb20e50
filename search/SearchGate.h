#pragma once

// While a search runs: no input reaches the window but Esc, which cancels it, and
// closing the window cancels it and closes the window once the gate is gone. A box
// that opens meanwhile (an error shown after a paint) still takes its own input.

#include <QObject>

class QWidget;

namespace search {

// A window of the searched window's own (a results list) whose input a running
// search holds too: a property set to true on it.
inline constexpr const char* HeldWhileSearching = "heldWhileSearching";

class SearchGate : public QObject {
public:
    explicit SearchGate(QWidget& window);
    ~SearchGate() override;

    bool cancelled() const { return cancelled_; }
    bool closeRequested() const { return closeRequested_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ofWindow(const QObject* object) const;

    QWidget& window;
    bool cancelled_ = false;
    bool closeRequested_ = false;
};

} // namespace search
