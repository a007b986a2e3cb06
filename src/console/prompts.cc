#include "console/prompts.h"

#include <unistd.h>

#include <iostream>

namespace console {

automation::PromptAnswer TerminalPrompt::ask(std::string_view title, std::string_view text, int) {
  if (isatty(STDIN_FILENO) == 0 || isatty(STDERR_FILENO) == 0) return automation::PromptAnswer::kNo;
  std::cerr << "\n" << title << "\n" << text << " [s/N] " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return automation::PromptAnswer::kNo;
  bool yes =
      !line.empty() && (line[0] == 's' || line[0] == 'S' || line[0] == 'y' || line[0] == 'Y');
  return yes ? automation::PromptAnswer::kYes : automation::PromptAnswer::kNo;
}

automation::PromptAnswer ScriptedPrompt::ask(std::string_view title, std::string_view text,
                                             int style) {
  asked_.push_back({std::string(title), std::string(text), style});
  if (answers_.empty()) return automation::PromptAnswer::kNo;
  automation::PromptAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

}  // namespace console
