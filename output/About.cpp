#include "output/About.h"

#include "util/Product.h"

#include <algorithm>

#include <QBitmap>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

namespace output {

namespace {

// Always four numbers, as a file version reads.
QString FourPartVersion(const QString& version)
{
    QStringList parts = version.split(QLatin1Char('.'));
    while (parts.size() < 4)
        parts.append(QStringLiteral("0"));
    return parts.mid(0, 4).join(QLatin1Char('.'));
}

QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top)
{
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

QString FileVersionOf(const QString& executablePath)
{
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QString asked = QFileInfo(executablePath).canonicalFilePath();
    if (asked.isEmpty() || asked != self)
        return {};
    return FourPartVersion(QStringLiteral(BYTELOOM_VERSION));
}

} // namespace output

TAboutDialog::TAboutDialog(QWidget* owner, bool transparent, int pictureNumber, const QString& name,
                           const QString& executablePath)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(474, 287);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);

    NameLabel = new QLabel(name, this);
    QFont nameFont(QStringLiteral("Tahoma"));
    nameFont.setPixelSize(32);
    NameLabel->setFont(nameFont);
    NameLabel->setGeometry(20, 8, 381, 39);
    // A wider fallback face must not cut the name short.
    NameLabel->resize(std::max(381, NameLabel->sizeHint().width()), 39);

    Image1 = new QLabel(this);
    Image1->setGeometry(20, 64, 200, 200);
    Image1->setAlignment(Qt::AlignCenter);
    if (pictureNumber > 0 && picture.image().load(QStringLiteral(":/output/%1").arg(pictureNumber))) {
        QPixmap pixmap = QPixmap::fromImage(picture.image());
        if (transparent) {
            const QColor key = picture.image().pixelColor(0, picture.height() - 1);
            pixmap.setMask(pixmap.createMaskFromColor(key, Qt::MaskInColor));
        }
        Image1->setPixmap(pixmap);
    }

    NoticeLabel1 = output::MakeLabel(this, QStringLiteral("Copyright (c) the Byteloom makers"), 244, 72);
    NoticeLabel2 = output::MakeLabel(this, QStringLiteral("All rights reserved."), 300, 91);
    VersionLabel = output::MakeLabel(this, QStringLiteral("Build: ") + output::FileVersionOf(executablePath), 308, 118);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    BitBtn1->setGeometry(310, 240, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

namespace output {

void AboutCommand(QWidget* window)
{
    TAboutDialog dialog(window, false, 201, QString::fromLatin1(util::ProductFullName),
                        QCoreApplication::applicationFilePath());
    dialog.exec();
}

} // namespace output
