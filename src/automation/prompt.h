// The yes/no prompt service: what the platform's modal message box becomes. The component asks
// a question with a title, a text and a style number (68: Yes and No buttons, information
// icon) and gets Yes or No. The host decides how the question reaches the user.
#pragma once

#include <memory>
#include <string_view>

namespace automation {

enum class PromptAnswer { kYes = 6, kNo = 7 };  // the runtime's vbYes and vbNo

class PromptService {
 public:
  virtual ~PromptService() = default;
  virtual PromptAnswer ask(std::string_view title, std::string_view text, int style) = 0;
};

// The service in use (the installed ambient's, ambient.h); by default every question is
// answered No (no user to ask).
PromptService& prompt_service();
// Replaces the service; nullptr restores the default. Returns the previous one (nullptr for the
// default).
std::shared_ptr<PromptService> set_prompt_service(std::shared_ptr<PromptService> service);

// MsgBox(text, style, title) through the current service.
inline PromptAnswer ask_user(std::string_view title, std::string_view text, int style) {
  return prompt_service().ask(title, text, style);
}

}  // namespace automation
