// cbfoundation: the whole public API in one include.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/CArchive.h>
#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/CTime.h>
#include <cbfoundation/platform/OleString.h>
#include <cbfoundation/platform/Registry.h>
#include <cbfoundation/platform/SystemTime.h>
#include <cbfoundation/platform/Types.h>

#include <cbfoundation/base/object/CbArray.h>
#include <cbfoundation/base/object/CbCriticalSection.h>
#include <cbfoundation/base/object/CbCriticalSectionAuto.h>
#include <cbfoundation/base/object/CbList.h>
#include <cbfoundation/base/object/CbListPolicyElementCount.h>
#include <cbfoundation/base/object/CbMap.h>
#include <cbfoundation/base/object/CbMemoryBlock.h>
#include <cbfoundation/base/object/CbNoType.h>
#include <cbfoundation/base/object/CbPlexManager.h>
#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/object/CbReferenceCounted.h>
#include <cbfoundation/base/object/CbScopedPointer.h>
#include <cbfoundation/base/object/CbSmartPointer.h>
#include <cbfoundation/base/object/IObject.h>
#include <cbfoundation/base/object/IReferenceCounted.h>

#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/exceptions/CbExceptionCondition.h>
#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/exceptions/CbIDumpable.h>
#include <cbfoundation/base/exceptions/CbLatestError.h>
#include <cbfoundation/base/exceptions/Condition.h>
#include <cbfoundation/base/exceptions/IException.h>

#include <cbfoundation/base/streams/CbFormat.h>
#include <cbfoundation/base/streams/CbStreamRead.h>
#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWrite.h>
#include <cbfoundation/base/streams/CbStreamWriteASCII.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIIStringT.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIITrace.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryByteCount.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>
#include <cbfoundation/base/streams/ISerializable.h>
#include <cbfoundation/base/streams/IStreamRead.h>
#include <cbfoundation/base/streams/IStreamWrite.h>

#include <cbfoundation/base/values/CbArraySerializer.h>
#include <cbfoundation/base/values/CbDateTime.h>
#include <cbfoundation/base/values/CbVariant.h>
#include <cbfoundation/base/values/IDateTime.h>

#include <cbfoundation/os/services/OsFileSystem.h>
#include <cbfoundation/os/services/OsPersistentOptions.h>

#include <cbfoundation/os/streams/OsStreamFilter.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFileRaw.h>
#include <cbfoundation/os/streams/OsStreamReadCompressedZIP.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFileRaw.h>
#include <cbfoundation/os/streams/OsStreamWriteCompressedZIP.h>

#include <cbfoundation/entry/CbParameterFile.h>
#include <cbfoundation/entry/GetExternalDataPath.h>
#include <cbfoundation/entry/PmCParameter.h>
