#include "automation/prompt.h"

namespace automation {
namespace {

// With nobody to ask, a question is declined: the safe answer leaves stored data unchanged.
class DeclineAll : public PromptService {
 public:
  PromptAnswer ask(std::string_view, std::string_view, int) override { return PromptAnswer::kNo; }
};

std::shared_ptr<PromptService>& current() {
  static std::shared_ptr<PromptService> service = std::make_shared<DeclineAll>();
  return service;
}

}  // namespace

PromptService& prompt_service() { return *current(); }

std::shared_ptr<PromptService> set_prompt_service(std::shared_ptr<PromptService> service) {
  std::shared_ptr<PromptService> previous = current();
  current() = service ? std::move(service) : std::make_shared<DeclineAll>();
  return previous;
}

}  // namespace automation
