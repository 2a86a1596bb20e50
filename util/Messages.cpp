#include "util/Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace util {

namespace {

void ShowBox(QWidget* owner, const Message& message)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (message.icon) {
    case BoxIcon::None: break;
    case BoxIcon::Information: icon = QMessageBox::Information; break;
    case BoxIcon::Warning: icon = QMessageBox::Warning; break;
    case BoxIcon::Error: icon = QMessageBox::Critical; break;
    }
    QMessageBox box(icon, message.caption, message.text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText); // a file name holding "<b>" reads as it is
    box.exec();
}

} // namespace

Seam<void(QWidget*, const Message&)> ShowMessageSeam{ShowBox};
Seam<void()> BeepSeam{[] { QApplication::beep(); }};

void ShowMessage(QWidget* owner, const Message& message) { ShowMessageSeam(owner, message); }

void Beep() { BeepSeam(); }

} // namespace util
