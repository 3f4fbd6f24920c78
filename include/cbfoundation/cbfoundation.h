// cbfoundation: the whole public API in one include.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/Types.h>

#include <cbfoundation/base/object/CbCriticalSection.h>
#include <cbfoundation/base/object/CbCriticalSectionAuto.h>
#include <cbfoundation/base/object/CbList.h>
#include <cbfoundation/base/object/CbListPolicyElementCount.h>
#include <cbfoundation/base/object/CbMap.h>
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
#include <cbfoundation/base/exceptions/Condition.h>
#include <cbfoundation/base/exceptions/IException.h>
