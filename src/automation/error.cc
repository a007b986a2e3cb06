#include "automation/error.h"

namespace automation {

std::string_view standard_description(std::int32_t number) {
  switch (number) {
    case errc::kInvalidProcedureCall:
      return "Invalid procedure call or argument";
    case errc::kOverflow:
      return "Overflow";
    case errc::kOutOfMemory:
      return "Out of memory";
    case errc::kSubscriptOutOfRange:
      return "Subscript out of range";
    case errc::kDivisionByZero:
      return "Division by zero";
    case errc::kTypeMismatch:
      return "Type mismatch";
    case errc::kFileNotFound:
      return "File not found";
    case errc::kFileAlreadyExists:
      return "File already exists";
    case errc::kPermissionDenied:
      return "Permission denied";
    case errc::kPathFileAccessError:
      return "Path/File access error";
    case errc::kPathNotFound:
      return "Path not found";
    case errc::kObjectVariableNotSet:
      return "Object variable or With block variable not set";
    case errc::kInvalidUseOfNull:
      return "Invalid use of Null";
    case errc::kObjectRequired:
      return "Object required";
    case errc::kCannotCreateObject:
      return "ActiveX component can't create object";
    case errc::kMemberNotFound:
      return "Object doesn't support this property or method";
    case errc::kActionNotSupported:
      return "Object doesn't support this action";
    case errc::kWrongNumberOfArguments:
      return "Wrong number of arguments or invalid property assignment";
    default:
      return {};
  }
}

void raise_runtime(std::int32_t number) { throw Error(number, std::string(kRuntimeSource)); }

void Error::prepend_source(std::string_view label) {
  std::string chained;
  chained.reserve(label.size() + 2 + source_.size());
  chained.append(label).append("\r\n").append(source_);
  source_ = std::move(chained);
}

}  // namespace automation
