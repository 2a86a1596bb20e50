#include "output/About.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "QtPrinters.h"

namespace {

const QString Name = QStringLiteral("Byteloom 2.0 Vaderodo");

TEST(AboutDialog, ShowsNamePictureAndTheBuildsVersion)
{
    TAboutDialog dialog(nullptr, false, 201, Name, QCoreApplication::applicationFilePath());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(dialog.size(), QSize(474, 287));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.NameLabel->text(), Name);
    EXPECT_EQ(dialog.NameLabel->font().pixelSize(), 32);
    EXPECT_EQ(dialog.NameLabel->pos(), QPoint(20, 8));

    // The build's version, always four numbers.
    const QString version = dialog.VersionLabel->text();
    EXPECT_TRUE(version.startsWith(QStringLiteral("Build: ") + QStringLiteral(BYTELOOM_VERSION))) << version.toStdString();
    EXPECT_EQ(version.mid(7).split(QLatin1Char('.')).size(), 4) << version.toStdString();
    EXPECT_EQ(dialog.VersionLabel->pos(), QPoint(308, 118));

    EXPECT_EQ(dialog.Image1->geometry(), QRect(20, 64, 200, 200));
    const QPixmap picture = dialog.Image1->pixmap();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(200, 200));
    EXPECT_FALSE(picture.hasAlphaChannel());

    EXPECT_FALSE(dialog.NoticeLabel1->text().isEmpty());
    EXPECT_FALSE(dialog.NoticeLabel2->text().isEmpty());
    EXPECT_EQ(dialog.NoticeLabel1->pos(), QPoint(244, 72));
    EXPECT_EQ(dialog.NoticeLabel2->pos(), QPoint(300, 91));

    EXPECT_EQ(dialog.BitBtn1->text(), QStringLiteral("OK"));
    EXPECT_TRUE(dialog.BitBtn1->isDefault());
    EXPECT_EQ(dialog.BitBtn1->geometry(), QRect(310, 240, 75, 25));
}

TEST(AboutDialog, AFileWithoutAVersionShowsBuildAlone)
{
    TAboutDialog dialog(nullptr, false, 201, Name, QStringLiteral("/bin/sh"));
    EXPECT_EQ(dialog.VersionLabel->text(), QStringLiteral("Build: "));
}

TEST(AboutDialog, NoPictureForNumberZeroOrAMissingOne)
{
    for (int number : {0, -1, 999}) {
        TAboutDialog dialog(nullptr, false, number, Name, QCoreApplication::applicationFilePath());
        EXPECT_TRUE(dialog.Image1->pixmap().isNull()) << number;
    }
}

TEST(AboutDialog, ATransparentPictureLetsItsBackgroundColourThrough)
{
    TAboutDialog dialog(nullptr, true, 201, Name, QCoreApplication::applicationFilePath());
    const QImage shown = dialog.Image1->pixmap().toImage();
    ASSERT_TRUE(shown.hasAlphaChannel());
    EXPECT_EQ(qAlpha(shown.pixel(0, 199)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(100, 100)), 255);
}

TEST(AboutCommand, EachUseMakesANewDialogThatIsGoneAfterwards)
{
    std::vector<QPointer<QDialog>> seen;
    auto pressOkSoon = [&seen] {
        QTimer::singleShot(0, [&seen] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<TAboutDialog*>(window); dialog && dialog->isVisible()) {
                    seen.emplace_back(dialog);
                    dialog->BitBtn1->click();
                }
        });
    };
    pressOkSoon();
    output::AboutCommand(nullptr);
    pressOkSoon();
    output::AboutCommand(nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].isNull());
    EXPECT_TRUE(seen[1].isNull());
}

} // namespace
