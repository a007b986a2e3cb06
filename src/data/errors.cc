#include "data/errors.h"

#include "data/ado.h"

namespace data {

std::string_view ado_description(std::int32_t number) {
  switch (number) {
    case errc::kProviderFailed:
      return "Provider did not perform the requested operation.";
    case errc::kInvalidArgument:
      return "Arguments are of the wrong type, are out of acceptable range, or are in conflict "
             "with one another.";
    case errc::kWriteFile:
      return "Write to file failed.";
    case errc::kNoCurrentRecord:
      return "Either BOF or EOF is True, or the current record has been deleted. Requested "
             "operation requires a current record.";
    case errc::kIllegalOperation:
      return "Operation is not allowed in this context.";
    case errc::kInTransaction:
      return "Connection object cannot be explicitly closed while in a transaction.";
    case errc::kFeatureNotAvailable:
      return "Object or provider is not able to perform requested operation.";
    case errc::kItemNotFound:
      return "Item cannot be found in the collection corresponding to the requested name or "
             "ordinal.";
    case errc::kObjectInCollection:
      return "Object is already in collection. Cannot append.";
    case errc::kObjectNotSet:
      return "Object is no longer valid.";
    case errc::kObjectClosed:
      return "Operation is not allowed when the object is closed.";
    case errc::kObjectOpen:
      return "Operation is not allowed when the object is open.";
    case errc::kInvalidConnection:
      return "The connection cannot be used to perform this operation. It is either closed or "
             "invalid in this context.";
    case errc::kErrorsOccurred:
      return "Multiple-step operation generated errors. Check each status value.";
    case errc::kCantFetchBackwards:
      return "Rowset does not support fetching backward.";
    case errc::kRowNotLocated:
      return "Row cannot be located for updating. Some values may have been changed since it "
             "was last read.";
    default:
      return {};
  }
}

void raise(std::int32_t number, std::string_view source) {
  throw automation::Error(number, std::string(source), std::string(ado_description(number)));
}

void raise(std::int32_t number, std::string_view source, std::string description) {
  throw automation::Error(number, std::string(source), std::move(description));
}

}  // namespace data
