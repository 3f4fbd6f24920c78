// OsStreamFilter: the library's two instantiations, for readers and for writers.
#include <cbfoundation/os/streams/OsStreamFilter.h>

template class OsStreamFilter<CbStreamReadBinary, CbStreamReadBinary>;
template class OsStreamFilter<CbStreamWriteBinary, CbStreamWriteBinary>;
