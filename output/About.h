#pragma once

// The product dialog: name, picture, a notice and the build's version.

#include "output/Bitmap.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace output {

// The four-part version of the executable at that path: the build's own version
// for the running program, empty for any other file (it carries none we can read).
QString FileVersionOf(const QString& executablePath);

} // namespace output

class TAboutDialog : public QDialog {
    Q_OBJECT

public:
    // pictureNumber names a picture of the program's resources (":/output/<n>");
    // 0 or less shows none. A transparent picture lets its bottom-left pixel's
    // colour show the dialog through.
    TAboutDialog(QWidget* owner, bool transparent, int pictureNumber, const QString& name,
                 const QString& executablePath);

    QLabel* NameLabel;
    QLabel* Image1;
    QLabel* NoticeLabel1;
    QLabel* NoticeLabel2;
    QLabel* VersionLabel;
    QPushButton* BitBtn1;

private:
    util::Bitmap picture;
};

namespace output {

// The About command: a new dialog over the window, shown modally, then gone.
void AboutCommand(QWidget* window);

} // namespace output
