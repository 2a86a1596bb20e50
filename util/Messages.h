#pragma once

// Modal message boxes and the beep, behind one seam so tests can see them
// without a box ever opening.

#include <QString>

#include <functional>

class QWidget;

namespace util {

enum class BoxIcon { None, Information, Warning, Error };

struct Message {
    QString caption;
    QString text;
    BoxIcon icon = BoxIcon::None;
};

// Shows a modal box with an OK button (or hands it to the installed seam).
void ShowMessage(QWidget* owner, const Message& message);
// The system's default beep (or the installed seam's).
void Beep();

// Test seam: while installed, boxes and beeps go to these instead of the screen.
struct MessageSeam {
    std::function<void(const Message&)> show;
    std::function<void()> beep;
};
// Installs a seam for as long as the guard lives.
class ScopedMessageSeam {
public:
    explicit ScopedMessageSeam(MessageSeam seam);
    ~ScopedMessageSeam();
    ScopedMessageSeam(const ScopedMessageSeam&) = delete;
    ScopedMessageSeam& operator=(const ScopedMessageSeam&) = delete;

private:
    MessageSeam previous;
};

} // namespace util
