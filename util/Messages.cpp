#include "util/Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace util {

namespace {
MessageSeam installed;
}

void ShowMessage(QWidget* owner, const Message& message)
{
    if (installed.show) {
        installed.show(message);
        return;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (message.icon) {
    case BoxIcon::None: break;
    case BoxIcon::Information: icon = QMessageBox::Information; break;
    case BoxIcon::Warning: icon = QMessageBox::Warning; break;
    case BoxIcon::Error: icon = QMessageBox::Critical; break;
    }
    QMessageBox box(icon, message.caption, message.text, QMessageBox::Ok, owner);
    box.exec();
}

void Beep()
{
    if (installed.beep)
        installed.beep();
    else
        QApplication::beep();
}

ScopedMessageSeam::ScopedMessageSeam(MessageSeam seam) : previous(std::move(installed))
{
    installed = std::move(seam);
}

ScopedMessageSeam::~ScopedMessageSeam() { installed = std::move(previous); }

} // namespace util
