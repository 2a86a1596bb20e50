#include "app/Mainform.h"
#include "banner/DefaultSeams.h"
#include "output/About.h"
#include "util/Shell.h"
#include "page/Page_form.h"
#include "support/TempFiles.h"
#include "util/Messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include "PdfTools.h"
#include "QtPrinters.h"

using testing_support::RandomBytes;
using testing_support::TempDir;

namespace {

// The main window's Tools and Help commands, with the print dialog, the shell and
// the boxes replaced.
class OutputCommands : public ::testing::Test {
protected:
    OutputCommands()
    {
        form.PrintDialog1 = [this](QPrinter& printer, QWidget* owner) {
            ++dialogs;
            dialogOwner = owner;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return confirm;
        };
    }

    void openFile()
    {
        path = QString::fromStdString(dir.write("shown.bin", RandomBytes(3000, 8)));
        form.OpenDialog1 = [this] { return QStringList{path}; };
        form.CategoryButtons1Categories0Items1Click();
        ASSERT_NE(form.activePage(), nullptr);
    }

    TempDir dir;
    QString pdf = QString::fromStdString(dir.file("printed.pdf"));
    QString path;
    bool confirm = true;
    int dialogs = 0;
    QWidget* dialogOwner = nullptr;
    std::vector<util::Message> boxes;
    std::vector<QUrl> opened;
    util::ScopedMessageSeam messages{{[this](const util::Message& m) { boxes.push_back(m); }, {}}};
    util::ScopedShellSeam shell{[this](const QUrl& url) { opened.push_back(url); }};
    banner::ScopedSeams offline{[] { return banner::Seams{}; }}; // no network in tests
    TBEForm form;
};

TEST_F(OutputCommands, PrintWithoutAPageAsksNothing)
{
    form.CategoryButtons1Categories1Items1Click();
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(OutputCommands, PrintPutsTheActivePagesViewOnASheet)
{
    openFile();
    form.CategoryButtons1Categories1Items1Click();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(dialogOwner, &form);
    EXPECT_TRUE(boxes.empty());
    const QString words = PdfText(pdf);
    EXPECT_TRUE(words.contains(path)) << words.toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("Byteloom 2.0"))) << words.toStdString();
}

TEST_F(OutputCommands, ThePrinterKeepsTheUsersChoicesFromOnePrintToTheNext)
{
    openFile();
    QPrinter* first = nullptr;
    form.PrintDialog1 = [&](QPrinter& printer, QWidget*) {
        if (!first) {
            first = &printer;
            printer.setPageOrientation(QPageLayout::Landscape);
        }
        EXPECT_EQ(&printer, first);
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
        return false;
    };
    form.CategoryButtons1Categories1Items1Click();
    form.CategoryButtons1Categories1Items1Click();
    EXPECT_NE(first, nullptr);
}

TEST_F(OutputCommands, HelpAndWebHandTheirDocumentsToTheShell)
{
    form.CategoryButtons1Categories3Items0Click();
    form.CategoryButtons1Categories3Items2Click();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].toLocalFile(), QCoreApplication::applicationDirPath() + QStringLiteral("/Help/help.html"));
    EXPECT_EQ(opened[1].path(), QStringLiteral("/byteloom/Default.aspx"));
}

TEST_F(OutputCommands, AboutShowsTheProductOverTheWindow)
{
    QString name, version;
    QWidget* over = nullptr;
    QTimer::singleShot(0, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<TAboutDialog*>(window); dialog && dialog->isVisible()) {
                name = dialog->NameLabel->text();
                version = dialog->VersionLabel->text();
                over = dialog->parentWidget();
                dialog->BitBtn1->click();
            }
    });
    form.CategoryButtons1Categories3Items1Click();
    EXPECT_EQ(name, QStringLiteral("Byteloom 2.0 Vaderodo"));
    EXPECT_EQ(version, QStringLiteral("Build: ") + FileVersionOf(QCoreApplication::applicationFilePath()));
    EXPECT_EQ(over, &form);
    EXPECT_TRUE(form.findChildren<TAboutDialog*>().isEmpty()); // gone once closed
}

} // namespace
