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
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include "PdfTools.h"
#include "QtPrinters.h"

#include <unistd.h>

using testing_support::RandomBytes;
using testing_support::TempDir;

namespace {

// The main window's Tools and Help commands, with the print dialog, the shell and
// the boxes replaced.
class OutputCommands : public ::testing::Test {
protected:
    OutputCommands() = default;

    void openFile()
    {
        path = QString::fromStdString(dir.write("shown.bin", RandomBytes(3000, 8)));
        decltype(TBEForm::OpenDialog1)::Override openDialog{form.OpenDialog1, [this] { return QStringList{path}; }};
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
    decltype(util::ShowMessageSeam)::Override messages{util::ShowMessageSeam, [this](QWidget*, const util::Message& m) { boxes.push_back(m); }};
    decltype(util::ShellOpenSeam)::Override shell{util::ShellOpenSeam, [this](const QUrl& url) {
        opened.push_back(url);
        return true;
    }};
    banner::ScopedSeams offline{[] { return banner::Seams{}; }}; // no network in tests
    TBEForm form;
    decltype(TBEForm::PrintDialog1)::Override printDialog{form.PrintDialog1, [this](QPrinter& printer, QWidget* owner) {
                       ++dialogs;
                       dialogOwner = owner;
                       printer.setOutputFormat(QPrinter::PdfFormat);
                       printer.setOutputFileName(pdf);
                       return confirm;
                   }};
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
    int asked = 0;
    decltype(TBEForm::PrintDialog1)::Override keeps{form.PrintDialog1, [&](QPrinter& printer, QWidget*) {
        ++asked;
        if (!first) {
            first = &printer;
            printer.setPageOrientation(QPageLayout::Landscape);
        }
        EXPECT_EQ(&printer, first);
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
        return false;
    }};
    form.CategoryButtons1Categories1Items1Click();
    form.CategoryButtons1Categories1Items1Click();
    EXPECT_EQ(asked, 2);
}

// Where the print dialog sends the output: a file viewed in one of the two tabs,
// under its own name or another.
enum class Target { ActiveFile, OtherTabsFile, LinkToViewedFile, HardLinkToViewedFile };

struct TargetCase {
    const char* name;
    Target target;
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.name; }

class PrintIntoViewedFile : public OutputCommands, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(PrintIntoViewedFile, PrintsNothingAndSaysWhy)
{
    const std::vector<uint8_t> otherBytes = RandomBytes(5000, 9);
    const QString other = QString::fromStdString(dir.write("other.bin", otherBytes));
    decltype(TBEForm::OpenDialog1)::Override openOther{form.OpenDialog1, [&] { return QStringList{other}; }};
    form.CategoryButtons1Categories0Items1Click();
    openFile(); // the active tab
    const QByteArray shownBytes = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    const QString viewed = GetParam().target == Target::OtherTabsFile ? other : path;
    QString output = viewed;
    if (GetParam().target == Target::LinkToViewedFile) {
        output = QString::fromStdString(dir.file("link.pdf"));
        ASSERT_TRUE(QFile::link(viewed, output));
    } else if (GetParam().target == Target::HardLinkToViewedFile) {
        output = QString::fromStdString(dir.file("hard.pdf"));
        ASSERT_EQ(::link(viewed.toLocal8Bit().constData(), output.toLocal8Bit().constData()), 0);
    }
    pdf = output;
    form.CategoryButtons1Categories1Items1Click();

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Cannot print into a file that is open in Byteloom:\n") + output);
    QFile shown(path), second(other);
    ASSERT_TRUE(shown.open(QIODevice::ReadOnly));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_EQ(shown.readAll(), shownBytes);
    EXPECT_EQ(second.readAll(), QByteArray(reinterpret_cast<const char*>(otherBytes.data()), 5000));
    EXPECT_TRUE(QFileInfo::exists(output)) << "the refused output is not removed either";
}

INSTANTIATE_TEST_SUITE_P(Targets, PrintIntoViewedFile,
                         ::testing::Values(TargetCase{"ActiveFile", Target::ActiveFile},
                                           TargetCase{"OtherTabsFile", Target::OtherTabsFile},
                                           TargetCase{"LinkToViewedFile", Target::LinkToViewedFile},
                                           TargetCase{"HardLinkToViewedFile", Target::HardLinkToViewedFile}),
                         [](const ::testing::TestParamInfo<TargetCase>& p) { return std::string(p.param.name); });

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
    EXPECT_EQ(version, QStringLiteral("Build: ") + output::FileVersionOf(QCoreApplication::applicationFilePath()));
    EXPECT_EQ(over, &form);
    EXPECT_TRUE(form.findChildren<TAboutDialog*>().isEmpty()); // gone once closed
}

} // namespace
