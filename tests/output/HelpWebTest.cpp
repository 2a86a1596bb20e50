#include "output/HelpWeb.h"
#include "util/Messages.h"
#include "util/Shell.h"
#include "support/TempFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUrl>
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <vector>

namespace {

class ShellRecorder {
public:
    ShellRecorder() : seam(util::ShellOpenSeam, [this](const QUrl& url) {
        opened.push_back(url);
        return true;
    }) {}
    std::vector<QUrl> opened;

private:
    decltype(util::ShellOpenSeam)::Override seam;
};

TEST(HelpDocumentPath, IsHelpBesideTheExecutable)
{
    EXPECT_EQ(output::HelpDocumentPath("/opt/byteloom/bin"), QStringLiteral("/opt/byteloom/bin/Help/help.html"));
    EXPECT_EQ(output::HelpDocumentPath("/opt/byteloom/bin/"), QStringLiteral("/opt/byteloom/bin/Help/help.html"));
}

TEST(HelpCommand, OpensTheDocumentBesideTheExecutableWhateverTheWorkingDirectory)
{
    testing_support::TempDir elsewhere;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(elsewhere.path())));
    ShellRecorder shell;
    output::HelpCommand(nullptr);
    QDir::setCurrent(before);

    ASSERT_EQ(shell.opened.size(), 1u);
    const QUrl& url = shell.opened[0];
    EXPECT_TRUE(url.isLocalFile());
    EXPECT_EQ(url.toLocalFile(), QCoreApplication::applicationDirPath() + QStringLiteral("/Help/help.html"));
    // The build puts the document there, beside every program of the build.
    EXPECT_TRUE(QFile::exists(url.toLocalFile()));
}

TEST(WebCommand, OpensTheProductPageOverHttps)
{
    ShellRecorder shell;
    output::WebCommand(nullptr);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].scheme(), QStringLiteral("https"));
    EXPECT_EQ(shell.opened[0].path(), QStringLiteral("/byteloom/Default.aspx"));
    EXPECT_FALSE(shell.opened[0].host().isEmpty());
}

} // namespace

namespace {

// The shell answers with a result; the boxes shown are kept.
class FailingShell : public testing::Test {
protected:
    bool answer = false;
    std::vector<QUrl> opened;
    std::vector<util::Message> boxes;
    decltype(util::ShellOpenSeam)::Override shell{util::ShellOpenSeam, [this](const QUrl& url) {
        opened.push_back(url);
        return answer;
    }};
    decltype(util::ShowMessageSeam)::Override messages{util::ShowMessageSeam, [this](QWidget*, const util::Message& m) { boxes.push_back(m); }};
};

TEST_F(FailingShell, AMissingHelpDocumentIsToldWithItsPathAndNotHandedOn)
{
    const QString missing = QStringLiteral("/nonexistent/Help/help.html");
    output::OpenHelpDocument(nullptr, missing);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Cannot open the help document:\n") + missing);
    EXPECT_EQ(boxes[0].icon, util::BoxIcon::Error);
}

TEST_F(FailingShell, WhatTheSystemCannotOpenIsToldAndWhatItOpensIsNot)
{
    output::HelpCommand(nullptr);
    output::WebCommand(nullptr);
    ASSERT_EQ(opened.size(), 2u);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Cannot open the help document:\n") + opened[0].toLocalFile());
    EXPECT_EQ(boxes[1].text, QStringLiteral("Cannot open the web page:\n") + QString::fromLatin1(output::WebAddress));

    answer = true;
    output::HelpCommand(nullptr);
    output::WebCommand(nullptr);
    EXPECT_EQ(opened.size(), 4u);
    EXPECT_EQ(boxes.size(), 2u);
}

} // namespace
