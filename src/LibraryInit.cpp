// The library's load-time objects, defined in one place because their order
// matters: the type registry is created by the first descriptor and destroyed
// after the last, and the lock pool must exist before anything can release a
// reference. Objects in one translation unit are constructed in the order of
// their definitions and destroyed in reverse.

#include <cbfoundation/base/exceptions/CbExceptionCondition.h>
#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIIStringT.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIITrace.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryByteCount.h>
#include <cbfoundation/base/values/CbVariant.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>

#include "base/object/ReferenceCounterLocks.h"

const CbRTTI CbException::RTTI(L"CbException", nullptr, &CbException::CloneByFactory);
const CbRTTI CbExceptionCondition::RTTI(L"CbExceptionCondition", CbException::RTTI, nullptr,
                                        &CbExceptionCondition::CloneByFactory);
const CbRTTI CbExceptionOutOfMemory::RTTI(L"CbExceptionOutOfMemory", CbException::RTTI, nullptr,
                                          &CbExceptionOutOfMemory::CloneByFactory);
const CbRTTI CbExceptionPreconditionViolation::RTTI(L"CbExceptionPreconditionViolation", CbException::RTTI, nullptr,
                                                    &CbExceptionPreconditionViolation::CloneByFactory);
const CbRTTI CbExceptionStream::RTTI(L"CbExceptionStream", CbException::RTTI, nullptr,
                                     &CbExceptionStream::CloneByFactory);
const CbRTTI CbExceptionWrongFileVersion::RTTI(L"CbExceptionWrongFileVersion", CbException::RTTI, nullptr,
                                               &CbExceptionWrongFileVersion::CloneByFactory);

CbCriticalSection cbf::detail::g_referenceCounterLocks[cbf::detail::kReferenceCounterLockCount];

const CbRTTI CbStreamRead::RTTI(L"CbStreamRead", nullptr, nullptr);
const CbRTTI CbStreamReadBinary::RTTI(L"CbStreamReadBinary", CbStreamRead::RTTI, nullptr, nullptr);
const CbRTTI CbStreamWrite::RTTI(L"CbStreamWrite", nullptr, nullptr);

// The text writers localize with the numeric locale the process has when the
// library is loaded.
const bool g_textWriterLocaleCaptured = (CbStreamWriteASCII::CaptureLocale(), true);
const CbRTTI CbStreamWriteASCII::RTTI(L"CbStreamWriteASCII", CbStreamWrite::RTTI, nullptr, nullptr);
const CbRTTI CbStreamWriteASCIIStringT<void>::RTTI(L"CbStreamWriteASCIIStringT", CbStreamWriteASCII::RTTI, nullptr,
                                                   nullptr);
const CbRTTI CbStreamWriteASCIITrace::RTTI(L"CbStreamWriteASCIITrace", CbStreamWriteASCII::RTTI, nullptr, nullptr);

const CbRTTI CbStreamWriteBinary::RTTI(L"CbStreamWriteBinary", CbStreamWrite::RTTI, nullptr, nullptr);
const CbRTTI CbStreamWriteBinaryByteCount::RTTI(L"CbStreamWriteBinaryByteCount", CbStreamWriteBinary::RTTI, nullptr,
                                                nullptr);
const CbRTTI CbVariant::CbExceptionConversion::RTTI(L"CbVariant::CbExceptionConversion", CbException::RTTI, nullptr,
                                                    &CbVariant::CbExceptionConversion::CloneByFactory);
const CbRTTI OsStreamReadBinaryFile::RTTI(L"OsStreamReadBinaryFile", CbStreamReadBinary::RTTI, nullptr, nullptr);
const CbRTTI OsStreamWriteBinaryFile::RTTI(L"OsStreamWriteBinaryFile", CbStreamWriteBinary::RTTI, nullptr, nullptr);
