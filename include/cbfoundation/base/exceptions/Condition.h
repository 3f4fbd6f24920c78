// Condition: reporting of failed condition checks.
#pragma once

#include <cbfoundation/Export.h>

namespace Condition {

/// What to do when a checked condition is false.
enum EConditionHandling : int
{
    eConditionHandlingIgnore = 0, ///< return and carry on
    eConditionHandlingReport = 1, ///< return and carry on (reserved for a diagnostic channel)
    eConditionHandlingThrow = 2   ///< throw CbExceptionCondition
};

/// Called when a checked condition is false. With eConditionHandlingThrow it
/// throws CbExceptionCondition(file, line, function); otherwise it returns.
CB_API void HandleUnfulfilledCondition(const char* file, unsigned line, const char* function,
                                       EConditionHandling handling);

} // namespace Condition
