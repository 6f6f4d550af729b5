#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "geometry/save_prompts.h"

namespace korvalo::geometry::test_rows {

// The boxes of the save checks, scripted: questions take the next answer
// from `answers` (a question with no answer left fails the test); every box
// and mark is logged in order ("notice: ...", "ask: ...", "mark: row field").
class ScriptDialogs : public SaveDialogs {
 public:
  explicit ScriptDialogs(std::deque<bool> answers = {}) : answers_(std::move(answers)) {}
  ~ScriptDialogs() override { EXPECT_TRUE(answers_.empty()) << answers_.size() << " answers left unasked"; }

  void Notice(const std::string& text) override { log.push_back("notice: " + text); }
  bool AskYesNo(const std::string& text) override {
    log.push_back("ask: " + text);
    if (answers_.empty()) {
      ADD_FAILURE() << "unexpected question: " << text;
      return false;
    }
    const bool answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void Mark(const FieldMark& mark) override {
    static const char* const kNames[] = {"button", "arc length", "line direction", "arc direction"};
    log.push_back("mark: " + std::to_string(mark.row) + " " + kNames[static_cast<int>(mark.field)]);
  }

  // The boxes only, without the marks.
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const std::string& s : log) {
      if (s.rfind("mark: ", 0) != 0) out.push_back(s);
    }
    return out;
  }

  std::vector<std::string> log;

 private:
  std::deque<bool> answers_;
};

}  // namespace korvalo::geometry::test_rows
