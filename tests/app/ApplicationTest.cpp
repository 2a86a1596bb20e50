#include "app/Application.h"
#include "app/Mainform.h"
#include "app/Startup.h"
#include "banner/DefaultSeams.h"
#include "file/File64.h"
#include "util/Error.h"
#include "util/Messages.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

constexpr auto Fails = static_cast<QEvent::Type>(QEvent::User + 1);
constexpr auto Told = static_cast<QEvent::Type>(QEvent::User + 2);

// Throws the error of each event type it is sent; a paint throws when asked to.
class Thrower : public QWidget {
public:
    bool failPaint = false;
    int boxesSeenInPaint = -1;
    std::vector<util::Message>* boxes = nullptr;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == Fails)
            throw util::Error("file read error");
        if (e->type() == Told)
            throw util::Reported();
        return QWidget::event(e);
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (failPaint) {
            boxesSeenInPaint = static_cast<int>(boxes->size());
            throw util::Error("paint failed");
        }
    }
};

class TopLevelErrors : public testing::Test {
protected:
    TopLevelErrors() { thrower.boxes = &boxes; }
    std::vector<util::Message> boxes;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam, [this](QWidget*, const util::Message& m) { boxes.push_back(m); }};
    Thrower thrower;
};

TEST_F(TopLevelErrors, TextIsShownInAnErrorBoxAfterTheEvent)
{
    QEvent event(Fails);
    EXPECT_FALSE(QApplication::sendEvent(&thrower, &event));
    EXPECT_TRUE(boxes.empty());
    QApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "file read error");
    EXPECT_EQ(boxes[0].caption, "Byteloom 2.0");
    EXPECT_EQ(boxes[0].icon, util::BoxIcon::Error);
}

TEST_F(TopLevelErrors, EachTextIsShownInTurnAndReportedFailuresStaySilent)
{
    QEvent first(Fails), told(Told), second(Fails);
    QApplication::sendEvent(&thrower, &first);
    QApplication::sendEvent(&thrower, &told);
    QApplication::sendEvent(&thrower, &second);
    QApplication::processEvents();
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(TopLevelErrors, APaintThatFailsShowsNoBoxInsideThePaint)
{
    thrower.resize(50, 50);
    thrower.show();
    QApplication::processEvents();
    thrower.failPaint = true;
    thrower.repaint();
    EXPECT_EQ(thrower.boxesSeenInPaint, 0);
    EXPECT_TRUE(boxes.empty());
    thrower.failPaint = false;
    QApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "paint failed");
}

TEST(Startup, TitlesTheApplicationAndReportsAMissingLibraryInAnErrorBox)
{
    std::vector<util::Message> boxes;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam, [&](QWidget*, const util::Message& m) { boxes.push_back(m); }};
    const banner::ScopedSeams offline([] { return banner::Seams{}; });
    const std::unique_ptr<TBEForm> form = StartByteloom();
    EXPECT_EQ(QApplication::applicationName(), "Byteloom 2.0");
    EXPECT_EQ(form->windowTitle(), "Byteloom 2.0");
    EXPECT_FALSE(form->isVisible());

    const DllLoader missing(std::string("/nonexistent/libzere100.so"));
    EXPECT_THROW(util::File64("/etc/hostname", missing), util::Reported);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, file::LoadFailureText);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].icon, util::BoxIcon::Error);
}

} // namespace

// The application object under test is the program's own, so this test has its own main.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtimeDir;
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    Application app(argc, argv);
    QApplication::setApplicationName("Byteloom 2.0");
    return RUN_ALL_TESTS();
}
