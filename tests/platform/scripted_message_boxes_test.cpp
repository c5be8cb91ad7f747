// Scripted message boxes: every box is recorded, answers come from the queue.
#include <gtest/gtest.h>

#include "tests/memory/scripted_message_boxes.h"

namespace {

TEST(ScriptedMessageBoxes, RecordsEveryBoxAndAnswersInOrder) {
  ScriptedMessageBoxes boxes;
  boxes.Answer(kIdRetry);
  boxes.Answer(kIdIgnore);
  EXPECT_EQ(kIdRetry, boxes.Show(7, "first", "caption", kMbAbortRetryIgnore));
  EXPECT_EQ(kIdIgnore, boxes.Show(7, "second", "caption", kMbAbortRetryIgnore));
  ASSERT_EQ(2u, boxes.Shown().size());
  EXPECT_EQ(7u, boxes.Shown()[0].owner);
  EXPECT_EQ("first", boxes.Shown()[0].text);
  EXPECT_EQ("caption", boxes.Shown()[0].caption);
  EXPECT_EQ(kMbAbortRetryIgnore, boxes.Shown()[0].style);
  EXPECT_EQ("second", boxes.Shown()[1].text);
  EXPECT_EQ(0u, boxes.Unanswered());
}

TEST(ScriptedMessageBoxes, WithoutAnAnswerTheFirstButtonIsPressed) {
  ScriptedMessageBoxes boxes;
  EXPECT_EQ(kIdOk, boxes.Show(0, "t", "c", kMbOk));
  EXPECT_EQ(kIdOk, boxes.Show(0, "t", "c", kMbOk | kMbIconExclamation));
  EXPECT_EQ(kIdAbort, boxes.Show(0, "t", "c", kMbAbortRetryIgnore));
  EXPECT_EQ(kIdYes, boxes.Show(0, "t", "c", kMbYesNo | kMbIconQuestion));
  EXPECT_EQ(kIdYes, boxes.Show(0, "t", "c", 0x3 /* MB_YESNOCANCEL */));
  EXPECT_EQ(kIdRetry, boxes.Show(0, "t", "c", 0x5 /* MB_RETRYCANCEL */));
  EXPECT_EQ(6u, boxes.Unanswered());
  EXPECT_EQ(6u, boxes.Shown().size());

  boxes.Answer(kIdNo);
  EXPECT_EQ(kIdNo, boxes.Show(0, "t", "c", kMbYesNo));
  EXPECT_EQ(6u, boxes.Unanswered()) << "an answered box is not counted";
}

}  // namespace
