#include "output/HelpWeb.h"
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
    ShellRecorder() : seam([this](const QUrl& url) { opened.push_back(url); }) {}
    std::vector<QUrl> opened;

private:
    util::ScopedShellSeam seam;
};

TEST(HelpDocumentPath, IsHelpBesideTheExecutable)
{
    EXPECT_EQ(HelpDocumentPath("/opt/byteloom/bin"), QStringLiteral("/opt/byteloom/bin/Help/help.html"));
    EXPECT_EQ(HelpDocumentPath("/opt/byteloom/bin/"), QStringLiteral("/opt/byteloom/bin/Help/help.html"));
}

TEST(HelpCommand, OpensTheDocumentBesideTheExecutableWhateverTheWorkingDirectory)
{
    testing_support::TempDir elsewhere;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(elsewhere.path())));
    ShellRecorder shell;
    HelpCommand();
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
    WebCommand();
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].scheme(), QStringLiteral("https"));
    EXPECT_EQ(shell.opened[0].path(), QStringLiteral("/byteloom/Default.aspx"));
    EXPECT_FALSE(shell.opened[0].host().isEmpty());
}

} // namespace
