// Helpers shared by the CbVariant tests.
#pragma once

#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/object/IObject.h>
#include <cbfoundation/base/values/CbVariant.h>

#include "base/exceptions/ExceptionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace variant_test {

template <class T>
CbVariant Make(const T& value)
{
    CbVariant variant;
    variant = value;
    return variant;
}

/// Variants holding `values`, in their order.
template <class... T>
std::vector<CbVariant> VariantsOf(const T&... values)
{
    return {Make(values)...};
}

inline CbVariant::ByteArray Bytes(std::initializer_list<unsigned char> bytes)
{
    CbVariant::ByteArray array;
    array.SetSize(static_cast<unsigned>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), array.GetData());
    return array;
}

using cbf::test::ExpectThrowsAt;

/// A registered class; the leak checker of the sanitizer build sees a clone
/// that is never released.
class Shape : public IObject
{
    CB_DECLARE_RTTI(Shape)
    CB_DECLARE_CLONE(Shape)

public:
    explicit Shape(int sides = 3)
        : sides(sides)
    {}
    Shape(const Shape& other)
        : IObject()
        , sides(other.sides)
    {}

    static IObject* Create() { return new Shape; }

    int sides;
};

} // namespace variant_test
