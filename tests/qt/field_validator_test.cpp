// What the five edits let the user type: nothing that would break a command
// sentence, nothing beyond the limit; texts put in by the program stay as
// they are.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "protocol/field_edit.h"
#include "qt/field_validator.h"

namespace brisko {
namespace {

// Types each character as a key press carrying its text, as a keyboard
// layout with that character would (QTest's key clicks are ASCII only).
void Type(QWidget& widget, const QString& text) {
  for (QChar character : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
    QApplication::sendEvent(&widget, &release);
  }
}

class FieldEditTest : public ::testing::Test {
 protected:
  FieldEditTest() : validator_(new FieldTextValidator(edit_)) {
    validator_->setLimit(15);
    edit_.show();
    edit_.activateWindow();
    edit_.setFocus();
  }
  QLineEdit edit_;
  FieldTextValidator* validator_;
};

TEST_F(FieldEditTest, TypedSeparatorsAndForeignCharactersAreRefused) {
  struct Case {
    QString typed;
    QString kept;
  } const cases[] = {
      {"D-1234", "D-1234"},
      {"a,b", "ab"},
      {"x*y$z", "xyz"},
      {QStringLiteral("caf\u00e9 \u20ac\u0100"), QStringLiteral("caf\u00e9 \u20ac")},  // the euro is in Windows-1252
  };
  for (const Case& c : cases) {
    edit_.clear();
    Type(edit_, c.typed);
    EXPECT_EQ(edit_.text(), c.kept) << c.typed.toStdString();
  }
}

TEST_F(FieldEditTest, APasteWithABadCharacterIsRefusedWhole) {
  ShowFieldText(edit_, "AB");
  edit_.setCursorPosition(1);
  edit_.insert("1,2");
  EXPECT_EQ(edit_.text(), "AB");
  edit_.insert("12");
  EXPECT_EQ(edit_.text(), "A12B");
}

TEST_F(FieldEditTest, AnOverlongProgramTextStaysAndMayOnlyShrink) {
  const QString fromLogger(20, QLatin1Char('n'));
  ShowFieldText(edit_, fromLogger);
  EXPECT_EQ(edit_.text(), fromLogger);
  edit_.end(false);
  QTest::keyClicks(&edit_, "x");
  EXPECT_EQ(edit_.text(), fromLogger) << "typing must not lengthen a text beyond the limit";
  QTest::keyClick(&edit_, Qt::Key_Backspace);
  EXPECT_EQ(edit_.text().size(), 19);
  // Replacing one character keeps the length: allowed.
  edit_.setSelection(0, 1);
  QTest::keyClicks(&edit_, "m");
  EXPECT_EQ(edit_.text(), QStringLiteral("m") + QString(18, QLatin1Char('n')));
}

TEST_F(FieldEditTest, ControlCharactersFromTheProgramStayWhileOthersAreEdited) {
  // A byte the logger sent that a user could not type is kept as it is.
  const QString fromLogger = QStringLiteral("a\u0001b");
  ShowFieldText(edit_, fromLogger);
  edit_.end(false);
  QTest::keyClicks(&edit_, "c");
  EXPECT_EQ(edit_.text(), QStringLiteral("a\u0001bc"));
}

// Drops a text at the end of the edit, as dragging it from another program
// would.
void DropAtEnd(QLineEdit& edit, const QString& text) {
  QMimeData data;
  data.setText(text);
  const QPointF at(edit.width() - 2, edit.height() / 2.0);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&edit, &enter);
  QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&edit, &move);
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&edit, &drop);
}

// Runs the entry of the edit's own context menu whose text begins so ("&Undo",
// "&Paste", ...), as a click on it would.
void ContextMenuEntry(QLineEdit& edit, const char* entry) {
  std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  for (QAction* action : menu->actions()) {
    if (action->text().startsWith(QLatin1String(entry))) {
      ASSERT_TRUE(action->isEnabled()) << entry;
      action->trigger();
      return;
    }
  }
  ADD_FAILURE() << "no context-menu entry " << entry;
}

// Every way the user can change the text passes the same rule: a change that
// adds a refused character, or grows the text beyond the limit, is refused
// whole; the logger's own text stays until the user changes it. In the
// "undo" cases the logger's "AB\x01C" was edited to "ABC" first, so Undo would
// bring the control character back and a sentence-breaking text could follow.
TEST_F(FieldEditTest, EveryWayOfChangingTheTextPassesTheSameRule) {
  const QString withControl = QStringLiteral("AB\u0001C");
  const QString overlong(20, QLatin1Char('n'));
  const auto removeControl = [](QLineEdit& edit) {
    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Backspace);
  };
  struct Case {
    const char* name;
    QString fromLogger;
    std::function<void(QLineEdit&)> change;
    QString kept;
  };
  const Case cases[] = {
      {"typing", "AB", [](QLineEdit& e) { e.end(false); Type(e, ",,*$x"); }, "ABx"},
      {"paste", "AB",
       [](QLineEdit& e) {
         QApplication::clipboard()->setText("1,2");
         e.end(false);
         e.paste();
       },
       "AB"},
      {"paste that fits", "AB",
       [](QLineEdit& e) {
         QApplication::clipboard()->setText("12");
         e.end(false);
         e.paste();
       },
       "AB12"},
      {"drop", "AB", [](QLineEdit& e) { DropAtEnd(e, "x$y"); }, "AB"},
      {"drop that fits", "AB", [](QLineEdit& e) { DropAtEnd(e, "xy"); }, "ABxy"},
      {"undo key", withControl,
       [&](QLineEdit& e) {
         removeControl(e);
         QTest::keyClick(&e, Qt::Key_Z, Qt::ControlModifier);
       },
       "ABC"},
      {"undo key, then typing", withControl,
       [&](QLineEdit& e) {
         removeControl(e);
         QTest::keyClick(&e, Qt::Key_Z, Qt::ControlModifier);
         Type(e, ",,*$");
       },
       "ABC"},
      {"undo from the context menu", withControl,
       [&](QLineEdit& e) {
         removeControl(e);
         ContextMenuEntry(e, "&Undo");
       },
       "ABC"},
      {"paste from the context menu", "AB",
       [](QLineEdit& e) {
         QApplication::clipboard()->setText("*");
         ContextMenuEntry(e, "&Paste");
       },
       "AB"},
      {"undo beyond the limit", overlong,
       [](QLineEdit& e) {
         e.end(false);
         QTest::keyClick(&e, Qt::Key_Backspace);
         e.undo();
       },
       QString(19, QLatin1Char('n'))},
      {"undo and redo of the user's own typing", "AB",
       [](QLineEdit& e) {
         e.end(false);
         Type(e, "cd");
         e.undo();
         e.redo();
       },
       "ABcd"},
      {"redo from the context menu", "AB",
       [](QLineEdit& e) {
         e.end(false);
         Type(e, "c");
         e.undo();
         ContextMenuEntry(e, "&Redo");
       },
       "ABc"},
      {"no change: the logger's text stays", withControl, [](QLineEdit&) {}, withControl},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShowFieldText(edit_, c.fromLogger);
    c.change(edit_);
    EXPECT_EQ(edit_.text(), c.kept);
    // Whatever happened, the next character typed is judged against what is shown.
    const QString before = edit_.text();
    edit_.end(false);
    Type(edit_, ",");
    EXPECT_EQ(edit_.text(), before);
  }
}

}  // namespace
}  // namespace brisko
