#pragma once

// The results window of Find All: one per page, beside the main window and not
// modal. Its list keeps only the hits' addresses; the bytes of a row are read when
// the row comes into view.

#include "search/HitList.h"

#include <QAbstractListModel>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class QLabel;
class QListView;
class TPageForm;

namespace search {

// The hits of one Find All, in address order.
class HitListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The rows read their bytes from file (which must outlive them or be detached).
    void setHits(std::vector<int64_t> addresses, const util::File64& file, int64_t patternLength);
    // The file is going: rows show their addresses only.
    void detach();
    int64_t address(int row) const { return hits[static_cast<size_t>(row)]; }
    // Block reads made for rows so far (for tests and benchmarks).
    int64_t reads() const;

private:
    std::vector<int64_t> hits;
    std::unique_ptr<HitReader> reader;
    mutable bool failing = false; // a read failed; its error was shown once
};

} // namespace search

class TFindAllForm : public QWidget {
    Q_OBJECT
public:
    // The results window of page, null when it has none.
    static TFindAllForm* Of(const QWidget* owner, const TPageForm* page);
    // The same, made when missing: a window of owner, closed with the page.
    static TFindAllForm& For(QWidget* owner, TPageForm& page);

    // What one Find All found. state is empty when the scan reached the end, else
    // where and why it stopped.
    struct Results {
        int64_t count = 0;
        std::vector<int64_t> addresses;
        std::span<const uint8_t> pattern;
        QString state;
    };
    // Replaces the list, shows the window with the first hit current (the page moves
    // there) and gives it the keyboard.
    void showResults(Results results);

    TPageForm* page() const { return viewed; }
    search::HitListModel* hits() const { return Hits; }

    QLabel* TitleLabel = nullptr;
    QLabel* PatternLabel = nullptr;
    QLabel* StateLabel = nullptr;
    QListView* HitList = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TFindAllForm(QWidget* owner, TPageForm& page);
    void placeBesideOwner();
    // Enter: the keyboard goes back to the page, the list stays as it is.
    void backToPage();
    void HitListCurrentChanged(const QModelIndex& current);

    TPageForm* viewed;
    search::HitListModel* Hits = nullptr;
};
