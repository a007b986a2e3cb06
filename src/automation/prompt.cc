#include "automation/prompt.h"

#include "automation/ambient.h"

namespace automation {
namespace {

// With nobody to ask, a question is declined: the safe answer leaves stored data unchanged.
class DeclineAll : public PromptService {
 public:
  PromptAnswer ask(std::string_view, std::string_view, int) override { return PromptAnswer::kNo; }
};

}  // namespace

PromptService& prompt_service() {
  static DeclineAll decline_all;
  const std::shared_ptr<PromptService>& service = current_ambient().prompt;
  return service ? *service : decline_all;
}

std::shared_ptr<PromptService> set_prompt_service(std::shared_ptr<PromptService> service) {
  std::shared_ptr<PromptService> previous = std::move(current_ambient().prompt);
  current_ambient().prompt = std::move(service);
  return previous;
}

}  // namespace automation
