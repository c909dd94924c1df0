// What the five edits let the user type: nothing that would break a command
// sentence, nothing beyond the limit; texts put in by the program stay as
// they are.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "ui/field_validator.h"

namespace brisko {
namespace {

TEST(FieldValidatorTest, CharactersThatCanTravelInsideAField) {
  struct Case {
    char16_t character;
    bool travels;
  } const cases[] = {
      {u'a', true},    {u' ', true},     {u'-', true},    {u'~', true},  {u'\u00e9', true}, {u'\u00ff', true},
      {u',', false},   {u'*', false},    {u'$', false},   {u'\r', false}, {u'\n', false},   {u'\t', false},
      {u'\x7f', false}, {u'\u0085', false}, {u'\u20ac', false}, {u'\u0100', false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CanTravelInField(QChar(c.character)), c.travels) << int(c.character);
  }
}

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
      {QStringLiteral("caf\u00e9 \u20ac"), QStringLiteral("caf\u00e9 ")},
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

}  // namespace
}  // namespace brisko
