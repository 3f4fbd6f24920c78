// CbNoType: the one exported member of the empty class.
#include <cbfoundation/base/object/CbNoType.h>

CbNoType& CbNoType::operator=(const CbNoType&)
{
    return *this;
}
