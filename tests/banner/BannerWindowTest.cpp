#include "LocalHttpServer.h"
#include "app/Mainform.h"
#include "banner/BannerView.h"
#include "banner/Cryptapi.h"
#include "banner/DefaultSeams.h"
#include "support/TempFiles.h"
#include "support/Wait.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>

using namespace banner;
using testing_support::LocalHttpServer;
using testing_support::TempDir;
using testing_support::WaitUntil;

namespace {

// The main window with its banner pointed at a server on 127.0.0.1: the list arrives
// after the window is up, item 0 navigates, other items are shown from the list.
// Set BANNER_WINDOW_SHOT to a PNG path to keep a picture of the window.
TEST(BannerWindow, StartsWithoutWaitingThenShowsItemsFromTheServer)
{
    LocalHttpServer server;
    const std::string item = "<table width=\"100%\" bgcolor=\"#264653\"><tr><td>"
                             "<font color=\"#e9c46a\" size=\"5\"><b>Byteloom tips</b></font><br>\r\n"
                             "<font color=\"#ffffff\">Ctrl+G jumps to any address, in hex or decimal.</font>"
                             "</td></tr></table>";
    server.set("/list.txt", {200, QByteArray::fromStdString(StartDelimiter() + "zero" + StartDelimiter() + item),
                             "text/plain", false});
    server.set("/zero.html", {200, "<html><body><h3>Welcome to Byteloom 2.0</h3></body></html>", "text/html", false});
    TempDir temp;
    ScopedSeams seams([&] {
        Seams s = DefaultSeams();
        s.listAddress = [&] { return server.url("/list.txt"); };
        s.itemZeroAddress = [&] { return server.url("/zero.html"); };
        s.tempFolder = QString::fromStdString(temp.path());
        return s;
    });

    TBEForm form;
    EXPECT_EQ(server.hits("/list.txt"), 0) << "the window is made before the list arrives";
    EXPECT_EQ(form.Browser1->view(), nullptr) << "the first page makes the view";
    form.show();

    const auto text = [&] { return form.Browser1->view() ? form.Browser1->view()->plainText() : QString(); };
    ASSERT_TRUE(WaitUntil([&] { return text().contains("Welcome"); }));
    EXPECT_EQ(server.hits("/zero.html"), 1);
    EXPECT_TRUE(std::filesystem::is_empty(temp.path()));

    form.showBannerItem(3);
    EXPECT_EVENTUALLY(text().contains("Ctrl+G jumps"), testing_support::DefaultWait);
    EXPECT_EQ(form.Browser1->height(), 128);
    EXPECT_EQ(form.Browser1->view()->geometry(), form.Browser1->rect()) << "the view fills the strip";
    const QImage shot = form.grab().toImage();
    if (const QByteArray out = qgetenv("BANNER_WINDOW_SHOT"); !out.isEmpty())
        shot.save(QString::fromLocal8Bit(out));
}

} // namespace
