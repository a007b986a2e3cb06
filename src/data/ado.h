// ADO's enumeration values and the data layer's error numbers, named once.
#pragma once

#include <cstdint>

namespace data {

// ObjectStateEnum
inline constexpr int kStateClosed = 0;
inline constexpr int kStateOpen = 1;

// CursorTypeEnum, LockTypeEnum and CommandTypeEnum as Recordset::Open takes them in C++. The
// integers below are the same values as late binding and the cursor properties pass them.
enum class CursorTypeEnum : int {
  kUnspecified = -1,
  kForwardOnly = 0,
  kKeyset = 1,
  kDynamic = 2,
  kStatic = 3,
};
enum class LockTypeEnum : int {
  kUnspecified = -1,
  kReadOnly = 1,
  kPessimistic = 2,
  kOptimistic = 3,
  kBatchOptimistic = 4,
};
enum class CommandTypeEnum : int {
  kUnspecified = -1,
  kText = 1,
  kTable = 2,
};

inline constexpr int kOpenUnspecified = static_cast<int>(CursorTypeEnum::kUnspecified);
inline constexpr int kOpenForwardOnly = static_cast<int>(CursorTypeEnum::kForwardOnly);
inline constexpr int kOpenKeyset = static_cast<int>(CursorTypeEnum::kKeyset);
inline constexpr int kOpenDynamic = static_cast<int>(CursorTypeEnum::kDynamic);
inline constexpr int kOpenStatic = static_cast<int>(CursorTypeEnum::kStatic);

inline constexpr int kLockUnspecified = static_cast<int>(LockTypeEnum::kUnspecified);
inline constexpr int kLockReadOnly = static_cast<int>(LockTypeEnum::kReadOnly);
inline constexpr int kLockPessimistic = static_cast<int>(LockTypeEnum::kPessimistic);
inline constexpr int kLockOptimistic = static_cast<int>(LockTypeEnum::kOptimistic);
inline constexpr int kLockBatchOptimistic = static_cast<int>(LockTypeEnum::kBatchOptimistic);

// CursorLocationEnum
inline constexpr int kUseServer = 2;
inline constexpr int kUseClient = 3;

// CommandTypeEnum / ExecuteOptionEnum, for Connection.Execute and late binding
inline constexpr int kCmdUnspecified = static_cast<int>(CommandTypeEnum::kUnspecified);
inline constexpr int kCmdText = static_cast<int>(CommandTypeEnum::kText);
inline constexpr int kCmdTable = static_cast<int>(CommandTypeEnum::kTable);
inline constexpr int kExecuteNoRecords = 0x80;

// AffectEnum
inline constexpr int kAffectCurrent = 1;
inline constexpr int kAffectGroup = 2;
inline constexpr int kAffectAll = 3;

// FilterGroupEnum
inline constexpr int kFilterNone = 0;
inline constexpr int kFilterPendingRecords = 1;
inline constexpr int kFilterFetchedRecords = 3;

// PositionEnum
inline constexpr int kPosUnknown = -1;
inline constexpr int kPosBOF = -2;
inline constexpr int kPosEOF = -3;

// EditModeEnum
inline constexpr int kEditNone = 0;
inline constexpr int kEditInProgress = 1;
inline constexpr int kEditAdd = 2;
inline constexpr int kEditDelete = 4;

// DataTypeEnum
enum class DataType : int {
  kEmpty = 0,
  kSmallInt = 2,
  kInteger = 3,
  kSingle = 4,
  kDouble = 5,
  kCurrency = 6,
  kDate = 7,
  kBSTR = 8,
  kBoolean = 11,
  kVariant = 12,
  kDecimal = 14,
  kTinyInt = 16,
  kUnsignedTinyInt = 17,
  kBigInt = 20,
  kGUID = 72,
  kBinary = 128,
  kChar = 129,
  kWChar = 130,
  kNumeric = 131,
  kDBDate = 133,
  kDBTime = 134,
  kDBTimeStamp = 135,
  kVarChar = 200,
  kLongVarChar = 201,
  kVarWChar = 202,
  kLongVarWChar = 203,
  kVarBinary = 204,
  kLongVarBinary = 205,
};

// FieldAttributeEnum
inline constexpr std::int32_t kFldUnspecified = -1;
inline constexpr std::int32_t kFldFixed = 0x10;
inline constexpr std::int32_t kFldIsNullable = 0x20;
inline constexpr std::int32_t kFldMayBeNull = 0x40;
inline constexpr std::int32_t kFldLong = 0x80;
inline constexpr std::int32_t kFldKeyColumn = 0x8000;

// StreamTypeEnum, SaveOptionsEnum, ConnectModeEnum
inline constexpr int kTypeBinary = 1;
inline constexpr int kTypeText = 2;
inline constexpr int kSaveCreateNotExist = 1;
inline constexpr int kSaveCreateOverWrite = 2;
inline constexpr int kModeUnknown = 0;

// Error numbers raised by the data layer (ErrorValueEnum and OLE DB), with ADO's texts in
// errors.cc.
namespace errc {
inline constexpr std::int32_t kProviderFailed = 3000;
inline constexpr std::int32_t kInvalidArgument = 3001;  // wrong type, out of range, conflict
inline constexpr std::int32_t kWriteFile = 3004;        // Stream.SaveToFile could not write
inline constexpr std::int32_t kNoCurrentRecord = 3021;  // BOF or EOF, or deleted row
inline constexpr std::int32_t kIllegalOperation = 3219;
inline constexpr std::int32_t kInTransaction = 3246;        // Connection.Close inside a transaction
inline constexpr std::int32_t kFeatureNotAvailable = 3251;  // read-only recordset, no support
inline constexpr std::int32_t kItemNotFound = 3265;         // unknown field name or ordinal
inline constexpr std::int32_t kObjectInCollection = 3367;   // duplicate field on Append
inline constexpr std::int32_t kObjectNotSet = 3420;
inline constexpr std::int32_t kObjectClosed = 3704;       // operation on a closed object
inline constexpr std::int32_t kObjectOpen = 3705;         // operation on an open object
inline constexpr std::int32_t kInvalidConnection = 3709;  // no usable connection
// DB_E_ERRORSOCCURRED: a field value that cannot be stored (too long, not convertible, Null).
inline constexpr std::int32_t kErrorsOccurred = -2147217887;
// DB_E_ERRORSINCOMMAND: the provider rejected the statement text.
inline constexpr std::int32_t kErrorsInCommand = -2147217900;
// DB_E_CANTFETCHBACKWARDS: MovePrevious on a forward-only cursor.
inline constexpr std::int32_t kCantFetchBackwards = -2147217884;
// 0x80040E38: the row a write-back updates or deletes was not found by its key.
inline constexpr std::int32_t kRowNotLocated = -2147217864;
// DB_E_INTEGRITYVIOLATION: a statement broke a constraint (key, NOT NULL, CHECK).
inline constexpr std::int32_t kIntegrityViolation = -2147217873;
// E_FAIL: an engine error that has no more specific number.
inline constexpr std::int32_t kUnspecifiedError = -2147467259;
}  // namespace errc

}  // namespace data
