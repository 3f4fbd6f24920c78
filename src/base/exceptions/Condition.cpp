// Condition::HandleUnfulfilledCondition: throws for a failed check only when asked to.
#include <cbfoundation/base/exceptions/CbExceptionCondition.h>
#include <cbfoundation/base/exceptions/Condition.h>

void Condition::HandleUnfulfilledCondition(const char* file, unsigned line, const char* function,
                                           EConditionHandling handling)
{
    if (handling == eConditionHandlingThrow)
        throw CbExceptionCondition(file, line, function);
}
