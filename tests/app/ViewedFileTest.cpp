// A viewed file driven through every command of the main window: nothing is ever
// written to it, and a file that shrinks, vanishes, is replaced or grows while its
// page is open keeps the page usable and the boxes few.

#include "app/CategoryButtons.h"
#include "app/Mainform.h"
#include "banner/DefaultSeams.h"
#include "page/Page_form.h"
#include "search/FindCommands.h"
#include "search/Fform.h"
#include "search/PatternField.h"
#include "search/Gotoform.h"
#include "search/RadioGroup.h"
#include "support/TempFiles.h"
#include "util/Messages.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using testing_support::RandomBytes;
using testing_support::TempDir;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int64_t Window = 0x10000;

// What a write to the file would change: its bytes, size, modification and change times.
struct FileStamp {
    QByteArray hash;
    int64_t size = -1;
    timespec mtime{}, ctime{};

    bool operator==(const FileStamp& o) const
    {
        return hash == o.hash && size == o.size && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec
               && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

FileStamp StampOf(const std::string& path)
{
    FileStamp stamp;
    QFile file(QString::fromStdString(path));
    if (file.open(QIODevice::ReadOnly))
        stamp.hash = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        stamp.size = st.st_size;
        stamp.mtime = st.st_mtim;
        stamp.ctime = st.st_ctim;
    }
    return stamp;
}

// The access mode (O_RDONLY, O_WRONLY or O_RDWR) of every descriptor this process
// holds on path, from the flags the kernel shows in /proc/self/fdinfo.
std::vector<int> DescriptorModes(const std::string& path)
{
    namespace fs = std::filesystem;
    std::vector<int> modes;
    std::error_code ignored;
    for (const fs::directory_entry& fd : fs::directory_iterator("/proc/self/fd", ignored)) {
        if (fs::read_symlink(fd.path(), ignored) != fs::path(path))
            continue;
        std::ifstream info("/proc/self/fdinfo/" + fd.path().filename().string());
        std::string field;
        while (info >> field) {
            if (field == "flags:") {
                std::string octal;
                info >> octal;
                modes.push_back(static_cast<int>(std::stol(octal, nullptr, 8)) & O_ACCMODE);
                break;
            }
        }
    }
    return modes;
}

// A shown main window with the search dialogs, whose open dialog chooses one file and
// whose print dialog prints to a PDF beside it. The boxes and beeps are recorded; the
// timers are stopped, so that nothing runs that the test did not ask for.
class ViewedFile : public testing::Test {
protected:
    ViewedFile()
    {
        search::SetSearchDialogOwner(&form);
        form.Timer1->stop();
        form.Timer2->stop();
        form.resize(1000, 700);
        form.show();
        QApplication::processEvents();
    }

    TPageForm* open(const Bytes& content)
    {
        bytes = content;
        path = dir.write("viewed.bin", content);
        command(0, 0);
        return form.activePage();
    }

    // A click on a button of the command bar; a failure comes up as a box once the
    // click's event is over.
    void command(int category, int item)
    {
        emit form.CategoryButtons1->buttonClicked(category, item);
        QApplication::processEvents();
    }

    // Answers the next modal dialog from inside its own event loop, as a user would.
    static void answerDialog(std::function<void()> answer)
    {
        QMetaObject::invokeMethod(qApp, std::move(answer), Qt::QueuedConnection);
    }

    void find(const QString& hex, int startItem)
    {
        answerDialog([=] {
            search::FindForm().HexEdit->setText(hex);
            search::FindForm().StartPositionRG->setItemIndex(startItem);
            search::FindForm().SearchBtn->click();
        });
        command(2, 0);
    }
    void next() { command(2, 1); }
    void gotoAddress(const QString& hex)
    {
        answerDialog([=] {
            search::GTForm().HexEdit->setText(hex);
            search::GTForm().BitBtn1->click();
        });
        command(2, 2);
    }

    // Paints both grids now and lets the boxes the paint left behind come up.
    void paint(TPageForm* page)
    {
        page->BinGrid->repaint();
        page->TextGrid->repaint();
        QApplication::processEvents();
    }

    void key(TPageForm* page, Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(page->BinGrid, k, modifiers);
        paint(page);
    }

    void wheel(TPageForm* page, int angle)
    {
        const QPointF at = page->BinGrid->rect().center();
        QWheelEvent event(at, page->BinGrid->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(page->BinGrid, &event);
        paint(page);
    }

    // The hex text the page shows for the byte at the cursor.
    static std::string CursorHex(TPageForm* page)
    {
        const page::PageShape::Cell cell = page->Shape().CellOfAddress(page->topAddress, page->cursorAddress);
        const page::CellText text = page->CellText(cell.row, cell.col, true);
        return std::string(text.chars.data(), static_cast<size_t>(text.length));
    }
    std::string HexOf(int64_t offset) const
    {
        const page::CellText text = page::ByteText(bytes[static_cast<size_t>(offset)], true);
        return std::string(text.chars.data(), static_cast<size_t>(text.length));
    }

    TempDir dir;
    std::string path;
    std::string pdf = dir.file("printed.pdf");
    Bytes bytes;
    std::vector<std::string> boxes;
    int beeps = 0;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam,
                [this](QWidget*, const util::Message& m) { boxes.push_back(m.text.toStdString()); }};
    decltype(util::BeepSeam)::Override beep{util::BeepSeam, [this] { ++beeps; }};
    banner::ScopedSeams offline{[] { return banner::Seams{}; }}; // no network in tests
    TBEForm form;
    decltype(TBEForm::OpenDialog1)::Override openDialog{form.OpenDialog1, [this] { return QStringList{QString::fromStdString(path)}; }};
    decltype(TBEForm::PrintDialog1)::Override printDialog{form.PrintDialog1, [this](QPrinter& printer, QWidget*) {
                       printer.setOutputFormat(QPrinter::PdfFormat);
                       printer.setOutputFileName(QString::fromStdString(pdf));
                       return true;
                   }};
};

const Bytes Marker = {0xDE, 0xAD, 0xBE, 0xEF, 0x01};

Bytes WithMarkers(size_t size, std::initializer_list<size_t> at)
{
    Bytes content = RandomBytes(size, 11);
    for (const size_t offset : at)
        std::copy(Marker.begin(), Marker.end(), content.begin() + static_cast<long>(offset));
    return content;
}

} // namespace

// Every command over a read-only file leaves its bytes and times as they were, and
// every descriptor held on it was opened read-only.
TEST_F(ViewedFile, NothingIsWrittenThroughEveryCommand)
{
    const Bytes content = WithMarkers(5 * Window + 123, {200001, 300007});
    path = dir.write("viewed.bin", content);
    bytes = content;
    const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), past, 0), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const FileStamp before = StampOf(path);
    std::vector<int> modes;
    const auto noteDescriptors = [&] {
        const std::vector<int> now = DescriptorModes(path);
        EXPECT_FALSE(now.empty()) << "no descriptor on the viewed file while its page is open";
        modes.insert(modes.end(), now.begin(), now.end());
    };

    command(0, 0);
    TPageForm* page = form.activePage();
    ASSERT_NE(page, nullptr);
    noteDescriptors();
    for (const Qt::KeyboardModifiers ctrl : {Qt::KeyboardModifiers{}, Qt::KeyboardModifiers{Qt::ControlModifier}})
        for (const Qt::Key k : {Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_End, Qt::Key_Home, Qt::Key_Right,
                                Qt::Key_Down, Qt::Key_Left, Qt::Key_Up})
            key(page, k, ctrl);
    for (const QAbstractSlider::SliderAction action :
         {QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderPageStepAdd, QAbstractSlider::SliderToMaximum,
          QAbstractSlider::SliderSingleStepSub, QAbstractSlider::SliderPageStepSub, QAbstractSlider::SliderToMinimum}) {
        page->ScrollBar1->triggerAction(action);
        paint(page);
    }
    page->ScrollBar1->setSliderPosition(500000);
    paint(page);
    wheel(page, -120);
    wheel(page, 120);
    QTest::mouseClick(page->BinGrid, Qt::LeftButton, {}, page->BinGrid->cellRect(3, 2).center());
    paint(page);

    find(QStringLiteral("deadbeef01"), 0);
    EXPECT_EQ(page->cursorAddress, 200001);
    next();
    EXPECT_EQ(page->cursorAddress, 300007);
    gotoAddress(QStringLiteral("4FFFF"));
    EXPECT_EQ(page->cursorAddress, 0x4FFFF);
    EXPECT_EQ(CursorHex(page), HexOf(0x4FFFF));
    noteDescriptors();
    command(1, 0); // Print
    EXPECT_TRUE(QFile::exists(QString::fromStdString(pdf)));
    noteDescriptors();
    command(0, 1); // Close
    EXPECT_EQ(form.FilePages->count(), 0);

    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_EQ(beeps, 0);
    EXPECT_TRUE(StampOf(path) == before) << "the viewed file changed";
    for (const int mode : modes)
        EXPECT_EQ(mode, O_RDONLY);
    EXPECT_TRUE(DescriptorModes(path).empty()) << "a descriptor outlived the page";
}

// Cut to half while the page shows its end: one "file read error" for the run of
// failing paints however the page is moved there, one for the search that meets the
// missing bytes, and the page reads on where the bytes still exist.
TEST_F(ViewedFile, TruncatedWhileItsPageShowsTheEnd)
{
    const int64_t size = 8 * Window + 77;
    TPageForm* page = open(WithMarkers(static_cast<size_t>(size), {1000, 7 * Window}));
    ASSERT_NE(page, nullptr);
    key(page, Qt::Key_End, Qt::ControlModifier);
    ASSERT_EQ(page->cursorAddress, size - 1);
    ASSERT_TRUE(boxes.empty());

    ASSERT_EQ(::truncate(path.c_str(), size / 2), 0);
    paint(page);
    EXPECT_TRUE(boxes.empty()) << "the window read before the cut still shows its bytes";
    key(page, Qt::Key_PageUp); // above the window: the bytes there are gone
    EXPECT_EQ(boxes, std::vector<std::string>{"file read error"});
    for (const Qt::Key k : {Qt::Key_Up, Qt::Key_Left, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End, Qt::Key_Down})
        key(page, k);
    wheel(page, 120);
    page->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepSub);
    paint(page);
    EXPECT_EQ(boxes.size(), 1u) << "a box for each failing paint";
    EXPECT_EQ(page->fileSize, size);

    find(QStringLiteral("0102030405060708"), 0); // absent: the search reaches the missing bytes
    EXPECT_EQ(boxes, (std::vector<std::string>{"file read error", "file read error"}));
    EXPECT_EQ(beeps, 0);
    EXPECT_TRUE(form.FilePages->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    key(page, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(page->cursorAddress, 0);
    EXPECT_EQ(CursorHex(page), HexOf(0));
    find(QStringLiteral("deadbeef01"), 0);
    EXPECT_EQ(page->cursorAddress, 1000);
    EXPECT_EQ(CursorHex(page), HexOf(1000));
    paint(page);
    EXPECT_EQ(boxes.size(), 2u);

    // After paints that succeeded, the missing end starts a run of its own.
    key(page, Qt::Key_End, Qt::ControlModifier);
    key(page, Qt::Key_Up);
    EXPECT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes.back(), "file read error");
}

// Deleted, or replaced by a rename, while open: the page goes on showing and searching
// the bytes it opened, without a word.
class ViewedFileGone : public ViewedFile, public testing::WithParamInterface<bool> {};

TEST_P(ViewedFileGone, KeepsShowingTheBytesItOpened)
{
    const bool replaced = GetParam();
    const int64_t size = 4 * Window + 5;
    TPageForm* page = open(WithMarkers(static_cast<size_t>(size), {3 * Window + 9}));
    ASSERT_NE(page, nullptr);
    if (replaced) {
        const std::string other = dir.write("other.bin", Bytes(100, 0x5A));
        ASSERT_EQ(::rename(other.c_str(), path.c_str()), 0);
    } else {
        ASSERT_EQ(::unlink(path.c_str()), 0);
    }

    key(page, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(CursorHex(page), HexOf(size - 1));
    key(page, Qt::Key_PageUp);
    find(QStringLiteral("deadbeef01"), 0);
    EXPECT_EQ(page->cursorAddress, 3 * Window + 9);
    gotoAddress(QStringLiteral("20000"));
    EXPECT_EQ(page->cursorAddress, 2 * Window);
    EXPECT_EQ(CursorHex(page), HexOf(2 * Window));
    paint(page);
    EXPECT_EQ(page->fileSize, size);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_EQ(beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(WhileOpen, ViewedFileGone, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& p) { return p.param ? "ReplacedByARename" : "Deleted"; });

// Grown while open: the page keeps the size it took, and nothing it answers lies in
// the bytes added since.
TEST_F(ViewedFile, GrownWhileOpenKeepsTheSizeItTook)
{
    const int64_t size = 2 * Window + 3;
    TPageForm* page = open(RandomBytes(static_cast<size_t>(size), 5));
    ASSERT_NE(page, nullptr);
    {
        std::ofstream grow(path, std::ios::binary | std::ios::app);
        const Bytes added = WithMarkers(3 * Window, {10, Window});
        grow.write(reinterpret_cast<const char*>(added.data()), static_cast<std::streamsize>(added.size()));
    }

    find(QStringLiteral("deadbeef01"), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Search string is not found."});
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(page->cursorAddress, 0);
    key(page, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(page->cursorAddress, size - 1);
    const int64_t top = page->topAddress;
    page->MoveToAddress(size + 10); // where the added bytes hold a match
    EXPECT_EQ(page->cursorAddress, size - 1);
    EXPECT_EQ(page->topAddress, top);
    const page::PageShape::Cell pastTheSize = page->Shape().CellOfAddress(top, size);
    EXPECT_EQ(page->CellText(pastTheSize.row, pastTheSize.col, true).length, 0) << "a cell past the size shows a byte";
    form.Timer1Timer();
    EXPECT_EQ(form.StatusPanels[2]->text(), QString::number(size) + QStringLiteral(" bytes"));
    EXPECT_EQ(page->fileSize, size);
    EXPECT_EQ(page->file->size(), size);
    paint(page);
    EXPECT_EQ(boxes.size(), 1u);
}
