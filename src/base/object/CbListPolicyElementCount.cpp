// CbListPolicyElementCount: the instantiations the library exports.
#include <cbfoundation/base/object/CbListPolicyElementCount.h>

// The four policies the library offers, compiled once here so that every
// one of them is known to build.
template class CbListPolicyElementCount<1, unsigned>;
template class CbListPolicyElementCount<1, unsigned __int64>;
template class CbListPolicyElementCount<0, unsigned>;
template class CbListPolicyElementCount<0, unsigned __int64>;
