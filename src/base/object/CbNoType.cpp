#include <cbfoundation/base/object/CbNoType.h>

CbNoType& CbNoType::operator=(const CbNoType&)
{
    return *this;
}
