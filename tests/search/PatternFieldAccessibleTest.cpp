// The find dialog's pattern fields as a screen reader reads them: an editable text
// named by its label, with its text, cursor and selection, events on every change,
// and edits through the accessibility interface held to the field's limit.

#include "search/Fform.h"
#include "search/PatternField.h"
#include "Typing.h"

#include <QAccessible>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct Heard {
    QAccessible::Event type;
    QObject* object;
    QString text; // inserted or removed text, for text events
    int cursor = -1;
};

std::vector<Heard>* heard = nullptr;

void Listen(QAccessibleEvent* event)
{
    if (!heard)
        return;
    Heard each{event->type(), event->object(), QString(), -1};
    if (event->type() == QAccessible::TextInserted)
        each.text = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
    else if (event->type() == QAccessible::TextRemoved)
        each.text = static_cast<QAccessibleTextRemoveEvent*>(event)->textRemoved();
    else if (event->type() == QAccessible::TextUpdated)
        each.text = static_cast<QAccessibleTextUpdateEvent*>(event)->textInserted();
    if (event->type() == QAccessible::TextCaretMoved)
        each.cursor = static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition();
    heard->push_back(each);
}

class PatternFieldAccessibleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        heard = &events;
        form.show();
    }
    void TearDown() override { heard = nullptr; }

    int count(QAccessible::Event type, QObject* object) const
    {
        int n = 0;
        for (const Heard& each : events)
            n += each.type == type && each.object == object;
        return n;
    }

    std::vector<Heard> events;
    // A client listens, and hears what the field tells.
    util::Seam<bool()>::Override active{search::AccessibilityActiveSeam, [] { return true; }};
    util::Seam<void(QAccessibleEvent*)>::Override listen{search::AccessibilityUpdateSeam, Listen};
    TFindForm form;
};

} // namespace

TEST_F(PatternFieldAccessibleTest, EachFieldIsAnEditableTextNamedByItsLabel)
{
    for (auto [field, name] : {std::pair{form.HexEdit, "Hex"}, std::pair{form.TextEdit, "Text"}}) {
        SCOPED_TRACE(name);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(field);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::EditableText);
        EXPECT_EQ(field->accessibleName(), QString::fromLatin1(name));
        EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromLatin1(name));
        EXPECT_TRUE(accessible->state().editable);
        EXPECT_TRUE(accessible->state().focusable);
        EXPECT_NE(accessible->textInterface(), nullptr);
        EXPECT_NE(accessible->editableTextInterface(), nullptr);
    }
}

TEST_F(PatternFieldAccessibleTest, ReportsTextCursorAndSelectionAndTheirChanges)
{
    search::PatternField* field = form.HexEdit;
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(field)->textInterface();
    ASSERT_NE(text, nullptr);

    Type(field, QStringLiteral("de ad"));
    EXPECT_EQ(text->text(0, text->characterCount()), QStringLiteral("de ad"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(field)->text(QAccessible::Value), QStringLiteral("de ad"));
    EXPECT_EQ(text->cursorPosition(), 5);
    EXPECT_EQ(text->selectionCount(), 0);
    // Each typed character was told as inserted, where it went.
    QString inserted;
    for (const Heard& each : events)
        if (each.type == QAccessible::TextInserted && each.object == field)
            inserted += each.text;
    EXPECT_EQ(inserted, QStringLiteral("de ad"));

    events.clear();
    QTest::keyClick(field, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(field, Qt::Key_Left, Qt::ShiftModifier);
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    EXPECT_EQ(text->selectionCount(), 1);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(end, 5);
    EXPECT_EQ(text->cursorPosition(), 3);
    EXPECT_EQ(count(QAccessible::TextSelectionChanged, field), 2);

    events.clear();
    QTest::keyClick(field, Qt::Key_Home);
    EXPECT_EQ(count(QAccessible::TextSelectionChanged, field), 1); // the selection went
    QTest::keyClick(field, Qt::Key_Right);
    ASSERT_EQ(count(QAccessible::TextCaretMoved, field), 1);
    EXPECT_EQ(events.back().cursor, 1);

    events.clear();
    QTest::keyClick(field, Qt::Key_Delete);
    EXPECT_EQ(field->text(), QStringLiteral("d ad"));
    ASSERT_EQ(count(QAccessible::TextRemoved, field), 1);
}

// A screen reader's edits are the user's: they are held to the limit and can be undone.
TEST_F(PatternFieldAccessibleTest, EditsThroughTheInterfaceAreTheUsers)
{
    search::PatternField* field = form.HexEdit;
    int refusals = 0;
    field->setLimit(6, [&refusals] { ++refusals; });
    QAccessibleEditableTextInterface* edit = QAccessible::queryAccessibleInterface(field)->editableTextInterface();
    ASSERT_NE(edit, nullptr);
    edit->insertText(0, QStringLiteral("4142"));
    EXPECT_EQ(field->text(), QStringLiteral("4142"));
    edit->replaceText(2, 4, QStringLiteral("FF"));
    EXPECT_EQ(field->text(), QStringLiteral("41FF"));
    edit->insertText(4, QStringLiteral("000"));
    EXPECT_EQ(field->text(), QStringLiteral("41FF"));
    EXPECT_EQ(refusals, 1);
    edit->deleteText(0, 2);
    EXPECT_EQ(field->text(), QStringLiteral("FF"));
    field->undo();
    EXPECT_EQ(field->text(), QStringLiteral("41FF"));
}

// No accessibility client, no events: typing costs nothing more.
TEST_F(PatternFieldAccessibleTest, NoEventsWithoutAClient)
{
    const util::Seam<bool()>::Override none(search::AccessibilityActiveSeam, [] { return false; });
    Type(form.HexEdit, QStringLiteral("41"));
    EXPECT_EQ(count(QAccessible::TextInserted, form.HexEdit), 0);
}
