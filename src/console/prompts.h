// The host's ways of asking the user a yes/no question: on the terminal, or from a queue of
// scripted answers (the automation session), which also records what was asked.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "automation/prompt.h"

namespace console {

// Asks on the terminal (standard error and standard input) when both are terminals; answers
// No otherwise, since nobody is there to answer.
class TerminalPrompt : public automation::PromptService {
 public:
  automation::PromptAnswer ask(std::string_view title, std::string_view text, int style) override;
};

struct AskedQuestion {
  std::string title;
  std::string text;
  int style = 0;
};

// Answers from a queue; a question with no answer queued is answered No.
class ScriptedPrompt : public automation::PromptService {
 public:
  automation::PromptAnswer ask(std::string_view title, std::string_view text, int style) override;
  void queue(automation::PromptAnswer answer) { answers_.push_back(answer); }
  const std::vector<AskedQuestion>& asked() const { return asked_; }

 private:
  std::deque<automation::PromptAnswer> answers_;
  std::vector<AskedQuestion> asked_;
};

}  // namespace console
